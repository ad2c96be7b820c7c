// Names without regard to case, as Windows matches them: the letters a to z
// of single-byte characters are taken as A to Z, every other byte as it is.
// Where a character begins is the caller's rule, given as the length of the
// character at a byte:
//
//   CodePageChars  as the system's ANSI code page reads the name (a_name.h):
//                  the second byte of a double-byte character stays as it is
//                  (0x61 is a valid second byte in Big5 and GBK)
//   PackageChars   a package entry's name, the package format's own rule:
//                  a byte of 0x80 or above takes the next byte with it,
//                  whatever the code page
//   AsciiChars     every byte a character of its own
//
// a_filepkg folds package names with it; the disc library folds the names
// of stored paths and lists of files.
#pragma once

#include <cstddef>
#include <string>

#include "a_name.h"

namespace alib {

struct CodePageChars {
  unsigned codePage;
  // A zero byte inside the bytes folded is a character of its own. The byte
  // after a lead byte is read, so the text must go on past a lead byte (to
  // its terminator at least).
  size_t operator()(const char* p) const { return *p == '\0' ? 1 : a_char_size(codePage, p); }
};

struct PackageChars {
  // Reads only the byte at `p`: a field without a terminator may end there.
  size_t operator()(const char* p) const { return static_cast<unsigned char>(*p) >= 0x80 ? 2 : 1; }
};

struct AsciiChars {
  size_t operator()(const char*) const { return 1; }
};

// `c` upper-cased, as a single-byte character.
inline char FoldByte(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Upper-cases the single-byte characters among the `length` bytes at `text`.
// A character that begins inside the bytes but would end past them is left
// as it is (the bytes past them are not touched).
template <typename Chars>
void FoldCase(char* text, size_t length, Chars chars) {
  for (size_t i = 0; i < length;) {
    const size_t size = chars(text + i);
    if (size == 1) text[i] = FoldByte(text[i]);
    i += size;
  }
}

template <typename Chars>
std::string Folded(std::string text, Chars chars) {
  FoldCase(&text[0], text.size(), chars);
  return text;
}

// Whether the `length` bytes at `a` and at `b` match once folded; the
// characters are those of `a`, and the bytes of a double-byte character
// must match exactly.
template <typename Chars>
bool SameFolded(const char* a, const char* b, size_t length, Chars chars) {
  for (size_t i = 0; i < length;) {
    const size_t size = chars(a + i);
    for (size_t k = i; k < i + size && k < length; ++k) {
      if (size == 1 ? FoldByte(a[k]) != FoldByte(b[k]) : a[k] != b[k]) return false;
    }
    i += size;
  }
  return true;
}

// Whether `a` and `b` are the same name: of one length and matching once
// folded.
template <typename Chars>
bool SameFolded(const std::string& a, const std::string& b, Chars chars) {
  return a.size() == b.size() && SameFolded(a.data(), b.data(), a.size(), chars);
}

}  // namespace alib
