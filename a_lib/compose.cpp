#include "compose.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

bool Compose(char* out, size_t size, const char* format, ...) {
  if (size == 0) return false;
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(out, size, format, args);
  va_end(args);
  if (n < 0 || static_cast<size_t>(n) >= size) {
    out[0] = '\0';
    return false;
  }
  return true;
}

void CopyCut(char* out, size_t size, const char* text) {
  if (size == 0) return;
  size_t n = std::strlen(text);
  if (n >= size) n = size - 1;
  std::memcpy(out, text, n);
  out[n] = '\0';
}
