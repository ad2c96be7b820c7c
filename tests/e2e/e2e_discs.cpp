// Lays out the game discs that the end-to-end cases put into the drive, each
// set in a folder of its own below OUT:
//
//   OUT\<set>\disc      what is in the drive at the start: cd1, data, setupdata
//   OUT\<set>\spare     the archives of the later discs, put in when asked for
//   OUT\<set>\expect    the game folder exactly as a finished install leaves it
//   OUT\<set>\facts.sh  names and texts of the set, for the case scripts
//
//   e2e_discs OUT [UNINSTALL.EXE]
//
// With UNINSTALL.EXE, every set installs that program as its uninstaller,
// the first file of its archives, as gamedisc lays it; without, a stand-in
// from the data folder.
//
// It runs under Wine like the installer, so that the Chinese texts are
// written in the code pages the installer will read them in.
#include <windows.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "disc_writer.h"
#include "pic_writer.h"
#include "scratch.h"
#include "text_writer.h"

namespace {

using testsupport::GameFile;

constexpr UINT kBig5 = 950;
constexpr UINT kGbk = 936;

[[noreturn]] void Die(const std::string& why) {
  std::fprintf(stderr, "e2e_discs: %s\n", why.c_str());
  std::exit(1);
}

std::wstring Wide(const std::string& text, UINT codePage) {
  int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
  return wide;
}

// `lossy`, when given, tells whether a character had no form in the code
// page (UTF-8 takes no such question).
std::string Narrow(const std::wstring& wide, UINT codePage, BOOL* lossy) {
  const int n = static_cast<int>(wide.size());
  const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  int m = WideCharToMultiByte(codePage, flags, wide.data(), n, nullptr, 0, nullptr, lossy);
  std::string out(static_cast<size_t>(m), '\0');
  WideCharToMultiByte(codePage, flags, wide.data(), n, &out[0], m, nullptr, lossy);
  return out;
}

// UTF-8 text in a Windows code page; a character the page lacks is an error.
std::string InCodePage(const std::string& utf8, UINT codePage) {
  BOOL lossy = FALSE;
  std::string out = Narrow(Wide(utf8, CP_UTF8), codePage, &lossy);
  if (lossy) Die("code page " + std::to_string(codePage) + " cannot write " + utf8);
  return out;
}

std::string ToUtf8(const std::string& text, UINT codePage) { return Narrow(Wide(text, codePage), CP_UTF8, nullptr); }

// Files and folders named in UTF-8, whatever the code page of this process.
void WriteUtf8(const std::string& path, const std::string& bytes) {
  const std::filesystem::path p(Wide(path, CP_UTF8));
  std::filesystem::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) Die("cannot write " + path);
}

void MakeFolderUtf8(const std::string& path) { std::filesystem::create_directories(Wide(path, CP_UTF8)); }

// Bytes that pack to about half, like real game data; a seed per file.
std::string Content(uint32_t seed, size_t size) {
  static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz012345";
  std::string out(size, '\0');
  uint32_t x = seed * 2654435761u + 7;
  for (char& c : out) {
    x = x * 1103515245u + 12345u;
    c = kAlphabet[(x >> 16) & 31];
  }
  return out;
}

// One language's column of "setupdata\message.ini", as UTF-8.
struct Texts {
  std::string programName, nextCd, uninstall, urlName, cancelMsg, failMsg, finishMsg;
};

const Texts kEnglish = {"Kelvora Setup", "Please insert disc ", "Uninstall Kelvora", "Kelvora on the Web.url",
                        "Do you want to stop the installation?", "The installation was not completed.",
                        "Kelvora is installed."};
const Texts kTraditional = {"星河傳說 安裝程式", "請放入光碟 ", "移除星河傳說", "星河傳說網站.url",
                            "確定要停止安裝嗎?", "安裝沒有完成。", "安裝完成。"};
const Texts kSimplified = {"星河传说 安装程序", "请放入光盘 ", "卸载星河传说", "星河传说网站.url",
                           "确定要停止安装吗?", "安装没有完成。", "安装完成。"};
constexpr char kUrlFile[] = "setupdata\\kelvora.url";

