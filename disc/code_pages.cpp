#include "code_pages.h"

#include "fold_case.h"

namespace disc {

const DiscCodePage* FindDiscCodePage(unsigned number) {
  for (const DiscCodePage& page : kDiscCodePages) {
    if (page.number == number) return &page;
  }
  return nullptr;
}

const DiscCodePage* DiscCodePageNamed(const std::string& text) {
  for (const DiscCodePage& page : kDiscCodePages) {
    if (text == std::to_string(page.number)) return &page;
    if (page.word != nullptr && alib::SameFolded(text, page.word, alib::AsciiChars{})) return &page;
  }
  return nullptr;
}

std::string DescribeDiscCodePage(const DiscCodePage& page) {
  std::string text = std::to_string(page.number) + " (" + page.name;
  if (page.language != nullptr) text += std::string(", ") + page.language;
  return text + ")";
}

}  // namespace disc
