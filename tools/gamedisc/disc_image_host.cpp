// Disc images on the Linux build: libiso9660 parses the file system of an
// .iso, or of a copy of the records of a data track in raw sectors (a cue
// sheet's, a descriptor's); this file chooses which of its names to read,
// keeps every read inside the image, and reads a file's sectors in large
// sequential runs.
#include <cdio/bytesex.h>
#include <cdio/cdio.h>
#include <cdio/iso9660.h>
#include <cdio/logging.h>
#include <cdio/rock.h>
// utf8.h declares its functions without C linkage for C++.
extern "C" {
#include <cdio/utf8.h>
}

#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "cue_sheet.h"
#include "host_port.h"
#include "image_descriptor.h"
#include "tool_files.h"
#include "tool_os.h"
#include "walked_volume.h"

namespace gamedisc {

namespace {

constexpr int kSectorBytes = ISO_BLOCKSIZE;
// A file is read 32 sectors (64 KiB) at a time: reads well inside the
// system's read-ahead let it read on while a run is unpacked (runs of 1 MiB
// waited on the disk: a cold extract took 10 to 15 % longer).
constexpr int kRunSectors = 32;

// libcdio's last warning or error, for the message of an image that cannot
// be opened. Its default handler prints to stderr and ends the process on
// an error: the tool's own output stays clean, and a damaged image is
// reported, not fatal.
std::string& LibraryMessage() {
  static std::string message;
  return message;
}

void KeepLibraryMessage(cdio_log_level_t level, const char message[]) {
  if (level >= CDIO_LOG_WARN) LibraryMessage() = message;
}

void QuietLibrary() {
  static const bool quiet = (cdio_log_set_handler(KeepLibraryMessage), true);
  (void)quiet;
  LibraryMessage().clear();
}

std::string WithLibraryMessage(const std::string& text) {
  return LibraryMessage().empty() ? text : text + " (libcdio: " + LibraryMessage() + ")";
}

// What the volume reads an image through.
class ImageReader {
 public:
  virtual ~ImageReader() = default;
  // The directory records of the folder at `path` ("/"-separated names as
  // the library gives them), "." and ".." included; null when it cannot be
  // read. Freed with iso9660_filelist_free.
  virtual CdioList_t* ReadFolder(const char* path) = 0;
  // The root folder's record; null when it cannot be had. Freed with
  // iso9660_stat_free.
  virtual iso9660_stat_t* RootRecord() = 0;
  // Reads `count` sectors from `lsn`: the bytes delivered from the start,
  // fewer where the image ends or a read failed.
  virtual int64_t ReadSectors(void* buffer, int64_t lsn, int count) = 0;
  // The whole sectors the image holds.
  virtual int64_t Sectors() = 0;
  // Turns to the image's Joliet tree: its level, or 0 when it has none
  // (the reader is then as it was).
  virtual int UseJoliet() = 0;
  // Turns back to the primary tree, whose records carry the Rock Ridge
  // names; false when it cannot be read so again.
  virtual bool UsePrimary() = 0;
};


// The sectors of a data track (a whole .iso, or as a sheet or descriptor
// lays it out in its file), read straight from the file: the 2,048 user
// bytes of each.
class TrackSectors {
 public:
  // The track is read front to back, file after file: the system may read
  // well ahead.
  TrackSectors(int fd, const TrackLayout& layout, int64_t sectors) : fd_(fd), layout_(layout), sectors_(sectors) {
    posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
  }
  ~TrackSectors() { close(fd_); }
  TrackSectors(const TrackSectors&) = delete;
  TrackSectors& operator=(const TrackSectors&) = delete;

  int64_t Sectors() const { return sectors_; }
  // The bytes delivered from the start, fewer where the track ends or a
  // read fails.
  int64_t Read(void* buffer, int64_t lsn, int count) {
    if (lsn < 0 || count <= 0 || lsn >= sectors_) return 0;
    const int n = static_cast<int>(std::min<int64_t>(count, sectors_ - lsn));
    char* out = static_cast<char*>(buffer);
    const off_t at = static_cast<off_t>(layout_.start + lsn * layout_.sectorBytes);
    if (layout_.sectorBytes == kSectorBytes) {
      // An image cut inside a sector still gives the bytes it has.
      const ssize_t got = pread(fd_, out, size_t{static_cast<unsigned>(n)} * kSectorBytes, at);
      return got < 0 ? 0 : got;
    }
    // Raw sectors are read in one call with their user bytes put straight
    // into place: the header and the rest of each sector (its error
    // codes, any sub-channel) all go to one scratch area.
    int64_t done = 0;
    for (int from = 0; from < n; from += kSectorsPerCall) {
      const int part = std::min(kSectorsPerCall, n - from);
      const size_t rest = static_cast<size_t>(layout_.sectorBytes - kSectorBytes);
      iovec pieces[2 * kSectorsPerCall + 1];
      int pieceCount = 0;
      if (layout_.userOffset > 0) pieces[pieceCount++] = {scratch_, static_cast<size_t>(layout_.userOffset)};
      for (int i = 0; i < part; ++i) {
        pieces[pieceCount++] = {out + int64_t{from + i} * kSectorBytes, size_t{kSectorBytes}};
        // The end of this sector and the header of the next are one piece.
        const size_t skip = i + 1 < part ? rest : rest - static_cast<size_t>(layout_.userOffset);
        if (skip > 0) pieces[pieceCount++] = {scratch_, skip};
      }
      const ssize_t got =
          preadv(fd_, pieces, pieceCount, at + static_cast<off_t>(int64_t{from} * layout_.sectorBytes));
      const int whole = got < 0 ? 0 : static_cast<int>(got / layout_.sectorBytes);
      done += int64_t{whole} * kSectorBytes;
      if (whole < part) break;
    }
    return done;
  }

