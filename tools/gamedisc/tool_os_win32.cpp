#include "tool_os.h"

namespace gamedisc {

void PrepareToolProcess() {}

std::string PathArgument(const std::string& argument) { return argument; }

std::string DisplayPath(const std::string& path) { return path; }

bool FolderNamesMayBeUtf8() { return false; }

bool MakeIsoImage(const std::string&, const std::string&, const std::string&, std::string* message) {
  *message = "ISO images are made by the Linux build of this tool (with xorriso or genisoimage)";
  return false;
}

ProgramSigner::~ProgramSigner() {}

bool ProgramSigner::Sign(const std::string&, const std::string&, const std::string&, const std::string&,
                         std::string*, std::string* message) {
  *message = "--sign needs the Linux build of this tool, with osslsigncode (Debian: apt-get install "
             "osslsigncode); the Windows build signs nothing";
  return false;
}

}  // namespace gamedisc
