// The project file: what the tool needs to know about a game beyond its
// files. A UTF-8 text of "name = value" lines; blank lines and lines
// starting with "#" are skipped; a value wrapped in double quotes keeps its
// spaces. See docs/gamedisc.md for every setting.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gamedisc {

// CD-ROM presets: the media's 333,000 and 360,000 sectors of 2,048 bytes,
// less 1 MiB kept for the ISO 9660 file system's own tables.
constexpr uint64_t kSectorBytes = 2048;
constexpr uint64_t kFileSystemReserve = 1024 * 1024;
constexpr uint64_t kCd650 = 333000 * kSectorBytes - kFileSystemReserve;
constexpr uint64_t kCd700 = 360000 * kSectorBytes - kFileSystemReserve;

struct ExtraLinkSetting {
  std::string name;  // the shortcut's name, UTF-8
  std::string file;  // its target, relative to the install folder, UTF-8
  int line;
};

struct TextSetting {
  int key;       // index of the message key
  int language;  // 0 = _TW, 1 = _CN, 2 = _EN
  std::string text;  // UTF-8
  int line;
};

struct Project {
  std::string company, game, uninstallKey, exe;  // UTF-8
  unsigned namesCodePage;  // of the header texts and the extra links
  uint64_t capacity = kCd650;
  bool packageSetupdata = false;
  std::vector<std::string> data;  // game-folder paths copied to the disc's data folder
  std::string webLink;
  std::vector<ExtraLinkSetting> links;
  std::vector<std::string> setupPictures, progressPictures;  // .bmp or PNG files, relative to the project file
  std::vector<TextSetting> texts;
};

// Parses the project text; `name` is the file's name for messages. False
// with `error` ("name:line: what") on the first fault.
bool ParseProject(const std::string& text, const std::string& name, Project* project, std::string* error);

// "cd650", "cd700", or a byte count (digits, optionally with "," or "_"
// groups). False with `error` set otherwise.
bool ParseCapacity(const std::string& text, uint64_t* bytes, std::string* error);

// "ascii", "big5", "gbk" or a code page number.
bool ParseCodePage(const std::string& text, unsigned* codePage);

}  // namespace gamedisc
