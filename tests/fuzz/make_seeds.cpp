// Writes the fuzz targets' seed inputs with the test writers of the disc
// formats: make_seeds <corpus folder>. The seeds are small and checked in.
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "apkg_writer.h"
#include "disc_writer.h"
#include "pic_writer.h"
#include "scratch.h"
#include "text_writer.h"

namespace {

using namespace testsupport;

void Seed(const std::string& folder, const std::string& name, const std::string& bytes) {
  std::filesystem::create_directories(folder);
  WriteNative(folder + "/" + name, bytes);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds <corpus folder>\n");
    return 2;
  }
  const std::string root = argv[1];

  SetupHeaderFields header;
  header.companyName = "Maker";
  header.gameName = "Game";
  header.uninstallKey = "Key";
  header.exeName = "game.exe";
  std::vector<GameFile> files = {{"\\a.txt", "hello"}, {"\\d\\b.bin", std::string(700, 'b')}, {"\\e", ""}};
  Seed(root + "/disc", "two-files", BuildDiscs(header, {"\\d"}, files)[0]);
  RecordStream odd;
  odd.Raw(std::string("\x00\x06", 2)).Folder("\\x").FileStart("\\x\\y").FileData("z").Raw("\xC8");
  odd.FileData("").Raw(std::string(1, '\x7F')).FileData("w").FileEnd();
  Seed(root + "/disc", "odd-tags", SetupHeaderBytes(header) + odd.bytes());

  // A disc with its list of files, both as the fuzz target of the list
  // takes them; its data folder holds the two files listed here.
  const std::vector<GameFile> data = {{"\\kelvora.exe", "MZ game"}, {"\\readme.txt", "data\r\n"}};
  for (const auto& [name, listed] : {std::pair<const char*, std::vector<GameFile>>{"listed", files},
                                     {"listed-overwritten", {{"\\readme.txt", "archive"}, {"\\D\\x", "x"}}}}) {
    const std::string disc = BuildDiscs(header, {"\\d"}, listed)[0];
    const std::string list = ManifestFor({disc}, listed, data);
    Seed(root + "/manifest", name, std::string{static_cast<char>(list.size() & 0xFF), static_cast<char>(list.size() >> 8)} + list + disc);
  }

  std::string inner = BuildPackage({{"FILE.DAT", "inner data"}});
  Seed(root + "/package", "flat", BuildPackage({{"A.TXT", "abc"}, {"TITLE.PIC1", "pic"}, {"EMPTY", ""}}));
  Seed(root + "/package", "nested", BuildPackage({{"INNER.APKG", inner}, {"A.TXT", "x"}}));

  PictureSet set = BuildPictureSet(SamplePictures(3));
  std::string input(2, '\0');
  input[0] = static_cast<char>(set.idx1.size() & 0xFF);
  input[1] = static_cast<char>(set.idx1.size() >> 8);
  Seed(root + "/picture", "three", input + set.idx1 + set.pic1);
  // Pictures that can be shown: each depth, and one wider than the band.
  set = BuildPictureSet({PaintedPicture(6, 2, 16, [](int x, int) { return x * 0x2A0000u; }),
                         PaintedPicture(3, 3, 24, [](int, int y) { return y * 0x004000u; }),
                         PaintedPicture(2, 4, 32, [](int x, int y) { return (x + y) * 0x000030u; }),
                         PaintedPicture(400, 1, 24, [](int x, int) { return x % 2 ? 0xFFFFFFu : 0u; })});
  input[0] = static_cast<char>(set.idx1.size() & 0xFF);
  input[1] = static_cast<char>(set.idx1.size() >> 8);
  Seed(root + "/picture", "shown", input + set.idx1 + set.pic1);

  Seed(root + "/text", "messages",
       TextRows({{"ProgramName_EN", "Game Setup"}, {"ProgramName_TW", kBig5Setup}, {"NextCD_EN", "\"Disc \""},
                 {"Extra_Link0", "game.exe", "Play"}, {""}, {"Extra_Link1", "a", "b", "c"}}));

  Seed(root + "/stored_path", "plain", std::string("\\data\\maps\\one.map", 18) + std::string(1, '\0'));
  Seed(root + "/stored_path", "big5", std::string("\\\xA5\\\xAF\xE0\\x") + std::string(1, '\0'));
  // Second bytes 0x5C and 0x7C: Big5 許功 and 四, GBK 衆 and 億.
  Seed(root + "/stored_path", "big5-backslash", std::string("\\\xB3\\\xA5\\\\\xA5|.txt") + std::string(1, '\0'));
  Seed(root + "/stored_path", "gbk-backslash", std::string("\\\xD0\\\\\x83|\\x") + std::string(1, '\0'));
  // An install log of the fuzz target's game, and one with hostile entries.
  Seed(root + "/install_log", "plain",
       "install log\t1\r\ngame\tGame\r\nkey\tKey\r\nbase\tT:\\game\r\nfolder\t\\sub\r\nfile\t\\a.txt\r\n"
       "file\t\\sub\\b.txt\r\nmenu\tT:\\shell\\Programs\\Maker\r\nlink\tT:\\shell\\Programs\\Maker\\Game\\Game.lnk\r\n"
       "link\tT:\\shell\\Desktop\\Game.lnk\r\nregistry\tSoftware\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Key\r\n");
  Seed(root + "/install_log", "hostile",
       "install log\t1\r\nkey\tKey\r\nfile\t\\..\\outside\\keep.txt\r\nfile\t\\into\\keep.txt\r\n"
       "link\tT:\\outside\\keep.lnk\r\nlink\tT:\\shell\\Programs\\..\\..\\outside\\keep.lnk\r\n"
       "base\tT:\\game2\r\nmenu\tT:\\outside\r\nregistry\tSoftware\\Other\r\n");
  return 0;
}
