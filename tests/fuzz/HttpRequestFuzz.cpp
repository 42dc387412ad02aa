// The method, target, body and headers of a request come from any client.
// Routing, the key and Host checks and the JSON answers must take every byte
// string; a route is either an error with its status or a whole command.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "remote/RemoteProtocol.h"
#include "remote/WebPages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  // method \n target \n body
  const size_t first = input.find('\n');
  const size_t second = first == std::string::npos ? std::string::npos : input.find('\n', first + 1);
  const std::string method = input.substr(0, first);
  const std::string target = first == std::string::npos ? "" : input.substr(first + 1, second - first - 1);
  const std::string body = second == std::string::npos ? "" : input.substr(second + 1);

  const remote::Route route = remote::RouteRequest(method, target, body);
  if (route.Kind == remote::RouteKind::Error) {
    if (route.Status != 400 && route.Status != 404 && route.Status != 405) std::abort();
    if (remote::ErrorJson(route.Message).empty()) std::abort();
  } else if (route.Kind == remote::RouteKind::Control || route.Kind == remote::RouteKind::One) {
    if (route.What.Position <= 0 && route.What.Name.empty()) std::abort();
    if (route.What.TotalSeconds < 0 || route.What.TotalSeconds > remote::LargestTotal) std::abort();
    remote::Command back;
    if (!remote::CommandFromJson(remote::CommandToJson(route.What), back)) std::abort();
    // Names and texts may hold broken UTF-8, which the JSON shows replaced.
    if (back.Position != route.What.Position || back.TotalSeconds != route.What.TotalSeconds) std::abort();
  }
  remote::HostAllowed(target, {method});
  remote::SameKey(remote::BearerKey(method), body);
  remote::QueryKey(target);
  remote::CookieKey(body);
  remote::CounterView view;
  view.Name = target;
  view.Ticker = body;
  if (remote::CounterJson(view).empty()) std::abort();
  // A name is text on the counter list, never markup.
  if (remote::EscapeHtml(input).find_first_of("<>\"'") != std::string::npos) std::abort();
  remote::HomePage({view}, "");
  return 0;
}
