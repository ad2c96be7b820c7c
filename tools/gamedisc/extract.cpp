#include "extract.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <unordered_map>
#include <memory>

#include "a_name.h"
#include "a_util.h"
#include "cli.h"
#include "code_pages.h"
#include "discset.h"
#include "fold_case.h"
#include "manifest.h"
#include "output_tree.h"
#include "pack.h"
#include "platform_system.h"
#include "setup_header.h"
#include "stored_path.h"
#include "tool_files.h"
#include "tool_os.h"

namespace gamedisc {

namespace {

std::string CodePageName(unsigned codePage) {
  const disc::DiscCodePage* page = disc::FindDiscCodePage(codePage);
  return disc::DescribeDiscCodePage(page != nullptr ? *page : disc::kDiscCodePages[0]);
}

bool HasHighBytes(const std::string& text) {
  for (unsigned char c : text) {
    if (c >= 0x80) return true;
  }
  return false;
}

// A path's key in the tree: Windows matches names without regard to the
// case of A to Z, so "\Data\a" and "\DATA\a" are one file there, and must
// be one here. UTF-8 keeps every byte of a non-ASCII character above 0x7F.
std::string TreeKey(const TreePath& path, size_t count) {
  std::string key;
  for (size_t i = 0; i < count; ++i) {
    key += '/';
    for (char c : path[i]) key += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return key;
}

std::string Megabytes(uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / 1e6);
  return text;
}

// The discs given, each by the number of its archive (cdN in its root).
struct GivenDiscs {
  std::vector<std::unique_ptr<DiscVolume>> volumes;  // index: disc - 1; null where not given
  DiscVolume* Disc(int disc) const {
    return disc >= 1 && static_cast<size_t>(disc) <= volumes.size() ? volumes[static_cast<size_t>(disc - 1)].get()
                                                                   : nullptr;
  }
};

// The disc number of a volume: its root holds the archive "cdN".
int DiscNumberOf(DiscVolume* volume) {
  std::vector<VolumeEntry> entries;
  if (!volume->List("", &entries)) return 0;
  for (const VolumeEntry& e : entries) {
    const std::string& n = e.name;
    if (e.folder || n.size() < 3 || n.size() > 5 || (n[0] != 'c' && n[0] != 'C') || (n[1] != 'd' && n[1] != 'D') ||
        n[2] == '0') {
      continue;
    }
    if (n.find_first_not_of("0123456789", 2) == std::string::npos) return std::atoi(n.c_str() + 2);
  }
  return 0;
}

// Lists the data folder's names (for the guess) without writing.
void CollectNames(DiscVolume* volume, const std::string& folder, std::vector<std::string>* names, int depth) {
  std::vector<VolumeEntry> entries;
  if (depth > 64 || !volume->List(folder, &entries)) return;
  for (const VolumeEntry& e : entries) {
    if (!e.utf8) names->push_back(e.name);
    if (e.folder) CollectNames(volume, folder + "\\" + e.name, names, depth + 1);
  }
}

// The progress line: bytes against the header's install size, files, disc.
class Progress {
 public:
  Progress(const ExtractOutput& output, bool shown) : output_(output), shown_(shown) {}
  void Start(uint64_t total, int discs) {
    total_ = total;
    discs_ = discs;
  }
  void Disc(int disc) {
    disc_ = disc;
    Draw(true);
  }
  void Bytes(uint64_t n) {
    bytes_ += n;
    Draw(false);
  }
  void File() { ++files_; }
  void Clear() {
    if (shown_ && drawn_) output_.progress("");
    drawn_ = false;
  }

