// The port's files on Linux's own file system.
#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "host_files.h"

namespace plat {
namespace host {
namespace {

class DiskFile : public OpenFile {
 public:
  explicit DiskFile(FILE* file) : file_(file) {}
  size_t Read(void* buffer, size_t length) override { return std::fread(buffer, 1, length, file_); }
  size_t Write(const void* buffer, size_t length) override { return std::fwrite(buffer, 1, length, file_); }
  bool Error() override { return std::ferror(file_) != 0; }
  bool Seek(long offset, int from) override { return std::fseek(file_, offset, from) == 0; }
  long Tell() override { return std::ftell(file_); }
  bool Flush() override { return std::fflush(file_) == 0; }
  bool Close() override {
    bool ok = std::fflush(file_) == 0;
    ok = std::fclose(file_) == 0 && ok;
    delete this;
    return ok;
  }

 private:
  FILE* file_;
};

class DiskFileSystem : public FileSystem {
 public:
  bool Info(const std::string& path, bool follow, NodeInfo* info) override {
    struct stat st;
    if ((follow ? stat(path.c_str(), &st) : lstat(path.c_str(), &st)) != 0) return false;
    info->folder = S_ISDIR(st.st_mode);
    info->link = S_ISLNK(st.st_mode);
    return true;
  }
  bool Names(const std::string& folder, std::vector<std::string>* names) override {
    DIR* d = opendir(folder.c_str());
    if (d == nullptr) return false;
    names->clear();
    while (struct dirent* e = readdir(d)) {
      if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names->push_back(e->d_name);
    }
    closedir(d);
    return true;
  }
  OpenFile* Open(const std::string& path, const char* mode) override {
    FILE* f = std::fopen(path.c_str(), mode);
    return f == nullptr ? nullptr : new DiskFile(f);
  }
  bool MakeFolder(const std::string& path) override { return mkdir(path.c_str(), 0777) == 0; }
  bool RemoveFolder(const std::string& path) override { return rmdir(path.c_str()) == 0; }
  bool Unlink(const std::string& path) override { return unlink(path.c_str()) == 0; }
  bool MakeLink(const std::string& target, const std::string& path) override {
    return symlink(target.c_str(), path.c_str()) == 0;
  }
  bool FreeBytes(const std::string& path, uint64_t* bytes) override {
    struct statvfs vfs;
    if (statvfs(path.c_str(), &vfs) != 0) return false;
    *bytes = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
    return true;
  }
};

}  // namespace

FileSystem& DiskFiles() {
  static DiskFileSystem* disk = new DiskFileSystem;
  return *disk;
}

}  // namespace host
}  // namespace plat