 private:
  // Two pieces a sector, within the system's limit on pieces a call.
  static constexpr int kSectorsPerCall = 256;

  int fd_;
  TrackLayout layout_;
  int64_t sectors_;
  char scratch_[2448 - kSectorBytes];
};

class IsoReader : public ImageReader {
 public:
  // `iso` is the image opened by libiso9660, which reads its records from
  // `host`; files are read from `track`.
  IsoReader(iso9660_t* iso, const std::string& host, std::unique_ptr<TrackSectors> track)
      : iso_(iso), host_(host), track_(std::move(track)) {}
  ~IsoReader() override { iso9660_close(iso_); }
  IsoReader(const IsoReader&) = delete;
  IsoReader& operator=(const IsoReader&) = delete;

  CdioList_t* ReadFolder(const char* path) override { return iso9660_ifs_readdir(iso_, path); }
  iso9660_stat_t* RootRecord() override { return iso9660_ifs_stat(iso_, "/"); }
  int64_t ReadSectors(void* buffer, int64_t lsn, int count) override { return track_->Read(buffer, lsn, count); }
  int64_t Sectors() override { return track_->Sectors(); }
  // libiso9660 takes the Joliet tree when it may and the image has one: the
  // image is opened again so.
  int UseJoliet() override {
    iso9660_t* joliet = iso9660_open_ext(host_.c_str(), ISO_EXTENSION_JOLIET | ISO_EXTENSION_ROCK_RIDGE);
    const int level = joliet != nullptr ? iso9660_ifs_get_joliet_level(joliet) : 0;
    if (level == 0) {
      if (joliet != nullptr) iso9660_close(joliet);
      return 0;
    }
    iso9660_close(iso_);
    iso_ = joliet;
    return level;
  }
  // Without Joliet: allowed it, libiso9660 reads the Joliet tree alone.
  bool UsePrimary() override {
    iso9660_t* primary = iso9660_open_ext(host_.c_str(), ISO_EXTENSION_ROCK_RIDGE);
    if (primary == nullptr) return false;
    iso9660_close(iso_);
    iso_ = primary;
    return true;
  }

 private:
  iso9660_t* iso_;
  std::string host_;
  std::unique_ptr<TrackSectors> track_;
};

// libiso9660 reads only files of 2,048-byte sectors from their start, and
// libcdio 2.1 offers no reader over sectors the caller provides: it is
// given a sparse copy of the track that holds the volume descriptors, the
// folders and their Rock Ridge continuation areas at their places, and
// nothing else. Files' sectors are then read from the track itself. The
// copy lies in a private folder, removed with it.
class RecordCopy {
 public:
  ~RecordCopy() {
    if (folder_.empty()) return;
    std::remove(Path().c_str());
    rmdir(folder_.c_str());
  }
  std::string Path() const { return folder_ + "/t.iso"; }