 private:
  void Draw(bool now) {
    if (!shown_) return;
    const auto time = std::chrono::steady_clock::now();
    if (!now && drawn_ && time - last_ < std::chrono::milliseconds(100)) return;
    last_ = time;
    drawn_ = true;
    const uint64_t percent = total_ == 0 ? 100 : (bytes_ >= total_ ? 100 : bytes_ * 100 / total_);
    const size_t width = 24, filled = static_cast<size_t>(percent * width / 100);
    output_.progress(std::string(percent < 10 ? "  " : percent < 100 ? " " : "") + std::to_string(percent) + "% [" +
                     std::string(filled, '#') + std::string(width - filled, '-') + "] " + Megabytes(bytes_) + " / " +
                     Megabytes(total_) + " MB, " + std::to_string(files_) + " files, disc " + std::to_string(disc_) +
                     " of " + std::to_string(discs_));
  }

  const ExtractOutput& output_;
  const bool shown_;
  bool drawn_ = false;
  uint64_t total_ = 0, bytes_ = 0, files_ = 0;
  int discs_ = 0, disc_ = 0;
  std::chrono::steady_clock::time_point last_;
};

// A file that ends up in the tree, as list shows it and the list of files
// checks it.
struct TreeFile {
  TreePath path;
  uint64_t size = 0;
  uint32_t crc = 0;
  bool fromData = false;
  int disc = 1;  // where it begins
};

class Extractor : public disc::ArchiveSink {
 public:
  Extractor(const ExtractOptions& options, const ExtractOutput& output, ExtractResult* result)
      : options_(options), output_(output), result_(result),
        progress_(output, options.progress && options.mode != ExtractMode::kList) {}

  int Run();

  // disc::ArchiveSink: what the walk meets, written to the tree. The reader
  // below it (discset) tells the damage.
  bool DiscStart(int disc) override {
    progress_.Disc(disc);
    return true;
  }
  bool Folder(const std::string& stored, int, int64_t) override {
    TreePath path;
    return StoredPath(stored, &path) && MakeFolders(path, path.size());
  }
  bool FileStart(const disc::WalkFile& file, int64_t) override {
    TreePath path;
    if (!StoredPath(file.path, &path) || !StartFile(path)) return false;
    open_ = path;
    return true;
  }
  bool FileData(const disc::WalkFile&, const unsigned char* data, size_t length, int64_t) override {
    progress_.Bytes(length);
    return tree_ == nullptr || tree_->Write(data, length, &error_);
  }
  bool FileEnd(const disc::WalkFile& file, int64_t) override {
    if (tree_ != nullptr && !tree_->CloseFile(&error_)) return false;
    return Written(open_, false, file.firstDisc, file.size, file.crc);
  }
  // The reader the walk tells first names the damage with its disc file.
  void Damaged(const disc::WalkDamage&) override {}

 private:
  int Usage(const std::string& problem) {
    output_.warn("gamedisc: " + problem + "\n(gamedisc help extract shows the options)");
    Verdict("usage", kExitUsage, ",\"error\":" + JsonString(problem));
    return kExitUsage;
  }
  int Fault(const std::string& problem) {
    progress_.Clear();
    output_.warn("gamedisc: " + problem);
    Verdict("fault", kExitFault, ",\"error\":" + JsonString(problem));
    // Named only now: a list of them all as they go costs as much again as
    // the files' own record.
    if (tree_ != nullptr && result_->written.empty()) {
      for (const TreeFile& f : files_) result_->written.push_back(tree_->Shown(f.path));
    }
    if (!result_->written.empty()) {
      output_.warn("gamedisc: " + std::to_string(result_->written.size()) +
                   " file(s) were written before this and stay where they are:");
      for (const std::string& w : result_->written) output_.warn("  " + w);
    }
    return kExitFault;
  }
  int FaultOf(const gamedisc::Fault& fault) {
    // A walk stopped by the sink: the sink's own reason.
    if (fault.reason.empty()) return Fault(error_);
    gamedisc::Fault shown = fault;
    return Fault(DescribeFault(shown));
  }

