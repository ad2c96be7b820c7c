#include "project.h"

#include "message_keys.h"
#include "platform.h"

namespace gamedisc {

namespace {

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return "";
  size_t b = s.find_last_not_of(" \t");
  return s.substr(a, b - a + 1);
}

// Splits "a | b" at its first bar.
bool SplitPair(const std::string& value, std::string* a, std::string* b) {
  size_t bar = value.find('|');
  if (bar == std::string::npos) return false;
  *a = Trim(value.substr(0, bar));
  *b = Trim(value.substr(bar + 1));
  return !a->empty() && !b->empty();
}

void SplitList(const std::string& value, std::vector<std::string>* out) {
  size_t start = 0;
  while (start <= value.size()) {
    size_t comma = value.find(',', start);
    if (comma == std::string::npos) comma = value.size();
    std::string item = Trim(value.substr(start, comma - start));
    if (!item.empty()) out->push_back(item);
    start = comma + 1;
  }
}

bool FindText(const std::string& name, int* key, int* language) {
  for (int k = 0; k < kMessageKeyCount; ++k) {
    for (int l = 0; l < kLanguageCount; ++l) {
      if (name == std::string(kMessageKeyNames[k]) + kLanguageSuffixes[l]) {
        *key = k;
        *language = l;
        return true;
      }
    }
  }
  return false;
}

}  // namespace

bool ParseCodePage(const std::string& text, unsigned* codePage) {
  if (text == "ascii") {
    *codePage = plat::kCodePageAscii;
  } else if (text == "big5") {
    *codePage = plat::kCodePageBig5;
  } else if (text == "gbk") {
    *codePage = plat::kCodePageGbk;
  } else if (!text.empty() && text.size() < 6 && text.find_first_not_of("0123456789") == std::string::npos) {
    *codePage = static_cast<unsigned>(std::stoul(text));
  } else {
    return false;
  }
  return true;
}

bool ParseCapacity(const std::string& text, uint64_t* bytes, std::string* error) {
  if (text == "cd650") {
    *bytes = kCd650;
    return true;
  }
  if (text == "cd700") {
    *bytes = kCd700;
    return true;
  }
  uint64_t value = 0;
  bool digits = false;
  for (char c : text) {
    if (c == ',' || c == '_') continue;
    if (c < '0' || c > '9' || value > (UINT64_MAX - 9) / 10) {
      *error = "capacity \"" + text + "\" is neither cd650, cd700 nor a byte count";
      return false;
    }
    value = value * 10 + static_cast<uint64_t>(c - '0');
    digits = true;
  }
  if (!digits || value < 16 * kSectorBytes) {
    *error = "capacity \"" + text + "\" is too small (at least " + std::to_string(16 * kSectorBytes) + " bytes)";
    return false;
  }
  *bytes = value;
  return true;
}

bool ParseProject(const std::string& text, const std::string& name, Project* p, std::string* error) {
  *p = Project();
  p->namesCodePage = plat::kCodePageAscii;
  size_t at = 0;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) at = 3;  // a UTF-8 byte-order mark
  int line = 0;
  auto fail = [&](const std::string& what) {
    *error = name + (line > 0 ? ":" + std::to_string(line) : "") + ": " + what;
    return false;
  };
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string row = text.substr(at, end - at);
    at = end + 1;
    ++line;
    if (!row.empty() && row.back() == '\r') row.pop_back();
    std::string trimmed = Trim(row);
    if (trimmed.empty() || trimmed[0] == '#') continue;
    size_t eq = trimmed.find('=');
    if (eq == std::string::npos) return fail("expected \"name = value\"");
    std::string key = Trim(trimmed.substr(0, eq));
    std::string value = Trim(trimmed.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);

    int textKey, language;
    if (key == "company") {
      p->company = value;
    } else if (key == "game") {
      p->game = value;
    } else if (key == "uninstall_key") {
      p->uninstallKey = value;
    } else if (key == "exe") {
      p->exe = value;
    } else if (key == "names") {
      if (!ParseCodePage(value, &p->namesCodePage)) return fail("names must be ascii, big5, gbk or a code page number");
    } else if (key == "capacity") {
      std::string why;
      if (!ParseCapacity(value, &p->capacity, &why)) return fail(why);
    } else if (key == "setupdata") {
      if (value != "folder" && value != "package") return fail("setupdata must be folder or package");
      p->packageSetupdata = value == "package";
    } else if (key == "data") {
      if (value.empty()) return fail("data needs a file or folder of the game folder");
      p->data.push_back(value);
    } else if (key == "web_link") {
      p->webLink = value;
    } else if (key == "link") {
      ExtraLinkSetting link{"", "", line};
      if (!SplitPair(value, &link.name, &link.file)) return fail("link must be \"name | file\"");
      if (p->links.size() == kMaxExtraLinks) return fail("at most " + std::to_string(kMaxExtraLinks) + " links");
      p->links.push_back(link);
    } else if (key == "setup_pictures") {
      SplitList(value, &p->setupPictures);
    } else if (key == "progress_pictures") {
      SplitList(value, &p->progressPictures);
    } else if (FindText(key, &textKey, &language)) {
      if (textKey == kUrlFileName) return fail("URL_FILENAME is written by the tool: set web_link instead");
      for (TextSetting& t : p->texts) {
        if (t.key == textKey && t.language == language) {
          return fail(key + " is already set on line " + std::to_string(t.line));
        }
      }
      p->texts.push_back({textKey, language, value, line});
    } else {
      return fail("unknown setting \"" + key + "\"");
    }
  }
  line = 0;
  if (p->company.empty()) return fail("company is not set");
  if (p->game.empty()) return fail("game is not set");
  if (p->uninstallKey.empty()) return fail("uninstall_key is not set");
  if (p->exe.empty()) return fail("exe is not set");
  return true;
}

}  // namespace gamedisc
