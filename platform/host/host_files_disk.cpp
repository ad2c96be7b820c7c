// The port's files on Linux's own file system.
#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

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

std::string Fold(const std::string& name) {
  std::string folded = name;
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

bool SameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The names of the folders that a name had to be looked for in without
// regard to case. A listing is used while its folder is as it was when it was
// listed, or as this process left it by a change of its own; any other
// change gives the folder new times and it is listed again. So a game
// folder of ten thousand files is listed once, not once a file written into
// it. (A change by another process in the same tick of the file system's
// clock as one of ours can go unseen: a name in another case is then not
// found, as Linux itself would not find it.)
class Listings {
 public:
  // The name in `folder` that matches `name` ignoring ASCII case, the first
  // in the listing's order; false when none does or the folder cannot be
  // listed. `looked` is the folder's stat when the caller has just had it.
  bool Find(const std::string& folder, const std::string& name, std::string* found,
            const struct stat* looked = nullptr) {
    std::lock_guard<std::mutex> lock(mutex_);
    struct stat st;
    if (looked != nullptr) {
      st = *looked;
    } else if (stat(folder.c_str(), &st) != 0) {
      return false;
    }
    auto it = listings_.find(folder);
    if (it == listings_.end() || !Current(it->second, st)) {
      if (listings_.size() >= kMostFolders) listings_.clear();
      Listing listing;
      if (!List(folder, &listing)) {
        listings_.erase(folder);
        return false;
      }
      Stamp(&listing, st);
      it = listings_.insert_or_assign(folder, std::move(listing)).first;
    }
    const auto name_it = it->second.byFolded.find(Fold(name));
    if (name_it == it->second.byFolded.end()) return false;
    *found = name_it->second;
    return true;
  }

  // What a listing already held tells of `name` in `folder`, without listing
  // it: kUnknown when the folder has no listing, or has changed since.
  // Otherwise `st` is the folder's stat, and `found` the first name that
  // folds as `name` does.
  enum class Known { kUnknown, kAbsent, kFound };
  Known Lookup(const std::string& folder, const std::string& name, std::string* found, struct stat* st) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = listings_.find(folder);
    if (it == listings_.end() || stat(folder.c_str(), st) != 0 || !Current(it->second, *st)) return Known::kUnknown;
    const auto name_it = it->second.byFolded.find(Fold(name));
    if (name_it == it->second.byFolded.end()) return Known::kAbsent;
    *found = name_it->second;
    return Known::kFound;
  }

  // Runs `change`, which adds (`added`) or removes the entry `path`, and
  // keeps its folder's listing in step when the folder was as listed.
  template <typename Op>
  bool Change(const std::string& path, bool added, Op change) {
    std::lock_guard<std::mutex> lock(mutex_);
    const size_t cut = path.rfind('/');
    const std::string folder = cut == std::string::npos ? "." : cut == 0 ? "/" : path.substr(0, cut);
    auto it = listings_.find(folder);
    struct stat st;
    const bool current = it != listings_.end() && stat(folder.c_str(), &st) == 0 && Current(it->second, st);
    const bool ok = change();
    if (it == listings_.end()) return ok;
    // A removal may uncover another entry of the same folded name.
    if (!ok || !current || !added || stat(folder.c_str(), &st) != 0) {
      listings_.erase(it);
      return ok;
    }
    const std::string name = path.substr(cut + 1);
    it->second.byFolded.emplace(Fold(name), name);
    Stamp(&it->second, st);
    return ok;
  }

 private:
  static constexpr size_t kMostFolders = 256;
  struct Listing {
    dev_t device = 0;
    ino_t inode = 0;
    struct timespec modified = {}, changed = {};
    std::unordered_map<std::string, std::string> byFolded;  // the first name of each folded form
  };
  static bool Current(const Listing& l, const struct stat& st) {
    return l.device == st.st_dev && l.inode == st.st_ino && SameTime(l.modified, st.st_mtim) &&
           SameTime(l.changed, st.st_ctim);
  }
  static void Stamp(Listing* l, const struct stat& st) {
    l->device = st.st_dev;
    l->inode = st.st_ino;
    l->modified = st.st_mtim;
    l->changed = st.st_ctim;
  }
  static bool List(const std::string& folder, Listing* listing) {
    DIR* d = opendir(folder.c_str());
    if (d == nullptr) return false;
    while (struct dirent* e = readdir(d)) {
      if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) {
        listing->byFolded.emplace(Fold(e->d_name), e->d_name);
      }
    }
    closedir(d);
    return true;
  }

  std::mutex mutex_;
  std::unordered_map<std::string, Listing> listings_;
};