  bool OpenDiscs();
  bool ReadHeader(disc::SetupHeader* header);
  bool ChooseCodePage(const disc::SetupHeader& header);
  void Decide(unsigned guess) {
    if (guess == 0) return;
    decided_ = true;
    result_->codePage = codePage_ = guess;
    result_->guessed = true;
    progress_.Clear();
    output_.warn("gamedisc: note: the disc's names are read as code page " + CodePageName(guess) +
                 ", a guess from the names themselves; if they look wrong, --names 950, 936 or 1252 reads them "
                 "otherwise");
  }
  bool ReadSmallFile(const std::string& path, std::string* bytes, bool* found);
  bool ReadManifest();
  bool CopyData(const std::string& folder, const TreePath& path);
  void Report();
  bool ReadList();
  bool Written(const TreePath& path, bool fromData, int firstDisc, uint64_t size, uint32_t crc);
  // The closing object of a JSON report.
  void Verdict(const char* verdict, int exitCode, const std::string& rest) {
    if (options_.json) {
      output_.say(std::string("{\"verdict\":\"") + verdict + "\",\"exit\":" + std::to_string(exitCode) + rest + "}");
    }
  }
  bool AllListedMet();
  std::string ShownPath(const TreePath& path) const {
    if (tree_ != nullptr) return tree_->Shown(path);
    std::string shown;
    for (const std::string& name : path) shown += (shown.empty() ? "" : "/") + name;
    return shown;
  }

  // The stored path "\a\b" (code-page bytes) as tree components.
  bool StoredPath(const std::string& stored, TreePath* path) {
    if (!decided_ && HasHighBytes(stored)) Decide(GuessCodePage({stored}));
    const unsigned codePage = codePage_;
    if (CheckStoredPath(stored.c_str(), stored.size() + 1, codePage) != PathVerdict::kSafe) {
      error_ = "the stored name " + Shown(stored, codePage) + " is not safe where the code page is " +
               std::to_string(codePage);
      return false;
    }
    path->clear();
    std::string name;
    const char* p = stored.c_str() + 1;  // past the leading "\"
    for (;;) {
      const size_t size = a_char_size(codePage, p);
      if (*p == '\0' || (size == 1 && *p == '\\')) {
        if (!Component(name, false, path)) return false;
        name.clear();
        if (*p == '\0') return true;
        ++p;
        continue;
      }
      name.append(p, size);
      p += size;
    }
  }

  // One name, in its reading, checked once more as the file system takes it.
  bool Component(const std::string& bytes, bool utf8, TreePath* path) {
    std::string name = bytes;
    if (!utf8 && HasHighBytes(bytes) && !NameToUtf8(bytes, codePage_, &name)) {
      error_ = "the name " + Shown(bytes, 0) + " does not read in code page " + CodePageName(codePage_) +
               ": --names chooses another reading";
      return false;
    }
    if (name.empty() || name == "." || name == ".." || name.find_first_of(std::string("/\\\0", 3)) != std::string::npos) {
      error_ = "the name " + Shown(bytes, 0) + " is not safe to write";
      return false;
    }
    path->push_back(name);
    return true;
  }

  // A name for a message: UTF-8 where it reads, else its bytes escaped.
  std::string Shown(const std::string& bytes, unsigned codePage) const {
    std::string utf8;
    if (!HasHighBytes(bytes)) return bytes;
    if (NameToUtf8(bytes, codePage != 0 ? codePage : codePage_, &utf8)) return utf8;
    std::string shown;
    char hex[8];
    for (unsigned char c : bytes) {
      if (c >= 0x20 && c < 0x7F) {
        shown += static_cast<char>(c);
      } else {
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        shown += hex;
      }
    }
    return shown;
  }

