// Controls of the Linux stand-in for the OS, for tests and native tools.
//
// The host side keeps a table of drive letters, each mapped onto a folder of
// the Linux file system, and a current folder written the Windows way
// ("C:\game"). Windows paths handed to the seam are resolved against them:
// "\" and "/" both separate, "." and ".." are folded (".." stops at the drive
// root, as on Windows), and a component that does not exist with the exact
// case is matched case-insensitively, as the Windows file systems do.
#pragma once

#include <string>

namespace plat {
namespace host {

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

// Maps drive `letter` (A to Z, either case) onto the Linux folder `folder`.
// A later call for the same letter replaces the mapping.
void MapDrive(char letter, const std::string& folder, DriveType type = kDriveFixed);
// Removes every mapping and resets the current folder to "C:\".
void ResetDrives();

// The ANSI code page the stand-in pretends to run under (1252 by default).
// Under 936 and 950 a byte of 0x81 or above starts a double-byte character,
// whose second byte is never taken for a separator when paths are split.
void SetCodePage(unsigned codePage);
unsigned CodePage();

// Resolves a Windows path to a Linux path. Returns false (and leaves `out`
// unchanged) when the path names no mapped drive or has a form the stand-in
// does not support (UNC and device paths).
bool ToHostPath(const char* windowsPath, std::string* out);

}  // namespace host
}  // namespace plat
