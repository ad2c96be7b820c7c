#include "discset.h"

#include <cstring>
#include <iterator>

#include "a_file.h"
#include "a_inflate.h"
#include "a_mem.h"
#include "a_pic.h"
#include "a_util.h"
#include "code_pages.h"
#include "manifest.h"
#include "message_keys.h"
#include "little_endian.h"
#include "pack.h"
#include "picture_format.h"
#include "archive_walk.h"
#include "record_reader.h"
#include "records.h"
#include "setup_header.h"
#include "installer_limits.h"
#include "stored_path.h"
#include "tool_files.h"
#include "tool_os.h"

namespace gamedisc {

namespace {

using disc::kMaxPackedBytes;
using disc::kMaxPieceBytes;
using disc::kSetupHeaderBytes;


std::string ArchiveName(int disc) { return "cd" + std::to_string(disc); }

// The archive of disc `disc` (1-based), or the disc's root when the set has
// no such disc.
std::string ArchivePath(const DiscSet& set, int disc) {
  if (disc < 1 || static_cast<size_t>(disc) > set.roots.size()) return "disc " + std::to_string(disc);
  return JoinPath(set.roots[static_cast<size_t>(disc - 1)], ArchiveName(disc));
}

// A disc folder's archive, read through the seam (and through a package,
// as setup opens it).
class HandleFile : public VolumeFile {
 public:
  bool Open(const std::string& path) { return file_.OpenRead(path.c_str()) != 0; }
  ~HandleFile() override { file_.Close(); }
  int Read(void* buffer, int length) override { return file_.Read(buffer, length); }
  bool Failed() const override { return file_.Failed() != 0; }
  int64_t Size() const override { return const_cast<FileHandle&>(file_).Size(); }

 private:
  FileHandle file_;
};

ArchiveSource FolderArchives(const DiscSet& set) {
  ArchiveSource source;
  source.name = [&set](int disc) {
    return disc < 1 || static_cast<size_t>(disc) > set.roots.size() ? std::string() : ArchivePath(set, disc);
  };
  source.open = [&set](int disc) -> std::unique_ptr<VolumeFile> {
    if (disc < 1 || static_cast<size_t>(disc) > set.roots.size()) return nullptr;
    auto file = std::make_unique<HandleFile>();
    if (!file->Open(ArchivePath(set, disc))) return nullptr;
    return file;
  };
  return source;
}

// Walks the records of every disc as the copy engine reads them, through
// the one walk: what setup would pass over is a fault here, and what only
// some systems refuse a note. Builds the contents and tells `sink` (extract)
// every folder and piece.
class ArchiveReader : public disc::ArchiveSink {
 public:
  ArchiveReader(const ArchiveSource& source, unsigned codePage, disc::ArchiveSink* sink, DiscContents* contents,
                Fault* fault, const std::function<void(const ArchivedFile&)>& onFile)
      : source_(source), sink_(sink), contents_(contents), fault_(fault), onFile_(onFile),
        walk_(Rules(codePage), this), packed_(kMaxPackedBytes), unpacked_(kMaxPieceBytes) {}

  bool Run();

