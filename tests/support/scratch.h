// Fresh, empty folders for tests, named both ways: the Windows path that the
// code under test is given, and the native path that the test itself uses to
// lay out and inspect files. On Windows both are the same path; on the host
// the Windows one lies on a drive letter mapped onto the native folder.
#pragma once

#include <string>

namespace testsupport {

struct Scratch {
  std::string win;     // "T:\c12" on the host, "C:\...\Temp\..\c12" on Windows
  std::string native;  // the same folder as the test's own file I/O sees it
};

// Makes a new empty folder below the test run's base folder. The base folder
// is removed when the process ends.
Scratch NewScratch();

// The native path of `relative` (written with "\") below `dir`.
std::string NativePath(const Scratch& dir, const std::string& relative);
// The Windows path of `relative` below `dir`.
std::string WinPath(const Scratch& dir, const std::string& relative);

// Native file helpers. WriteNative makes missing parent folders.
void WriteNative(const std::string& nativePath, const std::string& bytes);
bool ReadNative(const std::string& nativePath, std::string* bytes);
bool ExistsNative(const std::string& nativePath);
bool IsFolderNative(const std::string& nativePath);
void MakeFolderNative(const std::string& nativePath);

}  // namespace testsupport
