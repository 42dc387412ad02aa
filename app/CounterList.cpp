#include "app/CounterList.h"

#include <cctype>
#include <limits>

#include "framework/Profile.h"
#include "framework/String.h"

namespace {

int32_t ParseCounterNumber(const std::string& token) {
  std::size_t at = 0;
  while (at < token.size() && std::isspace(static_cast<unsigned char>(token[at]))) ++at;
  bool negative = false;
  if (at < token.size() && (token[at] == '+' || token[at] == '-')) {
    negative = token[at] == '-';
    ++at;
  }
  const int64_t limit = negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
                                 : std::numeric_limits<int32_t>::max();
  int64_t magnitude = 0;
  for (; at < token.size() && std::isdigit(static_cast<unsigned char>(token[at])); ++at) {
    magnitude = magnitude * 10 + (token[at] - '0');
    if (magnitude > limit) return 0;
  }
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace

std::vector<int32_t> ParseCounterNumbers(const std::string& text) {
  std::vector<int32_t> numbers;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t comma = text.find(',', start);
    const std::size_t end = comma == std::string::npos ? text.size() : comma;
    if (end > start) numbers.push_back(ParseCounterNumber(text.substr(start, end - start)));
    start = end + 1;
  }
  return numbers;
}

std::string FormatCounterNumbers(const std::vector<int32_t>& numbers) {
  CString text;
  for (int32_t number : numbers) {
    CString item;
    item.Format("%d,", number);
    text += item;
  }
  text.TrimRight(',');
  return text.Str();
}

void CCounterList::Load() {
  CProfileStore* profile = AfxGetProfile();
  const CString stored = profile ? profile->GetProfileString("Settings", "Counters", "") : CString();
  for (int32_t number : ParseCounterNumbers(stored.Str())) push_back(number);
  if (empty()) push_back(1);
}

void CCounterList::Save(const std::vector<int32_t>& numbers) {
  assign(numbers.begin(), numbers.end());
  if (CProfileStore* profile = AfxGetProfile())
    profile->WriteProfileString("Settings", "Counters", FormatCounterNumbers(numbers).c_str());
}