  // disc::ArchiveSink
  bool DiscStart(int disc) override { return sink_ == nullptr || sink_->DiscStart(disc); }
  bool Name(int8_t tag, const std::string& path, size_t unpacked, int64_t offset) override {
    if (path.size() > kMaxStoredPath) return Fail(offset, "a stored name is longer than 242 bytes: " + path);
    std::string target = DefaultTargetFolder(contents_->companyName, contents_->gameName);
    if (target.size() + path.size() > kMaxPath) {
      return Fail(offset, "a stored name is too long for the default install folder: " + path);
    }
    return sink_ == nullptr || sink_->Name(tag, path, unpacked, offset) || Fail(offset, "");
  }
  bool Folder(const std::string& path, int disc, int64_t offset) override {
    contents_->folders.push_back({path, disc});
    return sink_ == nullptr || sink_->Folder(path, disc, offset) || Fail(offset, "");
  }
  bool FileStart(const disc::WalkFile& file, int64_t offset) override {
    // A sink keeps what it needs of each file: only the open one stays here.
    if (sink_ != nullptr && !contents_->files.empty()) {
      contents_->files.back() = {file.path, 0, file.firstDisc, file.lastDisc};
    } else {
      contents_->files.push_back({file.path, 0, file.firstDisc, file.lastDisc});
    }
    return sink_ == nullptr || sink_->FileStart(file, offset) || Fail(offset, "");
  }
  bool FileData(const disc::WalkFile& file, const unsigned char* data, size_t length, int64_t offset) override {
    Update(file);
    return sink_ == nullptr || sink_->FileData(file, data, length, offset) || Fail(offset, "");
  }
  bool FileEnd(const disc::WalkFile& file, int64_t offset) override {
    const ArchivedFile& f = Update(file);
    if (onFile_) onFile_(f);
    return sink_ == nullptr || sink_->FileEnd(file, offset) || Fail(offset, "");
  }
  bool Odd(disc::Oddity oddity, int64_t offset, const std::string& text) override {
    if (oddity == disc::Oddity::kNoTag) {
      ++skipped_;
      return true;
    }
    if (oddity == disc::Oddity::kRefusedOnSome) {
      contents_->notes.push_back("disc " + std::to_string(disc_) + ", offset " + std::to_string(offset) + ": " + text);
      return true;
    }
    return Fail(offset, text);
  }
  bool Unreadable(int64_t position) override { return Fail(position, "cannot be read"); }
  void Damaged(const disc::WalkDamage& damage) override {
    // Only the end of the last disc inside a file is told after the disc's
    // last record: the disc was read to its end.
    readToEnd_ = !damage.atRecord && archive_ != nullptr && damage.offset == archive_->Size();
    Fail(damage.offset, damage.reason + damage.detail);
  }

 private:
  static disc::WalkRules Rules(unsigned codePage) {
    disc::WalkRules rules;
    rules.codePage = codePage;
    return rules;
  }
  bool Fail(int64_t offset, const std::string& reason) {
    fault_->disc = disc_;
    fault_->file = path_;
    fault_->offset = offset;
    fault_->reason = reason;
    return false;
  }
  // The open file, the last one listed, as far as the walk has read it.
  const ArchivedFile& Update(const disc::WalkFile& file) {
    ArchivedFile& f = contents_->files.back();
    f.size = file.size;
    f.crc = file.crc;
    f.lastDisc = file.lastDisc;
    return f;
  }
  bool ReadHeader();
  bool ReadDisc();

