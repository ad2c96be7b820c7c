// A stand-in for the person in front of the screen. It starts setup.exe,
// waits for its windows, reads what they say, presses their buttons, answers
// its message boxes and photographs its dialogs, as a steps file tells it,
// and writes down everything it sees. It runs in the same Wine session as
// the program it drives.
//
//   ui_driver STEPS-FILE
//
// The steps file is UTF-8, one step a line. Words are separated by blanks; a
// word with blanks is written in double quotes (no escapes inside). Lines
// starting with '#' are comments. In every word, %PROGRAMS% and %DESKTOP%
// stand for the shell's Programs menu and desktop folders.
//
//   timeout SECONDS          how long each later wait may take (default 30)
//   start EXE [FOLDER]       starts the program under test (in FOLDER, as a
//                            shortcut's working folder does)
//   window NAME TITLE ID     waits for its window titled TITLE that holds
//                            control ID, and calls it NAME
//   text NAME ID TEXT        control ID of window NAME reads TEXT
//   enabled NAME ID          control ID can be pressed
//   disabled NAME ID         control ID cannot be pressed
//   click NAME ID            presses button ID of window NAME
//   shot NAME FILE           saves a picture of window NAME as a BMP file
//   move NAME X Y            moves window NAME (to uncover what lies below)
//   box CAPTION TEXT BUTTONS waits for a message box with exactly this
//                            caption, text and buttons (OK or OKCANCEL); TEXT
//                            as the transcript shows it, a line break as \n;
//                            the box is then the window "box"
//   answer OK|CANCEL         presses that button of the last box
//   copy FROM TO             copies a file (puts the next disc in the drive)
//   await FILE               waits until FILE exists (a check made from
//                            outside, meanwhile, has ended)
//   gone NAME                waits until window NAME has been taken down
//   exit CODE                waits for the program to end with exit code CODE
//   link FILE TARGET FOLDER DESCRIPTION SHOW ICON INDEX
//                            the link file reads back with that target,
//                            working folder, description, show command and
//                            icon location
//   clock                    starts the stopwatch
//   lap LABEL                writes "[time] LABEL SECONDS": the time since
//                            clock, to the millisecond
//   run COMMAND CODE         runs a command line (not the program under
//                            test) and waits for it to end with exit code
//                            CODE
//
// While it waits it watches for message boxes nobody expects, for the
// program ending early and for Wine's crash dialog: each fails the run at
// once instead of letting it hang. The first step that does not hold ends
// the run with exit code 1, after the program under test has been stopped.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "readback.h"

namespace {

// ---------------------------------------------------------------------------
// Texts: the steps file and the transcript are UTF-8, windows are read wide.
// ---------------------------------------------------------------------------

std::wstring Wide(const std::string& text, UINT codePage = CP_UTF8) {
  if (text.empty()) return std::wstring();
  int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
  return out;
}

std::string Narrow(const std::wstring& text, UINT codePage = CP_UTF8) {
  if (text.empty()) return std::string();
  int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

// A text as the transcript shows it: quoted, line breaks as \n.
std::string Shown(const std::wstring& text) {
  std::string out = "\"";
  for (char c : Narrow(text)) {
    if (c == '\n') {
      out += "\\n";
    } else if (c != '\r') {
      out += c;
    }
  }
  return out + "\"";
}

void Say(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

// ---------------------------------------------------------------------------
// Windows of the program under test
// ---------------------------------------------------------------------------

constexpr DWORD kSendTimeoutMs = 5000;
constexpr int kMessageTextId = 0xFFFF;  // the text of a message box

struct ButtonName {
  int id;
  const char* name;
};
constexpr ButtonName kBoxButtons[] = {{IDOK, "OK"}, {IDCANCEL, "CANCEL"}, {IDABORT, "ABORT"},
                                      {IDRETRY, "RETRY"}, {IDIGNORE, "IGNORE"}, {IDYES, "YES"},
                                      {IDNO, "NO"}};

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = L"";
  GetClassNameW(window, name, 64);
  return name;
}

// A top-level title, read without asking the window's thread.
std::wstring TitleOf(HWND window) {
  wchar_t text[512] = L"";
  InternalGetWindowText(window, text, 512);
  return text;
}

// A control's text, asked of its thread (which answers between its records
// or inside its message boxes).
bool ControlText(HWND control, std::wstring* text) {
  wchar_t buffer[1024] = L"";
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                           kSendTimeoutMs, &copied)) {
    return false;
  }
  *text = buffer;
  return true;
}

