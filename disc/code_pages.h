// The code pages a disc's names and texts come in, with what each program
// calls them: one list for the tool's options, its messages and its
// conversions. In the order verify reads a stored name.
#pragma once

#include <cstddef>
#include <string>

namespace disc {

struct DiscCodePage {
  unsigned number;       // as Windows numbers it
  const char* name;      // as messages call it: "Big5"
  const char* language;  // whose system reads it, or null
  const char* word;      // what --names and a project's `names` take besides the number, or null
  const char* iconv;     // glibc's name of it
};

constexpr DiscCodePage kDiscCodePages[] = {
    {1252, "Western", nullptr, nullptr, "CP1252"},
    {950, "Big5", "traditional Chinese", "big5", "CP950"},
    {936, "GBK", "simplified Chinese", "gbk", "CP936"},
};

// The entry of `number`; null for a code page no disc comes in.
const DiscCodePage* FindDiscCodePage(unsigned number);
// The entry of `text`, its number or its word in any case ("950", "BIG5");
// null for any other text.
const DiscCodePage* DiscCodePageNamed(const std::string& text);
// "950 (Big5, traditional Chinese)", "1252 (Western)".
std::string DescribeDiscCodePage(const DiscCodePage& page);

}  // namespace disc
