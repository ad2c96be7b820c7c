// The one seam between the program and the operating system.
//
// Every OS service the support library and the installer use is declared
// here. Two implementations exist, chosen by the build: win32/ calls the real
// Win32 API, host/ stands in for it on Linux (drive letters mapped onto
// folders, "\" paths translated, boxes answered by a script) so that all the
// logic above the seam builds, runs and is tested natively.
//
// Paths are 8-bit ANSI strings in the system code page, with "\" (or "/") as
// separator, exactly as the Win32 "A" functions take them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plat {

// An opaque window handle (an HWND on Windows). Null means "no window".
using Window = void*;

// ---------------------------------------------------------------------------
// Message boxes
// ---------------------------------------------------------------------------

// Button sets and answers, with the values of MB_* and ID* so that they pass
// through to the OS unchanged.
enum BoxType : unsigned {
  kBoxOk = 0x0,        // MB_OK
  kBoxOkCancel = 0x1,  // MB_OKCANCEL
  kBoxYesNo = 0x4,     // MB_YESNO
  kBoxRetryCancel = 0x5,  // MB_RETRYCANCEL
};
enum BoxAnswer : int {
  kAnswerOk = 1,      // IDOK
  kAnswerCancel = 2,  // IDCANCEL
  kAnswerRetry = 4,   // IDRETRY
  kAnswerYes = 6,     // IDYES
  kAnswerNo = 7,      // IDNO
};

// Shows a modal message box and returns the button pressed. The texts are in
// the ANSI code page `codePage`; 0 means the system's own. A box whose texts
// are in another code page (Big5 texts on a Western system) is converted so
// that it shows correctly anyway. While a box script is active (see
// box_script.h) the box is recorded and answered by the script instead; the
// host side always works that way.
int MessageBox(Window owner, const char* text, const char* caption, unsigned type,
               unsigned codePage = 0);

// Called first thing by the entry point: no system "no disk in drive" boxes
// while empty drives are probed, and DLLs loaded from the system folder
// only (the current folder becomes the disc; the program may be started
// from a download folder).
void PrepareProcess();

// Suspends the thread for about `ms` milliseconds.
void Sleep(unsigned ms);

// Milliseconds since some moment, wrapping at 2^32: for intervals only. It
// costs no call into the system (under Wine no round trip to its server).
// The test controls' clock moves only when it is read (host_control.h).
uint32_t TickCount();

// ---------------------------------------------------------------------------
// File streams
// ---------------------------------------------------------------------------

// An open file stream. Owned by whoever opened it; StreamClose releases it.
struct Stream;

enum SeekFrom : int { kSeekSet = 0, kSeekCur = 1, kSeekEnd = 2 };

// Opens a file with a C stdio mode ("rb", "w+b", "ab"). Null on failure.
Stream* StreamOpen(const char* path, const char* mode);
// Reads up to `length` bytes; returns the count read (0 at the end or on error).
size_t StreamRead(Stream* stream, void* buffer, size_t length);
// Writes `length` bytes; returns the count accepted by the stream. A count
// below `length` means the write failed (for example, the disk is full).
size_t StreamWrite(Stream* stream, const void* buffer, size_t length);
// True once a read or write of the stream failed (as opposed to reaching the
// end of the file).
bool StreamError(Stream* stream);
// Moves the position; false when the stream refuses.
bool StreamSeek(Stream* stream, long offset, SeekFrom from);
// The current position, or -1 on failure.
long StreamTell(Stream* stream);
// Pushes buffered data to the file; false when that failed.
bool StreamFlush(Stream* stream);
// Flushes and closes the stream and always releases it. Returns false when
// the flush or the close failed, that is when written data may be lost.
bool StreamClose(Stream* stream);

// ---------------------------------------------------------------------------
// Folders and file attributes
// ---------------------------------------------------------------------------

constexpr uint32_t kInvalidAttributes = 0xFFFFFFFFu;  // INVALID_FILE_ATTRIBUTES
constexpr uint32_t kAttrDirectory = 0x10u;            // FILE_ATTRIBUTE_DIRECTORY
constexpr uint32_t kAttrReparsePoint = 0x400u;        // FILE_ATTRIBUTE_REPARSE_POINT

// DeleteFileA: true when the file was removed. A symbolic link is removed
// itself, never what it points at.
bool DeleteFile(const char* path);
// CreateDirectoryA: true when the folder was made (false also when it exists).
bool CreateFolder(const char* path);
// RemoveDirectoryA: true when the folder was removed; only an empty folder
// is (a junction or folder link is removed itself, never what it points at).
bool RemoveFolder(const char* path);
// GetFileAttributesA of the path itself (a link or junction is not
// followed: it shows kAttrReparsePoint): the attribute bits, or
// kInvalidAttributes.
uint32_t GetAttributes(const char* path);
// GetCurrentDirectoryA: copies the current folder into `buffer` and returns
// its length without the terminator; when it does not fit, returns the size
// needed including the terminator and leaves `buffer` unspecified; 0 on error.
// The root of a drive is returned with its backslash ("E:\"), any other
// folder without one.
unsigned GetCurrentFolder(char* buffer, unsigned size);
// SetCurrentDirectoryA: true on success.
bool SetCurrentFolder(const char* path);

}  // namespace plat

#include "platform_shell.h"
#include "platform_system.h"
#include "platform_ui.h"
