// The stand-in's files held in memory: a tree of folders, files and links
// with the POSIX meanings the stand-in relies on (an open file outlives its
// name, a link in the middle of a path is followed, a folder is removed only
// when empty). Reads never fail here: injected faults come from above.
#include <strings.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string_view>
#include <utility>

#include "controls_internal.h"

namespace plat {
namespace host {
namespace {

constexpr int kLinkDepth = 40;  // ELOOP beyond, as on Linux
// Where a disk would make a sparse file, memory would hold every byte: a
// write that would reach beyond this fails instead (EFBIG).
constexpr size_t kLargestFile = size_t{1} << 30;

struct Node {
  enum Kind { kFolder, kFile, kLink } kind = kFolder;
  std::map<std::string, std::unique_ptr<Node>, std::less<>> children;  // folders
  std::shared_ptr<std::string> data;                       // files
  std::string target;                                      // links
};

std::vector<std::string> Split(const std::string& path) {
  std::vector<std::string> parts;
  size_t at = 0;
  while (at <= path.size()) {
    size_t end = path.find('/', at);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(at, end - at);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    at = end + 1;
  }
  return parts;
}

class MemoryFile : public OpenFile {
 public:
  MemoryFile(std::shared_ptr<std::string> data, bool read, bool write, bool append)
      : data_(std::move(data)), read_(read), write_(write), append_(append) {}
  size_t Read(void* buffer, size_t length) override {
    if (!read_) {
      error_ = true;
      return 0;
    }
    if (pos_ >= data_->size()) return 0;
    const size_t n = std::min(length, data_->size() - pos_);
    std::memcpy(buffer, data_->data() + pos_, n);
    pos_ += n;
    return n;
  }
  size_t Write(const void* buffer, size_t length) override {
    if (!write_) {
      error_ = true;
      return 0;
    }
    if (append_) pos_ = data_->size();
    if (pos_ > kLargestFile || length > kLargestFile - pos_) {
      error_ = true;
      return 0;
    }
    if (data_->size() < pos_ + length) data_->resize(pos_ + length, '\0');
    std::memcpy(&(*data_)[pos_], buffer, length);
    pos_ += length;
    return length;
  }
  bool Error() override { return error_; }
  bool Seek(long offset, int from) override {
    long base = from == SEEK_SET ? 0 : from == SEEK_CUR ? static_cast<long>(pos_) : static_cast<long>(data_->size());
    if ((from != SEEK_SET && from != SEEK_CUR && from != SEEK_END) || (offset < 0 && base < -offset) ||
        (offset > 0 && base > LONG_MAX - offset)) {
      return false;
    }
    pos_ = static_cast<size_t>(base + offset);
    return true;
  }
  long Tell() override { return static_cast<long>(pos_); }
  bool Flush() override { return true; }
  bool Close() override {
    delete this;
    return true;
  }

 private:
  std::shared_ptr<std::string> data_;
  size_t pos_ = 0;
  bool read_, write_, append_;
  bool error_ = false;
};

// A deep copy: files share no bytes with the original.
std::unique_ptr<Node> Clone(const Node& node) {
  auto copy = std::make_unique<Node>();
  copy->kind = node.kind;
  copy->target = node.target;
  if (node.data) copy->data = std::make_shared<std::string>(*node.data);
  for (const auto& child : node.children) copy->children.emplace(child.first, Clone(*child.second));
  return copy;
}

class MemoryFileSystem : public FileSystem {
 public:
  void Clear() { root_.children.clear(); }
  void Save() { saved_ = Clone(root_); }
  void Restore() {
    if (saved_) root_.children = std::move(Clone(*saved_)->children);
  }

