// The seam, continued: drives, language, disk space and folder listing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace plat {

// GetDriveTypeA values.
enum DriveType : unsigned {
  kDriveUnknown = 0,
  kDriveNoRootDir = 1,
  kDriveRemovable = 2,
  kDriveFixed = 3,
  kDriveRemote = 4,
  kDriveCdrom = 5,
  kDriveRamdisk = 6,
};

// GetDriveTypeA of a root such as "E:\".
unsigned GetDriveType(const char* root);

// GetSystemDefaultLangID: the system's language, not the user's.
uint16_t GetSystemLanguage();

// GetDiskFreeSpaceExA's total number of free bytes of the volume holding
// `folder` (the whole volume, not the caller's quota). False when the volume
// cannot be asked; `*freeBytes` is then unchanged.
bool GetDiskFreeBytes(const char* folder, uint64_t* freeBytes);

// One entry of a folder listing (WIN32_FIND_DATAA's name and attributes).
struct FolderEntry {
  char name[260];
  uint32_t attributes;
};

// A folder listing in progress, owned by its user until ListClose.
struct FolderList;

// FindFirstFileA: starts listing `pattern` (such as "*.*", relative to the
// current folder) and fills `entry` with the first match. Null when nothing
// matches or the listing cannot start.
FolderList* ListFirst(const char* pattern, FolderEntry* entry);
// FindNextFileA: false at the end.
bool ListNext(FolderList* list, FolderEntry* entry);
// FindClose: releases the listing.
void ListClose(FolderList* list);

// Code pages of the game's texts.
constexpr unsigned kCodePageAscii = 20127;
constexpr unsigned kCodePageWestern = 1252;
constexpr unsigned kCodePageGbk = 936;   // simplified Chinese
constexpr unsigned kCodePageBig5 = 950;  // traditional Chinese

// GetLocalTime's date. Never fails.
struct Date {
  int year, month, day;
};
Date GetLocalDate();

// GetModuleFileNameA of the program's own file into `out` (`size` bytes).
// False when it does not fit.
bool GetProgramPath(char* out, unsigned size);
// GetTempPathA: the temporary folder, ending in "\". False when it cannot be
// had or does not fit `size` bytes.
bool GetTempFolder(char* out, unsigned size);
// GetCurrentProcessId.
unsigned GetProcessId();
// Starts a copy of the program's own file, made at `copyPath`, with the
// command line `"copyPath" arguments`, and arranges that the copy is deleted
// when it ends (it is opened for deletion on close, and the copy inherits
// that handle), its current folder the one it lies in. True when the copy
// runs; false leaves no copy behind.
bool StartCopyOfProgram(const char* copyPath, const char* arguments);
// Waits until process `processId` has ended, at most `timeoutMs`. True when
// it has ended or no such process exists.
bool WaitForProcessEnd(unsigned processId, unsigned timeoutMs);
// MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT): the file or empty
// folder is removed when the system next starts. True when scheduled.
bool RemoveAtRestart(const char* path);

// GetACP: the ANSI code page the system reads 8-bit names and texts in. The
// file system applies it to every path the program hands over, so it alone
// decides which 0x5C bytes separate folders.
unsigned GetAnsiCodePage();

// Whether `c` starts a double-byte character in `codePage` (the lead bytes
// of 932, 936, 949 and 950; none in any other code page). The character's
// second byte may have any value, 0x5C ("\") and 0x7C ("|") included.
bool IsLeadByte(unsigned codePage, unsigned char c);

// Converts the UTF-8 text `utf8` (`length` bytes) to the ANSI code page
// `codePage` (MultiByteToWideChar, then WideCharToMultiByte without
// best-fit guesses). False when the text is no valid UTF-8, a character has
// no form in that code page, or the code page is unknown; `out` is then
// unchanged.
bool ConvertFromUtf8(unsigned codePage, const char* utf8, size_t length, std::string* out);

}  // namespace plat
