// Bounded text composition for paths and messages.
#pragma once

#include <cstddef>

// printf into `out` of `size` bytes. Returns true when the whole text fit;
// when it did not, `out` holds an empty string, so that a cut path is never
// used by mistake.
bool Compose(char* out, size_t size, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

// Copies `text` into `out` of `size` bytes, cut to fit and always
// terminated. For display texts and fixed-size slots, where a cut is fine.
void CopyCut(char* out, size_t size, const char* text);
