#include "a_name.h"

#include <cstring>

#include "platform.h"

size_t a_char_size(unsigned codePage, const char* p) {
  return plat::IsLeadByte(codePage, static_cast<unsigned char>(p[0])) && p[1] != '\0' ? 2 : 1;
}

const char* a_last_backslash(unsigned codePage, const char* path) {
  const char* last = nullptr;
  for (const char* p = path; *p != '\0'; p += a_char_size(codePage, p)) {
    if (*p == '\\') last = p;
  }
  return last;
}

int a_ends_in_backslash(unsigned codePage, const char* path) {
  const char* last = nullptr;
  for (const char* p = path; *p != '\0'; p += a_char_size(codePage, p)) last = p;
  return last != nullptr && *last == '\\' ? 1 : 0;
}

void a_drop_final_backslash(unsigned codePage, char* path) {
  if (a_ends_in_backslash(codePage, path)) path[std::strlen(path) - 1] = '\0';
}
