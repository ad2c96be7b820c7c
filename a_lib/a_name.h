// Names as the system reads them: 8-bit texts in its ANSI code page. In a
// double-byte code page (plat::IsLeadByte) a lead byte takes the next byte
// with it, so a 0x5C byte separates folders only where it stands as a
// character of its own; in any other code page every 0x5C byte does.
#pragma once

#include <cstddef>

// The number of bytes of the character that starts at `p` under `codePage`:
// 2 for a lead byte that a byte other than the terminator follows, else 1.
// `p` must not point at the terminator.
size_t a_char_size(unsigned codePage, const char* p);

// The last "\" of `path` that is a character of its own under `codePage`,
// or null when there is none.
const char* a_last_backslash(unsigned codePage, const char* path);

// 1 when the last character of `path` under `codePage` is "\", else 0 (also
// for an empty path).
int a_ends_in_backslash(unsigned codePage, const char* path);

// Removes the last character of `path` when it is "\" under `codePage`.
void a_drop_final_backslash(unsigned codePage, char* path);