std::string MessageFile() {
  struct Column {
    const char* suffix;
    const Texts* texts;
    UINT codePage;
  };
  const Column columns[] = {{"_TW", &kTraditional, kBig5}, {"_CN", &kSimplified, kGbk}, {"_EN", &kEnglish, 1252}};
  std::vector<std::vector<std::string>> rows;
  for (const Column& c : columns) {
    const Texts& t = *c.texts;
    auto row = [&](const char* key, const std::string& text) {
      rows.push_back({std::string(key) + c.suffix, InCodePage(text, c.codePage)});
    };
    row("ProgramName", t.programName);
    row("NextCD", t.nextCd);
    row("Uninstall", t.uninstall);
    row("URL_FILENAME", kUrlFile);
    row("URL_NAME", t.urlName);
    row("CANCEL_MSG", t.cancelMsg);
    row("FAIL_MSG", t.failMsg);
    row("FINISH_MSG", t.finishMsg);
  }
  return testsupport::TextRows(rows);
}

struct ExtraLink {
  std::string file;  // relative to the game folder, "\" separated
  std::string name;  // UTF-8
};

struct GameSet {
  std::string name;
  const Texts* texts;  // the language the set is run in
  UINT codePage;       // of that language
  // Names in UTF-8, the header's and the paths below; on the disc they are
  // in `codePage`.
  std::string company, game, key, exe;
  std::string keyTail;  // bytes after the key's terminator in the header
  std::vector<std::string> folders;
  std::vector<GameFile> files;  // in the archives, in this order
  std::vector<GameFile> data;   // the disc's data folder, paths "\"-led
  std::vector<ExtraLink> links;
  bool oddTags = false;  // tag bytes of no record between every two records
  bool listed = true;    // disc 1 carries the list of files
  // 1 to 3; with more than one, the first disc ends when `firstDiscShare`
  // of the game has been read.
  int discs = 1;
  double firstDiscShare = 0.5;
  size_t piece = 204800;  // the largest file piece in one record
  // The depths of the banner and of the progress pictures.
  int bannerBits = 24;
  int frameBits = 16;
};

// The art of every set, in colours that no control of the dialogs has and
// that 16 bits hold exactly: a 300 x 60 banner in quarters (red, green,
// magenta, cyan: top left, bottom left, top right, bottom right), and four
// 300 x 40 progress pictures of one colour each. Narrower than either
// dialog, so that they show at their own size.
constexpr int kBannerWidth = 300, kBannerHeight = 60, kFrameWidth = 300, kFrameHeight = 40;
constexpr uint32_t kBannerColours[4] = {0xFF0000, 0x00FF00, 0xFF00FF, 0x00FFFF};
constexpr uint32_t kFrameColours[4] = {0xFF0000, 0x00FF00, 0xFF00FF, 0xFFFF00};

std::string Hex(uint32_t rgb) {
  char text[8];
  std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(rgb));
  return text;
}

std::vector<GameFile> ArchiveFiles() {
  return {{"\\kelvora.exe", Content(1, 40000)},       {"\\readme.txt", Content(2, 3000)},
          {"\\Maps\\m1.map", Content(3, 450000)},     {"\\Maps\\Deep\\empty.bin", ""},
          {"\\Maps\\m2.map", Content(4, 120000)},     {"\\manual.txt", Content(5, 2500)},
          {"\\Tools\\editor.exe", Content(6, 30000)}};
}

// The uninstaller every set installs: the real one when given, else a
// stand-in.
std::string uninstaller;

std::vector<GameFile> ArchiveFilesWithUninstaller() {
  std::vector<GameFile> files = ArchiveFiles();
  if (!uninstaller.empty()) files.insert(files.begin(), GameFile{"\\uninstall.exe", uninstaller});
  return files;
}

std::vector<GameFile> DataFiles() {
  // kelvora.exe is the probe and the game itself; readme.txt replaces the
  // archive's copy.
  std::vector<GameFile> files = {{"\\kelvora.exe", Content(11, 65536)},
                                 {"\\readme.txt", Content(13, 1800)},
                                 {"\\Movies\\intro.avi", Content(14, 200000)}};
  if (uninstaller.empty()) files.insert(files.begin() + 1, GameFile{"\\uninstall.exe", Content(12, 20480)});
  return files;
}

GameSet EnglishGame() {
  GameSet g;
  g.name = "english";
  g.texts = &kEnglish;
  g.codePage = 1252;
  g.company = "Kelvora Works";
  g.game = "Kelvora";
  g.key = "KelvoraUninst";
  g.keyTail = "tail";
  g.exe = "kelvora.exe";
  g.folders = {"\\Save", "\\Maps", "\\Maps\\Deep"};
  g.files = ArchiveFilesWithUninstaller();
  g.data = DataFiles();
  g.links = {{"manual.txt", "Manual"}, {"Tools\\editor.exe", "Map Editor"}};
  return g;
}

