// An OSC packet is whatever a sender on the network puts in a datagram.
// Decoding must never fail, and every command it yields must be whole: a
// counter named or placed, a total within range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "remote/RemoteProtocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto commands = remote::DecodeOsc(reinterpret_cast<const char*>(data), size);
  for (const remote::Command& command : commands) {
    if (command.Position <= 0 && command.Name.empty()) std::abort();
    if (command.TotalSeconds < 0 || command.TotalSeconds > remote::LargestTotal) std::abort();
    // What the feedback sends back must encode.
    if (remote::EncodeOscString("/velto/1/text", command.Text).empty()) std::abort();
  }
  return 0;
}