  // Spells each name of `path` as the tree first saw it (case aside), and
  // makes its first `count` names as folders.
  bool MakeFolders(TreePath& path, size_t count) {
    for (size_t i = 0; i < path.size(); ++i) {
      const std::string key = TreeKey(path, i + 1);
      auto seen = spelled_.find(key);
      if (seen != spelled_.end()) {
        path[i] = seen->second;
        continue;
      }
      auto file = keys_.find(key);
      if (file != keys_.end() && file->second.file != kNone) {
        path[i] = files_[file->second.file].path.back();
        continue;
      }
      if (i >= count) break;
      spelled_[key] = path[i];
      const TreePath folder(path.begin(), path.begin() + static_cast<long>(i) + 1);
      if (tree_ != nullptr && !tree_->MakeFolder(folder, &error_)) return false;
      ++folders_;
    }
    return true;
  }

  bool StartFile(TreePath& path) {
    if (!MakeFolders(path, path.size() - 1)) return false;
    // MakeFolders spelt the name as first seen; a file seen before is written
    // again (the data folder over the archives).
    const std::string key = TreeKey(path, path.size());
    const auto file = keys_.find(key);
    const bool again = spelled_.count(key) != 0 || (file != keys_.end() && file->second.file != kNone);
    if (!again) Entry(path);
    if (tree_ == nullptr) return true;
    return tree_->CreateFile(path, again || options_.force, &error_);
  }

  TreeFile& Entry(const TreePath& path) {
    Keyed& keyed = keys_[TreeKey(path, path.size())];
    if (keyed.file != kNone) return files_[keyed.file];
    keyed.file = files_.size();
    files_.push_back(TreeFile());
    files_.back().path = path;
    return files_.back();
  }

