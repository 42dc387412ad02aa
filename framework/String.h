#pragma once

#include <cstddef>
#include <string>

// Text of the program: narrow characters in the system's ANSI code page, as
// the registry values and the window texts are.
class CString {
public:
  CString() = default;
  CString(const char* text) : Text(text ? text : "") {}
  CString(const char* text, std::size_t length) : Text(text, length) {}
  CString(std::string text) : Text(std::move(text)) {}

  int GetLength() const { return static_cast<int>(Text.size()); }
  bool IsEmpty() const { return Text.empty(); }
  void Empty() { Text.clear(); }
  const char* GetString() const { return Text.c_str(); }
  operator const char*() const { return Text.c_str(); }
  const std::string& Str() const { return Text; }
  char GetAt(int index) const { return Text.at(static_cast<std::size_t>(index)); }

  // printf-style formatting; the result replaces the text.
  void Format(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;

  // Removes every trailing occurrence of ch.
  CString& TrimRight(char ch);
  CString Left(int count) const;
  CString Mid(int first, int count) const;
  int Find(char ch, int start = 0) const;

  CString& operator+=(const CString& other) {
    Text += other.Text;
    return *this;
  }
  CString& operator+=(const char* other) {
    Text += other ? other : "";
    return *this;
  }
  CString& operator+=(char ch) {
    Text += ch;
    return *this;
  }

  friend CString operator+(const CString& a, const CString& b) { return CString(a.Text + b.Text); }
  friend CString operator+(const CString& a, const char* b) { return CString(a.Text + (b ? b : "")); }
  friend CString operator+(const char* a, const CString& b) { return CString((a ? a : "") + b.Text); }
  friend bool operator==(const CString& a, const CString& b) { return a.Text == b.Text; }
  friend bool operator==(const CString& a, const char* b) { return a.Text == (b ? b : ""); }
  friend bool operator==(const char* a, const CString& b) { return b == a; }
  friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
  friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
  friend bool operator<(const CString& a, const CString& b) { return a.Text < b.Text; }

private:
  std::string Text;
};
