// The install log: "install.log" in the target folder, the record of every
// thing an install made, from which the uninstaller removes it again.
//
// Format, version 1. A text file of lines, each ending in CR LF; names are
// bytes in the system's ANSI code page, as the program handed them to the
// system. The first line is
//
//   install log<TAB>1
//
// and every other line is one entry, KIND<TAB>VALUE:
//
//   game      the game's name
//   key       the uninstall key's name (the one uninstall.dat holds)
//   base      a folder on the way to the target folder, or the target folder
//             itself, that setup made: its whole path
//   folder    a folder setup made inside the target folder, below it:
//             "\Save" (the form of a stored path)
//   file      a file setup wrote inside the target folder: "\maps\one.map"
//   menu      a folder setup made in the Programs menu: its whole path
//   link      a shortcut or web link setup saved: its whole path
//   registry  a key setup wrote below HKEY_LOCAL_MACHINE
//
// An entry is written, and pushed to the disk, before what it names is made,
// so a cancelled, failed or killed install leaves a log that names all it
// may have made. An install into a folder that has a log adds its entries to
// it. Readers pass over entries of kinds they do not know.
#pragma once

#include <cstddef>

// The log's name inside the target folder.
extern const char kInstallLogName[];

// Opens the log of `targetFolder` for appending, writing its first line when
// it is new. 1 when it is open; 0 when it cannot be written (nothing open).
int OpenInstallLog(const char* targetFolder);
// Writes one entry and pushes it to the disk. A `path` inside the open
// log's target folder is written relative to it ("\name"), any other whole.
// 0 when the write failed; 1 when written, or when no log is open (parts of
// the install run alone, as in tests, record nothing).
int LogEntry(const char* kind, const char* path);
// Closes the log (nothing when none is open). Every entry was pushed to the
// disk and checked as it was written, so the close decides nothing.
void CloseInstallLog();

// Whether a log is open now.
bool InstallLogIsOpen();

// Makes each missing folder on the way to `path` (a path below the open
// log's target folder, the last component not included), logging each
// before it is made, as the file system splits the path. The last parent
// made or found is remembered, so that files in one folder cost one look.
// 1 when every folder on the way is there or was tried; 0 when one could not
// be logged. Without an open log, or for a path outside its folder, it does
// nothing and returns 1 (opening the file then makes the folders).
int MakeLoggedParents(const char* path);