  bool Info(const std::string& path, bool follow, NodeInfo* info) override {
    const Node* node = Find(path, follow);
    if (node == nullptr) return false;
    info->folder = node->kind == Node::kFolder;
    info->link = node->kind == Node::kLink;
    info->size = node->kind == Node::kFile ? node->data->size() : 0;
    return true;
  }
  bool Names(const std::string& folder, std::vector<std::string>* names) override {
    const Node* node = Find(folder, true);
    if (node == nullptr || node->kind != Node::kFolder) return false;
    names->clear();
    for (const auto& child : node->children) names->push_back(child.first);
    return true;
  }
  OpenFile* Open(const std::string& path, const char* mode) override {
    const char kind = mode[0];
    const bool plus = std::strchr(mode, '+') != nullptr;
    if (kind != 'r' && kind != 'w' && kind != 'a') return nullptr;
    Node* node = Find(path, true);
    if (node == nullptr && kind != 'r') {
      std::string name;
      Node* parent = Parent(path, &name);
      if (parent == nullptr || parent->children.count(name) != 0) return nullptr;
      auto made = std::make_unique<Node>();
      made->kind = Node::kFile;
      made->data = std::make_shared<std::string>();
      node = made.get();
      parent->children[name] = std::move(made);
    }
    if (node == nullptr || node->kind != Node::kFile) return nullptr;
    if (kind == 'w') node->data->clear();
    return new MemoryFile(node->data, kind == 'r' || plus, kind != 'r' || plus, kind == 'a');
  }
  bool MakeFolder(const std::string& path) override {
    std::string name;
    Node* parent = Parent(path, &name);
    if (parent == nullptr || parent->children.count(name) != 0) return false;
    parent->children[name] = std::make_unique<Node>();
    return true;
  }
  bool RemoveFolder(const std::string& path) override {
    std::string name;
    Node* parent = Parent(path, &name);
    if (parent == nullptr) return false;
    auto it = parent->children.find(name);
    if (it == parent->children.end() || it->second->kind != Node::kFolder || !it->second->children.empty()) {
      return false;
    }
    parent->children.erase(it);
    return true;
  }
  bool Unlink(const std::string& path) override {
    std::string name;
    Node* parent = Parent(path, &name);
    if (parent == nullptr) return false;
    auto it = parent->children.find(name);
    if (it == parent->children.end() || it->second->kind == Node::kFolder) return false;
    parent->children.erase(it);
    return true;
  }
  bool MakeLink(const std::string& target, const std::string& path) override {
    std::string name;
    Node* parent = Parent(path, &name);
    if (parent == nullptr || parent->children.count(name) != 0) return false;
    auto made = std::make_unique<Node>();
    made->kind = Node::kLink;
    made->target = target;
    parent->children[name] = std::move(made);
    return true;
  }
  // One walk down the tree, instead of one from the root per name.
  std::string Match(const std::string& folder, const std::vector<std::string>& names) override {
    std::string result = folder;
    const Node* node = Find(folder, true);
    for (const std::string& name : names) {
      const Node* next = nullptr;
      std::string_view found = name;
      if (node != nullptr && node->kind == Node::kFolder) {
        auto it = node->children.find(name);
        if (it == node->children.end()) {
          for (it = node->children.begin(); it != node->children.end(); ++it) {
            if (strcasecmp(it->first.c_str(), name.c_str()) == 0) break;
          }
        }
        if (it != node->children.end()) {
          found = it->first;
          next = it->second.get();
        }
      }
      result += "/";
      result += found;
      node = next != nullptr && next->kind == Node::kLink ? Find(result, true) : next;
    }
    return result;
  }
  bool FreeBytes(const std::string& path, uint64_t* bytes) override {
    if (Find(path, true) == nullptr) return false;
    *bytes = uint64_t{1} << 40;
    return true;
  }

 private:
  // The node at `path`; links on the way are followed, the last one only
  // when `follow` is set. Walks the path in place: this runs for every
  // component of every path the stand-in resolves.
  Node* Find(std::string_view path, bool follow, int depth = 0) {
    if (HasDotDot(path)) return Find(Join(Split(std::string(path))), follow, depth);
    Node* node = &root_;
    size_t at = 0;
    while (at < path.size()) {
      size_t end = path.find('/', at);
      if (end == std::string_view::npos) end = path.size();
      const std::string_view part = path.substr(at, end - at);
      const size_t partStart = at;
      at = end + 1;
      if (part.empty() || part == ".") continue;
      if (node->kind != Node::kFolder) return nullptr;
      auto it = node->children.find(part);
      if (it == node->children.end()) return nullptr;
      Node* next = it->second.get();
      const bool last = end >= path.size() || path.find_first_not_of('/', end) == std::string_view::npos;
      if (next->kind == Node::kLink && (follow || !last)) {
        if (depth >= kLinkDepth) return nullptr;
        std::string rest = next->target;
        if (rest.empty() || rest[0] != '/') rest = std::string(path.substr(0, partStart)) + "/" + rest;
        if (end < path.size()) rest.append(path.substr(end));
        return Find(rest, follow, depth + 1);
      }
      node = next;
    }
    return node;
  }

  static bool HasDotDot(std::string_view path) {
    for (size_t at = path.find(".."); at != std::string_view::npos; at = path.find("..", at + 1)) {
      if ((at == 0 || path[at - 1] == '/') && (at + 2 == path.size() || path[at + 2] == '/')) return true;
    }
    return false;
  }

  static std::string Join(const std::vector<std::string>& parts) {
    std::string path;
    for (const std::string& part : parts) path += "/" + part;
    return path.empty() ? "/" : path;
  }

  // The folder that holds (or would hold) `path`, and the last name.
  Node* Parent(const std::string& path, std::string* name) {
    if (HasDotDot(path)) return Parent(Join(Split(path)), name);
    size_t end = path.find_last_not_of('/');
    if (end == std::string::npos) return nullptr;
    const size_t cut = path.rfind('/', end);
    const size_t start = cut == std::string::npos ? 0 : cut + 1;
    if (path.compare(start, end + 1 - start, ".") == 0) return nullptr;
    name->assign(path, start, end + 1 - start);
    Node* parent = Find(std::string_view(path).substr(0, start), true);
    return parent != nullptr && parent->kind == Node::kFolder ? parent : nullptr;
  }

  Node root_;
  std::unique_ptr<Node> saved_;
};

MemoryFileSystem& Memory() {
  static MemoryFileSystem* memory = new MemoryFileSystem;
  return *memory;
}

}  // namespace

FileSystem& MemoryFiles() { return Memory(); }

void ClearMemoryFiles() { Memory().Clear(); }

void SaveMemoryFiles() { Memory().Save(); }

void RestoreMemoryFiles() { Memory().Restore(); }

}  // namespace host
}  // namespace plat