  // False when the copy cannot be written or the track holds no volume
  // descriptor.
  bool Make(TrackSectors* track) {
    std::string pattern = (std::filesystem::temp_directory_path() / "gamedisc-img-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return false;
    folder_ = pattern;
    const int fd = open(Path().c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0) return false;
    const bool made = Copy(track, fd) && ftruncate(fd, static_cast<off_t>(track->Sectors() * kSectorBytes)) == 0;
    return close(fd) == 0 && made;
  }

 private:
  // The most sectors copied: the records of a real disc take a few
  // thousand at most.
  static constexpr size_t kMostSectors = 1 << 16;

  // The records are walked with libiso9660's own layouts and accessors:
  // the volume descriptors give the roots, each folder's records the
  // folders below it and, in their system use areas, Rock Ridge's
  // continuation areas.
  bool Copy(TrackSectors* track, int fd) {
    std::vector<std::pair<int64_t, uint64_t>> folders;  // extent, bytes
    bool any = false;
    for (int64_t lsn = ISO_PVD_SECTOR; lsn < ISO_PVD_SECTOR + 64; ++lsn) {
      if (!CopySector(track, fd, lsn)) return false;
      const auto* pvd = reinterpret_cast<const iso9660_pvd_t*>(sector_.data());
      const uint8_t type = iso9660_get_pvd_type(pvd);
      if (std::memcmp(pvd->id, ISO_STANDARD_ID, sizeof pvd->id) != 0 || type == ISO_VD_END) break;
      if (type == ISO_VD_PRIMARY || type == ISO_VD_SUPPLEMENTARY) {
        // A supplementary descriptor keeps its root record where the
        // primary one does.
        folders.push_back(Extent(pvd->root_directory_record));
        any = true;
      }
    }
    while (!folders.empty()) {
      const auto [extent, bytes] = folders.back();
      folders.pop_back();
      if (!seen_.insert(extent).second) continue;
      const uint64_t count = (bytes + kSectorBytes - 1) / kSectorBytes;
      for (uint64_t i = 0; i < count; ++i) {
        if (!CopySector(track, fd, extent + static_cast<int64_t>(i))) return false;
        const size_t nameAt = offsetof(iso9660_dir_t, filename) + 1;
        for (size_t at = 0; at + nameAt <= kSectorBytes;) {
          const auto* record = reinterpret_cast<const iso9660_dir_t*>(sector_.data() + at);
          const size_t length = iso9660_get_dir_len(record);
          const size_t nameLength = record->filename.len;
          if (length < nameAt || at + length > kSectorBytes || nameAt + nameLength > length) break;
          // "." and ".." are the names 0 and 1.
          const bool self = nameLength == 1 && static_cast<unsigned char>(record->filename.str[1]) <= 1;
          if ((record->file_flags & ISO_DIRECTORY) != 0 && !self) folders.push_back(Extent(*record));
          FindContinuations(at + nameAt + nameLength + (nameLength % 2 == 0 ? 1 : 0), at + length);
          at += length;
        }
      }
    }
    for (size_t i = 0; i < continues_.size(); ++i) {
      if (!CopySector(track, fd, continues_[i])) return false;
    }
    return any;
  }

  static std::pair<int64_t, uint64_t> Extent(const iso9660_dir_t& record) {
    return {from_733(record.extent), from_733(record.size)};
  }

  // Rock Ridge's continuation areas: the CE entries among the system use
  // entries from `from` to `to` of sector_.
  void FindContinuations(size_t from, size_t to) {
    const size_t header = offsetof(iso_extension_record_t, u);
    for (size_t su = from; su + header + sizeof(iso_su_ce_t) <= to;) {
      const auto* entry = reinterpret_cast<const iso_extension_record_t*>(sector_.data() + su);
      const size_t length = entry->len;
      if (length < header || su + length > to) break;
      if (entry->signature[0] == 'C' && entry->signature[1] == 'E' && length >= header + sizeof(iso_su_ce_t)) {
        uint64_t extent;
        std::memcpy(&extent, entry->u.CE.extent, sizeof extent);
        continues_.push_back(from_733(extent));
      }
      su += length;
    }
  }

  // Reads sector `lsn` of the track into sector_ and writes it to the copy;
  // false past the track or the most sectors copied.
  bool CopySector(TrackSectors* track, int fd, int64_t lsn) {
    if (++copied_ > kMostSectors || track->Read(sector_.data(), lsn, 1) != kSectorBytes) return false;
    return pwrite(fd, sector_.data(), kSectorBytes, static_cast<off_t>(lsn * kSectorBytes)) == kSectorBytes;
  }

  std::string folder_;
  std::vector<char> sector_ = std::vector<char>(kSectorBytes);
  std::set<int64_t> seen_;
  std::vector<int64_t> continues_;
  size_t copied_ = 0;
};

// An image read as a data track in a file: libiso9660 reads the file
// system's records from their copy, and files come from the track.
class TrackReader : public IsoReader {
 public:
  TrackReader(iso9660_t* iso, std::unique_ptr<RecordCopy> copy, std::unique_ptr<TrackSectors> track)
      : IsoReader(iso, copy->Path(), std::move(track)), copy_(std::move(copy)) {}

 private:
  std::unique_ptr<RecordCopy> copy_;
};

// A file of an image: `length` bytes from sector `extent`, read in runs of
// sectors and handed out from the run.
class ImageFile : public VolumeFile {
 public:
  ImageFile(ImageReader* reader, int64_t extent, uint64_t length)
      : reader_(reader), extent_(extent), length_(length), run_(size_t{kRunSectors} * kSectorBytes) {}

  int Read(void* buffer, int length) override {
    char* out = static_cast<char*>(buffer);
    int done = 0;
    while (done < length) {
      if (taken_ == held_ && !Fill()) break;
      const int n = static_cast<int>(std::min<uint64_t>(length - done, held_ - taken_));
      std::memcpy(out + done, run_.data() + taken_, static_cast<size_t>(n));
      taken_ += static_cast<size_t>(n);
      done += n;
    }
    return done;
  }
  bool Failed() const override { return failed_; }
  int64_t Size() const override { return static_cast<int64_t>(length_); }

 private:
  // Reads the next run; false at the end of the file or after a failure.
  // A run short of what the file claims is kept as far as it came, and the
  // file fails after it.
  bool Fill() {
    if (failed_ || at_ >= length_) return false;
    const uint64_t left = length_ - at_;
    const int sectors = static_cast<int>(std::min<uint64_t>(kRunSectors, (left + kSectorBytes - 1) / kSectorBytes));
    const uint64_t wanted = std::min<uint64_t>(left, uint64_t{static_cast<unsigned>(sectors)} * kSectorBytes);
    const int64_t got = reader_->ReadSectors(run_.data(), extent_ + static_cast<int64_t>(at_ / kSectorBytes), sectors);
    held_ = static_cast<size_t>(std::min<uint64_t>(wanted, static_cast<uint64_t>(std::max<int64_t>(0, got))));
    taken_ = 0;
    at_ += held_;
    if (held_ < wanted) failed_ = true;
    return held_ > 0;
  }

