#include "stored_path.h"

#include <cstring>

#include "a_name.h"
#include "compose.h"
#include "fold_case.h"

namespace {

bool EqualsIgnoringCase(const char* a, size_t length, const char* b) {
  return std::strlen(b) == length && alib::SameFolded(a, b, length, alib::AsciiChars{});
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 are devices in every folder, with
// any extension and with trailing spaces before it.
bool IsDeviceName(const char* name, size_t length) {
  size_t base = 0;
  while (base < length && name[base] != '.') ++base;
  while (base > 0 && name[base - 1] == ' ') --base;
  static const char* const kFixed[] = {"CON", "PRN", "AUX", "NUL"};
  for (const char* device : kFixed) {
    if (EqualsIgnoringCase(name, base, device)) return true;
  }
  if (base == 4 && name[3] >= '1' && name[3] <= '9') {
    return EqualsIgnoringCase(name, 3, "COM") || EqualsIgnoringCase(name, 3, "LPT");
  }
  return false;
}

PathVerdict CheckComponent(const char* name, size_t length) {
  if (length == 0) return PathVerdict::kEmptyComponent;
  if (length > 255) return PathVerdict::kTooLong;
  if (length == 2 && name[0] == '.' && name[1] == '.') return PathVerdict::kDotDot;
  char last = name[length - 1];
  if (last == '.' || last == ' ') return PathVerdict::kTrailingDotOrSpace;
  if (IsDeviceName(name, length)) return PathVerdict::kDeviceName;
  return PathVerdict::kSafe;
}

// Splits `path` (after its leading "\"; `length` bytes and then its zero)
// into components as `codePage` reads it and checks each.
PathVerdict CheckComponents(const char* path, size_t length, unsigned codePage) {
  size_t start = 1;
  size_t i = 1;
  while (i <= length) {
    if (i < length && path[i] != '\\') {
      i += a_char_size(codePage, path + i);
      continue;
    }
    PathVerdict v = CheckComponent(path + start, i - start);
    if (v != PathVerdict::kSafe) return v;
    start = ++i;
  }
  return PathVerdict::kSafe;
}

// Bytes that no name may hold. None of them is ever the second byte of a
// double-byte character (those are 0x40 or above), so each is refused
// wherever it stands; "|" can be such a byte and is refused only as a
// character of its own. `path[length]` is its zero.
PathVerdict CheckBytes(const char* path, size_t length, unsigned codePage) {
  for (size_t i = 0; i < length;) {
    const size_t size = a_char_size(codePage, path + i);
    if (size == 1 && path[i] == '|') return PathVerdict::kReservedChar;
    for (size_t k = i; k < i + size; ++k) {
      unsigned char c = static_cast<unsigned char>(path[k]);
      if (c < 0x20) return PathVerdict::kControlChar;
      if (c == ':') return PathVerdict::kColon;
      if (c == '/') return PathVerdict::kForwardSlash;
      if (std::strchr("<>\"?*", c) != nullptr) return PathVerdict::kReservedChar;
    }
    i += size;
  }
  return PathVerdict::kSafe;
}

}  // namespace

PathVerdict CheckStoredPath(const char* payload, size_t length, unsigned codePage) {
  const void* zero = std::memchr(payload, 0, length);
  if (zero == nullptr) return PathVerdict::kNotTerminated;
  size_t n = static_cast<size_t>(static_cast<const char*>(zero) - payload);
  if (n == 0 || payload[0] != '\\') return n == 0 ? PathVerdict::kEmpty : PathVerdict::kNoLeadingSlash;
  if (n == 1) return PathVerdict::kEmpty;
  PathVerdict v = CheckBytes(payload, n, codePage);
  if (v != PathVerdict::kSafe) return v;
  return CheckComponents(payload, n, codePage);
}

const char* DescribeVerdict(PathVerdict verdict) {
  switch (verdict) {
    case PathVerdict::kSafe: return "safe";
    case PathVerdict::kNotTerminated: return "a stored name is not terminated";
    case PathVerdict::kEmpty: return "a stored name is empty";
    case PathVerdict::kNoLeadingSlash: return "a stored name does not start with a backslash";
    case PathVerdict::kEmptyComponent: return "a stored name has an empty folder name";
    case PathVerdict::kDotDot: return "a stored name leads out of the target folder";
    case PathVerdict::kColon: return "a stored name holds a drive or stream name";
    case PathVerdict::kForwardSlash: return "a stored name holds a slash";
    case PathVerdict::kControlChar: return "a stored name holds a control character";
    case PathVerdict::kReservedChar: return "a stored name holds a reserved character";
    case PathVerdict::kDeviceName: return "a stored name is a device name";
    case PathVerdict::kTrailingDotOrSpace: return "a stored name ends in a dot or space";
    case PathVerdict::kTooLong: return "a stored name is too long";
  }
  return "a stored name is refused";
}

bool IsSafeRelativePath(const char* path, unsigned codePage) {
  if (path[0] == '\0') return true;
  // "\", the path within the shell's 260 characters, and the zero.
  char stored[260 + 2];
  if (!Compose(stored, sizeof stored, "\\%s", path)) return false;
  return CheckStoredPath(stored, std::strlen(stored) + 1, codePage) == PathVerdict::kSafe;
}

bool IsSafeName(const char* name, unsigned codePage) {
  // One component as the file system reads it: a 0x5C byte that is the
  // second byte of a double-byte character separates nothing.
  if (a_last_backslash(codePage, name) != nullptr) return false;
  for (const char* p = name; *p; ++p) {
    if (*p == '/' || *p == ':' || static_cast<unsigned char>(*p) < 0x20) return false;
  }
  return std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0;
}
