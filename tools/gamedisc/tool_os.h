// What the authoring tool needs of the operating system beyond the
// program's seam: its paths on the command line, and the ISO image maker.
// tool_os_host.cpp serves the Linux build over the stand-in, where a drive
// letter is mapped onto "/" (as Wine maps Z:); tool_os_win32.cpp the
// Windows console build.
#pragma once

#include <string>

namespace gamedisc {

// Readies the process: the drive mapping and the current folder.
void PrepareToolProcess();
// A path given on the command line, in the form the seam takes.
std::string PathArgument(const std::string& argument);
// A seam path as the user wrote it, for messages.
std::string DisplayPath(const std::string& path);
// Whether a folder's names may come in UTF-8: on Linux a disc mounted by
// the kernel shows its Joliet names so, beside the code-page bytes of a
// folder a build wrote; on Windows the seam gives every name in the
// system's code page.
bool FolderNamesMayBeUtf8();
// Writes the folder `discFolder` as the ISO 9660 image `isoPath` (with
// Joliet names), volume label `label`, every time stamp set to a fixed date
// so that the image repeats. False with `message` set when no image maker is
// at hand or it failed.
bool MakeIsoImage(const std::string& discFolder, const std::string& isoPath, const std::string& label,
                  std::string* message);

}  // namespace gamedisc
