// The folder extract writes a game into, and the names it writes there.
// One implementation a build: output_tree_host.cpp writes UTF-8 names
// through POSIX calls made relative to the opened folder;
// output_tree_win32.cpp writes UTF-16 names through the wide Win32 calls.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace gamedisc {

// The `bytes` of a name as a system of ANSI code page `codePage` reads
// them, in UTF-8. False when the code page has no character for them.
bool NameToUtf8(const std::string& bytes, unsigned codePage, std::string* utf8);

// Whether standard error is a terminal (a progress bar is drawn there).
bool ErrorIsTerminal();

// A path below the output folder: its components in UTF-8, none empty,
// ".", ".." or holding "/", "\" or a zero (the caller has checked them).
using TreePath = std::vector<std::string>;

class OutputTree {
 public:
  virtual ~OutputTree() = default;
  // Makes the folder (its parents are made first, by earlier calls). An
  // existing folder is taken as it is; a link found in its place is not
  // followed, and fails.
  virtual bool MakeFolder(const TreePath& path, std::string* error) = 0;
  // Creates the file, closing the one open before. An existing file is
  // overwritten only when `replace` is set; a link is never followed.
  virtual bool CreateFile(const TreePath& path, bool replace, std::string* error) = 0;
  virtual bool Write(const void* data, size_t length, std::string* error) = 0;
  // Closes the open file; false when any of its bytes did not reach it.
  virtual bool CloseFile(std::string* error) = 0;
  // The path as the user will find it, for messages.
  virtual std::string Shown(const TreePath& path) const = 0;
};

// Opens `folder` (a seam path), making it when it is missing. A folder
// that holds anything is refused unless `force`. Null with `error` set.
std::unique_ptr<OutputTree> OpenOutputTree(const std::string& folder, bool force, std::string* error);

}  // namespace gamedisc
