// The part that a disc folder and a disc image share: a path is found by
// going from the root down, matching the next name in each folder without
// regard to ASCII case, so that a case-sensitive file system (the Linux
// port) and an image's own names are matched as a Windows drive matches
// them. A disc does not change while it is read: each folder is listed once,
// and its names are looked up, not searched, so that a folder of ten
// thousand files costs about ten thousand steps. Each kind of volume says
// how to list a folder it found and how to open a file it found.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "disc_volume.h"

namespace gamedisc {

class WalkedVolume : public DiscVolume {
 public:
  std::unique_ptr<VolumeFile> Open(const std::string& path) override;
  bool List(const std::string& path, std::vector<VolumeEntry>* entries) override;

 protected:
  // A file or folder as the volume reaches it again: `where` is its own
  // path (a seam path, or a path inside an image); on an image `extent` is
  // its first sector and `length` the bytes its directory record claims (a
  // folder's too).
  struct Node {
    VolumeEntry entry;
    std::string where;
    int64_t extent = 0;
    uint64_t length = 0;
  };
  // False when the volume's root cannot be read.
  virtual bool Root(Node* root) = 0;
  // Adds the entries of `folder` without "." and ".." to `children`, in any
  // order; false when it cannot be read. The sizes of files may be left 0
  // unless `sizes` asks for them (a path is found without them).
  virtual bool ListNode(const Node& folder, bool sizes, std::vector<Node>* children) = 0;
  // `file` opened for reading; null when it cannot be.
  virtual std::unique_ptr<VolumeFile> OpenNode(const Node& file) = 0;

 private:
  // A folder's children, and where the first child of each folded name
  // stands among them: UTF-8 names fold by bytes, names in the code page by
  // its characters.
  struct Listing {
    std::vector<Node> children;
    bool sized = false;  // the files' sizes are in
    unsigned codePage = 0;
    std::unordered_map<std::string, size_t> byBytes, byCodePage;
  };
  // The node at `path` ("\" or "/" separated; "" for the root).
  bool Find(const std::string& path, Node* node);
  // The listing of `folder`, made on the first call (or the first that asks
  // for `sizes`); null when it cannot be read (asked again next time).
  const Listing* ListingOf(const Node& folder, bool sizes);
  std::unordered_map<std::string, Listing> listings_;  // by the folder's `where`
  bool rooted_ = false;  // root_ read
  Node root_;
};

}  // namespace gamedisc
