#include "build.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "a_pic.h"
#include "archive_writer.h"
#include "fold_case.h"
#include "installer_limits.h"
#include "manifest.h"
#include "message_keys.h"
#include "package.h"
#include "picture_input.h"
#include "pictures.h"
#include "project.h"
#include "records.h"
#include "stored_path.h"
#include "text_rows.h"
#include "tool_files.h"
#include "tool_os.h"

namespace gamedisc {

namespace {

// The file setup.exe probes for to find the game disc: data\kelvora.exe.
constexpr char kProbeName[] = "kelvora.exe";
constexpr char kWebLinkFile[] = "website.url";
// What setup registers as the uninstall command and the Uninstall shortcut
// points at, at the top of the install folder.
constexpr size_t kMaxHeaderText = 39;  // a 40-byte field keeps its zero
constexpr size_t kMaxMessageText = 63;
constexpr size_t kMaxLinkText = 255;
// osslsigncode reads no more of a password.
constexpr size_t kMaxPassword = 4095;

const unsigned kLanguageCodePages[kLanguageCount] = {plat::kCodePageBig5, plat::kCodePageGbk,
                                                     plat::kCodePageAscii};
const char* const kCodePageNames[kLanguageCount] = {"Big5", "GBK", "ASCII"};

// Texts without which a language's installer shows an empty title or prompt.
const MessageKey kWantedTexts[] = {kProgramName, kNextCd, kUninstall, kCancelMsg, kFailMsg};

struct GameItem {
  std::string path;  // relative to the game folder, "\"-separated, no leading "\"
  bool folder;
  uint64_t size;
  bool data;  // copied to the plain data folder rather than packed
};

bool IsPlainAscii(const std::string& s) {
  for (unsigned char c : s) {
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

// One packing thread per core.
int DefaultJobs() {
  const unsigned cores = std::thread::hardware_concurrency();
  return static_cast<int>(std::min<unsigned>(std::max(cores, 1u), kMaxJobs));
}

std::string Thousands(uint64_t n) {
  std::string digits = std::to_string(n);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(static_cast<size_t>(i), ",");
  return digits;
}

// Everything the build gathers before it writes.
class Builder {
 public:
  Builder(const BuildOptions& options, const std::function<void(const std::string&)>& say, BuildResult* result)
      : options_(options), say_(say), result_(result) {}

  bool Run(std::string* error);

 private:
  bool Fail(const std::string& why) {
    error_ = why;
    return false;
  }
  void Warn(const std::string& what) { result_->warnings.push_back(what); }

  bool LoadProject();
  bool Convert(unsigned codePage, const std::string& utf8, size_t limit, const std::string& what, std::string* out);
  bool HeaderTexts();
  bool ScanGame(const std::string& relative);
  bool PickDataFiles();
  bool PickUninstaller();
  bool SignPrograms();
  bool CheckPaths();
  bool MessageTexts();
  bool ExtraLinks();
  // Reads the pictures of a set shown in a band `bandWidth` wide.
  bool Pictures(const std::vector<std::string>& files, const char* set, int bandWidth);
  bool SetupdataFiles();
  bool ManifestRows();
  bool Layout();
  bool WriteArchives();
  bool CopyDataFile(const GameItem& item, const std::string& to, disc::ManifestEntry* row);
  bool FinishManifest(int discCount);
  bool WriteDiscOne();
  void MakeImages();
  const GameItem* FindFile(const std::string& path) const;

  const BuildOptions& options_;
  const std::function<void(const std::string&)>& say_;
  BuildResult* result_;
  std::string error_;

  Project project_;
  std::string projectFolder_;
  disc::HeaderTexts header_;
  std::string targetFolder_;  // the installer's default, for the length checks
  std::vector<GameItem> items_;
  uint64_t archiveBytes_ = 0;  // content of the packed files
  uint64_t dataBytes_ = 0;
  std::string uninstaller_;  // the file packed as \uninstall.exe; empty when the game has its own
  uint64_t uninstallerBytes_ = 0;
  std::string uninstallerSaid_;  // which one the install gets, as the build tells it
  std::string setupExe_;         // the file that goes onto disc 1 as setup.exe; may be empty
  std::unique_ptr<ProgramSigner> signer_;  // holds the signed copies until the build ends
  std::string signedSaid_;       // what was signed, as the build tells it
  std::vector<std::vector<std::string>> messageRows_;
  std::vector<std::vector<std::string>> linkRows_;
  std::vector<disc::PackageEntry> setupdata_;  // names and bytes, in disc order
  // The rows of the list of files: the packed files in archive order, then
  // the data folder's. Discs and CRCs are filled in as the files are written.
  std::vector<disc::ManifestEntry> manifest_;
  size_t manifestIndex_ = 0;  // the list's entry in setupdata_
  uint64_t discOneFiles_ = 0;  // sectors of disc 1's plain files
};

bool Builder::Convert(unsigned codePage, const std::string& utf8, size_t limit, const std::string& what,
                      std::string* out) {
  if (!plat::ConvertFromUtf8(codePage, utf8.data(), utf8.size(), out)) {
    return Fail(what + " \"" + utf8 + "\" has a character with no form in code page " + std::to_string(codePage) +
                " (or is no valid UTF-8)");
  }
  if (out->size() > limit) {
    return Fail(what + " \"" + utf8 + "\" takes " + std::to_string(out->size()) + " bytes; at most " +
                std::to_string(limit) + " fit");
  }
  return true;
}

bool Builder::LoadProject() {
  std::string text;
  if (!ReadDiskFile(options_.project, &text)) return Fail("cannot read the project file " + DisplayPath(options_.project));
  std::string name = DisplayPath(options_.project);
  if (!ParseProject(text, name, &project_, &error_)) return false;
  size_t cut = options_.project.find_last_of("\\/");
  projectFolder_ = cut == std::string::npos ? "" : options_.project.substr(0, cut);
  if (!options_.capacity.empty() && !ParseCapacity(options_.capacity, &project_.capacity, &error_)) return false;
  result_->capacity = project_.capacity;
  return true;
}

bool Builder::HeaderTexts() {
  const unsigned cp = project_.namesCodePage;
  if (!Convert(cp, project_.company, kMaxHeaderText, "company", &header_.companyName) ||
      !Convert(cp, project_.game, kMaxHeaderText, "game", &header_.gameName) ||
      !Convert(cp, project_.uninstallKey, kMaxHeaderText, "uninstall_key", &header_.uninstallKey) ||
      !Convert(cp, project_.exe, kMaxHeaderText, "exe", &header_.exeName)) {
    return false;
  }
  // The names become folder and key names: on a system of the names' code
  // page each must be one component, or the installer leaves its shortcuts
  // or key out there. Elsewhere the second byte 0x5C of a double-byte
  // character separates.
  const std::pair<const char*, const std::string*> names[] = {
      {"company", &header_.companyName}, {"game", &header_.gameName}, {"uninstall_key", &header_.uninstallKey}};
  for (const auto& n : names) {
    if (!IsSafeName(n.second->c_str(), cp)) {
      return Fail(std::string(n.first) + " cannot be a folder or key name (a backslash, slash, colon or "
                  "control character)");
    }
    if (!IsSafeName(n.second->c_str(), plat::kCodePageWestern)) {
      Warn(std::string(n.first) + " holds a double-byte character whose second byte is 0x5C: on systems of "
           "another code page it splits into folders and setup leaves the shortcuts out there");
    }
  }
  for (char& c : header_.exeName) {
    if (c == '/') c = '\\';
  }
  if (!IsSafeRelativePath(header_.exeName.c_str(), cp)) return Fail("exe must be a path inside the install folder");
  targetFolder_ = DefaultTargetFolder(header_.companyName, header_.gameName);
  return true;
}

bool Builder::ScanGame(const std::string& relative) {
  const std::string folder = relative.empty() ? options_.game : JoinPath(options_.game, relative);
  for (const FolderItem& item : ListFolder(folder)) {
    const std::string path = relative.empty() ? item.name : relative + "\\" + item.name;
    if (!IsPlainAscii(item.name)) {
      return Fail("game file \"" + DisplayPath(JoinPath(options_.game, path)) +
                  "\": names must be plain ASCII (the installer writes them in the player's code page)");
    }
    if (item.folder) {
      items_.push_back({path, true, 0, false});
      if (!ScanGame(path)) return false;
      continue;
    }
    const int64_t size = item.size >= 0 ? item.size : DiskFileSize(JoinPath(options_.game, path));
    if (size < 0) return Fail("cannot read the game file " + DisplayPath(JoinPath(options_.game, path)));
    items_.push_back({path, false, static_cast<uint64_t>(size), false});
  }
  return true;
}

bool Builder::PickDataFiles() {
  std::vector<std::string> wanted = project_.data;
  wanted.push_back(kProbeName);
  for (std::string wantedPath : wanted) {
    for (char& c : wantedPath) {
      if (c == '/') c = '\\';
    }
    while (wantedPath.size() > 1 && wantedPath.back() == '\\') wantedPath.pop_back();
    if (wantedPath.compare(0, 2, ".\\") == 0) wantedPath.erase(0, 2);
    bool found = false;
    for (GameItem& item : items_) {
      if (!EqualsIgnoringCase(item.path, wantedPath)) continue;
      found = true;
      if (wantedPath == kProbeName && item.folder) break;
      item.data = true;
      if (!item.folder) break;
      for (GameItem& below : items_) {
        if (below.path.size() > wantedPath.size() && below.path[wantedPath.size()] == '\\' &&
            EqualsIgnoringCase(below.path.substr(0, wantedPath.size()), wantedPath)) {
          below.data = true;
        }
      }
      break;
    }
    const GameItem* probe = FindFile(kProbeName);
    if (wantedPath == kProbeName && (probe == nullptr || probe->path.find('\\') != std::string::npos)) {
      return Fail("the game folder has no " + std::string(kProbeName) +
                  ": setup.exe finds its disc by data\\" + kProbeName);
    }
    if (!found) return Fail("data \"" + wantedPath + "\" is no file or folder of the game folder");
  }
  for (const GameItem& item : items_) {
    if (item.folder) continue;
    (item.data ? dataBytes_ : archiveBytes_) += item.size;
  }
  return true;
}

bool Builder::PickUninstaller() {
  std::string chosen = options_.uninstallExe;
  bool besideSetup = false;
  if (chosen.empty() && !options_.setupExe.empty()) {
    const size_t cut = options_.setupExe.find_last_of("\\/");
    const std::string folder = cut == std::string::npos ? "" : options_.setupExe.substr(0, cut + 1);
    for (const FolderItem& item : ListFolder(folder)) {
      if (item.folder || !EqualsIgnoringCase(item.name, kUninstallerName)) continue;
      chosen = JoinPath(folder, item.name);
      besideSetup = true;
      break;
    }
  }
  for (const GameItem& item : items_) {
    if (!EqualsIgnoringCase(item.path, kUninstallerName)) continue;
    if (item.folder) {
      return Fail("the game folder's " + item.path + " is a folder: setup registers <install folder>\\" +
                  kUninstallerName + " as the uninstall command");
    }
    uninstallerSaid_ = std::string(kUninstallerName) + ": the game's own" +
                       (chosen.empty() ? "" : " (" + DisplayPath(chosen) + " is not added)");
    return true;
  }
  if (chosen.empty()) {
    return Fail(std::string("no ") + kUninstallerName + ": setup registers <install folder>\\" + kUninstallerName +
                " as the uninstall command, so the Uninstall shortcut and the entry in the list of installed "
                "programs would point at nothing; give one with --uninstall FILE, put it beside the installer "
                "given with --setup, or put it at the top of the game folder");
  }
  const int64_t size = DiskFileSize(chosen);
  if (size < 0) return Fail("cannot read the uninstaller " + DisplayPath(chosen));
  uninstaller_ = chosen;
  uninstallerBytes_ = static_cast<uint64_t>(size);
  archiveBytes_ += uninstallerBytes_;
  uninstallerSaid_ =
      std::string(kUninstallerName) + ": " + DisplayPath(chosen) + (besideSetup ? " (beside setup.exe)" : "");
  return true;
}

// Before anything is written, so that a failure leaves nothing behind; the
// sizes the discs are laid out with are the signed copies'.
bool Builder::SignPrograms() {
  if (options_.signing.certificate.empty()) return true;
  SigningKey key = options_.signing;
  const std::string certificate = DisplayPath(key.certificate);
  if (DiskFileSize(key.certificate) < 0) return Fail("cannot read the certificate " + certificate);
  if (!options_.signingPasswordFile.empty() && !ReadDiskFile(options_.signingPasswordFile, &key.password)) {
    return Fail("cannot read the password file " + DisplayPath(options_.signingPasswordFile));
  }
  // As osslsigncode reads a password file: the line break an editor ends
  // it with is no part of the password.
  while (!key.password.empty() && (key.password.back() == '\n' || key.password.back() == '\r')) {
    key.password.pop_back();
  }
  if (key.password.size() > kMaxPassword) {
    return Fail("the certificate's password takes " + std::to_string(key.password.size()) +
                " bytes; osslsigncode reads at most " + std::to_string(kMaxPassword));
  }
  signer_.reset(new ProgramSigner(key));
  const std::string hint = key.password.empty() ? " (no password was given: --sign-password-file FILE or "
                                                  "GAMEDISC_SIGN_PASSWORD)" : "";
  std::string why;
  std::string signedNames;
  if (!setupExe_.empty()) {
    const std::string given = setupExe_;
    if (!signer_->Sign(given, "setup.exe", "Game setup", project_.webLink, &setupExe_, &why)) {
      return Fail("cannot sign the installer " + DisplayPath(options_.setupExe) + hint + ": " + why);
    }
    signedNames = "setup.exe";
  }
  if (!uninstaller_.empty()) {
    const std::string given = uninstaller_;
    if (!signer_->Sign(given, kUninstallerName, "Game uninstaller", project_.webLink, &uninstaller_, &why)) {
      return Fail("cannot sign the uninstaller " + DisplayPath(given) + hint + ": " + why);
    }
    const int64_t size = DiskFileSize(uninstaller_);
    if (size < 0) return Fail("cannot read the signed copy " + DisplayPath(uninstaller_));
    archiveBytes_ = archiveBytes_ - uninstallerBytes_ + static_cast<uint64_t>(size);
    uninstallerBytes_ = static_cast<uint64_t>(size);
    uninstallerSaid_ += ", signed";
    signedNames += std::string(signedNames.empty() ? "" : " and ") + kUninstallerName;
  } else {
    uninstallerSaid_ += ", left as the game gives it (unsigned by this build)";
  }
  if (signedNames.empty()) {
    Warn("--sign signed nothing: there is no --setup, and the game's own uninstall.exe is packed as it is");
    return true;
  }
  signedSaid_ = "signed " + signedNames + " with " + certificate +
                (key.timestampUrl.empty() ? " (no time stamp)" : ", time-stamped by " + key.timestampUrl);
  return true;
}

const GameItem* Builder::FindFile(const std::string& path) const {
  for (const GameItem& item : items_) {
    if (!item.folder && EqualsIgnoringCase(item.path, path)) return &item;
  }
  return nullptr;
}

bool Builder::CheckPaths() {
  if (targetFolder_.size() > kMaxPath) return Fail("the default install folder " + targetFolder_ + " is too long");
  for (const GameItem& item : items_) {
    const std::string stored = "\\" + item.path;
    std::string why;
    PathVerdict verdict = CheckStoredPath(stored.c_str(), stored.size() + 1, project_.namesCodePage);
    if (verdict != PathVerdict::kSafe) {
      why = DescribeVerdict(verdict);
    } else if (!item.data && stored.size() > kMaxStoredPath) {
      why = "longer than " + std::to_string(kMaxStoredPath) + " bytes";
    } else if (targetFolder_.size() + stored.size() > kMaxPath) {
      why = "too long below the default install folder " + targetFolder_;
    }
    if (!why.empty()) return Fail("game file \"" + item.path + "\": " + why);
  }
  if (FindFile(header_.exeName) == nullptr) {
    return Fail("exe \"" + project_.exe + "\" is no file of the game folder");
  }
  uint64_t install = archiveBytes_ + dataBytes_ + kUninstallRecordBytes;
  if (install > UINT32_MAX) {
    return Fail("the game takes " + Thousands(install) + " bytes; the setup header holds at most 4 GiB - 1");
  }
  header_.installSize = static_cast<uint32_t>(install);
  return true;
}

bool Builder::MessageTexts() {
  std::string texts[kMessageKeyCount][kLanguageCount];
  bool given[kMessageKeyCount][kLanguageCount] = {};
  for (const TextSetting& t : project_.texts) {
    std::string what = std::string(kMessageKeyNames[t.key]) + kLanguageSuffixes[t.language] + " (line " +
                       std::to_string(t.line) + ", " + kCodePageNames[t.language] + ")";
    if (!Convert(kLanguageCodePages[t.language], t.text, kMaxMessageText, what, &texts[t.key][t.language])) {
      return false;
    }
    if (!disc::FitsInCell(texts[t.key][t.language])) return Fail(what + " holds a tab or line break");
    given[t.key][t.language] = true;
  }
  if (!project_.webLink.empty()) {
    if (!IsPlainAscii(project_.webLink)) return Fail("web_link must be plain ASCII");
    for (int l = 0; l < kLanguageCount; ++l) {
      texts[kUrlFileName][l] = std::string("setupdata\\") + kWebLinkFile;
      given[kUrlFileName][l] = true;
      if (!given[kUrlName][l]) {
        texts[kUrlName][l] = "Website.url";
        given[kUrlName][l] = true;
      }
      if (!IsSafeName(texts[kUrlName][l].c_str(), kLanguageCodePages[l])) {
        return Fail(std::string("URL_NAME") + kLanguageSuffixes[l] + " cannot be a file name");
      }
    }
  }
  for (int k = 0; k < kMessageKeyCount; ++k) {
    for (int l = 0; l < kLanguageCount; ++l) {
      if (given[k][l]) {
        messageRows_.push_back({std::string(kMessageKeyNames[k]) + kLanguageSuffixes[l], disc::CellFor(texts[k][l])});
      }
    }
  }
  for (MessageKey k : kWantedTexts) {
    std::string missing;
    for (int l = 0; l < kLanguageCount; ++l) {
      if (!given[k][l]) missing += std::string(missing.empty() ? "" : ", ") + kMessageKeyNames[k] + kLanguageSuffixes[l];
    }
    if (!missing.empty()) Warn("no text " + missing + ": shown empty on such systems");
  }
  return true;
}

bool Builder::ExtraLinks() {
  for (size_t k = 0; k < project_.links.size(); ++k) {
    const ExtraLinkSetting& link = project_.links[k];
    const std::string where = "link on line " + std::to_string(link.line);
    std::string name, file;
    if (!Convert(project_.namesCodePage, link.name, kMaxLinkText, where, &name) ||
        !Convert(project_.namesCodePage, link.file, kMaxLinkText, where, &file)) {
      return false;
    }
    for (char& c : file) {
      if (c == '/') c = '\\';
    }
    const unsigned cp = project_.namesCodePage;
    if (!IsSafeName(name.c_str(), cp) || name.empty()) return Fail(where + ": \"" + link.name + "\" cannot be a shortcut name");
    if (!IsSafeRelativePath(file.c_str(), cp) || FindFile(file) == nullptr) {
      return Fail(where + ": \"" + link.file + "\" is no file of the game folder");
    }
    if (!disc::FitsInCell(name) || !disc::FitsInCell(file)) return Fail(where + " holds a tab or line break");
    linkRows_.push_back({kExtraLinkKey + std::to_string(k), disc::CellFor(file), disc::CellFor(name)});
  }
  return true;
}

bool Builder::Pictures(const std::vector<std::string>& files, const char* set, int bandWidth) {
  std::vector<disc::PictureData> pictures;
  for (const std::string& file : files) {
    std::string path = JoinPath(projectFolder_, file);
    for (char& c : path) {
      if (c == '/') c = '\\';
    }
    const std::string which = std::string(set) + " picture " + std::to_string(pictures.size());
    std::string bytes, why;
    disc::PictureData picture;
    alib::PictureShape shape;
    if (!ReadDiskFile(path, &bytes)) return Fail("cannot read the picture " + DisplayPath(path));
    if (!PictureFromFile(bytes, &picture, &why)) return Fail(which + ", " + DisplayPath(path) + ": " + why);
    if (picture.pixels.size() > kMaxPictureBytes) {
      return Fail(which + ", " + DisplayPath(path) + ": its pixels take " + Thousands(picture.pixels.size()) +
                  " bytes; setup loads at most " + Thousands(kMaxPictureBytes));
    }
    disc::PictureShapeOf(picture.attributes, static_cast<uint32_t>(picture.pixels.size()), &shape);
    const std::string size = std::to_string(shape.width) + " x " + std::to_string(shape.height);
    say_(which + ": " + file + ", " + size + ", " + std::to_string(shape.bitsPerPixel) + " bits");
    std::string scaled;
    if (shape.width > bandWidth) scaled = "wider than the dialog (" + std::to_string(bandWidth) + " pixels)";
    if (shape.height > kMaxBandHeight) {
      scaled += std::string(scaled.empty() ? "" : " and ") + "taller than " + std::to_string(kMaxBandHeight) +
                " pixels (a third of an 800 x 600 screen)";
    }
    if (!scaled.empty()) {
      int width = 0, height = 0;
      FitPicture({shape.width, shape.height, shape.bitsPerPixel}, bandWidth, kMaxBandHeight, &width, &height);
      Warn(which + " (" + file + ", " + size + ") is " + scaled + ": setup shows it scaled down to " +
           std::to_string(width) + " x " + std::to_string(height));
    }
    pictures.push_back(picture);
  }
  // Without pictures the set holds one record without pixels: setup loads
  // it and shows its dialog as the template has it.
  if (pictures.empty()) pictures.emplace_back();
  disc::PictureSet built = disc::BuildPictureSet(pictures);
  setupdata_.push_back({std::string(set) + ".pic1", built.pic1});
  setupdata_.push_back({std::string(set) + ".idx1", built.idx1});
  return true;
}

bool Builder::SetupdataFiles() {
  setupdata_.push_back({kMessageFileName, disc::TextRows(messageRows_)});
  setupdata_.push_back({kLinksFileName, disc::TextRows(linkRows_)});
  if (project_.progressPictures.size() > static_cast<size_t>(kMaxProgressPictures)) {
    Warn("progress_pictures lists " + std::to_string(project_.progressPictures.size()) +
         " pictures: setup shows one by the whole percent, so no more than " +
         std::to_string(kMaxProgressPictures + 1) + " of them can ever show");
  }
  if (!Pictures(project_.setupPictures, "setup", kSetupBandWidth) ||
      !Pictures(project_.progressPictures, "progress", kProgressBandWidth)) {
    return false;
  }
  if (!project_.webLink.empty()) {
    setupdata_.push_back({kWebLinkFile, "[InternetShortcut]\r\nURL=" + project_.webLink + "\r\n"});
  }
  return true;
}

bool Builder::ManifestRows() {
  if (!uninstaller_.empty()) {
    manifest_.push_back({false, 1, std::string("\\") + kUninstallerName, uninstallerBytes_, 0});
  }
  for (const GameItem& item : items_) {
    if (!item.folder && !item.data) manifest_.push_back({false, 1, "\\" + item.path, item.size, 0});
  }
  for (const GameItem& item : items_) {
    if (!item.folder && item.data) manifest_.push_back({true, 0, "\\" + item.path, item.size, 0});
  }
  // Disc 1's room for cd1 depends on the size of the list, which the discs
  // of the files do not change: it is laid out with every file on disc 1
  // and rewritten once the archives are packed.
  manifestIndex_ = setupdata_.size();
  setupdata_.push_back({disc::kManifestName, disc::ManifestText(1, manifest_)});
  return true;
}

bool Builder::Layout() {
  uint64_t plain = 0;
  if (!setupExe_.empty()) {
    int64_t size = DiskFileSize(setupExe_);
    if (size < 0) return Fail("cannot read the installer " + DisplayPath(setupExe_));
    plain += SectorBytes(static_cast<uint64_t>(size));
  }
  for (const GameItem& item : items_) {
    if (item.data && !item.folder) plain += SectorBytes(item.size);
  }
  if (project_.packageSetupdata) {
    plain += SectorBytes(disc::BuildPackage(setupdata_).size());
  } else {
    for (const disc::PackageEntry& e : setupdata_) plain += SectorBytes(e.data.size());
  }
  discOneFiles_ = plain;
  if (plain + SectorBytes(disc::kSetupHeaderBytes) > project_.capacity) {
    return Fail("disc 1's plain files (setup.exe, data, setupdata) take " + Thousands(plain) +
                " bytes: no room for cd1 in a capacity of " + Thousands(project_.capacity));
  }
  return true;
}

bool Builder::CopyDataFile(const GameItem& item, const std::string& to, disc::ManifestEntry* row) {
  const std::string from = JoinPath(options_.game, item.path);
  FileSum sum;
  const CopyResult copied = CopyDiskFile(from, to, &sum);
  if (copied == CopyResult::kUnreadable) return Fail("cannot read the game file " + DisplayPath(from));
  if (copied == CopyResult::kUnwritable) return Fail("cannot write " + DisplayPath(to));
  // Disc 1 was laid out, and the list sized, with the size the scan found.
  if (sum.size != item.size) return Fail("the game file " + DisplayPath(from) + " changed while the build read it");
  row->crc = sum.crc;
  return true;
}

bool Builder::FinishManifest(int discCount) {
  std::string& text = setupdata_[manifestIndex_].data;
  const std::string real = disc::ManifestText(discCount, manifest_);
  if (real.size() != text.size()) {
    return Fail("the list of files came out " + std::to_string(real.size()) + " bytes long, not the " +
                std::to_string(text.size()) + " disc 1 was laid out for");
  }
  text = real;
  return true;
}

// After the archives: the list of files on disc 1 carries what they hold.
bool Builder::WriteDiscOne() {
  const std::string disc = JoinPath(options_.out, "disc1");
  if (!MakeFolders(disc)) return Fail("cannot make the folder " + DisplayPath(disc));
  if (!setupExe_.empty() && CopyDiskFile(setupExe_, JoinPath(disc, "setup.exe")) != CopyResult::kCopied) {
    return Fail("cannot copy the installer to " + DisplayPath(disc));
  }
  const std::string data = JoinPath(disc, "data");
  size_t row = manifest_.size();
  for (const GameItem& item : items_) {
    if (item.data && !item.folder) --row;
  }
  for (const GameItem& item : items_) {
    if (!item.data) continue;
    const std::string to = JoinPath(data, item.path);
    if (item.folder) {
      if (!MakeFolders(to)) return Fail("cannot write " + DisplayPath(to));
      continue;
    }
    if (!CopyDataFile(item, to, &manifest_[row++])) return false;
  }
  if (!FinishManifest(result_->discCount)) return false;
  if (project_.packageSetupdata) {
    if (!WriteDiskFile(JoinPath(disc, "setupdata.apkg"), disc::BuildPackage(setupdata_))) {
      return Fail("cannot write " + DisplayPath(JoinPath(disc, "setupdata.apkg")));
    }
  } else {
    for (const disc::PackageEntry& e : setupdata_) {
      const std::string to = JoinPath(JoinPath(disc, "setupdata"), e.name);
      if (!WriteDiskFile(to, e.data)) return Fail("cannot write " + DisplayPath(to));
    }
  }
  return true;
}

// Writes each archive as discN\cdN below the output folder, making the
// disc's folder.
class DiscFileSink : public disc::ArchiveOutput {
 public:
  explicit DiscFileSink(const std::string& out) : out_(out) {}
  bool Begin(int disc) override {
    if (disc >= disc::kManifestMaxDiscs) {
      error_ = "the game takes more than " + std::to_string(disc::kManifestMaxDiscs) +
               " discs of this capacity; the disc's list of files numbers no more";
      return false;
    }
    path_ = Path(disc);
    sizes.push_back(0);
    if (!file_.Open(path_)) return Refuse("cannot create ");
    return true;
  }
  bool Append(const std::string& bytes) override {
    sizes.back() += bytes.size();
    return file_.Write(bytes) || Refuse("cannot write ");
  }
  bool End() override { return file_.Close() || Refuse("cannot write "); }
  bool PutHeader(const std::string& header) override {
    path_ = Path(0);
    plat::Stream* s = plat::StreamOpen(path_.c_str(), "r+b");
    if (s == nullptr) return Refuse("cannot reopen ");
    bool ok = plat::StreamWrite(s, header.data(), header.size()) == header.size();
    return (plat::StreamClose(s) && ok) || Refuse("cannot write ");
  }
  std::string Error() const override { return error_; }

  std::vector<uint64_t> sizes;

 private:
  std::string Path(int disc) const {
    std::string n = std::to_string(disc + 1);
    return JoinPath(JoinPath(out_, "disc" + n), "cd" + n);
  }
  bool Refuse(const std::string& what) {
    error_ = what + DisplayPath(path_);
    return false;
  }
  std::string out_;
  std::string path_;
  OutputFile file_;
  std::string error_;
};

// The packed files in the order of the list of files. Each is read once:
// its CRC is taken from what the writer reads.
class PackFeed : public disc::FileFeed {
 public:
  struct Source {
    std::string from;  // the file on disk
    std::string what;  // what it is, for the message when it cannot be read
  };
  // `rows` are the list's rows, the packed files first in `sources`' order.
  PackFeed(std::vector<disc::ManifestEntry>* rows, std::vector<Source> sources)
      : rows_(rows), sources_(std::move(sources)) {}
  size_t Count() const override { return sources_.size(); }
  const std::string& Path(size_t index) const override { return (*rows_)[index].path; }
  uint64_t Size(size_t index) const override { return (*rows_)[index].size; }
  bool Open(size_t index, std::string* why) override {
    const Source& source = sources_[index];
    file_.reset(new InputFile(source.from));
    row_ = &(*rows_)[index];
    sum_ = FileSum();
    if (file_->IsOpen()) return true;
    *why = "cannot read " + source.what + " " + DisplayPath(source.from);
    return false;
  }
  size_t Read(char* buffer, size_t length) override {
    const size_t got = file_->Read(buffer, length);
    sum_.Add(buffer, got);
    row_->crc = sum_.crc;
    return got;
  }
  void Started(size_t index, int disc) override { (*rows_)[index].disc = disc; }

 private:
  std::vector<disc::ManifestEntry>* rows_;
  std::vector<Source> sources_;
  std::unique_ptr<InputFile> file_;
  disc::ManifestEntry* row_ = nullptr;
  FileSum sum_;
};

bool Builder::WriteArchives() {
  const uint64_t capacity = project_.capacity / kSectorBytes * kSectorBytes;
  const uint64_t first = (project_.capacity - discOneFiles_) / kSectorBytes * kSectorBytes;
  DiscFileSink sink(options_.out);
  disc::ArchiveWriter writer(&sink, [&](int disc) { return disc == 0 ? first : capacity; });
  writer.jobs = options_.jobs > 0 ? options_.jobs : DefaultJobs();
  // Progress only where a build takes a while.
  constexpr uint64_t kLongBuild = 16 * 1024 * 1024;
  int shown = -1;
  writer.onProgress = [&](uint64_t done) {
    if (archiveBytes_ < kLongBuild) return;
    int percent = archiveBytes_ == 0 ? 100 : static_cast<int>(done * 100 / archiveBytes_);
    if (percent / 10 != shown / 10) {
      shown = percent;
      say_("  packed " + std::to_string(percent) + "%  (disc " + std::to_string(writer.discCount()) + ")");
    }
  };
  writer.onDisc = [&](int disc) { say_("  disc " + std::to_string(disc + 1) + " begun"); };
  for (const GameItem& item : items_) {
    if (item.folder && !item.data && !writer.Folder("\\" + item.path)) return Fail(writer.error());
  }
  // The first file: an install cancelled or failed part-way keeps what it
  // wrote, and the uninstaller with it.
  std::vector<PackFeed::Source> sources;
  if (!uninstaller_.empty()) sources.push_back({uninstaller_, "the uninstaller"});
  for (const GameItem& item : items_) {
    if (!item.folder && !item.data) sources.push_back({JoinPath(options_.game, item.path), "the game file"});
  }
  PackFeed feed(&manifest_, std::move(sources));
  if (!writer.Files(&feed) || !writer.Finish(header_)) return Fail(writer.error());
  result_->discCount = writer.discCount();
  result_->installSize = header_.installSize;
  for (size_t d = 0; d < sink.sizes.size(); ++d) {
    result_->discBytes.push_back(SectorBytes(sink.sizes[d]) + (d == 0 ? discOneFiles_ : 0));
  }
  return true;
}

void Builder::MakeImages() {
  std::string label;
  for (char c : header_.gameName) {
    if (label.size() == 28) break;
    c = alib::FoldByte(c);
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) label += c;
  }
  if (label.empty()) label = "GAME";
  for (int d = 1; d <= result_->discCount; ++d) {
    const std::string n = std::to_string(d);
    const std::string iso = JoinPath(options_.out, "disc" + n + ".iso");
    std::string message;
    if (!MakeIsoImage(JoinPath(options_.out, "disc" + n), iso, label + "_" + n, &message)) {
      Warn("no ISO image of disc " + n + ": " + message);
      continue;
    }
    int64_t size = DiskFileSize(iso);
    say_("  " + DisplayPath(iso) + ": " + Thousands(static_cast<uint64_t>(size)) + " bytes");
    if (static_cast<uint64_t>(size) > project_.capacity + kFileSystemReserve) {
      Warn("the image of disc " + n + " is larger than the capacity and its file-system reserve");
    }
  }
}

bool Builder::Run(std::string* error) {
  const auto start = std::chrono::steady_clock::now();
  setupExe_ = options_.setupExe;
  bool ok = LoadProject() && HeaderTexts();
  if (ok && !IsFolder(options_.game)) ok = Fail("the game folder " + DisplayPath(options_.game) + " does not exist");
  ok = ok && ScanGame("") && PickDataFiles() && PickUninstaller() && SignPrograms() && CheckPaths() && MessageTexts() &&
       ExtraLinks() && SetupdataFiles() && ManifestRows() && Layout();
  if (ok && Exists(options_.out) && !ListFolder(options_.out).empty()) {
    ok = Fail("the output folder " + DisplayPath(options_.out) + " is not empty");
  }
  if (ok) {
    const size_t added = uninstaller_.empty() ? 0 : 1;
    say_("building " + std::to_string(items_.size() + added) + " files and folders (" + Thousands(archiveBytes_) +
         " bytes to pack, " + Thousands(dataBytes_) + " plain) for discs of " + Thousands(project_.capacity) +
         " bytes");
    say_("  " + uninstallerSaid_);
    if (!signedSaid_.empty()) say_("  " + signedSaid_);
  }
  ok = ok && WriteArchives() && WriteDiscOne();
  if (!ok) {
    *error = error_;
    return false;
  }
  for (int d = 0; d < result_->discCount; ++d) {
    say_("  disc" + std::to_string(d + 1) + ": " + Thousands(result_->discBytes[static_cast<size_t>(d)]) + " of " +
         Thousands(project_.capacity) + " bytes");
  }
  if (options_.iso) MakeImages();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  char tail[64];
  std::snprintf(tail, sizeof tail, " in %.1f s", seconds);
  say_(std::to_string(result_->discCount) + (result_->discCount == 1 ? " disc" : " discs") + ", install size " +
       Thousands(result_->installSize) + " bytes" + tail);
  return true;
}

}  // namespace

uint64_t SectorBytes(uint64_t bytes) { return (bytes + kSectorBytes - 1) / kSectorBytes * kSectorBytes; }

bool BuildDiscSet(const BuildOptions& options, const std::function<void(const std::string&)>& say,
                  BuildResult* result, std::string* error) {
  *result = BuildResult();
  Builder builder(options, say, result);
  return builder.Run(error);
}

}  // namespace gamedisc
