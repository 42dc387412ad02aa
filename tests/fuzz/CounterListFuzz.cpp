// The "Counters" value comes from the registry, which anyone can edit.
// Whatever it holds, parsing must not fail, and what the program writes back
// must parse to the same numbers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/CounterList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string stored(reinterpret_cast<const char*>(data), size);
  const std::vector<int32_t> numbers = ParseCounterNumbers(stored);
  const std::string written = FormatCounterNumbers(numbers);
  if (ParseCounterNumbers(written) != numbers) std::abort();
  if (!numbers.empty() && (written.empty() || written.back() == ',')) std::abort();
  for (char ch : written)
    if (!((ch >= '0' && ch <= '9') || ch == ',' || ch == '-')) std::abort();
  return 0;
}