// ---------------------------------------------------------------------------
// Disc archives, read back
// ---------------------------------------------------------------------------

struct Record {
  size_t offset;
  int tag;
  size_t payloadAt;
  size_t payloadSize;
};

std::vector<Record> Records(const std::string& disc, size_t start) {
  std::vector<Record> out;
  size_t at = start;
  while (at < disc.size()) {
    Record r{at, static_cast<signed char>(disc[at]), at + 1, 0};
    if (r.tag >= 1 && r.tag <= 3) {
      r.payloadSize = static_cast<unsigned char>(disc[at + 1]) | static_cast<unsigned char>(disc[at + 2]) << 8 |
                      static_cast<unsigned char>(disc[at + 3]) << 16 |
                      static_cast<size_t>(static_cast<unsigned char>(disc[at + 4])) << 24;
      r.payloadAt = at + 5;
    }
    out.push_back(r);
    at = r.payloadAt + r.payloadSize;
  }
  return out;
}

std::string Unpacked(const std::string& disc, const Record& r) {
  std::string out(204800, '\0');
  uLongf size = out.size();
  if (uncompress(reinterpret_cast<Bytef*>(&out[0]), &size,
                 reinterpret_cast<const Bytef*>(disc.data() + r.payloadAt), r.payloadSize) != Z_OK) {
    Die("a record of our own does not unpack");
  }
  out.resize(size);
  return out;
}

// The status line the progress dialog shows when disc `index` runs out: the
// last file started up to there, in UTF-8.
std::string StatusAfter(const std::vector<std::string>& discs, size_t index, UINT codePage) {
  std::string last;
  for (size_t d = 0; d <= index; ++d) {
    for (const Record& r : Records(discs[d], d == 0 ? 168 : 0)) {
      if (r.tag == 2) last = Unpacked(discs[d], r);
    }
  }
  return "Copying " + ToUtf8(last.substr(0, last.find('\0')), codePage) + " ....";
}

// Puts tag bytes of no record (0, 6, 127 and 200) after every record of a
// disc, between the pieces of a file too.
std::string WithOddTags(const std::string& disc, size_t start) {
  const std::string odd("\x00\x06\x7F\xC8", 4);
  std::string out = disc.substr(0, start);
  for (const Record& r : Records(disc, start)) {
    out += disc.substr(r.offset, r.payloadAt + r.payloadSize - r.offset);
    if (r.tag != 5) out += odd;
  }
  return out;
}

// Cuts a game's single disc into two or three at record boundaries: the
// first ends where `firstShare` of the unpacked bytes (`total`) have been
// read; for three, the rest is halved at its middle record.
std::vector<std::string> CutDiscs(const std::string& single, uint32_t total, double firstShare, int count) {
  const std::vector<Record> records = Records(single, 168);
  size_t firstCut = 0;
  uint64_t unpacked = 0;
  for (size_t i = 0; i + 1 < records.size() && firstCut == 0; ++i) {
    if (records[i].tag >= 1 && records[i].tag <= 3) unpacked += Unpacked(single, records[i]).size();
    if (unpacked >= firstShare * total) firstCut = records[i + 1].offset;
  }
  if (firstCut == 0) Die("too few records to cut");
  const std::string discEnd(1, '\x05');
  const std::string rest = single.substr(firstCut);
  if (count == 2) return {single.substr(0, firstCut) + discEnd, rest};
  size_t secondCut = 0;
  for (const Record& r : Records(rest, 0)) {
    if (r.offset <= rest.size() / 2) secondCut = r.offset;
  }
  if (secondCut == 0) Die("too few records to cut");
  return {single.substr(0, firstCut) + discEnd, rest.substr(0, secondCut) + discEnd, rest.substr(secondCut)};
}

// ---------------------------------------------------------------------------
// Writing a set
// ---------------------------------------------------------------------------

