#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The ordered counter numbers: element i is the counter of page i + 1 of the
// control sheet and of item i of the setup list. Stored as the text value
// "Counters" of section "Settings", the numbers in order separated by ",".
class CCounterList : public std::vector<int32_t> {
public:
  // Appends the stored numbers; an empty result becomes the single counter 1.
  void Load();
  // Makes the list a copy of numbers and writes it.
  void Save(const std::vector<int32_t>& numbers);
};

// "Counters" text to numbers. Each maximal run of characters other than ","
// is one number, read like atoi: leading blanks, an optional sign, digits up
// to the first other character; no digits gives 0, and so does a number
// outside the 32-bit range (such a counter is renumbered at the next edit).
std::vector<int32_t> ParseCounterNumbers(const std::string& text);
// Numbers to "Counters" text: "1,3,4"; an empty list gives "".
std::string FormatCounterNumbers(const std::vector<int32_t>& numbers);
