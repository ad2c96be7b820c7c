// The install log: "install.log" in the target folder, the record of every
// thing an install made, from which the uninstaller removes it again. Setup
// writes it (InstallLogWriter), the uninstaller reads it (ReadInstallLog).
//
// The format and its kinds of entry: install_log_kinds.h.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "install_log_kinds.h"
#include "path_sizes.h"
#include "platform.h"

// The log's name inside the target folder.
extern const char kInstallLogName[];

// Writes the log as the install goes. The owner keeps one for the run;
// it does not close on destruction (Close does).
class InstallLogWriter {
 public:
  // Opens the log of `targetFolder` for appending, writing its first line
  // when it is new. 1 when it is open; 0 when it cannot be written (nothing
  // open).
  int Open(const char* targetFolder);
  // Writes one entry and pushes it to the disk. A `path` inside the open
  // log's target folder is written relative to it ("\name"), any other
  // whole. 0 when the write failed; 1 when written, or when no log is open
  // (parts of the install run alone, as in tests, record nothing).
  int Entry(const char* kind, const char* path);
  // Closes the log (nothing when none is open). Every entry was pushed to
  // the disk and checked as it was written, so the close decides nothing.
  void Close();
  bool IsOpen() const { return stream_ != nullptr; }

  // Makes each missing folder on the way to `path` (a path below the open
  // log's target folder, the last component not included), logging each
  // before it is made, as the file system splits the path. The last parent
  // made or found is remembered, so that files in one folder cost one look.
  // 1 when every folder on the way is there or was tried; 0 when one could
  // not be logged. Without an open log, or for a path outside its folder, it
  // does nothing and returns 1 (opening the file then makes the folders).
  int MakeLoggedParents(const char* path);

 private:
  bool WriteLine(const char* kind, const char* value);
  plat::Stream* stream_ = nullptr;
  char target_[kTargetFolderSize] = "";
  size_t targetLength_ = 0;
  char lastParent_[kTargetFolderSize + kPathSize] = "";
};

// One entry as read back: the text before the TAB and the text after it.
struct InstallLogEntry {
  std::string kind, value;
};

// Reads the log at `path`, appending its entries in order to `entries`;
// lines with an empty kind are passed over. False when it is missing or
// damaged: unreadable, not of this format, or cut (its last line has no
// end); `entries` is then left as it was.
bool ReadInstallLog(const std::string& path, std::vector<InstallLogEntry>* entries);