  ImageReader* reader_;
  int64_t extent_;
  uint64_t length_;
  std::vector<char> run_;
  size_t held_ = 0, taken_ = 0;  // the bytes of the run read, and handed out
  uint64_t at_ = 0;              // the file's bytes read into runs so far
  bool failed_ = false;
};

// Which of an image's names are read: Joliet holds names the image maker
// converted to UTF-16, which libcdio gives as UTF-8, and is what Windows
// shows; Rock Ridge keeps the names' bytes as the disc's maker had them (a
// Big5 name stays Big5); plain ISO 9660 names are upper-case ASCII with a
// version (";1").
enum class Names { kRockRidge, kJoliet, kPlain };

class ImageVolume : public WalkedVolume {
 public:
  ImageVolume(const std::string& path, std::unique_ptr<ImageReader> reader)
      : path_(path), reader_(std::move(reader)) {}
  std::string Name() const override { return DisplayPath(path_); }

  // Chooses the names to read: Joliet where the image has it, else Rock
  // Ridge where the root's records carry them, else the plain ones. An image
  // maker that could not read the names' code page writes "_" for each of
  // their bytes in the Joliet tree ("中文.txt" in Big5 read as UTF-8 gives
  // "____.txt"): where the Joliet tree holds fewer names beyond ASCII than
  // the Rock Ridge names, it lost them, and Rock Ridge is read; so it is
  // too where libcdio reads two Joliet names of a folder alike and cannot
  // reach the later one's folder (see CutByLibrary). False when the root
  // folder cannot be read.
  bool ChooseNames() {
    bool rockRidge = false;
    if (!ProbeRoot(&rockRidge)) return false;
    bool alike = false;
    const size_t rockRidgeWide = rockRidge ? WideNames(&alike) : 0;
    if (reader_->UseJoliet() != 0) {
      bool unused;
      if (ProbeRoot(&unused) && (rockRidgeWide == 0 || (WideNames(&alike) >= rockRidgeWide && !alike))) {
        names_ = Names::kJoliet;
        return true;
      }
      if (!reader_->UsePrimary()) return false;
    }
    names_ = rockRidge ? Names::kRockRidge : Names::kPlain;
    return true;
  }

 protected:
  bool Root(Node* root) override {
    iso9660_stat_t* record = reader_->RootRecord();
    if (record == nullptr) return false;
    root->entry.folder = true;
    root->where = "/";
    root->extent = record->lsn;
    root->length = record->size;
    iso9660_stat_free(record);
    return true;
  }

  bool ListNode(const Node& folder, bool, std::vector<Node>* children) override {
    if (!FitsImage(folder)) return false;
    CdioList_t* list = reader_->ReadFolder(folder.where.c_str());
    if (list == nullptr) return false;
    std::vector<Node> listed;
    std::vector<bool> rockRidge;  // of each listed, whether its name is Rock Ridge's
    std::set<std::string> raws;   // the names as the library reads them
    CdioListNode_t* item;
    _CDIO_LIST_FOREACH(item, list) {
      const iso9660_stat_t* record = static_cast<iso9660_stat_t*>(_cdio_list_node_data(item));
      const std::string raw = record->filename;
      if (raw.empty() || raw == "." || raw == "..") continue;
      Node node;
      node.entry.name = raw;
      node.entry.folder = record->type == iso9660_stat_s::_STAT_DIR;
      node.entry.utf8 = names_ == Names::kJoliet;
      node.entry.size = node.entry.folder ? 0 : record->size;
      node.where = (folder.where == "/" ? "" : folder.where) + "/" + raw;
      // libcdio finds a folder by its path of names as it reads them, and of
      // names it reads alike the first: a later folder so named is given a
      // path it finds nothing at, not read as the first one.
      if (!raws.insert(raw).second && node.entry.folder) node.where += "/\x01" + std::to_string(listed.size());
      node.extent = record->lsn;
      node.length = record->size;
      listed.push_back(std::move(node));
      rockRidge.push_back(names_ == Names::kRockRidge && record->rr.b3_rock == yep);
    }
    iso9660_filelist_free(list);
    if (names_ == Names::kJoliet) MendCutNames(folder, &listed);
    for (size_t i = 0; i < listed.size(); ++i) {
      std::string& name = listed[i].entry.name;
      if (!rockRidge[i]) name = ShownName(name);
      if (!name.empty() && name != "." && name != "..") children->push_back(std::move(listed[i]));
    }
    return true;
  }

  std::unique_ptr<VolumeFile> OpenNode(const Node& file) override {
    return std::make_unique<ImageFile>(reader_.get(), file.extent, file.length);
  }

