// Face names and colours come from the registry: any text must end up as a
// terminated face name of at most 31 characters.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "counter/TextStyle.h"
#include "support/MemoryProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  MemoryProfile profile;
  profile.WriteProfileString("Counter1", "NormalStyle", text.c_str());
  TextStyle style(RGB(0, 255, 0));
  style.Load("Counter1", "NormalStyle");
  const size_t length = ::strnlen(style.LogFont.lfFaceName, sizeof style.LogFont.lfFaceName);
  if (length >= sizeof style.LogFont.lfFaceName) std::abort();
  const std::string expected = std::string(text.c_str()).substr(0, 31);
  if (expected != style.LogFont.lfFaceName) std::abort();
  if (style.Colour != RGB(0, 255, 0)) std::abort();
  return 0;
}
