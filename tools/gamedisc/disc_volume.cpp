#include "disc_volume.h"

#include <algorithm>

#include "fold_case.h"
#include "tool_files.h"
#include "tool_os.h"
#include "walked_volume.h"

namespace gamedisc {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Whether `name` is UTF-8 with at least one character of three bytes (as
// every Chinese character is): a name that Big5 or GBK bytes spell is
// seldom that. Overlong forms and surrogates are not UTF-8.
bool IsUtf8WithWideCharacters(const std::string& name) {
  bool wide = false;
  for (size_t i = 0; i < name.size();) {
    const size_t length = Utf8CharacterAt(name, i);
    if (length == 0) return false;
    wide = wide || length >= 3;
    i += length;
  }
  return wide;
}

// An open file of a disc folder; closed with the object. Its size is asked
// of few files (the archives, the small files read whole), and measured
// then: the many files of a data folder are read through without it.
class FolderFile : public VolumeFile {
 public:
  explicit FolderFile(plat::Stream* stream) : stream_(stream) {}
  ~FolderFile() override { plat::StreamClose(stream_); }
  FolderFile(const FolderFile&) = delete;
  FolderFile& operator=(const FolderFile&) = delete;

  int Read(void* buffer, int length) override {
    if (length <= 0) return 0;
    return static_cast<int>(plat::StreamRead(stream_, buffer, static_cast<size_t>(length)));
  }
  bool Failed() const override { return plat::StreamError(stream_); }
  // -1 when the file cannot be measured.
  int64_t Size() const override {
    if (!measured_) {
      measured_ = true;
      const long at = plat::StreamTell(stream_);
      const long end = at >= 0 && plat::StreamSeek(stream_, 0, plat::kSeekEnd) ? plat::StreamTell(stream_) : -1;
      size_ = at >= 0 && plat::StreamSeek(stream_, at, plat::kSeekSet) ? end : -1;
    }
    return size_;
  }

 private:
  plat::Stream* stream_;
  mutable bool measured_ = false;
  mutable int64_t size_ = -1;
};

// A disc folder, read through the seam: a folder a build wrote, or the root
// of a drive. Each node's `where` is its seam path, made of the names as the
// folder listed them.
class FolderVolume : public WalkedVolume {
 public:
  explicit FolderVolume(const std::string& path) : path_(path) {}
  std::string Name() const override { return DisplayPath(path_); }

 protected:
  bool Root(Node* root) override {
    root->entry.folder = true;
    root->where = path_;
    return IsFolder(path_);
  }

  bool ListNode(const Node& folder, bool sizes, std::vector<Node>* children) override {
    // ListFolder cannot tell an unreadable folder from an empty one (the
    // root of an empty drive lists nothing at all): the folder must at
    // least be there.
    if (!IsFolder(folder.where)) return false;
    for (const FolderItem& item : ListFolder(folder.where)) {
      Node node;
      node.entry.name = item.name;
      node.entry.folder = item.folder;
      node.entry.utf8 = FolderNamesMayBeUtf8() && IsUtf8WithWideCharacters(item.name);
      node.where = JoinPath(folder.where, item.name);
      if (sizes && !item.folder) {
        const int64_t size = item.size >= 0 ? item.size : DiskFileSize(node.where);
        node.entry.size = static_cast<uint64_t>(std::max<int64_t>(0, size));
      }
      children->push_back(std::move(node));
    }
    return true;
  }

  std::unique_ptr<VolumeFile> OpenNode(const Node& file) override {
    plat::Stream* stream = plat::StreamOpen(file.where.c_str(), "rb");
    if (stream == nullptr) return nullptr;
    return std::make_unique<FolderFile>(stream);
  }

 private:
  std::string path_;
};

}  // namespace

const WalkedVolume::Listing* WalkedVolume::ListingOf(const Node& folder, bool sizes) {
  const unsigned codePage = plat::GetAnsiCodePage();
  auto it = listings_.find(folder.where);
  if (it == listings_.end() || (sizes && !it->second.sized)) {
    Listing listing;
    listing.sized = sizes;
    if (!ListNode(folder, sizes, &listing.children)) return nullptr;
    it = listings_.insert_or_assign(folder.where, std::move(listing)).first;
  }
  Listing& listing = it->second;
  if (listing.codePage != codePage || (listing.byBytes.empty() && listing.byCodePage.empty())) {
    listing.codePage = codePage;
    listing.byBytes.clear();
    listing.byCodePage.clear();
    for (size_t i = 0; i < listing.children.size(); ++i) {
      const VolumeEntry& entry = listing.children[i].entry;
      if (entry.name.empty()) continue;
      if (entry.utf8) {
        listing.byBytes.emplace(alib::Folded(entry.name, alib::AsciiChars{}), i);
      } else {
        listing.byCodePage.emplace(alib::Folded(entry.name, alib::CodePageChars{codePage}), i);
      }
    }
  }
  return &listing;
}

bool WalkedVolume::Find(const std::string& path, Node* node) {
  if (!rooted_ && !(rooted_ = Root(&root_))) return false;
  Node at = root_;
  size_t pos = 0;
  for (;;) {
    while (pos < path.size() && IsSeparator(path[pos])) ++pos;
    if (pos == path.size()) break;
    const Listing* listing = at.entry.folder ? ListingOf(at, false) : nullptr;
    if (listing == nullptr) return false;
    // The name is matched whole, up to a separator or the end. A name is
    // not split at its own 0x5C bytes (the second byte of a double-byte
    // character may be one): where two names both fit, the longer is meant,
    // and of names that fold alike the first listed.
    const Node* next = nullptr;
    for (size_t end = pos + 1; end <= path.size(); ++end) {
      if (end < path.size() && !IsSeparator(path[end])) continue;
      const std::string text = path.substr(pos, end - pos);
      size_t first = listing->children.size();
      const auto bytes = listing->byBytes.find(alib::Folded(text, alib::AsciiChars{}));
      if (bytes != listing->byBytes.end()) first = bytes->second;
      const auto chars = listing->byCodePage.find(alib::Folded(text, alib::CodePageChars{listing->codePage}));
      if (chars != listing->byCodePage.end()) first = std::min(first, chars->second);
      if (first < listing->children.size()) next = &listing->children[first];
    }
    if (next == nullptr) return false;
    pos += next->entry.name.size();
    at = *next;
  }
  *node = std::move(at);
  return true;
}

std::unique_ptr<VolumeFile> WalkedVolume::Open(const std::string& path) {
  Node node;
  if (!Find(path, &node) || node.entry.folder) return nullptr;
  return OpenNode(node);
}

bool WalkedVolume::List(const std::string& path, std::vector<VolumeEntry>* entries) {
  Node folder;
  const Listing* listing = nullptr;
  if (!Find(path, &folder) || !folder.entry.folder || (listing = ListingOf(folder, true)) == nullptr) return false;
  entries->clear();
  for (const Node& child : listing->children) entries->push_back(child.entry);
  std::sort(entries->begin(), entries->end(),
            [](const VolumeEntry& a, const VolumeEntry& b) { return a.name < b.name; });
  return true;
}

std::unique_ptr<DiscVolume> OpenVolume(const std::string& path, std::string* error) {
  if (IsFolder(path)) return std::make_unique<FolderVolume>(path);
  if (!Exists(path)) {
    *error = DisplayPath(path) + ": there is no such disc folder or image";
    return nullptr;
  }
  return OpenImageVolume(path, error);
}

}  // namespace gamedisc