struct WindowSearch {
  DWORD processId;  // 0: every process
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if ((search->processId == 0 || owner == search->processId) && IsWindowVisible(window)) {
    search->found.push_back(window);
  }
  return TRUE;
}

// The visible top-level windows of a process, topmost first.
std::vector<HWND> TopWindows(DWORD processId) {
  WindowSearch search{processId, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A message box: a dialog with the box's text control and its buttons (the
// installer's own dialogs are dialogs too, but have neither).
bool IsMessageBox(HWND window) {
  if (ClassOf(window) != L"#32770" || GetDlgItem(window, kMessageTextId) == nullptr) return false;
  for (const ButtonName& b : kBoxButtons) {
    if (GetDlgItem(window, b.id) != nullptr) return true;
  }
  return false;
}

std::string BoxButtons(HWND box) {
  std::string names;
  for (const ButtonName& b : kBoxButtons) {
    HWND button = GetDlgItem(box, b.id);
    if (button != nullptr && IsWindowVisible(button)) names += b.name;
  }
  return names;
}

std::wstring BoxText(HWND box) {
  std::wstring text;
  ControlText(GetDlgItem(box, kMessageTextId), &text);
  return text;
}

std::string DescribeBox(HWND box) {
  return "caption=" + Shown(TitleOf(box)) + " text=" + Shown(BoxText(box)) + " buttons=" + BoxButtons(box);
}

std::string DescribeWindow(HWND window) {
  std::string out = "  window " + Narrow(ClassOf(window)) + " title=" + Shown(TitleOf(window)) + "\n";
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    std::wstring text;
    ControlText(child, &text);
    out += "    control " + std::to_string(GetDlgCtrlID(child)) + " " + Narrow(ClassOf(child)) + " " +
           Shown(text) + (IsWindowEnabled(child) ? "" : " (disabled)") + "\n";
  }
  return out;
}

// ---------------------------------------------------------------------------
// Screenshots: from the screen, where Wine keeps what the window shows.
// ---------------------------------------------------------------------------

bool SaveShot(HWND window, const std::wstring& file, std::string* error) {
  RECT r;
  if (!GetWindowRect(window, &r)) {
    *error = "the window has no rectangle";
    return false;
  }
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = bitmap != nullptr;
  if (ok) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY) != FALSE;
    GdiFlush();
    SelectObject(memory, old);
  }
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  const DWORD imageSize = stride * static_cast<DWORD>(height);
  if (ok) {
    BITMAPFILEHEADER head = {};
    head.bfType = 0x4D42;  // "BM"
    head.bfOffBits = sizeof head + sizeof info.bmiHeader;
    head.bfSize = head.bfOffBits + imageSize;
    info.bmiHeader.biSizeImage = imageSize;
    std::ofstream out(file.c_str(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&head), sizeof head);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), imageSize);
    ok = static_cast<bool>(out);
    if (!ok) *error = "the file could not be written";
  } else {
    *error = "the screen could not be copied";
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

// ---------------------------------------------------------------------------
// The steps file
// ---------------------------------------------------------------------------

std::vector<std::string> SplitWords(const std::string& line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
      ++i;
      continue;
    }
    std::string word;
    if (line[i] == '"') {
      size_t end = line.find('"', i + 1);
      if (end == std::string::npos) end = line.size();
      word = line.substr(i + 1, end - i - 1);
      i = end + 1;
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') word += line[i++];
    }
    words.push_back(word);
  }
  return words;
}

