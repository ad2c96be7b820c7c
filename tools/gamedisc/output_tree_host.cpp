#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "code_pages.h"
#include "host_port.h"
#include "output_tree.h"
#include "platform_system.h"
#include "tool_os.h"

namespace gamedisc {

namespace {

// glibc's names of the code pages a disc's names come in.
const char* IconvName(unsigned codePage) {
  const disc::DiscCodePage* page = disc::FindDiscCodePage(codePage);
  return page != nullptr ? page->iconv : nullptr;
}

bool Convert(iconv_t cd, const std::string& bytes, std::string* utf8) {
  std::string out(bytes.size() * 4 + 4, '\0');
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char* to = &out[0];
  size_t outLeft = out.size();
  if (iconv(cd, &in, &inLeft, &to, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) return false;
  out.resize(out.size() - outLeft);
  *utf8 = out;
  return true;
}

std::string Describe(int error) { return std::strerror(error); }

class HostTree : public OutputTree {
 public:
  HostTree(int root, std::string shown) : root_(root), shown_(std::move(shown)) {}
  ~HostTree() override {
    if (file_ >= 0) close(file_);
    ForgetParent();
    close(root_);
  }

  bool MakeFolder(const TreePath& path, std::string* error) override {
    const int parent = OpenParent(path, error);
    if (parent < 0) return false;
    const char* name = path.back().c_str();
    if (mkdirat(parent, name, 0755) == 0) return true;
    const int made = errno;
    struct stat st;
    if (fstatat(parent, name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
      if (S_ISLNK(st.st_mode)) return Refuse(path, "is a link: it is not followed", error);
      if (S_ISDIR(st.st_mode)) return true;
      return Refuse(path, "exists and is no folder", error);
    }
    return Refuse(path, "cannot be made: " + Describe(made), error);
  }

  bool CreateFile(const TreePath& path, bool replace, std::string* error) override {
    if (file_ >= 0 && !CloseFile(error)) return false;
    const int parent = OpenParent(path, error);
    if (parent < 0) return false;
    const char* name = path.back().c_str();
    // O_NOFOLLOW: a link put where the file goes is never written through.
    const int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | (replace ? O_TRUNC : O_EXCL);
    file_ = openat(parent, name, flags, 0644);
    if (file_ >= 0) {
      open_ = path;
      return true;
    }
    const int failed = errno;
    if (failed == ELOOP) return Refuse(path, "is a link: it is not followed", error);
    if (failed == EEXIST) return Refuse(path, "exists already (--force overwrites it)", error);
    return Refuse(path, "cannot be created: " + Describe(failed), error);
  }

  bool Write(const void* data, size_t length, std::string* error) override {
    const char* at = static_cast<const char*>(data);
    while (length > 0) {
      const ssize_t n = write(file_, at, length);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return Refuse(open_, "cannot be written: " + Describe(n < 0 ? errno : ENOSPC), error);
      at += n;
      length -= static_cast<size_t>(n);
    }
    return true;
  }

  bool CloseFile(std::string* error) override {
    if (file_ < 0) return true;
    const int closed = close(file_);
    file_ = -1;
    if (closed != 0) return Refuse(open_, "cannot be written: " + Describe(errno), error);
    return true;
  }

  std::string Shown(const TreePath& path) const override {
    std::string shown = shown_;
    for (const std::string& name : path) shown += "/" + name;
    return shown;
  }

 private:
  bool Refuse(const TreePath& path, const std::string& why, std::string* error) const {
    *error = Shown(path) + " " + why;
    return false;
  }

  void ForgetParent() {
    if (parent_ >= 0 && parent_ != root_) close(parent_);
    parent_ = -1;
    parentPath_.clear();
  }

  // The folder that holds `path`'s last name, opened one name at a time
  // from the output folder without following a link. The last one opened
  // is kept: files come folder by folder.
  int OpenParent(const TreePath& path, std::string* error) {
    const TreePath folders(path.begin(), path.end() - 1);
    if (parent_ >= 0 && folders == parentPath_) return parent_;
    ForgetParent();
    int at = root_;
    for (size_t i = 0; i < folders.size(); ++i) {
      const int next = openat(at, folders[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      const int failed = errno;
      if (at != root_) close(at);
      if (next < 0) {
        const TreePath reached(folders.begin(), folders.begin() + static_cast<long>(i) + 1);
        Refuse(reached, failed == ELOOP || failed == ENOTDIR ? "is a link or no folder: it is not followed"
                                                            : "cannot be opened: " + Describe(failed),
               error);
        return -1;
      }
      at = next;
    }
    parent_ = at;
    parentPath_ = folders;
    return parent_;
  }

  int root_;
  std::string shown_;
  int file_ = -1;
  TreePath open_;
  int parent_ = -1;
  TreePath parentPath_;
};

// Makes `path` and the folders on the way to it, as mkdir -p does.
bool MakeHostFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    mkdir(path.substr(0, slash).c_str(), 0755);
  }
  return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

}  // namespace

bool NameToUtf8(const std::string& bytes, unsigned codePage, std::string* utf8) {
  const char* name = IconvName(codePage);
  if (name == nullptr) return false;
  iconv_t cd = iconv_open("UTF-8", name);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  bool ok = Convert(cd, bytes, utf8);
  if (!ok && codePage == plat::kCodePageWestern) {
    // Windows reads the five bytes that 1252 leaves undefined as the control
    // characters of the same value; glibc refuses them.
    utf8->clear();
    ok = true;
    for (unsigned char c : bytes) {
      std::string one;
      if (Convert(cd, std::string(1, static_cast<char>(c)), &one)) {
        *utf8 += one;
      } else {
        *utf8 += static_cast<char>(0xC0 | (c >> 6));
        *utf8 += static_cast<char>(0x80 | (c & 0x3F));
      }
    }
  }
  iconv_close(cd);
  return ok;
}

bool ErrorIsTerminal() { return isatty(2) != 0; }

std::unique_ptr<OutputTree> OpenOutputTree(const std::string& folder, bool force, std::string* error) {
  std::string host;
  if (!plat::host::ToHostPath(folder.c_str(), &host)) {
    *error = DisplayPath(folder) + " is no path this tool can write";
    return nullptr;
  }
  if (!MakeHostFolders(host)) {
    *error = DisplayPath(folder) + " cannot be made: " + Describe(errno);
    return nullptr;
  }
  const int root = open(host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (root < 0) {
    *error = DisplayPath(folder) + " cannot be opened as a folder: " + Describe(errno);
    return nullptr;
  }
  if (!force) {
    bool empty = true;
    const int listed = dup(root);
    DIR* dir = listed >= 0 ? fdopendir(listed) : nullptr;
    if (dir == nullptr) {
      if (listed >= 0) close(listed);
      empty = false;
    } else {
      for (struct dirent* e = readdir(dir); e != nullptr && empty; e = readdir(dir)) {
        empty = std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0;
      }
      closedir(dir);
    }
    if (!empty) {
      close(root);
      *error = DisplayPath(folder) + " is not empty: extract writes into a new or empty folder (--force writes into it, "
                                     "overwriting the files the discs hold)";
      return nullptr;
    }
  }
  return std::make_unique<HostTree>(root, DisplayPath(folder));
}

}  // namespace gamedisc