 private:
  // Whether the root folder can be listed, and whether its records carry
  // Rock Ridge names.
  bool ProbeRoot(bool* rockRidge) {
    Node root;
    if (!Root(&root) || !FitsImage(root)) return false;
    CdioList_t* list = reader_->ReadFolder("/");
    if (list == nullptr) return false;
    *rockRidge = false;
    CdioListNode_t* item;
    _CDIO_LIST_FOREACH(item, list) {
      if (static_cast<iso9660_stat_t*>(_cdio_list_node_data(item))->rr.b3_rock == yep) *rockRidge = true;
    }
    iso9660_filelist_free(list);
    return true;
  }

  // A folder is read whole into memory by the library: one whose records
  // lie past the image's end (a damaged directory can claim gigabytes) is
  // not read at all.
  bool FitsImage(const Node& folder) {
    const int64_t sectors = reader_->Sectors();
    const uint64_t folderSectors = (folder.length + kSectorBytes - 1) / kSectorBytes;
    return folder.extent >= 0 && folder.extent <= sectors &&
           folderSectors <= static_cast<uint64_t>(sectors - folder.extent);
  }

  // The names of the tree read now, folders' and files', that hold a byte
  // beyond ASCII; `alike` tells whether a folder's name, as the library
  // reads it, is that of an entry before it in its folder. Each folder is
  // read once, however many records lead to it, and one whose records lie
  // past the image's end not at all.
  size_t WideNames(bool* alike) {
    *alike = false;
    Node root;
    if (!Root(&root)) return 0;
    std::set<int64_t> seen = {root.extent};
    std::vector<std::string> folders = {"/"};
    size_t wide = 0;
    while (!folders.empty()) {
      const std::string path = folders.back();
      folders.pop_back();
      CdioList_t* list = reader_->ReadFolder(path.c_str());
      if (list == nullptr) continue;
      std::set<std::string> names;
      CdioListNode_t* item;
      _CDIO_LIST_FOREACH(item, list) {
        const iso9660_stat_t* record = static_cast<iso9660_stat_t*>(_cdio_list_node_data(item));
        const std::string name = record->filename;
        if (name.empty() || name == "." || name == "..") continue;
        if (!names.insert(name).second && record->type == iso9660_stat_s::_STAT_DIR) *alike = true;
        if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
          ++wide;
        }
        Node folder;
        folder.extent = record->lsn;
        folder.length = record->size;
        if (record->type == iso9660_stat_s::_STAT_DIR && FitsImage(folder) && seen.insert(folder.extent).second) {
          folders.push_back((path == "/" ? "" : path) + "/" + name);
        }
      }
      iso9660_filelist_free(list);
    }
    return wide;
  }

  // libcdio 2.1 cuts the UTF-8 of a Joliet name to the bytes the name takes
  // in UCS-2: a name mostly of Chinese characters (three bytes each in
  // UTF-8, two in UCS-2) loses its end, "許" is read as two bytes of its
  // three. A cut name is no UTF-8, or longer than twice its UTF-16 units;
  // a name that fits in its UCS-2 bytes never is (under a library that
  // reads names whole, one found so is read again to the same).
  static bool CutByLibrary(const std::string& name) {
    size_t units = 0;
    for (size_t i = 0; i < name.size();) {
      const size_t length = Utf8CharacterAt(name, i);
      if (length == 0) return true;
      units += length == 4 ? 2 : 1;
      i += length;
    }
    return name.size() > 2 * units;
  }

  // The names libcdio cut, read whole from the folder's records with
  // libiso9660's layouts and libcdio's converter. The library lists the
  // records in their order: each name is that of the next record with its
  // extent whose name begins as the library's does. A name not found stays
  // as the library gave it.
  void MendCutNames(const Node& folder, std::vector<Node>* nodes) {
    if (std::none_of(nodes->begin(), nodes->end(), [](const Node& n) { return CutByLibrary(n.entry.name); })) return;
    const uint64_t count = (folder.length + kSectorBytes - 1) / kSectorBytes;
    std::vector<char> records(static_cast<size_t>(count) * kSectorBytes);
    const int64_t got = reader_->ReadSectors(records.data(), folder.extent, static_cast<int>(count));
    std::vector<std::pair<int64_t, std::string>> whole;  // extent, name
    const size_t nameAt = offsetof(iso9660_dir_t, filename) + 1;
    for (int64_t sector = 0; sector + kSectorBytes <= got; sector += kSectorBytes) {
      for (size_t at = 0; at + nameAt <= kSectorBytes;) {
        const auto* record = reinterpret_cast<const iso9660_dir_t*>(records.data() + sector + at);
        const size_t length = iso9660_get_dir_len(record);
        const size_t nameLength = record->filename.len;
        if (length < nameAt || at + length > kSectorBytes || nameAt + nameLength > length) break;
        cdio_utf8_t* name = nullptr;
        if (nameLength > 1 && cdio_charset_to_utf8(&record->filename.str[1], nameLength, &name, "UCS-2BE")) {
          whole.emplace_back(from_733(record->extent), name);
        }
        cdio_free(name);
        at += length;
      }
    }
    size_t next = 0;
    for (Node& node : *nodes) {
      for (size_t i = next; i < whole.size(); ++i) {
        if (whole[i].first != node.extent || whole[i].second.compare(0, node.entry.name.size(), node.entry.name) != 0) {
          continue;
        }
        next = i + 1;
        if (CutByLibrary(node.entry.name)) node.entry.name = whole[i].second;
        break;
      }
    }
  }

