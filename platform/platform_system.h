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

// One entry of a folder listing (WIN32_FIND_DATAA's name, attributes and
// size). The size is a file's; for a link, it is the link's own as Windows
// lists it, not its target's.
struct FolderEntry {
  char name[260];
  uint32_t attributes;
  uint64_t size;
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
// GetCurrentProcessId.
unsigned GetProcessId();

// A copy of the program's own file for an elevated program to start in its
// place (the uninstaller, which cannot delete its own file while it runs),
// made where no one without administrator rights can change it or put
// anything beside it. Owned by its user until StartPrivateCopy or
// DropPrivateCopy.
struct PrivateCopy;
// Makes a new folder "STEM-HEX" (STEM: `fileName` up to its last ".", HEX: 32
// random hexadecimal digits from the system's generator) in the system's
// temporary folder (the Windows folder's Temp), granting only Administrators
// and SYSTEM access and nothing inherited; writes the program's own file into
// it as `fileName`; and holds the copy open, shared for reading and deleting
// but not writing, to be deleted when its last handle closes. Null when any step fails (no such temporary
// folder, no space, no rights); nothing is then left behind.
PrivateCopy* MakePrivateCopy(const char* fileName);
// The copy's whole path, while `copy` is held.
const char* PrivateCopyPath(const PrivateCopy* copy);
// Starts the copy with the command line `"path" arguments`, its current
// folder the system folder, hands it the hold on its file (as its standard
// input), and releases `copy`. True when it runs: its file is deleted when
// its process ends, and its folder goes when it calls LeavePrivateFolder.
// False: the file and the folder are deleted. A null `copy` gives false.
bool StartPrivateCopy(PrivateCopy* copy, const char* arguments);
// Releases `copy` without starting it: its file and its folder are deleted.
void DropPrivateCopy(PrivateCopy* copy);
// The last step of a program started by StartPrivateCopy: moves its own file
// (through the handed hold, so that it is still deleted when the process
// ends) out of its folder to "STEM-HEX" plus the file's extension beside the
// folder, and removes the folder; where either fails, the folder is removed
// when the system next starts. False, and nothing done, when the program was
// not started so; false too when the folder can neither go now nor be
// scheduled.
bool LeavePrivateFolder();
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
