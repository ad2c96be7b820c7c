// Which file system the port uses, and the matching of names in it.
#include "host_files.h"

#include <strings.h>

#include "host_port.h"

namespace plat {
namespace host {
namespace {

FileSystem*& installed() {
  static FileSystem* files = nullptr;
  return files;
}

}  // namespace

std::string FileSystem::Match(const std::string& folder, const std::vector<std::string>& names) {
  std::string result = folder;
  std::vector<std::string> entries;
  for (const std::string& name : names) {
    std::string exact = result + "/" + name;
    NodeInfo info;
    if (Info(exact, false, &info) || !Names(result, &entries)) {
      result = exact;
      continue;
    }
    for (const std::string& entry : entries) {
      if (strcasecmp(entry.c_str(), name.c_str()) == 0) {
        exact = result + "/" + entry;
        break;
      }
    }
    result = exact;
  }
  return result;
}

FileSystem& files() { return installed() != nullptr ? *installed() : DiskFiles(); }

void UseFileSystem(FileSystem* files) { installed() = files; }

}  // namespace host
}  // namespace plat