  const ExtractOptions& options_;
  const ExtractOutput& output_;
  ExtractResult* result_;
  Progress progress_;
  GivenDiscs discs_;
  int discCount_ = 0;
  unsigned codePage_ = plat::kCodePageWestern;
  bool decided_ = true;  // false while no name has told the code page
  std::unique_ptr<OutputTree> tree_;
  std::string error_;
  TreePath open_;
  std::unordered_map<std::string, std::string> spelled_;  // a folder's TreeKey -> its name as first written
  std::vector<TreeFile> files_;  // in the order they were begun
  // By TreeKey: the file of files_ there, and its rows of list_.files, of
  // the archives [0] and of the data folder [1]. One key a path, however
  // many of them there are.
  static constexpr size_t kNone = SIZE_MAX;
  struct Keyed {
    size_t file = kNone;
    size_t rows[2] = {kNone, kNone};
  };
  std::unordered_map<std::string, Keyed> keys_;
  size_t folders_ = 0;
  bool hasList_ = false;
  Manifest list_;
  std::string listText_;
  std::vector<bool> met_;
  std::vector<std::string> dataNames_;  // the data folder's names, for the guess
};

bool Extractor::OpenDiscs() {
  std::vector<std::string> paths;
  for (const std::string& given : options_.discs) {
    // A folder a build wrote: its disc1, disc2, ...
    if (IsFolder(JoinPath(given, "disc1"))) {
      for (int d = 1; IsFolder(JoinPath(given, "disc" + std::to_string(d))); ++d) {
        paths.push_back(JoinPath(given, "disc" + std::to_string(d)));
      }
    } else {
      paths.push_back(given);
    }
  }
  for (const std::string& path : paths) {
    std::string problem;
    std::unique_ptr<DiscVolume> volume = OpenVolume(path, &problem);
    if (volume == nullptr) {
      error_ = problem;
      return false;
    }
    const int disc = DiscNumberOf(volume.get());
    if (disc < 1) {
      error_ = volume->Name() + " is no disc of a game set: its root holds no archive (cd1, cd2, ...)";
      return false;
    }
    if (static_cast<size_t>(disc) > discs_.volumes.size()) discs_.volumes.resize(static_cast<size_t>(disc));
    std::unique_ptr<DiscVolume>& slot = discs_.volumes[static_cast<size_t>(disc - 1)];
    if (slot != nullptr) {
      error_ = slot->Name() + " and " + volume->Name() + " are both disc " + std::to_string(disc);
      return false;
    }
    slot = std::move(volume);
  }
  return true;
}

bool Extractor::ReadHeader(disc::SetupHeader* header) {
  DiscVolume* first = discs_.Disc(1);
  if (first == nullptr) {
    error_ = "disc 1 is missing: it carries the setup header (cd1); give every disc of the set";
    return false;
  }
  std::unique_ptr<VolumeFile> cd1 = first->Open("cd1");
  if (cd1 == nullptr || !header->Load(cd1.get())) {
    error_ = "disc 1 (" + first->Name() + "): cd1 " +
             (cd1 != nullptr && !cd1->Failed() ? "is shorter than the 168-byte setup header" : "cannot be read");
    return false;
  }
  discCount_ = header->discCount;
  std::string missing;
  for (int d = 1; d <= discCount_ && d <= 999; ++d) {
    if (discs_.Disc(d) == nullptr) missing += (missing.empty() ? "" : ", ") + std::to_string(d);
  }
  if (!missing.empty()) {
    error_ = "the set has " + std::to_string(discCount_) + " discs and disc " + missing +
             (missing.find(',') != std::string::npos ? " are" : " is") +
             " missing: give every disc's folder or image (in any order)";
    return false;
  }
  for (int d = discCount_ + 1; static_cast<size_t>(d) <= discs_.volumes.size(); ++d) {
    if (discs_.Disc(d) != nullptr) {
      error_ = discs_.Disc(d)->Name() + " is disc " + std::to_string(d) + ", but the set has " +
               std::to_string(discCount_) + " discs";
      return false;
    }
  }
  return true;
}

// A whole small file of disc 1; false with error_ set when it cannot be
// read, true with `found` false when the disc has no such file.
bool Extractor::ReadSmallFile(const std::string& path, std::string* bytes, bool* found) {
  DiscVolume* disc1 = discs_.Disc(1);
  std::unique_ptr<VolumeFile> file = disc1->Open(path);
  *found = file != nullptr;
  if (file == nullptr) return true;
  const int64_t size = file->Size();
  if (size < 0 || size > (64 << 20)) {
    error_ = "disc 1 (" + disc1->Name() + "): " + path + " is too large (" + std::to_string(size) + " bytes)";
    return false;
  }
  bytes->assign(static_cast<size_t>(size), '\0');
  if (size > 0 && file->Read(&(*bytes)[0], static_cast<int>(size)) != static_cast<int>(size)) {
    error_ = "disc 1 (" + disc1->Name() + "): " + path + " cannot be read";
    return false;
  }
  return true;
}

// The list of files, from the setupdata folder or, as setup opens it, from
// the setupdata package.
bool Extractor::ReadManifest() {
  if (!ReadSmallFile(kManifestFile, &listText_, &hasList_)) return false;
  if (hasList_) return true;
  std::string package;
  bool found = false;
  if (!ReadSmallFile("setupdata.apkg", &package, &found)) return false;
  if (!found) return true;
  std::vector<disc::PackageEntry> entries;
  std::string problem;
  if (!ReadPackage(package, &entries, &problem)) {
    error_ = "disc 1 (" + discs_.Disc(1)->Name() + "): setupdata.apkg: " + problem;
    return false;
  }
  for (const disc::PackageEntry& e : entries) {
    if (alib::SameFolded(e.name, std::string(disc::kManifestName), alib::PackageChars())) {
      listText_ = e.data;
      hasList_ = true;
      break;
    }
  }
  return true;
}

bool Extractor::ChooseCodePage(const disc::SetupHeader& header) {
  if (options_.codePage != 0) {
    codePage_ = options_.codePage;
    result_->codePage = codePage_;
    return true;
  }
  // The names known before the archives are read: the header's texts, the
  // list of files, the data folder.
  std::vector<std::string> names = {header.companyName, header.gameName};
  TextTable table;
  table.LoadBytes(listText_.data(), static_cast<int>(listText_.size()));
  for (int row = 0; row < table.rowCount; ++row) {
    for (int column = 1; column < table.CellCount(row); ++column) names.push_back(table.Cell(column, row));
  }
  table.Unload();
  names.insert(names.end(), dataNames_.begin(), dataNames_.end());
  // All of them ASCII (a set without a list of files): the first name of
  // the archives that is not decides.
  decided_ = false;
  result_->codePage = codePage_;
  Decide(GuessCodePage(names));
  return true;
}

int Extractor::Run() {
  if (options_.discs.empty()) return Usage("extract needs the discs: their folders or images");
  if (options_.mode == ExtractMode::kWrite && options_.out.empty()) {
    return Usage("extract needs --out FOLDER (or --list or --test)");
  }
  for (const std::string& d : options_.discs) {
    if (!Exists(d)) return Usage(DisplayPath(d) + " does not exist");
  }
  disc::SetupHeader header{};
  if (!OpenDiscs() || !ReadHeader(&header) || !ReadManifest()) return Fault(error_);
  CollectNames(discs_.Disc(1), "data", &dataNames_, 0);
  ChooseCodePage(header);
  if (hasList_ && !ReadList()) return Fault(error_);
  if (options_.mode == ExtractMode::kWrite) {
    tree_ = OpenOutputTree(options_.out, options_.force, &error_);
    if (tree_ == nullptr) return Fault(error_);
  }
  if (!options_.quiet && !options_.json) {
    output_.say(std::string(options_.mode == ExtractMode::kWrite ? "Extracting " : options_.mode == ExtractMode::kList ? "Listing " : "Testing ") +
                Shown(header.gameName, 0) + " (" + Shown(header.companyName, 0) + "), " + std::to_string(discCount_) +
                (discCount_ == 1 ? " disc" : " discs") +
                (tree_ != nullptr ? ", into " + DisplayPath(options_.out) : std::string()));
  }
  progress_.Start(header.installSize, discCount_);
  ArchiveSource source;
  source.open = [this](int disc) -> std::unique_ptr<VolumeFile> {
    DiscVolume* volume = discs_.Disc(disc);
    return volume != nullptr ? volume->Open("cd" + std::to_string(disc)) : nullptr;
  };
  source.name = [this](int disc) {
    DiscVolume* volume = discs_.Disc(disc);
    return volume != nullptr ? JoinPath(volume->Name(), "cd" + std::to_string(disc)) : std::string();
  };
  DiscContents contents;
  gamedisc::Fault fault;
  // Undecided, the names are checked on every code page until one is chosen.
  if (!ReadArchivesFrom(source, decided_ ? codePage_ : 0, this, &contents, &fault)) return FaultOf(fault);
  // Disc 1's data folder goes over what the archives wrote, as setup copies it.
  std::vector<VolumeEntry> data;
  progress_.Disc(1);
  if (discs_.Disc(1)->List("data", &data) && !CopyData("data", TreePath())) return Fault(error_);
  if (hasList_ && !AllListedMet()) return Fault(error_);
  progress_.Clear();
  Report();
  return kExitOk;
}

void Extractor::Report() {
  uint64_t bytes = 0;
  for (const TreeFile& f : files_) bytes += f.size;
  if (options_.json) {
    for (const TreeFile& f : files_) {
      char crc[9];
      std::snprintf(crc, sizeof crc, "%08x", static_cast<unsigned>(f.crc));
      output_.say("{\"file\":" + JsonString(ShownPath(f.path)) + ",\"size\":" + std::to_string(f.size) +
                  ",\"disc\":" + std::to_string(f.disc) + ",\"crc32\":\"" + crc + "\"}");
    }
  } else if (options_.mode == ExtractMode::kList) {
    for (const TreeFile& f : files_) {
      char size[24];
      std::snprintf(size, sizeof size, "%12llu", static_cast<unsigned long long>(f.size));
      output_.say(std::string(size) + "  " + ShownPath(f.path));
    }
  }
  const std::string counts = std::to_string(files_.size()) + " files and " + std::to_string(folders_) + " folders (" +
                             std::to_string(bytes) + " bytes)";
  if (hasList_) {
    if (!options_.quiet && !options_.json) output_.say("Every file matches the disc's list of files (size and CRC-32).");
  } else {
    output_.warn(std::string("gamedisc: note: the set carries no list of files (") + kManifestFile +
                 "): nothing could be cross-checked beyond the records themselves");
  }
  if (options_.json) {
    Verdict("ok", kExitOk, ",\"files\":" + std::to_string(files_.size()) + ",\"folders\":" + std::to_string(folders_) +
                               ",\"bytes\":" + std::to_string(bytes) + ",\"discs\":" + std::to_string(discCount_) +
                               ",\"listed\":" + (hasList_ ? "true" : "false"));
    return;
  }
  if (options_.mode == ExtractMode::kWrite) {
    output_.say("Extracted " + counts + " from " + std::to_string(discCount_) + (discCount_ == 1 ? " disc" : " discs") +
                " into " + DisplayPath(options_.out) + ".");
  } else {
    output_.say("No errors detected: " + counts + " in " + std::to_string(discCount_) +
                (discCount_ == 1 ? " disc." : " discs."));
  }
}

bool Extractor::CopyData(const std::string& folder, const TreePath& path) {
  DiscVolume* disc1 = discs_.Disc(1);
  std::vector<VolumeEntry> entries;
  if (!disc1->List(folder, &entries)) {
    error_ = "disc 1 (" + disc1->Name() + "): the folder " + folder + " cannot be read";
    return false;
  }
  std::vector<char> buffer(1 << 18);
  for (const VolumeEntry& e : entries) {
    TreePath inner = path;
    if (!Component(e.name, e.utf8, &inner)) return false;
    const std::string from = folder + "\\" + e.name;
    if (e.folder) {
      if (inner.size() > 64) {
        error_ = "disc 1 (" + disc1->Name() + "): " + from + " lies too deep";
        return false;
      }
      if (!MakeFolders(inner, inner.size()) || !CopyData(from, inner)) return false;
      continue;
    }
    std::unique_ptr<VolumeFile> in = disc1->Open(from);
    if (in == nullptr) {
      error_ = "disc 1 (" + disc1->Name() + "): " + Shown(from, 0) + " cannot be opened";
      return false;
    }
    if (!StartFile(inner)) return false;
    FileSum sum;
    for (;;) {
      const int n = in->Read(buffer.data(), static_cast<int>(buffer.size()));
      if (n <= 0) break;
      sum.Add(buffer.data(), static_cast<size_t>(n));
      progress_.Bytes(static_cast<uint64_t>(n));
      if (tree_ != nullptr && !tree_->Write(buffer.data(), static_cast<size_t>(n), &error_)) return false;
    }
    if (in->Failed()) {
      error_ = "disc 1 (" + disc1->Name() + "): " + Shown(from, 0) + " cannot be read";
      return false;
    }
    if (tree_ != nullptr && !tree_->CloseFile(&error_)) return false;
    if (!Written(inner, true, 1, sum.size, sum.crc)) return false;
  }
  return true;
}

// The list of files, read as the chosen code page reads it: each row by
// its key in the tree.
bool Extractor::ReadList() {
  TextTable table;
  table.LoadBytes(listText_.data(), static_cast<int>(listText_.size()));
  std::string reason;
  const bool parsed = list_.Parse(table, codePage_, &reason);
  table.Unload();
  const std::string where = "disc 1 (" + discs_.Disc(1)->Name() + "): " + kManifestFile;
  if (!parsed) {
    error_ = where + ": " + reason;
    return false;
  }
  if (list_.discCount != discCount_) {
    error_ = where + " is of a set of " + std::to_string(list_.discCount) + " discs; the setup header gives " +
             std::to_string(discCount_);
    return false;
  }
  for (size_t i = 0; i < list_.files.size(); ++i) {
    const ManifestFile& row = list_.files[i];
    TreePath path;
    if (!StoredPath(row.path, &path)) return false;
    keys_[TreeKey(path, path.size())].rows[row.source == ManifestSource::kData ? 1 : 0] = i;
  }
  met_.assign(list_.files.size(), false);
  return true;
}

// A file written whole: checked against its row, as setup checks each file
// as it writes it.
bool Extractor::Written(const TreePath& path, bool fromData, int firstDisc, uint64_t size, uint32_t crc) {
  progress_.File();
  TreeFile& entry = Entry(path);
  entry.size = size;
  entry.crc = crc;
  entry.fromData = fromData;
  entry.disc = fromData ? 1 : firstDisc;
  if (!hasList_) return true;
  const auto keyed = keys_.find(TreeKey(path, path.size()));
  const size_t row = keyed == keys_.end() ? kNone : keyed->second.rows[fromData ? 1 : 0];
  const ManifestFile* listed = row == kNone ? nullptr : &list_.files[row];
  error_ = ListedMismatch(listed, ShownPath(path), fromData ? 0 : firstDisc, size, crc);
  if (!error_.empty()) return false;
  met_[row] = true;
  return true;
}

// Every row of the list must have been met: a file the discs lost is named.
bool Extractor::AllListedMet() {
  for (size_t i = 0; i < met_.size(); ++i) {
    if (met_[i]) continue;
    const ManifestFile& row = list_.files[i];
    error_ = Shown(row.path, 0) + " is in the disc's list of files but " +
             (row.source == ManifestSource::kData ? std::string("not in disc 1's data folder")
                                                  : "not in the archives (from disc " + std::to_string(row.disc) + ")");
    return false;
  }
  return true;
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
      ++i;
      continue;
    }
    const size_t length = Utf8CharacterAt(text, i);
    if (length == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
      continue;
    }
    out.append(text, i, length);
    i += length;
  }
  return out + "\"";
}

