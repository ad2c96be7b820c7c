// The Linux port of the seam: what the host build and the Linux gamedisc run
// on.
//
// The port keeps a table of drive letters, each mapped onto a folder of the
// Linux file system, and a current folder written the Windows way
// ("C:\game"). Windows paths handed to the seam are resolved against them:
// "\" and "/" both separate, "." and ".." are folded (".." stops at the drive
// root, as on Windows), and a component that does not exist with the exact
// case is matched case-insensitively, as the Windows file systems do.
//
// Below the paths lie two things a test may put its own in place of: the
// file system (host_files.h) and the machine (its language, date, clock,
// processes). By default they are this machine's own.
#pragma once

#include <cstdint>
#include <string>

#include "host_files.h"
#include "platform.h"

namespace plat {

// What MakePrivateCopy hands out: the copy's file name and its Windows path.
struct PrivateCopy {
  std::string fileName, path;
};

namespace host {

// Maps drive `letter` (A to Z, either case) onto the Linux folder `folder`
// with a GetDriveTypeA type. A later call for the same letter replaces it.
void MapDrive(char letter, const std::string& folder, unsigned type = kDriveFixed);
// Removes every mapping and resets the current folder to "C:\".
void ResetDrives();
// The host folder drive `letter` is mapped onto; false when it is not.
bool DriveFolder(char letter, std::string* folder);

// The ANSI code page the port runs under (1252 by default),
// GetAnsiCodePage's answer. In a double-byte code page (plat::IsLeadByte) a
// lead byte takes the next byte with it, and that byte is never taken for a
// separator when paths are split.
void SetCodePage(unsigned codePage);
unsigned CodePage();

// Resolves a Windows path to a Linux path. Returns false (and leaves `out`
// unchanged) when the path names no mapped drive or has a form the port
// does not support (UNC and device paths).
bool ToHostPath(const char* windowsPath, std::string* out);

// The file system the seam's files, folders and listings go to: `files`,
// or Linux's own (DiskFiles) when null. Not owned; it must outlive its use.
void UseFileSystem(FileSystem* files);

// The machine the seam reports. This one's by default: US English, today's
// local date, a clock in real milliseconds, real sleeps, and no program of
// its own that could be copied, started or removed at a restart (those are
// Windows programs' doings).
class Machine {
 public:
  virtual ~Machine() = default;
  virtual uint16_t Language();
  virtual Date Today();
  virtual uint32_t Tick();
  virtual void Sleep(unsigned ms);
  // The running program's Windows path; false when it has none.
  virtual bool ProgramPath(std::string* path);
  // The free bytes of drive `drive` (0 for A), mapped onto `hostFolder`.
  virtual bool FreeBytes(int drive, const std::string& hostFolder, uint64_t* bytes);
  // The seam's private copies (platform_system.h), same contracts.
  virtual PrivateCopy* MakePrivateCopy(const char* fileName);
  virtual bool StartPrivateCopy(PrivateCopy* copy, const char* arguments);
  virtual bool LeavePrivateFolder();
  virtual bool RemoveAtRestart(const char* path);
};
// `machine`, or this one when null. Not owned; it must outlive its use.
void UseMachine(Machine* machine);

}  // namespace host
}  // namespace plat