  // A name as Windows shows it, where it is not Rock Ridge's (kept as it
  // is): Joliet's without the version (";1"), and the dot before it where
  // the name has no extension; a plain one in its own case, without the
  // version or a trailing dot ("README.;1" is "README").
  std::string ShownName(std::string name) const {
    const size_t version = name.find_last_not_of("0123456789");
    const bool versioned = version != std::string::npos && name[version] == ';';
    if (versioned) name.erase(version);
    if ((versioned || names_ != Names::kJoliet) && name.size() > 1 && name.back() == '.') name.pop_back();
    return name;
  }

  std::string path_;
  std::unique_ptr<ImageReader> reader_;
  Names names_ = Names::kPlain;
};

std::string LowerExtension(const std::string& path) {
  const size_t dot = path.find_last_of(".\\/");
  if (dot == std::string::npos || path[dot] != '.') return "";
  std::string extension = path.substr(dot);
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return extension;
}

// The volume of an opened image, its names chosen; null with `error` set
// when its root folder cannot be read.
std::unique_ptr<DiscVolume> ReadImage(const std::string& path, std::unique_ptr<ImageReader> reader,
                                      std::string* error) {
  auto volume = std::make_unique<ImageVolume>(path, std::move(reader));
  if (volume->ChooseNames()) return volume;
  *error = WithLibraryMessage(DisplayPath(path) +
                              ": its root folder cannot be read (the image is damaged or cut short)");
  return nullptr;
}

// `iso` holds the 2,048-byte sectors (an .iso, or the data track of a
// MODE1/2048 BIN/CUE image that starts its file), `path` is what the user
// named; `sectors` of it are read (-1: the whole file).
std::unique_ptr<DiscVolume> OpenIso(const std::string& iso, const std::string& path, int64_t sectors,
                                    std::string* error) {
  std::string host;
  if (!plat::host::ToHostPath(iso.c_str(), &host)) {
    *error = DisplayPath(path) + ": the image lies on no mapped drive";
    return nullptr;
  }
  // Without Joliet first: allowed it, libiso9660 reads the Joliet tree
  // alone, and the Rock Ridge names beside it are never seen.
  iso9660_t* image = iso9660_open_ext(host.c_str(), ISO_EXTENSION_ROCK_RIDGE);
  if (image == nullptr) {
    *error = WithLibraryMessage(DisplayPath(path) + ": no ISO 9660 file system can be read from it");
    return nullptr;
  }
  // Files are read as every image's are, in runs straight from the file.
  const int fd = open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    iso9660_close(image);
    *error = DisplayPath(path) + ": cannot be read";
    return nullptr;
  }
  // The last sector may be cut short.
  const int64_t fileSectors = (std::max<int64_t>(0, DiskFileSize(iso)) + kSectorBytes - 1) / kSectorBytes;
  TrackLayout layout;
  layout.sectorBytes = kSectorBytes;
  auto track = std::make_unique<TrackSectors>(fd, layout, sectors < 0 ? fileSectors : sectors);
  return ReadImage(path, std::make_unique<IsoReader>(image, host, std::move(track)), error);
}

// The file a sheet names, beside the sheet or in a folder below it, each
// part of the name matched without regard to case where no file has it
// exactly; empty when there is none.
std::string FindNamedFile(const std::string& sheetFolder, const std::string& name) {
  std::string at = sheetFolder;
  size_t from = 0;
  while (from <= name.size()) {
    size_t end = name.find_first_of("/\\", from);
    if (end == std::string::npos) end = name.size();
    const std::string part = name.substr(from, end - from);
    from = end + 1;
    if (part.empty() || part == ".") continue;
    std::string next = JoinPath(at, part);
    if (!Exists(next)) {
      next.clear();
      for (const FolderItem& item : ListFolder(at)) {
        if (item.name.size() == part.size() &&
            std::equal(part.begin(), part.end(), item.name.begin(), [](char a, char b) {
              return (a >= 'a' && a <= 'z' ? a - 'a' + 'A' : a) == (b >= 'a' && b <= 'z' ? b - 'a' + 'A' : b);
            })) {
          next = JoinPath(at, item.name);
          break;
        }
      }
      if (next.empty()) return "";
    }
    at = next;
  }
  return IsFolder(at) ? "" : at;
}

// The whole of a small file (a cue sheet, a descriptor, which `what`
// names) into `bytes`: "" when it was read whole, else what is wrong.
std::string ReadSmallFile(const std::string& path, size_t most, const char* what, std::string* bytes) {
  const int64_t size = DiskFileSize(path);
  if (size < 0) return " cannot be read";
  if (size > static_cast<int64_t>(most)) return std::string(" is longer than ") + what + " can be";
  return ReadDiskFile(path, bytes) ? "" : " cannot be read";
}

std::unique_ptr<DiscVolume> OpenTrack(const std::string& data, const TrackLayout& layout, const std::string& path,
                                      std::string* error);

// `cue` is the cue sheet, `path` what the user named (the sheet or its .bin).
std::unique_ptr<DiscVolume> OpenCue(const std::string& cue, const std::string& path, std::string* error) {
  const std::string shown = DisplayPath(path);
  std::string text;
  const std::string wrong = ReadSmallFile(cue, kMaxCueBytes, "a cue sheet", &text);
  if (!wrong.empty()) {
    *error = shown + ": its cue sheet " + DisplayPath(cue) + wrong;
    return nullptr;
  }
  CueSheet sheet;
  std::string why;
  if (!ParseCueSheet(text, &sheet, &why)) {
    *error = shown + ": cannot be read as a BIN/CUE image (" + why + ")";
    return nullptr;
  }
  const CueTrack* track = DataTrack(sheet);
  if (track == nullptr) {
    *error = shown + ": its cue sheet names audio tracks only";
    return nullptr;
  }
  const std::string cueFolder = cue.substr(0, cue.find_last_of('\\') + 1);
  const std::string bin = FindNamedFile(cueFolder, sheet.files[track->file]);
  if (bin.empty()) {
    *error = shown + ": its data file " + DisplayPath(JoinPath(cueFolder, sheet.files[track->file])) + " is missing";
    return nullptr;
  }
  const int64_t fileSectors = std::max<int64_t>(0, DiskFileSize(bin)) / track->sectorBytes;
  const int64_t end = DataTrackEnd(sheet, *track);
  const int64_t last = end < 0 ? fileSectors : std::min(end, fileSectors);
  if (track->index1 >= last) {
    *error = shown + ": its data track starts past the end of " + DisplayPath(bin);
    return nullptr;
  }
  // A data track of 2,048-byte sectors starting its file is an ISO image;
  // any other is read where it lies, its file system counting its sectors
  // from its INDEX 01.
  if (track->sectorBytes == kSectorBytes && track->index1 == 0) return OpenIso(bin, path, last, error);
  TrackLayout layout;
  layout.start = track->index1 * track->sectorBytes;
  layout.sectorBytes = track->sectorBytes;
  layout.userOffset = track->userOffset;
  layout.sectors = last - track->index1;
  return OpenTrack(bin, layout, path, error);
}

// The data track `layout` tells of in `data`, `path` being what the user
// named.
std::unique_ptr<DiscVolume> OpenTrack(const std::string& data, const TrackLayout& layout, const std::string& path,
                                      std::string* error) {
  const std::string shown = DisplayPath(path);
  const int64_t size = DiskFileSize(data);
  if (size < 0) {
    *error = shown + ": its data file " + DisplayPath(data) + " cannot be read";
    return nullptr;
  }
  const int64_t fits = layout.start <= size ? (size - layout.start) / layout.sectorBytes : -1;
  if (fits <= 0 || layout.sectors > fits) {
    *error = shown + ": its data track runs past the end of " + DisplayPath(data);
    return nullptr;
  }
  std::string host;
  if (!plat::host::ToHostPath(data.c_str(), &host)) {
    *error = shown + ": the image lies on no mapped drive";
    return nullptr;
  }
  const int fd = open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *error = shown + ": its data file " + DisplayPath(data) + " cannot be read";
    return nullptr;
  }
  auto track = std::make_unique<TrackSectors>(fd, layout, layout.sectors < 0 ? fits : layout.sectors);
  auto copy = std::make_unique<RecordCopy>();
  iso9660_t* iso = nullptr;
  if (copy->Make(track.get())) iso = iso9660_open_ext(copy->Path().c_str(), ISO_EXTENSION_ROCK_RIDGE);
  if (iso == nullptr) {
    *error = WithLibraryMessage(shown + ": no ISO 9660 file system can be read from its data track");
    return nullptr;
  }
  return ReadImage(path, std::make_unique<TrackReader>(iso, std::move(copy), std::move(track)), error);
}