  const ArchiveSource& source_;
  disc::ArchiveSink* sink_;
  DiscContents* contents_;
  Fault* fault_;
  const std::function<void(const ArchivedFile&)>& onFile_;
  disc::ArchiveWalk walk_;
  std::vector<unsigned char> packed_, unpacked_;
  std::unique_ptr<VolumeFile> archive_;
  int disc_ = 1;
  std::string path_;
  int skipped_ = 0;  // tags of no record on this disc
  bool readToEnd_ = false;  // this disc's records all read, though the walk stopped
};

bool ArchiveReader::ReadHeader() {
  path_ = source_.name(1);
  archive_ = source_.open(1);
  if (archive_ == nullptr) return Fail(-1, "cd1 is missing: it carries the setup header");
  disc::SetupHeader header{};
  if (!header.Load(archive_.get())) {
    if (archive_->Failed()) return Fail(0, "cannot be read");
    return Fail(0, "shorter than the 168-byte setup header");
  }
  contents_->companyName = header.companyName;
  contents_->gameName = header.gameName;
  contents_->uninstallKey = header.uninstallKey;
  contents_->exeName = header.exeName;
  contents_->discCount = header.discCount;
  contents_->installSize = header.installSize;
  const std::pair<const char*, const std::string*> texts[] = {{"company", &contents_->companyName},
                                                              {"game", &contents_->gameName},
                                                              {"uninstall key", &contents_->uninstallKey},
                                                              {"executable", &contents_->exeName}};
  for (int i = 0; i < 4; ++i) {
    const std::string& t = *texts[i].second;
    const int64_t at = disc::kHeaderTextBytes * i;
    if (t.empty()) return Fail(at, std::string("the header's ") + texts[i].first + " is empty");
    for (unsigned char c : t) {
      if (c < 0x20) return Fail(at, std::string("the header's ") + texts[i].first + " holds a control byte");
    }
  }
  if (contents_->discCount < 1) return Fail(disc::kHeaderDiscCountAt, "the header gives " + std::to_string(contents_->discCount) + " discs");
  return true;
}

bool ArchiveReader::ReadDisc() {
  // Read on from where the header ended: an image is read once, in order.
  const int64_t position = disc_ == 1 ? static_cast<int64_t>(kSetupHeaderBytes) : 0;
  skipped_ = 0;
  readToEnd_ = false;
  disc::RecordReader reader(archive_.get(), position, packed_.data(), unpacked_.data());
  const bool read = walk_.Disc(disc_, &reader, archive_->Size(), disc_ == contents_->discCount) == disc::WalkEnd::kDisc;
  if (!read && !readToEnd_) return false;
  if (skipped_ > 0) {
    contents_->notes.push_back("disc " + std::to_string(disc_) + ": " + std::to_string(skipped_) +
                               " bytes of no record tag, passed over");
  }
  return read;
}

bool ArchiveReader::Run() {
  bool ok = ReadHeader();
  for (disc_ = 1; ok && disc_ <= contents_->discCount; ++disc_) {
    if (disc_ > 1) {
      archive_.reset();
      path_ = source_.name(disc_);
      archive_ = source_.open(disc_);
      if (archive_ == nullptr) {
        // A disc not given at all, or one whose archive is not there.
        ok = Fail(-1, path_.empty() ? "disc " + std::to_string(disc_) + " is missing: the header gives " +
                                          std::to_string(contents_->discCount) + " discs"
                                    : "missing");
        break;
      }
    }
    ok = ReadDisc();
  }
  if (ok) disc_ = contents_->discCount;
  archive_.reset();
  if (ok && !source_.name(contents_->discCount + 1).empty()) {
    disc_ = contents_->discCount + 1;
    path_ = source_.name(disc_);
    ok = Fail(-1, "a disc beyond the header's count of " + std::to_string(contents_->discCount));
  }
  return ok;
}

// Every plain file below `folder` of disc `disc`; package entries listed
// after their package.
void ListPlain(const std::string& root, const std::string& relative, int disc, std::vector<PlainFile>* out) {
  for (const FolderItem& item : ListFolder(relative.empty() ? root : JoinPath(root, relative))) {
    std::string path = relative.empty() ? item.name : relative + "\\" + item.name;
    if (item.folder) {
      ListPlain(root, path, disc, out);
      continue;
    }
    int64_t size = DiskFileSize(JoinPath(root, path));
    out->push_back({path, static_cast<uint64_t>(size < 0 ? 0 : size), disc});
    const size_t n = path.size();
    if (n > 5 && EqualsIgnoringCase(path.substr(n - 5), ".apkg")) {
      std::string bytes, error;
      std::vector<disc::PackageEntry> entries;
      if (ReadDiskFile(JoinPath(root, path), &bytes) && ReadPackage(bytes, &entries, &error)) {
        for (const disc::PackageEntry& e : entries) out->push_back({path + ":" + e.name, e.data.size(), disc});
      }
    }
  }
}

// A file the installer reads through OpenRead: from the folder or from its
// package.
bool ReadThroughPackages(const std::string& path, std::string* bytes) {
  FileHandle f;
  if (!f.OpenRead(path.c_str())) return false;
  bytes->assign(static_cast<size_t>(f.Size()), '\0');
  int n = bytes->empty() ? 0 : f.Read(&(*bytes)[0], static_cast<int>(bytes->size()));
  f.Close();
  return n == static_cast<int>(bytes->size());
}

// Checks a picture set the way the installer loads it, and that each
// picture's pixels unpack to the size its record gives. A picture whose
// attributes do not agree with that size loads but is not shown: told in
// a note.
bool CheckPictures(const std::string& root, const char* set, DiscContents* contents, Fault* fault) {
  const std::string base = JoinPath(root, std::string("setupdata\\") + set);
  fault->file = base + ".pic1";
  std::string pic1;
  if (!ReadThroughPackages(base + ".pic1", &pic1)) {
    fault->reason = "missing (setup.exe reports \"File not found!!\")";
    return false;
  }
  const int count = PictureCount(base.c_str());
  if (count < 1) {
    fault->file = base + ".idx1";
    fault->reason = "lists no picture (setup.exe reports \"Out of index!!\")";
    return false;
  }
  for (int i = 0; i < count; ++i) {
    int offset = 0;
    PictureOffset(base.c_str(), i, &offset);
    fault->offset = offset;
    if (offset < 0 || static_cast<size_t>(offset) + alib::kPictureRecordHeaderBytes > pic1.size()) {
      fault->reason = "picture " + std::to_string(i) + " lies outside the file";
      return false;
    }
    const char* record = pic1.data() + offset;
    const alib::PictureRecordHeader fields = alib::LoadPictureRecordHeader(record);
    const uint32_t unpackedSize = fields.unpackedSize;
    const uint32_t packedSize = fields.packedSize;
    if (packedSize > pic1.size() - static_cast<size_t>(offset) - alib::kPictureRecordHeaderBytes ||
        unpackedSize > kMaxPictureBytes) {
      fault->reason = "picture " + std::to_string(i) + " declares sizes its file does not hold";
      return false;
    }
    if (packedSize == 0) continue;
    std::vector<unsigned char> pixels(unpackedSize + 1u);
    unsigned long produced = static_cast<unsigned long>(pixels.size());
    if (Unpack(pixels.data(), &produced, reinterpret_cast<const unsigned char*>(record + alib::kPictureRecordHeaderBytes),
               packedSize) != 0 ||
        produced != unpackedSize) {
      fault->reason = "picture " + std::to_string(i) + " does not unpack";
      return false;
    }
    alib::PictureShape shape;
    if (!alib::PictureShapeFrom(fields.attributes, unpackedSize, &shape)) {
      contents->notes.push_back(std::string("disc 1: setupdata\\") + set + ".pic1, picture " + std::to_string(i) + ": its attributes (" +
                                std::to_string(shape.width) + " x " + std::to_string(shape.height) + ", " +
                                std::to_string(shape.bitsPerPixel) + " bits) do not agree with its " +
                                std::to_string(unpackedSize) + " bytes of pixels; setup does not show it");
    }
  }
  fault->offset = -1;
  return true;
}

// The probe, the setupdata texts and pictures and the web link.
bool CheckSetupFiles(const DiscSet& set, DiscContents* contents, Fault* fault) {
  const std::string& root = set.roots[0];
  fault->disc = 1;
  fault->offset = -1;
  const std::string probe = JoinPath(root, "data\\kelvora.exe");
  if (DiskFileSize(probe) < 0) {
    fault->file = probe;
    fault->reason = "missing: setup.exe finds the game disc by this file";
    return false;
  }
  const std::string package = JoinPath(root, "setupdata.apkg");
  if (Exists(package)) {
    std::string bytes;
    std::vector<disc::PackageEntry> entries;
    fault->file = package;
    if (!ReadDiskFile(package, &bytes) || !ReadPackage(bytes, &entries, &fault->reason)) return false;
  }
  for (const char* name : {kMessageFile, kLinksFile}) {
    const std::string path = JoinPath(root, name);
    std::string text;
    fault->file = path;
    if (!ReadThroughPackages(path, &text)) {
      fault->reason = "missing";
      return false;
    }
    if (!text.empty() && text.compare(text.size() - 2, 2, "\r\n") != 0) {
      fault->reason = "does not end in CR LF: its last row is lost";
      return false;
    }
  }
  // The web-link file each language names, relative to the disc root.
  TextTable table;
  table.Load(JoinPath(root, kMessageFile).c_str());
  for (int row = 0; row < table.rowCount; ++row) {
    const std::string key = table.Cell(0, row);
    if (key.compare(0, std::strlen(kMessageKeyNames[kUrlFileName]), kMessageKeyNames[kUrlFileName]) != 0) continue;
    const std::string linked = JoinPath(root, table.Cell(1, row));
    std::string bytes;
    if (!ReadThroughPackages(linked, &bytes)) {
      table.Unload();
      fault->reason = key + " names " + table.Cell(1, row) + ", which is not on the disc";
      return false;
    }
  }
  table.Unload();
  return CheckPictures(root, "setup", contents, fault) && CheckPictures(root, "progress", contents, fault);
}


// The plain files of disc 1's data folder as setup copies them: by their
// path below it, "\"-separated, without a leading "\".
std::vector<PlainFile> DataFiles(const std::string& root) {
  std::vector<PlainFile> all, files;
  ListPlain(JoinPath(root, "data"), "", 1, &all);
  for (const PlainFile& f : all) {
    if (f.path.find(':') == std::string::npos) files.push_back(f);  // not an entry of a package
  }
  return files;
}

// Matches the list, read as a system of one code page reads it, against
// the archives and the data folder, as setup matches each file it writes;
// then every row must have been matched. `where` ends the reason of a file
// the list does not name.
bool MatchManifest(const DiscSet& set, const DiscContents& contents, Manifest* manifest, const std::string& where,
                   Fault* fault) {
  const std::string& root = set.roots[0];
  std::vector<bool> matched(manifest->files.size(), false);
  auto fail = [&](int disc, const std::string& file, const std::string& reason) {
    fault->disc = disc;
    fault->file = file;
    fault->offset = -1;
    fault->reason = reason;
    return false;
  };
  if (manifest->discCount != contents.discCount) {
    return fail(1, JoinPath(root, kManifestFile),
                "the list of files is of a set of " + std::to_string(manifest->discCount) +
                    " discs; the setup header gives " + std::to_string(contents.discCount));
  }
  for (const ArchivedFile& f : contents.files) {
    const std::string archive = ArchivePath(set, f.firstDisc);
    ManifestFile* row = manifest->Find(ManifestSource::kArchive, f.path.data(), f.path.size());
    const std::string mismatch = ListedMismatch(row, f.path, f.firstDisc, f.size, f.crc);
    if (!mismatch.empty()) return fail(f.firstDisc, archive, mismatch + (row == nullptr ? where : ""));
    matched[static_cast<size_t>(row - manifest->files.data())] = true;
  }
  std::vector<char> buffer(1 << 16);
  for (const PlainFile& f : DataFiles(root)) {
    const std::string file = JoinPath(JoinPath(root, "data"), f.path);
    const std::string listed = "\\" + f.path;
    ManifestFile* row = manifest->Find(ManifestSource::kData, listed.data(), listed.size());
    if (row == nullptr) return fail(1, file, ListedMismatch(row, listed, 0, 0, 0) + where);
    InputFile in(file);
    if (!in.IsOpen()) return fail(1, file, "cannot be read");
    FileSum sum;
    size_t n;
    while ((n = in.Read(buffer.data(), buffer.size())) > 0) sum.Add(buffer.data(), n);
    const std::string mismatch = ListedMismatch(row, listed, 0, sum.size, sum.crc);
    if (!mismatch.empty()) return fail(1, file, mismatch);
    matched[static_cast<size_t>(row - manifest->files.data())] = true;
  }
  for (size_t i = 0; i < matched.size(); ++i) {
    if (matched[i]) continue;
    const ManifestFile& row = manifest->files[i];
    if (row.source == ManifestSource::kArchive) {
      return fail(row.disc, ArchivePath(set, row.disc),
                  row.path + " is in the disc's list of files but not in the archives");
    }
    return fail(1, JoinPath(root, "data" + row.path), row.path + " is in the disc's list of files but not in the data folder");
  }
  return true;
}

// Setup reads the list in the code page of the system it runs on: one that
// a code page refuses is told in a note, one that all refuse is a fault.
bool CheckManifest(const DiscSet& set, DiscContents* contents, Fault* fault) {
  const std::string path = JoinPath(set.roots[0], kManifestFile);
  fault->disc = 1;
  fault->file = path;
  fault->offset = -1;
  FileHandle probe;
  if (!probe.OpenRead(path.c_str())) {
    contents->notes.push_back(std::string("the set carries no list of files (") + kManifestFile +
                              "): setup cannot tell a file that reads but is not what was built");
    return true;
  }
  probe.Close();
  TextTable table;
  table.Load(path.c_str());
  const unsigned codePages[] = {plat::kCodePageWestern, plat::kCodePageBig5, plat::kCodePageGbk};
  Manifest manifests[3];
  bool parsed[3];
  std::string reasons[3], refusedOn, refusedWhy;
  for (size_t i = 0; i < 3; ++i) {
    parsed[i] = manifests[i].Parse(table, codePages[i], &reasons[i]);
    if (parsed[i]) continue;
    refusedOn += (refusedOn.empty() ? "" : ", ") + std::to_string(codePages[i]);
    if (refusedWhy.empty()) refusedWhy = reasons[i];
  }
  if (!parsed[0] && !parsed[1] && !parsed[2]) {
    fault->reason = reasons[0];
    return false;
  }
  if (!refusedOn.empty()) {
    contents->notes.push_back(std::string("disc 1: ") + kManifestFile + " is refused where the code page is " +
                              refusedOn + " (" + refusedWhy + ")");
  }
  bool first = true;
  for (size_t i = 0; i < 3; ++i) {
    if (!parsed[i]) continue;
    const std::string where = first ? "" : " where the code page is " + std::to_string(codePages[i]);
    first = false;
    if (!MatchManifest(set, *contents, &manifests[i], where, fault)) return false;
  }
  return true;
}

bool CheckInstalledFiles(const DiscSet& set, const DiscContents& contents, Fault* fault) {
  const std::string& root = set.roots[0];
  fault->disc = 1;
  // The installed files: the archives' and the data folder's, and
  // uninstall.dat. Setup registers <install folder>\uninstall.exe as the
  // uninstall command and makes the Uninstall shortcut to it.
  const std::string uninstaller = kUninstallerName;
  const std::vector<PlainFile> data = DataFiles(root);
  uint64_t total = kUninstallRecordBytes;
  bool exeFound = false, uninstallerFound = false;
  for (const ArchivedFile& f : contents.files) {
    total += f.size;
    exeFound = exeFound || EqualsIgnoringCase(f.path, "\\" + contents.exeName);
    uninstallerFound = uninstallerFound || EqualsIgnoringCase(f.path, "\\" + uninstaller);
  }
  for (const PlainFile& f : data) {
    total += f.size;
    exeFound = exeFound || EqualsIgnoringCase(f.path, contents.exeName);
    uninstallerFound = uninstallerFound || EqualsIgnoringCase(f.path, uninstaller);
  }
  fault->file = JoinPath(root, "cd1");
  if (!exeFound) {
    fault->offset = disc::kHeaderExeAt;
    fault->reason = "the header's executable " + contents.exeName + " is not among the installed files";
    return false;
  }
  if (!uninstallerFound) {
    fault->offset = -1;
    fault->reason = "the registration points at " + uninstaller + ", which is not among the installed files";
    return false;
  }
  if (total != contents.installSize) {
    fault->offset = disc::kHeaderInstallSizeAt;
    fault->reason = "the header's install size is " + std::to_string(contents.installSize) + " bytes; the files take " +
                    std::to_string(total);
    return false;
  }
  return true;
}

std::string Padded(const std::string& text, size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string Discs(int first, int last) {
  return first == last ? std::to_string(first) : std::to_string(first) + "-" + std::to_string(last);
}

}  // namespace

bool LocateDiscs(const std::vector<std::string>& paths, DiscSet* set, std::string* error) {
  set->roots.clear();
  if (paths.size() == 1 && IsFolder(JoinPath(paths[0], "disc1"))) {
    for (int d = 1; IsFolder(JoinPath(paths[0], "disc" + std::to_string(d))); ++d) {
      set->roots.push_back(JoinPath(paths[0], "disc" + std::to_string(d)));
    }
    return true;
  }
  for (const std::string& p : paths) {
    if (!IsFolder(p)) {
      *error = DisplayPath(p) + " is no folder";
      return false;
    }
    set->roots.push_back(p);
  }
  if (set->roots.empty()) {
    *error = "no disc given";
    return false;
  }
  return true;
}

std::string DescribeFault(const Fault& fault) {
  std::string text = "disc " + std::to_string(fault.disc);
  if (!fault.file.empty()) text += " (" + DisplayPath(fault.file) + ")";
  if (fault.offset >= 0) text += ", offset " + std::to_string(fault.offset);
  return text + ": " + fault.reason;
}

bool ReadArchives(const DiscSet& set, DiscContents* contents, Fault* fault,
                  const std::function<void(const ArchivedFile&)>& onFile) {
  *contents = DiscContents();
  *fault = Fault();
  if (set.roots.empty()) {
    fault->reason = "no disc given";
    return false;
  }
  const ArchiveSource source = FolderArchives(set);
  ArchiveReader reader(source, 0, nullptr, contents, fault, onFile);
  return reader.Run();
}

bool ReadArchivesFrom(const ArchiveSource& source, unsigned codePage, disc::ArchiveSink* sink, DiscContents* contents,
                      Fault* fault) {
  *contents = DiscContents();
  *fault = Fault();
  const std::function<void(const ArchivedFile&)> none;
  ArchiveReader reader(source, codePage, sink, contents, fault, none);
  return reader.Run();
}

bool ReadDiscSet(const DiscSet& set, DiscContents* contents, Fault* fault) {
  bool ok = ReadArchives(set, contents, fault);
  for (size_t d = 0; d < set.roots.size(); ++d) ListPlain(set.roots[d], "", static_cast<int>(d + 1), &contents->plain);
  return ok;
}

bool VerifyDiscSet(const DiscSet& set, DiscContents* contents, Fault* fault,
                   const std::function<void(const ArchivedFile&)>& onFile) {
  return ReadArchives(set, contents, fault, onFile) && CheckSetupFiles(set, contents, fault) &&
         CheckManifest(set, contents, fault) && CheckInstalledFiles(set, *contents, fault);
}

std::string FormatListing(const DiscContents& c) {
  std::string out;
  out += "Game:          " + c.gameName + "\n";
  out += "Company:       " + c.companyName + "\n";
  out += "Uninstall key: " + c.uninstallKey + "\n";
  out += "Executable:    " + c.exeName + "\n";
  out += "Discs:         " + std::to_string(c.discCount) + "\n";
  out += "Install size:  " + std::to_string(c.installSize) + " bytes\n\n";
  out += "Installed from the archives:\n   Length  Disc  Name\n---------  ----  ----\n";
  uint64_t total = 0;
  for (const ArchivedFolder& f : c.folders) out += Padded("0", 9) + "  " + Padded(std::to_string(f.disc), 4) + "  " + f.path + "\\\n";
  for (const ArchivedFile& f : c.files) {
    out += Padded(std::to_string(f.size), 9) + "  " + Padded(Discs(f.firstDisc, f.lastDisc), 4) + "  " + f.path + "\n";
    total += f.size;
  }
  out += "---------        -------\n" + Padded(std::to_string(total), 9) + "        " + std::to_string(c.files.size()) +
         " files, " + std::to_string(c.folders.size()) + " folders\n\n";
  out += "Files on the discs:\n   Length  Disc  Name\n---------  ----  ----\n";
  total = 0;
  for (const PlainFile& f : c.plain) {
    out += Padded(std::to_string(f.size), 9) + "  " + Padded(std::to_string(f.disc), 4) + "  " + f.path + "\n";
    if (f.path.find(':') == std::string::npos) total += f.size;
  }
  size_t files = 0;
  for (const PlainFile& f : c.plain) files += f.path.find(':') == std::string::npos ? 1 : 0;
  out += "---------        -------\n" + Padded(std::to_string(total), 9) + "        " + std::to_string(files) + " files\n";
  return out;
}

}  // namespace gamedisc