class DiskFileSystem : public FileSystem {
 public:
  bool Info(const std::string& path, bool follow, NodeInfo* info) override {
    struct stat st;
    if ((follow ? stat(path.c_str(), &st) : lstat(path.c_str(), &st)) != 0) return false;
    info->folder = S_ISDIR(st.st_mode);
    info->link = S_ISLNK(st.st_mode);
    info->size = static_cast<uint64_t>(st.st_size);
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
    FILE* f = nullptr;
    const auto open = [&] { return (f = std::fopen(path.c_str(), mode)) != nullptr; };
    // Only "w" and "a" make a file that was not there.
    if (mode[0] == 'r') {
      // Windows cannot open a folder as a file stream; Linux can, for
      // reading (and for writing it refuses, as Windows does).
      struct stat st;
      if (open() && (fstat(fileno(f), &st) != 0 || S_ISDIR(st.st_mode))) {
        std::fclose(f);
        f = nullptr;
      }
    } else {
      listings_.Change(path, true, open);
    }
    return f == nullptr ? nullptr : new DiskFile(f);
  }
  bool MakeFolder(const std::string& path) override {
    return listings_.Change(path, true, [&] { return mkdir(path.c_str(), 0777) == 0; });
  }
  bool RemoveFolder(const std::string& path) override {
    return listings_.Change(path, false, [&] { return rmdir(path.c_str()) == 0; });
  }
  bool Unlink(const std::string& path) override {
    return listings_.Change(path, false, [&] { return unlink(path.c_str()) == 0; });
  }
  bool MakeLink(const std::string& target, const std::string& path) override {
    return listings_.Change(path, true, [&] { return symlink(target.c_str(), path.c_str()) == 0; });
  }
  // A name spelt as it is costs a look; only a name not there with its own
  // case costs the folder's listing, once while the folder stays as it is.
  std::string Match(const std::string& folder, const std::vector<std::string>& names) override {
    // Most paths are given as the disk spells them: one look for them all;
    // a file about to be made, one more for its folder.
    std::string parent = folder;
    for (size_t i = 0; i + 1 < names.size(); ++i) parent += "/" + names[i];
    struct stat st;
    if (names.empty()) return folder;
    const std::string whole = parent + "/" + names.back();
    // A folder this process writes many files into is listed: a name not
    // in it costs no search of the folder on the disk.
    std::string found;
    struct stat parentSt;
    const Listings::Known known = names.size() > 1 ? listings_.Lookup(parent, names.back(), &found, &parentSt)
                                                   : Listings::Known::kUnknown;
    if (known == Listings::Known::kAbsent) return whole;
    if (known == Listings::Known::kFound && found != names.back()) {
      // Another spelling is listed first; the name as given may be there too.
      return lstat(whole.c_str(), &st) == 0 ? whole : parent + "/" + found;
    }
    if (known == Listings::Known::kFound || lstat(whole.c_str(), &st) == 0) return whole;
    const bool parentSpelt = names.size() > 1 && stat(parent.c_str(), &parentSt) == 0;
    std::string result = parentSpelt ? parent : folder;
    for (size_t i = parentSpelt ? names.size() - 1 : 0; i < names.size(); ++i) {
      const std::string& name = names[i];
      std::string exact = result + "/" + name;
      // Below a parent spelt as given, the name is known not to be there,
      // and the parent's stat is at hand.
      const bool belowSpelt = parentSpelt && i + 1 == names.size();
      const bool missing = belowSpelt || lstat(exact.c_str(), &st) != 0;
      if (missing && listings_.Find(result, name, &found, belowSpelt ? &parentSt : nullptr)) {
        exact = result + "/" + found;
      }
      result = std::move(exact);
    }
    return result;
  }
  bool FreeBytes(const std::string& path, uint64_t* bytes) override {
    struct statvfs vfs;
    if (statvfs(path.c_str(), &vfs) != 0) return false;
    *bytes = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
    return true;
  }

 private:
  Listings listings_;
};

}  // namespace

FileSystem& DiskFiles() {
  static DiskFileSystem* disk = new DiskFileSystem;
  return *disk;
}

}  // namespace host
}  // namespace plat
