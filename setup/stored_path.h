// The check of the folder and file paths stored in a disc archive.
//
// A stored path is appended to the target folder as it stands, so it must
// begin with "\" and must name something inside that folder whatever the
// system's code page: it is split both ways, with every 0x5C byte a
// separator (Western code pages) and with bytes 0x81 to 0xFE taking the next
// byte along (the Chinese double-byte code pages), and both readings must be
// safe.
#pragma once

#include <cstddef>

// Why a stored path was refused; kSafe when it was accepted.
enum class PathVerdict {
  kSafe,
  kNotTerminated,    // no zero byte inside the payload
  kEmpty,            // nothing after the leading "\"
  kNoLeadingSlash,   // does not begin with "\"
  kEmptyComponent,   // "\\" inside the path, or a trailing "\"
  kDotDot,           // a ".." component
  kColon,            // a drive letter or an alternate data stream
  kForwardSlash,     // "/" separates on Windows too
  kControlChar,      // bytes 1 to 31
  kReservedChar,     // one of < > " | ? *
  kDeviceName,       // CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without extension
  kTrailingDotOrSpace,
  kTooLong,          // a component over 255 bytes
};

// Checks the `length` bytes of an unpacked Folder or FileStart payload.
PathVerdict CheckStoredPath(const char* payload, size_t length);

// A short English description of a verdict, for the damaged-disc message.
const char* DescribeVerdict(PathVerdict verdict);
