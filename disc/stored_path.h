// The check of the folder and file paths stored in a disc archive, and of
// the names and relative paths the disc's texts give.
//
// A stored path is appended to the target folder as it stands, so it must
// begin with "\" and must name something inside that folder. Where it leads
// is decided by the file system, which reads it in the system's ANSI code
// page: it is split and checked under that reading alone (a_name.h). In a
// double-byte code page the second byte of a character may be 0x5C or 0x7C
// ("\" and "|"), which is no separator and no reserved character there; on
// any other code page every 0x5C byte separates.
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

// Checks the `length` bytes of an unpacked Folder or FileStart payload as
// a system of ANSI code page `codePage` will read it.
PathVerdict CheckStoredPath(const char* payload, size_t length, unsigned codePage);

// A short English description of a verdict, for the damaged-disc message.
const char* DescribeVerdict(PathVerdict verdict);

// A name that may stand as one file name inside a folder on a system of
// ANSI code page `codePage`: no separator under that code page's reading
// (a_name.h), no colon, "/" or control character, not "." or "..". May be
// empty.
bool IsSafeName(const char* name, unsigned codePage);
// A path relative to a folder that stays inside it on such a system (the
// stored-path check): no "..", colon, "/", control or reserved character.
// May be empty.
bool IsSafeRelativePath(const char* path, unsigned codePage);