// The file beside `path` with its stem and the extension `lower` (without
// the dot) in either case; empty when there is none.
std::string Beside(const std::string& path, const std::string& lower) {
  const std::string stem = path.substr(0, path.find_last_of('.') + 1);
  std::string upper = lower;
  for (char& c : upper) c = static_cast<char>(c - 'a' + 'A');
  for (const std::string& e : {lower, upper}) {
    if (Exists(stem + e) && !IsFolder(stem + e)) return stem + e;
  }
  return "";
}

// A descriptor (.ccd, .mds) and its data file (.img, .mdf) beside it, given
// either.
std::unique_ptr<DiscVolume> OpenDescribed(const std::string& path, bool givenDescriptor, const char* descriptorExt,
                                          const char* dataExt, const char* kind,
                                          bool (*read)(const std::string&, TrackLayout*, std::string*),
                                          std::string* error) {
  const std::string shown = DisplayPath(path);
  const std::string descriptor = givenDescriptor ? path : Beside(path, descriptorExt);
  const std::string data = givenDescriptor ? Beside(path, dataExt) : path;
  const std::string stem = path.substr(0, path.find_last_of('.') + 1);
  if (descriptor.empty()) {
    InputFile file(path);
    std::string head(17 * kSectorBytes + 12, '\0');
    head.resize(file.IsOpen() ? file.Read(head.data(), head.size()) : 0);
    const std::string looks = DescribeSectors(head);
    *error = shown + ": " + kind + " image is read with its ." + descriptorExt + ", and there is no " +
             DisplayPath(stem + descriptorExt) + " beside it" +
             (looks.empty() ? std::string() : "; the file holds " + looks);
    return nullptr;
  }
  if (data.empty()) {
    *error = shown + ": its data file " + DisplayPath(stem + dataExt) + " is missing";
    return nullptr;
  }
  std::string bytes;
  const std::string wrong = ReadSmallFile(descriptor, kMaxDescriptorBytes, "a descriptor", &bytes);
  if (!wrong.empty()) {
    *error = shown + ": its descriptor " + DisplayPath(descriptor) + wrong;
    return nullptr;
  }
  TrackLayout layout;
  std::string why;
  if (!read(bytes, &layout, &why)) {
    *error = shown + ": cannot be read as " + kind + " image (" + why + ")";
    return nullptr;
  }
  return OpenTrack(data, layout, path, error);
}

