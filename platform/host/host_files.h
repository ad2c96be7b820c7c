// The file system below the port's drive mappings. Paths here are host
// paths ("/" separated, absolute), after the drive letter, "\" and case have
// been dealt with by the caller; each operation has the meaning of the POSIX
// call it is named after.
//
// Linux's own file system is one implementation (DiskFiles); a test may put
// another in its place (host_port.h: UseFileSystem).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {
namespace host {

struct NodeInfo {
  bool folder = false;
  bool link = false;  // only when the link itself was asked about
  uint64_t size = 0;  // a file's bytes; a link's own when it was asked about
};

// An open file, as a FILE* is. Close releases it.
class OpenFile {
 public:
  virtual ~OpenFile() = default;
  virtual size_t Read(void* buffer, size_t length) = 0;
  virtual size_t Write(const void* buffer, size_t length) = 0;
  // True once a read or write failed (not at the end of the file).
  virtual bool Error() = 0;
  // `from` is SEEK_SET, SEEK_CUR or SEEK_END.
  virtual bool Seek(long offset, int from) = 0;
  virtual long Tell() = 0;
  virtual bool Flush() = 0;
  // Flushes, closes and deletes this object; false when data may be lost.
  virtual bool Close() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // stat (`follow`) or lstat: false when nothing is there.
  virtual bool Info(const std::string& path, bool follow, NodeInfo* info) = 0;
  // The names in a folder, without "." and "..", in no set order.
  virtual bool Names(const std::string& folder, std::vector<std::string>* names) = 0;
  // fopen with a C stdio mode; null on failure, and for a folder in any
  // mode, as on Windows.
  virtual OpenFile* Open(const std::string& path, const char* mode) = 0;
  virtual bool MakeFolder(const std::string& path) = 0;    // mkdir
  virtual bool RemoveFolder(const std::string& path) = 0;  // rmdir: an empty folder
  virtual bool Unlink(const std::string& path) = 0;        // a file or a link
  virtual bool MakeLink(const std::string& target, const std::string& path) = 0;  // symlink
  virtual bool FreeBytes(const std::string& path, uint64_t* bytes) = 0;
  // `folder` with `names` appended, each one matched to a name that is
  // there, exactly or else ignoring ASCII case, as far as they are found;
  // the rest appended as given.
  virtual std::string Match(const std::string& folder, const std::vector<std::string>& names);
};

// The one in use.
FileSystem& files();
// Linux's own.
FileSystem& DiskFiles();

}  // namespace host
}  // namespace plat
