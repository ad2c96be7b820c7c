#include "uninstall.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "a_dialog.h"
#include "a_file.h"
#include "a_name.h"
#include "fold_case.h"
#include "install_log.h"
#include "resource_ids.h"
#include "stored_path.h"
#include "uninstall_registry.h"
#include "uninstall_texts.h"

namespace uninstall {

namespace {

constexpr size_t kShownItems = 8;      // names listed in a box, then "and N more"
constexpr size_t kProgressFrom = 200;  // files from which a progress window shows

// Byte for byte, ASCII letters without regard to case, double-byte
// characters of the system's code page as they are.
bool SameText(const char* a, const char* b, size_t length) {
  return alib::SameFolded(a, b, length, alib::CodePageChars{plat::GetAnsiCodePage()});
}

bool SamePath(const std::string& a, const std::string& b) {
  return alib::SameFolded(a, b, alib::CodePageChars{plat::GetAnsiCodePage()});
}

// Whether `path` lies below `folder` (a "\" after it).
bool Below(const std::string& path, const std::string& folder) {
  return !folder.empty() && path.size() > folder.size() + 1 && path[folder.size()] == '\\' &&
         SameText(path.c_str(), folder.c_str(), folder.size());
}

// The part of `path` below `folder`, in the form of a stored path ("\a\b"),
// when it is one the stored-path rules accept.
bool SafeBelow(const std::string& path, const std::string& folder) {
  if (!Below(path, folder)) return false;
  const std::string rest = path.substr(folder.size());
  return CheckStoredPath(rest.c_str(), rest.size() + 1, plat::GetAnsiCodePage()) == PathVerdict::kSafe;
}

// Whether a junction or symbolic link stands on the way from `root` to
// `path`, or is `path` itself: nothing is removed through one.
bool ThroughReparsePoint(const std::string& root, const std::string& path) {
  const unsigned codePage = plat::GetAnsiCodePage();
  for (size_t i = root.size() + 1; i <= path.size(); i += i < path.size() ? a_char_size(codePage, path.c_str() + i) : 1) {
    if (i < path.size() && path[i] != '\\') continue;
    const uint32_t attributes = plat::GetAttributes(path.substr(0, i).c_str());
    if (attributes != plat::kInvalidAttributes && (attributes & plat::kAttrReparsePoint) != 0) return true;
  }
  return false;
}

bool Exists(const std::string& path) { return plat::GetAttributes(path.c_str()) != plat::kInvalidAttributes; }

bool HasExtension(const std::string& path, const char* extension) {
  const size_t n = std::strlen(extension);
  return path.size() > n && SameText(path.c_str() + path.size() - n, extension, n);
}

// Deepest first: a folder's path is longer than its parent's.
void DeepestFirst(std::vector<std::string>* folders) {
  std::stable_sort(folders->begin(), folders->end(),
                   [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
}

// What a removal met, for the closing box.
struct Report {
  std::vector<std::string> problems;  // could not be removed, or refused
  std::vector<std::string> kept;      // files the log did not name, below the game's folder
  size_t keptCount = 0;
};

// Files below `folder` that are still there, not through links.
void ListKept(const std::string& root, const std::string& folder, const std::string& self, Report* report) {
  plat::FolderEntry entry;
  plat::FolderList* list = plat::ListFirst((folder + "\\*.*").c_str(), &entry);
  if (list == nullptr) return;
  do {
    const std::string name = entry.name;
    if (name == "." || name == "..") continue;
    const std::string path = folder + "\\" + name;
    if ((entry.attributes & plat::kAttrDirectory) != 0 && (entry.attributes & plat::kAttrReparsePoint) == 0) {
      ListKept(root, path, self, report);
    } else if (!SamePath(path, self)) {
      if (report->kept.size() < kShownItems) report->kept.push_back(path.substr(root.size() + 1));
      ++report->keptCount;
    }
  } while (plat::ListNext(list, &entry));
  plat::ListClose(list);
}

void AppendList(std::string* text, const std::vector<std::string>& items, size_t count) {
  for (const std::string& item : items) *text += "\n" + item;
  if (count > items.size()) {
    char more[96];
    std::snprintf(more, sizeof more, UninstallText(kTextMore), static_cast<int>(count - items.size()));
    *text += std::string("\n") + more;
  }
}

std::string Format(UninstallTextId id, const std::string& value) {
  char text[1024];
  std::snprintf(text, sizeof text, UninstallText(id), value.c_str());
  return text;
}

// The progress window of a large removal: the bar and what is being removed.
// It answers no message of its own: no centring, no cancel.
class Progress final : public ModelessDialog {
 public:
  Progress(plat::Instance instance, size_t total) : total_(total) {
    if (total < kProgressFrom || Create(instance, IDD_PROGRESS) == nullptr) return;
    plat::SetWindowText(dialog, UninstallText(kTextCaption));
    plat::EnableWindow(Item(IDC_PROGRESS_CANCEL), false);
  }
  ~Progress() { Destroy(); }
  void Step(const std::string& what) {
    if (dialog == nullptr || ++done_ % 16 != 0) return;
    plat::SendMessage(Item(IDC_PROGRESS_BAR), plat::kPbmSetPos, static_cast<uintptr_t>(done_ * 100 / total_), 0);
    plat::SetWindowText(Item(IDC_PROGRESS_STATUS), Format(kTextRemoving, what).c_str());
    while (plat::PumpOne() != plat::kPumpEmpty) {
    }
  }

 private:
  intptr_t Handle(unsigned, uintptr_t, intptr_t) override { return 0; }

  size_t total_;
  size_t done_ = 0;
};

std::string LastOf(const std::vector<InstallLogEntry>& entries, const char* kind) {
  std::string value;
  for (const InstallLogEntry& e : entries) {
    if (e.kind == kind) value = e.value;
  }
  return value;
}

// The key of the registration: uninstall.dat's 40 bytes, else the log's.
std::string KeyOf(const std::string& gameFolder, const std::vector<InstallLogEntry>& entries) {
  FileHandle file;
  char key[kUninstallRecordBytes + 1] = {};
  if (file.OpenRead((gameFolder + "\\" + kUninstallRecordName).c_str())) {
    file.Read(key, kUninstallRecordBytes);
    file.Close();
  }
  return key[0] != '\0' ? std::string(key) : LastOf(entries, disc::kLogKey);
}

// The game's name as the list of installed programs shows it.
std::string NameOf(const std::string& key, const std::vector<InstallLogEntry>& entries,
                   const std::string& gameFolder) {
  char name[256] = "";
  plat::RegKey* reg = nullptr;
  if (!key.empty() && plat::RegOpenRead((std::string(kUninstallRoot) + "\\" + key).c_str(), &reg) == 0) {
    plat::RegGetString(reg, "DisplayName", name, sizeof name);
    plat::RegClose(reg);
  }
  if (name[0] != '\0') return name;
  const std::string logged = LastOf(entries, disc::kLogGame);
  if (!logged.empty()) return logged;
  const char* last = a_last_backslash(plat::GetAnsiCodePage(), gameFolder.c_str());
  return last != nullptr ? last + 1 : gameFolder;
}

void Tell(const std::string& text, unsigned codePage) {
  plat::MessageBox(nullptr, text.c_str(), UninstallText(kTextCaption), plat::kBoxOk, codePage);
}

}  // namespace

int RemoveGame(plat::Instance instance, const char* gameFolder, const char* self, std::string* folders) {
  const unsigned codePage = LoadUninstallTexts();
  const std::string root = gameFolder;
  const std::string logPath = root + "\\" + kInstallLogName;
  std::vector<InstallLogEntry> entries;
  if (!ReadInstallLog(logPath, &entries)) {
    Tell(Format(kTextNoLog, logPath), codePage);
    return kExitNothingRemoved;
  }
  const std::string key = KeyOf(root, entries);
  const std::string name = NameOf(key, entries, root);
  if (plat::MessageBox(nullptr, Format(kTextAsk, name).c_str(), UninstallText(kTextCaption), plat::kBoxYesNo,
                       codePage) != plat::kAnswerYes) {
    return kExitCancelled;
  }

  char programs[260] = "", desktop[260] = "";
  const bool hasPrograms = plat::GetSpecialFolderPath(nullptr, plat::kFolderPrograms, programs);
  const bool hasDesktop = plat::GetSpecialFolderPath(nullptr, plat::kFolderDesktop, desktop);
  Report report;
  auto refuse = [&report](const InstallLogEntry& e) { report.problems.push_back(e.value); };
  auto remove = [&report](const std::string& path) {
    if (!plat::DeleteFile(path.c_str()) && Exists(path)) report.problems.push_back(path);
  };

  size_t fileCount = 0;
  for (const InstallLogEntry& e : entries) fileCount += e.kind == disc::kLogFile ? 1 : 0;
  Progress progress(instance, fileCount);
  std::vector<std::string> inside, menus, bases;
  for (const InstallLogEntry& e : entries) {
    const std::string path = root + e.value;
    if (e.kind == disc::kLogFile || e.kind == disc::kLogFolder) {
      if (CheckStoredPath(e.value.c_str(), e.value.size() + 1, plat::GetAnsiCodePage()) != PathVerdict::kSafe ||
          ThroughReparsePoint(root, path)) {
        refuse(e);
      } else if (e.kind == disc::kLogFolder) {
        inside.push_back(path);
      } else if (!SamePath(path, self) && !SamePath(path, logPath)) {
        progress.Step(e.value);
        remove(path);
      }
    } else if (e.kind == disc::kLogLink) {
      const bool inMenu = hasPrograms && SafeBelow(e.value, programs) && !ThroughReparsePoint(programs, e.value);
      const bool onDesktop = hasDesktop && SafeBelow(e.value, desktop) && !ThroughReparsePoint(desktop, e.value);
      if ((inMenu || onDesktop) && (HasExtension(e.value, ".lnk") || HasExtension(e.value, ".url"))) {
        remove(e.value);
      } else {
        refuse(e);
      }
    } else if (e.kind == disc::kLogMenu) {
      if (hasPrograms && SafeBelow(e.value, programs) && !ThroughReparsePoint(programs, e.value)) {
        menus.push_back(e.value);
      } else {
        refuse(e);
      }
    } else if (e.kind == disc::kLogBase) {
      if (SamePath(e.value, root) || Below(root, e.value)) {
        bases.push_back(e.value);
      } else {
        refuse(e);
      }
    } else if (e.kind == disc::kLogRegistry) {
      const std::string expected = std::string(kUninstallRoot) + "\\" + key;
      if (key.empty() || a_last_backslash(plat::GetAnsiCodePage(), key.c_str()) != nullptr || e.value != expected) {
        refuse(e);
        continue;
      }
      long rc = plat::RegDeleteKey(e.value.c_str());
      if (rc != 0 && rc != 2) report.problems.push_back("HKEY_LOCAL_MACHINE\\" + e.value);
    }
  }
  // A folder that still holds something stays: what the game made is kept.
  DeepestFirst(&inside);
  for (const std::string& folder : inside) plat::RemoveFolder(folder.c_str());
  DeepestFirst(&menus);
  for (const std::string& folder : menus) plat::RemoveFolder(folder.c_str());
  remove(logPath);

  ListKept(root, root, self, &report);
  std::string text = Format(report.problems.empty() ? kTextDone : kTextPartly, name);
  if (!report.problems.empty()) {
    std::vector<std::string> shown(report.problems.begin(),
                                   report.problems.begin() + static_cast<long>(std::min(kShownItems, report.problems.size())));
    AppendList(&text, shown, report.problems.size());
  }
  if (report.keptCount > 0) {
    text += "\n\n" + Format(kTextKept, root);
    AppendList(&text, report.kept, report.keptCount);
  }
  Tell(text, codePage);

  DeepestFirst(&bases);
  folders->clear();
  for (const std::string& folder : bases) *folders += " \"" + folder + "\"";
  return report.problems.empty() ? kExitRemoved : kExitPartly;
}

namespace {

// The words of a command line: blanks between them, a word in double quotes
// may hold blanks.
std::vector<std::string> Words(const char* line) {
  std::vector<std::string> words;
  for (const char* p = line; *p != '\0';) {
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '\0') break;
    std::string word;
    if (*p == '"') {
      for (++p; *p != '\0' && *p != '"'; ++p) word += *p;
      if (*p == '"') ++p;
    } else {
      for (; *p != '\0' && *p != ' ' && *p != '\t'; ++p) word += *p;
    }
    words.push_back(word);
  }
  return words;
}

}  // namespace

int Finish(const char* arguments) {
  const std::vector<std::string> words = Words(arguments);
  if (words.size() < 2) return kExitNothingRemoved;
  const std::string& program = words[1];
  const char* last = a_last_backslash(plat::GetAnsiCodePage(), program.c_str());
  if (last == nullptr || !SamePath(last + 1, kUninstallerName)) return kExitNothingRemoved;
  plat::WaitForProcessEnd(static_cast<unsigned>(std::strtoul(words[0].c_str(), nullptr, 10)), 60000);
  // The program's file may be let go a moment after its process ended.
  for (int tries = 0; tries < 50 && Exists(program) && !plat::DeleteFile(program.c_str()); ++tries) plat::Sleep(100);
  for (size_t k = 2; k < words.size(); ++k) plat::RemoveFolder(words[k].c_str());
  return Exists(program) ? kExitPartly : kExitRemoved;
}

int Main(plat::Instance instance, const char* commandLine) {
  const std::vector<std::string> words = Words(commandLine != nullptr ? commandLine : "");
  if (!words.empty() && words[0] == "/finish") {
    const char* rest = std::strstr(commandLine, "/finish") + std::strlen("/finish");
    const int code = Finish(rest);
    plat::LeavePrivateFolder();
    return code;
  }
  char self[600];
  if (!plat::GetProgramPath(self, sizeof self)) return kExitNothingRemoved;
  const char* last = a_last_backslash(plat::GetAnsiCodePage(), self);
  if (last == nullptr) return kExitNothingRemoved;
  const std::string folder(self, static_cast<size_t>(last - self));
  std::string folders;
  const int result = RemoveGame(instance, folder.c_str(), self, &folders);
  if (result != kExitRemoved && result != kExitPartly) return result;

  // The program cannot delete its own file: a copy, in a folder only
  // administrators can change, waits for this process to end and does it,
  // then goes itself with its folder.
  const std::string arguments =
      "/finish " + std::to_string(plat::GetProcessId()) + " \"" + self + "\"" + folders;
  if (plat::StartPrivateCopy(plat::MakePrivateCopy(kUninstallerName), arguments.c_str())) return result;
  // No copy could run: the system removes them when it next starts.
  plat::RemoveAtRestart(self);
  for (const std::string& f : Words(folders.c_str())) plat::RemoveAtRestart(f.c_str());
  return result;
}

}  // namespace uninstall