std::string Quoted(const std::string& value) {
  std::string out = "'";
  for (char c : value) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

class SetWriter {
 public:
  SetWriter(const std::string& out, const GameSet& g) : root_(out + "\\" + g.name), game_(g) {}

  // Lays out the discs; returns their archives, cd1 first.
  std::vector<std::string> Write() {
    const GameSet& g = game_;
    testsupport::SetupHeaderFields header;
    header.companyName = Stored(g.company);
    header.gameName = Stored(g.game);
    header.uninstallKey = Stored(g.key);
    header.exeName = Stored(g.exe);
    header.uninstallKeyTail = g.keyTail;
    std::vector<std::string> folders;
    for (const std::string& f : g.folders) folders.push_back(Stored(f));
    std::vector<GameFile> files;
    for (const GameFile& f : g.files) files.push_back({Stored(f.path), f.content});
    // The size to install is what the archives unpack to, names included.
    uint32_t size = 0;
    for (const std::string& f : folders) size += static_cast<uint32_t>(f.size() + 1);
    for (const GameFile& f : files) size += static_cast<uint32_t>(f.path.size() + 1 + f.content.size());
    header.installSize = size;
    std::vector<std::string> discs = testsupport::BuildDiscs(header, folders, files, 0, g.piece);
    if (g.oddTags) discs[0] = WithOddTags(discs[0], 168);
    if (g.discs > 1) discs = CutDiscs(discs[0], size, g.firstDiscShare, g.discs);
    header.discCount = static_cast<int32_t>(discs.size());
    headerBytes_ = testsupport::SetupHeaderBytes(header);
    discs[0].replace(0, 168, headerBytes_);

    const std::string disc = root_ + "\\disc";
    testsupport::WriteNative(disc + "\\cd1", discs[0]);
    for (size_t d = 1; d < discs.size(); ++d) {
      testsupport::WriteNative(root_ + "\\spare\\cd" + std::to_string(d + 1), discs[d]);
    }
    for (const GameFile& f : g.data) WriteUtf8(disc + "\\data" + f.path, f.content);
    if (g.listed) {
      std::vector<GameFile> data;
      for (const GameFile& f : g.data) data.push_back({Stored(f.path), f.content});
      testsupport::WriteNative(disc + "\\setupdata\\manifest.ini", testsupport::ManifestFor(discs, files, data));
    }
    testsupport::WriteNative(disc + "\\setupdata\\message.ini", MessageFile());
    std::vector<std::vector<std::string>> rows;
    for (size_t k = 0; k < g.links.size(); ++k) {
      rows.push_back({"Extra_Link" + std::to_string(k), Stored(g.links[k].file), Stored(g.links[k].name)});
    }
    testsupport::WriteNative(disc + "\\setupdata\\setupdata.ini", testsupport::TextRows(rows));
    testsupport::WriteNative(disc + "\\" + kUrlFile, "[InternetShortcut]\r\nURL=http://kelvora.example/\r\n");
    WriteArt(disc);
    WriteExpected();
    Fact("SET", g.name);
    Fact("COMPANY", g.company);
    Fact("GAME", g.game);
    Fact("KEY", g.key);
    Fact("EXE", g.exe);
    Fact("TARGET", "C:\\Program Files\\" + g.company + "\\" + g.game);
    Fact("TARGET_UNIX", "Program Files/" + g.company + "/" + g.game);
    Fact("DISCS", std::to_string(discs.size()));
    Fact("INSTALL_KB", std::to_string((static_cast<uint64_t>(size) + 1023) / 1024));
    Fact("PROGRAM_NAME", g.texts->programName);
    Fact("NEXT_CD", g.texts->nextCd);
    Fact("UNINSTALL_TEXT", g.texts->uninstall);
    Fact("URL_NAME", g.texts->urlName);
    Fact("URL_SOURCE", "setupdata/kelvora.url");
    Fact("CANCEL_MSG", g.texts->cancelMsg);
    Fact("FAIL_MSG", g.texts->failMsg);
    Fact("LINK_COUNT", std::to_string(g.links.size()));
    for (size_t k = 0; k < g.links.size(); ++k) {
      Fact("LINK_FILE_" + std::to_string(k), g.links[k].file);
      Fact("LINK_NAME_" + std::to_string(k), g.links[k].name);
    }
    for (size_t d = 0; d < discs.size(); ++d) {
      Fact("STATUS_AFTER_DISC" + std::to_string(d + 1), StatusAfter(discs, d, g.codePage));
    }
    return discs;
  }

  // The banner and the progress pictures, and what the screenshots must
  // show of them: each colour as "RRGGBB:WxH:X,Y" (the rectangle it fills,
  // placed relative to the first).
  void WriteArt(const std::string& disc) {
    const int w = kBannerWidth / 2, h = kBannerHeight / 2;
    const std::vector<testsupport::TestPicture> banner = {testsupport::PaintedPicture(
        kBannerWidth, kBannerHeight, game_.bannerBits,
        [=](int x, int y) { return kBannerColours[(x < w ? 0 : 2) + (y < h ? 0 : 1)]; })};
    std::vector<testsupport::TestPicture> frames;
    std::string frameFacts;
    for (uint32_t colour : kFrameColours) {
      frames.push_back(testsupport::PaintedPicture(kFrameWidth, kFrameHeight, game_.frameBits,
                                                   [=](int, int) { return colour; }));
      frameFacts += (frameFacts.empty() ? "" : " ") + Hex(colour) + ":" + std::to_string(kFrameWidth) + "x" +
                    std::to_string(kFrameHeight) + ":0,0";
    }
    testsupport::WritePictureSet(disc + "\\setupdata\\setup", testsupport::BuildPictureSet(banner));
    testsupport::WritePictureSet(disc + "\\setupdata\\progress", testsupport::BuildPictureSet(frames));
    std::string bannerFacts;
    const int places[4][2] = {{0, 0}, {0, h}, {w, 0}, {w, h}};
    for (int k = 0; k < 4; ++k) {
      bannerFacts += (k ? " " : "") + Hex(kBannerColours[k]) + ":" + std::to_string(w) + "x" + std::to_string(h) +
                     ":" + std::to_string(places[k][0]) + "," + std::to_string(places[k][1]);
    }
    Fact("BANNER", bannerFacts);
    Fact("FRAMES", frameFacts);
    Fact("ART_BITS", std::to_string(game_.bannerBits) + " and " + std::to_string(game_.frameBits));
  }

  // Spoils the archive of disc 1: the checksum of its `nth` file piece.
  void Damage(std::string cd1, int nth) {
    int seen = 0;
    for (const Record& r : Records(cd1, 168)) {
      if (r.tag == 3 && r.payloadSize > 0 && seen++ == nth) {
        cd1[r.payloadAt + r.payloadSize - 1] ^= 0x5A;
        testsupport::WriteNative(root_ + "\\disc\\cd1", cd1);
        Fact("DAMAGED_AT", std::to_string(r.offset));
        return;
      }
    }
    Die("no file piece to damage");
  }

  // Changes one byte of the data folder's file `path` after the list of
  // files was written; the box tells both sizes and CRC-32s.
  void SpoilDataFile(const std::string& path) {
    for (const GameFile& f : game_.data) {
      if (f.path != path) continue;
      std::string spoilt = f.content;
      spoilt[spoilt.size() / 2] ^= 0x20;
      WriteUtf8(root_ + "\\disc\\data" + path, spoilt);
      Fact("SPOILT_FILE", path);
      Fact("SPOILT_SUM", Sum(spoilt));
      Fact("LISTED_SUM", Sum(f.content));
      return;
    }
    Die("no data file " + path);
  }

  ~SetWriter() { testsupport::WriteNative(root_ + "\\facts.sh", facts_); }

 private:
  std::string Stored(const std::string& utf8) const { return InCodePage(utf8, game_.codePage); }

  // "1,800 bytes, CRC-32 0A1B2C3D".
  static std::string Sum(const std::string& bytes) {
    std::string digits = std::to_string(bytes.size());
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(static_cast<size_t>(i), ",");
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08lX",
                  crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
    return digits + " bytes, CRC-32 " + crc;
  }

  void Fact(const std::string& name, const std::string& value) { facts_ += name + "=" + Quoted(value) + "\n"; }

  // The archives' files, then the data folder over them, then the record.
  void WriteExpected() {
    const std::string expect = root_ + "\\expect";
    MakeFolderUtf8(expect);
    std::map<std::string, std::string> files;
    for (const GameFile& f : game_.files) files[f.path] = f.content;
    for (const GameFile& f : game_.data) files[f.path] = f.content;
    files["\\uninstall.dat"] = headerBytes_.substr(80, 40);
    for (const std::string& folder : game_.folders) MakeFolderUtf8(expect + folder);
    for (const auto& f : files) WriteUtf8(expect + f.first, f.second);
  }

  std::string root_;
  const GameSet& game_;
  std::string headerBytes_;
  std::string facts_;
};

// Lays out the discs of `g` below `out`.
void Lay(const std::string& out, const GameSet& g) {
  SetWriter writer(out, g);
  writer.Write();
}

// The names of a Chinese game, in UTF-8.
struct ChineseNames {
  std::string company, game, key;
  std::string folder, file;  // a folder of the archives and a file in it
  std::string chapter, map;  // a folder made by its file alone, and that file
  std::string movie;         // a file of the data folder
  std::string manualLink, editorLink;
};

// The English game with Chinese names in `codePage` and the texts of its
// language: the header's names, a folder and files of the archives and of
// the data folder, the key and the links.
GameSet ChineseGame(const std::string& name, const Texts* texts, UINT codePage, const ChineseNames& n) {
  GameSet g = EnglishGame();
  g.name = name;
  g.texts = texts;
  g.codePage = codePage;
  g.company = n.company;
  g.game = n.game;
  g.key = n.key;
  g.folders.push_back("\\" + n.folder);
  g.files.push_back({"\\" + n.folder + "\\" + n.file, Content(31, 5000)});
  g.files.push_back({"\\" + n.chapter + "\\" + n.map, Content(32, 260000)});
  g.data.push_back({"\\Movies\\" + n.movie, Content(33, 9000)});
  g.links = {{n.folder + "\\" + n.file, n.manualLink}, {"Tools\\editor.exe", n.editorLink}};
  g.bannerBits = codePage == kBig5 ? 32 : 16;
  g.frameBits = codePage == kBig5 ? 24 : 32;
  return g;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: e2e_discs OUT [UNINSTALL.EXE]\n");
    return 2;
  }
  const std::string out = argv[1];
  if (argc == 3 && !testsupport::ReadNative(argv[2], &uninstaller)) Die(std::string("cannot read ") + argv[2]);

  // A whole game on one disc.
  const GameSet english = EnglishGame();
  Lay(out, english);

  // The same game, bigger, over three discs: 53 percent of it on the
  // first, so that the question for the second comes with the percentage
  // drawn across the fill's edge (small pieces: what is shown is at most two
  // records, 3 percent, behind), the rest on the other two; a file runs
  // across each change.
  GameSet three = EnglishGame();
  three.name = "threedisc";
  three.files.push_back({"\\Movies\\outro.avi", Content(21, 900000)});
  three.files.push_back({"\\Maps\\m3.map", Content(22, 300000)});
  three.discs = 3;
  three.firstDiscShare = 0.53;
  three.piece = 25600;
  three.listed = false;  // a set made before discs carried their list
  Lay(out, three);

  // The one-disc game over two discs, a file running across the change.
  GameSet two = english;
  two.name = "twodisc";
  two.discs = 2;
  Lay(out, two);

  // A traditional-Chinese game: names and texts in Big5, among them
  // characters whose second byte is 0x5C or 0x7C ("\\" and "|"): 許 B3 5C,
  // 功 A5 5C, 蓋 BB 5C, 四 A5 7C.
  Lay(out, ChineseGame("chinese", &kTraditional, kBig5,
                       {"許氏工作室", "星河傳說四", "蓋世星河", "許功蓋", "說明.txt", "第四章", "功夫.map", "蓋世.avi",
                        "使用手冊", "地圖編輯器"}));

  // A simplified-Chinese game in GBK, the same way (衆 D0 5C, 誠 D5 5C, 謀
  // D6 5C, 億 83 7C), whose archive holds tag bytes of no record after every
  // record, between the pieces of its files too.
  GameSet simplified = ChineseGame("simplified", &kSimplified, kGbk,
                                   {"衆星工作室", "星河传说億", "誠星河", "衆誠", "謀略.txt", "億", "謀.map", "衆.avi",
                                    "使用手册", "地图编辑器"});
  simplified.oddTags = true;
  Lay(out, simplified);

  // The English disc with a spoilt record: the checksum of the third file
  // piece does not match.
  GameSet damaged = english;
  damaged.name = "damaged";
  {
    SetWriter writer(out, damaged);
    writer.Damage(writer.Write()[0], 2);
  }
  // The English disc whose data folder has a file changed after the list of
  // files was made.
  GameSet spoilt = english;
  spoilt.name = "spoilt";
  {
    SetWriter writer(out, spoilt);
    writer.Write();
    writer.SpoilDataFile("\\readme.txt");
  }
  std::printf("discs laid out in %s\n", out.c_str());
  return 0;
}