std::string ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = L"";
  if (!SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE)) return std::string();
  return Narrow(path);
}

std::string ExpandFolders(std::string word) {
  static const std::pair<const char*, int> kFolders[] = {{"%PROGRAMS%", CSIDL_PROGRAMS},
                                                         {"%DESKTOP%", CSIDL_DESKTOPDIRECTORY}};
  for (const auto& f : kFolders) {
    size_t at;
    while ((at = word.find(f.first)) != std::string::npos) {
      word.replace(at, std::strlen(f.first), ShellFolder(f.second));
    }
  }
  return word;
}

// ---------------------------------------------------------------------------
// The driver
// ---------------------------------------------------------------------------

class Failure {
 public:
  explicit Failure(std::string why) : why_(std::move(why)) {}
  const std::string& why() const { return why_; }

 private:
  std::string why_;
};

class Driver {
 public:
  ~Driver() {
    if (process_.hProcess != nullptr) {
      if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 99);
        Say("[stop] the program was still running and has been stopped");
      }
      CloseHandle(process_.hProcess);
      CloseHandle(process_.hThread);
    }
  }

  // A run that ends with the program still up has not seen it through.
  void Finish() {
    if (Running()) throw Failure("the program is still running after the last step; on the screen:\n" + Dump());
  }

  void Run(const std::vector<std::string>& w) {
    const std::string& op = w[0];
    if (op == "timeout" && w.size() == 2) {
      timeoutMs_ = static_cast<DWORD>(std::atoi(w[1].c_str())) * 1000;
    } else if (op == "start" && (w.size() == 2 || w.size() == 3)) {
      Start(w[1], w.size() == 3 ? w[2] : "");
    } else if (op == "window" && w.size() == 4) {
      AwaitWindow(w[1], Wide(w[2]), std::atoi(w[3].c_str()));
    } else if (op == "text" && w.size() == 4) {
      ExpectText(w[1], std::atoi(w[2].c_str()), Wide(w[3]));
    } else if ((op == "enabled" || op == "disabled") && w.size() == 3) {
      ExpectEnabled(w[1], std::atoi(w[2].c_str()), op == "enabled");
    } else if (op == "click" && w.size() == 3) {
      Click(w[1], std::atoi(w[2].c_str()));
    } else if (op == "shot" && w.size() == 3) {
      Shot(w[1], w[2]);
    } else if (op == "move" && w.size() == 4) {
      Move(w[1], std::atoi(w[2].c_str()), std::atoi(w[3].c_str()));
    } else if (op == "box" && w.size() == 4) {
      AwaitBox(Wide(w[1]), Wide(w[2]), w[3]);
    } else if (op == "answer" && w.size() == 2) {
      Answer(w[1]);
    } else if (op == "copy" && w.size() == 3) {
      Copy(w[1], w[2]);
    } else if (op == "await" && w.size() == 2) {
      const std::wstring file = Wide(w[1]);
      Await(w[1], true, false, [&] { return GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES; });
      Say("[await] " + w[1]);
    } else if (op == "gone" && w.size() == 2) {
      AwaitGone(w[1]);
    } else if (op == "exit" && w.size() == 2) {
      AwaitExit(std::strtoul(w[1].c_str(), nullptr, 0));
    } else if (op == "link" && w.size() == 8) {
      ExpectLink(w);
    } else if (op == "clock" && w.size() == 1) {
      QueryPerformanceCounter(&clock_);
    } else if (op == "lap" && w.size() == 2) {
      Lap(w[1]);
    } else if (op == "run" && w.size() == 3) {
      RunCommand(w[1], std::strtoul(w[2].c_str(), nullptr, 0));
    } else {
      throw Failure("unknown step or wrong number of words: " + op);
    }
  }

 private:
  void Start(const std::string& exe, const std::string& folder) {
    // A Wine session that has just started loads its drivers while its first
    // programs run, and until the mount manager is up every drive looks like
    // a fixed disk: setup would find no CD-ROM drive. A real machine has it
    // from boot, so the program is started only once it answers. That wait
    // is the machine's, not the program's: on a loaded machine the session's
    // services have been seen to take over a minute, so it gets a limit of
    // its own, and a slow start is written down.
    const DWORD waitStart = GetTickCount();
    const DWORD stepLimit = timeoutMs_;
    timeoutMs_ = std::max<DWORD>(stepLimit, kSessionStartMs);
    Await("the system's mount manager", false, true, [] {
      HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
      if (manager == INVALID_HANDLE_VALUE) return false;
      CloseHandle(manager);
      return true;
    });
    timeoutMs_ = stepLimit;
    const DWORD waited = GetTickCount() - waitStart;
    if (waited > 5000) Say("[session] the mount manager answered after " + std::to_string(waited / 1000) + " s");
    std::wstring command = L"\"" + Wide(exe) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    const std::wstring current = Wide(folder);
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : current.c_str(), &startup, &process_)) {
      throw Failure("cannot start " + exe + " (error " + std::to_string(GetLastError()) + ")");
    }
    Say("[start] " + exe + " pid " + std::to_string(process_.dwProcessId));
  }

  bool Running() const {
    return process_.hProcess != nullptr && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
  }

  DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
  }

  static std::string Hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
  }

  std::string Dump() const {
    std::string out;
    for (HWND window : TopWindows(process_.dwProcessId)) out += DescribeWindow(window);
    return out.empty() ? "  (no window)\n" : out;
  }

  // Boxes that are up and not yet answered; each is written down once.
  std::vector<HWND> OpenBoxes() {
    std::vector<HWND> boxes;
    for (HWND window : TopWindows(process_.dwProcessId)) {
      if (!IsMessageBox(window) || answered_.count(window) != 0) continue;
      if (reported_.insert(window).second) Say("[box] " + DescribeBox(window));
      boxes.push_back(window);
    }
    return boxes;
  }

  // Waits until `found` holds. Wine's crash dialog, a message box nobody
  // expects and the program ending early each end the wait with a failure.
  template <typename Found>
  void Await(const std::string& what, bool boxesExpected, bool exitExpected, Found found) {
    const DWORD start = GetTickCount();
    for (;;) {
      for (HWND window : TopWindows(0)) {
        if (TitleOf(window).rfind(L"Program Error", 0) == 0) {
          throw Failure("crash: Wine's crash dialog is up while waiting for " + what);
        }
      }
      if (found()) return;
      if (!boxesExpected) {
        std::vector<HWND> boxes = OpenBoxes();
        if (!boxes.empty()) {
          throw Failure("unexpected message box while waiting for " + what + ": " + DescribeBox(boxes[0]));
        }
      }
      if (!exitExpected && process_.hProcess != nullptr && !Running()) {
        throw Failure("the program ended with exit code " + Hex(ExitCode()) + " while waiting for " + what);
      }
      if (GetTickCount() - start > timeoutMs_) {
        throw Failure("timeout after " + std::to_string(timeoutMs_ / 1000) + " s waiting for " + what +
                      "; on the screen:\n" + Dump());
      }
      Sleep(20);
    }
  }

  HWND Named(const std::string& name) const {
    auto it = windows_.find(name);
    if (it == windows_.end()) throw Failure("no window called " + name);
    if (!IsWindow(it->second)) throw Failure("window " + name + " is gone");
    return it->second;
  }

  HWND Control(const std::string& name, int id) const {
    HWND control = GetDlgItem(Named(name), id);
    if (control == nullptr) throw Failure("window " + name + " has no control " + std::to_string(id));
    return control;
  }

  void AwaitWindow(const std::string& name, const std::wstring& title, int controlId) {
    HWND match = nullptr;
    const std::string what = "window " + Shown(title) + " with control " + std::to_string(controlId);
    Await(what, false, false, [&] {
      for (HWND window : TopWindows(process_.dwProcessId)) {
        if (TitleOf(window) == title && GetDlgItem(window, controlId) != nullptr) {
          match = window;
          return true;
        }
      }
      return false;
    });
    windows_[name] = match;
    Say("[window] " + name + " " + Shown(title));
  }

  void ExpectText(const std::string& name, int id, const std::wstring& expected) {
    std::wstring text;
    if (!ControlText(Control(name, id), &text)) throw Failure("control " + std::to_string(id) + " does not answer");
    Say("[text] " + name + " " + std::to_string(id) + " " + Shown(text));
    if (text != expected) throw Failure("control " + std::to_string(id) + " should read " + Shown(expected));
  }

  void ExpectEnabled(const std::string& name, int id, bool enabled) {
    bool is = IsWindowEnabled(Control(name, id)) != FALSE;
    Say("[" + std::string(is ? "enabled" : "disabled") + "] " + name + " " + std::to_string(id));
    if (is != enabled) throw Failure("control " + std::to_string(id) + (enabled ? " is disabled" : " is enabled"));
  }

  // A press arrives as a click posted to the button. Posted, not sent: the
  // program may answer a press with a message box, which waits for us.
  void Click(const std::string& name, int id) {
    HWND button = Control(name, id);
    if (!IsWindowVisible(button) || !IsWindowEnabled(button)) {
      throw Failure("control " + std::to_string(id) + " of " + name + " cannot be pressed");
    }
    PostMessageW(button, BM_CLICK, 0, 0);
    Say("[click] " + name + " " + std::to_string(id));
  }

  void Shot(const std::string& name, const std::string& file) {
    HWND window = Named(name);
    // Let the program catch up with its painting before the picture.
    DWORD_PTR ignored;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored);
    Sleep(400);
    std::string error;
    if (!SaveShot(window, Wide(file), &error)) throw Failure("picture of " + name + ": " + error);
    RECT r;
    GetWindowRect(window, &r);
    Say("[shot] " + name + " " + std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top) + " " +
        file);
  }

  void Move(const std::string& name, int x, int y) {
    SetWindowPos(Named(name), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Say("[move] " + name + " " + std::to_string(x) + "," + std::to_string(y));
  }

  void AwaitBox(const std::wstring& caption, const std::wstring& text, const std::string& buttons) {
    HWND match = nullptr;
    Await("box " + Shown(caption), true, false, [&] {
      std::vector<HWND> boxes = OpenBoxes();
      if (boxes.empty()) return false;
      HWND box = boxes[0];
      const std::string expected = "caption=" + Shown(caption) + " text=\"" + Narrow(text) + "\" buttons=" + buttons;
      if (DescribeBox(box) != expected) throw Failure("the box differs from the one expected: " + expected);
      match = box;
      return true;
    });
    windows_["box"] = match;
  }

  void Answer(const std::string& button) {
    HWND box = Named("box");
    int id = 0;
    for (const ButtonName& b : kBoxButtons) {
      if (button == b.name) id = b.id;
    }
    HWND control = id != 0 ? GetDlgItem(box, id) : nullptr;
    if (control == nullptr) throw Failure("the box has no button " + button);
    answered_.insert(box);
    PostMessageW(control, BM_CLICK, 0, 0);
    Say("[answer] " + button);
  }

  void Copy(const std::string& from, const std::string& to) {
    if (!CopyFileW(Wide(from).c_str(), Wide(to).c_str(), FALSE)) {
      throw Failure("cannot copy " + from + " to " + to + " (error " + std::to_string(GetLastError()) + ")");
    }
    Say("[copy] " + from + " -> " + to);
  }

  void AwaitGone(const std::string& name) {
    HWND window = Named(name);
    Await("window " + name + " to go", false, false, [&] { return !IsWindow(window) || !IsWindowVisible(window); });
    Say("[gone] " + name);
  }

  void AwaitExit(DWORD expected) {
    if (process_.hProcess == nullptr) throw Failure("no program was started");
    Await("the program to end", false, true, [&] { return !Running(); });
    DWORD code = ExitCode();
    Say("[exit] " + std::to_string(code) + (code >= 0xC0000000u ? " (" + Hex(code) + ", a crash)" : ""));
    if (code != expected) throw Failure("exit code should be " + std::to_string(expected));
  }

  // The link is read through the shell's link object by its whole path; the
  // texts it gives back are in the system's code page.
  void ExpectLink(const std::vector<std::string>& w) {
    const std::string& file = w[1];
    testsupport::LinkInfo link;
    if (!testsupport::ReadLinkWide(Wide(file).c_str(), &link)) throw Failure("cannot read link " + file);
    auto utf8 = [](const std::string& acp) { return Narrow(Wide(acp, CP_ACP)); };
    const std::string seen = "target=\"" + utf8(link.target) + "\" folder=\"" + utf8(link.workingFolder) +
                             "\" description=\"" + utf8(link.description) +
                             "\" show=" + std::to_string(link.showCommand) + " icon=\"" + utf8(link.iconPath) +
                             "\"," + std::to_string(link.iconIndex);
    Say("[link] " + file + " " + seen);
    const std::string expected = "target=\"" + w[2] + "\" folder=\"" + w[3] + "\" description=\"" + w[4] +
                                 "\" show=" + w[5] + " icon=\"" + w[6] + "\"," + w[7];
    if (seen != expected) throw Failure("link should read " + expected);
  }

  void Lap(const std::string& label) {
    if (clock_.QuadPart == 0) throw Failure("lap without clock");
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f",
                  static_cast<double>(now.QuadPart - clock_.QuadPart) / static_cast<double>(frequency.QuadPart));
    Say("[time] " + label + " " + seconds);
  }

  // The command's own windows and boxes are not watched: it is a tool, not
  // the program under test.
  void RunCommand(const std::string& command, DWORD expected) {
    std::wstring line = Wide(command);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &child)) {
      throw Failure("cannot run " + command + " (error " + std::to_string(GetLastError()) + ")");
    }
    CloseHandle(child.hThread);
    const DWORD waited = WaitForSingleObject(child.hProcess, timeoutMs_);
    DWORD code = 0;
    GetExitCodeProcess(child.hProcess, &code);
    if (waited != WAIT_OBJECT_0) TerminateProcess(child.hProcess, 1);
    CloseHandle(child.hProcess);
    if (waited != WAIT_OBJECT_0) throw Failure("timeout after " + std::to_string(timeoutMs_ / 1000) + " s: " + command);
    Say("[run] " + command + " exit " + std::to_string(code));
    if (code != expected) throw Failure("exit code should be " + std::to_string(expected));
  }

  PROCESS_INFORMATION process_ = {};
  LARGE_INTEGER clock_ = {};
  DWORD timeoutMs_ = 30000;
  static constexpr DWORD kSessionStartMs = 120000;
  std::map<std::string, HWND> windows_;
  std::set<HWND> reported_;
  std::set<HWND> answered_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: ui_driver STEPS-FILE\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "ui_driver: cannot read %s\n", argv[1]);
    return 2;
  }
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Driver driver;
  int lineNumber = 0;
  size_t at = 0;
  try {
    while (at < all.size()) {
      size_t end = all.find('\n', at);
      if (end == std::string::npos) end = all.size();
      const std::string line = all.substr(at, end - at);
      at = end + 1;
      ++lineNumber;
      std::vector<std::string> words = SplitWords(line);
      if (words.empty() || words[0][0] == '#') continue;
      for (std::string& word : words) word = ExpandFolders(word);
      driver.Run(words);
    }
    driver.Finish();
  } catch (const Failure& failure) {
    Say("FAIL (step " + std::to_string(lineNumber) + "): " + failure.why());
    return 1;
  }
  Say("[done] every step held");
  return 0;
}