ExtractResult Extract(const ExtractOptions& options, const ExtractOutput& output) {
  ExtractResult result;
  Extractor extractor(options, output, &result);
  result.exitCode = extractor.Run();
  return result;
}

unsigned GuessCodePage(const std::vector<std::string>& names) {
  bool any = false, big5 = true, gbk = true, leadBelowA1 = false, trailBelowA1 = false, big5Lead = false;
  std::string unused;
  for (const std::string& name : names) {
    if (!HasHighBytes(name)) continue;
    any = true;
    big5 = big5 && NameToUtf8(name, plat::kCodePageBig5, &unused);
    gbk = gbk && NameToUtf8(name, plat::kCodePageGbk, &unused);
    for (size_t i = 0; i + 1 < name.size(); ++i) {
      const unsigned char lead = static_cast<unsigned char>(name[i]), trail = static_cast<unsigned char>(name[i + 1]);
      if (lead < 0x80) continue;
      // Big5's characters begin at 0xA1 and GB2312's (the GBK text most
      // names use) lie with both bytes from 0xA1; lead bytes 0xA4 to 0xAF
      // are Big5's most used characters but kana, symbols or nothing in
      // GB2312.
      leadBelowA1 = leadBelowA1 || lead < 0xA1;
      trailBelowA1 = trailBelowA1 || trail < 0xA1;
      big5Lead = big5Lead || (lead >= 0xA4 && lead <= 0xAF);
      ++i;
    }
  }
  if (!any) return 0;
  if (big5 != gbk) return big5 ? plat::kCodePageBig5 : plat::kCodePageGbk;
  if (!big5) return plat::kCodePageWestern;
  if (leadBelowA1) return plat::kCodePageGbk;
  if (trailBelowA1 || big5Lead) return plat::kCodePageBig5;
  return plat::kCodePageGbk;
}

}  // namespace gamedisc