// Fills `bytes` (sized by the caller) from byte `at` of the file `path`;
// false when the file cannot be read so far.
bool ReadAt(const std::string& path, int64_t at, std::string* bytes) {
  std::string host;
  if (!plat::host::ToHostPath(path.c_str(), &host)) return false;
  const int fd = open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const ssize_t got = pread(fd, bytes->data(), bytes->size(), static_cast<off_t>(at));
  close(fd);
  return got == static_cast<ssize_t>(bytes->size());
}

std::unique_ptr<DiscVolume> OpenNrg(const std::string& path, std::string* error) {
  const std::string shown = DisplayPath(path);
  const int64_t size = DiskFileSize(path);
  if (size < 0) {
    *error = shown + ": cannot be read";
    return nullptr;
  }
  const int64_t footerAt = std::max<int64_t>(0, size - 12);
  std::string footer(static_cast<size_t>(size - footerAt), '\0');
  const int64_t chunksAt = ReadAt(path, footerAt, &footer) ? NrgChunksAt(footer, static_cast<uint64_t>(size)) : -1;
  TrackLayout layout;
  std::string why = "it has no NER5 or NERO footer";
  if (chunksAt >= 0) {
    const int64_t tailAt = std::max<int64_t>(chunksAt, size - static_cast<int64_t>(kMaxNrgChunkBytes));
    std::string tail(static_cast<size_t>(size - tailAt), '\0');
    if (!ReadAt(path, tailAt, &tail)) {
      *error = shown + ": cannot be read";
      return nullptr;
    }
    if (ReadNrg(tail, static_cast<uint64_t>(tailAt), static_cast<uint64_t>(size), &layout, &why)) {
      return OpenTrack(path, layout, path, error);
    }
  }
  *error = shown + ": cannot be read as a Nero image (" + why + ")";
  return nullptr;
}

bool IsChd(const std::string& path) {
  InputFile file(path);
  char magic[8] = {};
  return file.Read(magic, sizeof magic) == static_cast<int>(sizeof magic) && std::memcmp(magic, "MComprHD", 8) == 0;
}

}  // namespace

std::unique_ptr<DiscVolume> OpenImageVolume(const std::string& path, std::string* error) {
  QuietLibrary();
  const std::string extension = LowerExtension(path);
  if (extension == ".chd" || IsChd(path)) {
    *error = DisplayPath(path) +
             ": a CHD image, which this program does not read: turn it into a BIN/CUE image with chdman extractcd "
             "-i <image>.chd -o <image>.cue, then give the .cue";
    return nullptr;
  }
  if (extension == ".iso") return OpenIso(path, path, -1, error);
  if (extension == ".cue") return OpenCue(path, path, error);
  if (extension == ".ccd" || extension == ".img") {
    return OpenDescribed(path, extension == ".ccd", "ccd", "img", "a CloneCD", ReadCcd, error);
  }
  if (extension == ".mds" || extension == ".mdf") {
    return OpenDescribed(path, extension == ".mds", "mds", "mdf", "an Alcohol", ReadMds, error);
  }
  if (extension == ".nrg") return OpenNrg(path, error);
  if (extension == ".bin") {
    const std::string stem = path.substr(0, path.size() - 3);
    for (const char* cue : {"cue", "CUE"}) {
      if (Exists(stem + cue)) return OpenCue(stem + cue, path, error);
    }
    *error = DisplayPath(path) + ": a .bin image is read with its cue sheet, and there is no " +
             DisplayPath(stem + "cue") + " beside it";
    return nullptr;
  }
  *error = DisplayPath(path) +
           ": neither a disc folder nor a disc image this program reads (.iso, .cue, or a .bin with its .cue beside it, .ccd, .mds, .nrg)";
  return nullptr;
}

}  // namespace gamedisc
