#include "framework/String.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

void CString::Format(const char* format, ...) {  // NOLINT(cert-dcl50-cpp): printf-style, gcc checks the arguments
  va_list args;
  va_start(args, format);
  va_list probe;
  va_copy(probe, args);
  const int needed = std::vsnprintf(nullptr, 0, format, probe);
  va_end(probe);
  if (needed < 0) {
    Text.clear();
  } else {
    std::vector<char> buffer(static_cast<std::size_t>(needed) + 1);
    const int written = std::vsnprintf(buffer.data(), buffer.size(), format, args);
    Text.assign(buffer.data(), written == needed ? static_cast<std::size_t>(needed) : 0);
  }
  va_end(args);
}

CString& CString::TrimRight(char ch) {
  const std::size_t keep = Text.find_last_not_of(ch);
  Text.erase(keep == std::string::npos ? 0 : keep + 1);
  return *this;
}

CString CString::Left(int count) const {
  if (count <= 0) return CString();
  return CString(Text.substr(0, static_cast<std::size_t>(count)));
}

CString CString::Mid(int first, int count) const {
  if (first < 0) first = 0;
  if (count <= 0 || static_cast<std::size_t>(first) >= Text.size()) return CString();
  return CString(Text.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(count)));
}

int CString::Find(char ch, int start) const {
  if (start < 0) start = 0;
  const std::size_t at = Text.find(ch, static_cast<std::size_t>(start));
  return at == std::string::npos ? -1 : static_cast<int>(at);
}
