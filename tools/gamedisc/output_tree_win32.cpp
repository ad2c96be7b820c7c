#include <windows.h>

#include "output_tree.h"

namespace gamedisc {

namespace {

std::wstring Wide(const std::string& text, unsigned codePage, DWORD flags) {
  if (text.empty()) return std::wstring();
  const int n = MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), &wide[0], n);
  return wide;
}

std::string Narrow(const std::wstring& wide, unsigned codePage) {
  if (wide.empty()) return std::string();
  const int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string text(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), &text[0], n, nullptr, nullptr);
  return text;
}

std::string Describe(DWORD error) {
  char text[256] = {};
  if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, sizeof text,
                     nullptr) == 0) {
    return "error " + std::to_string(error);
  }
  std::string message = text;
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) message.pop_back();
  return message;
}

bool IsLink(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

class WinTree : public OutputTree {
 public:
  WinTree(std::wstring root, std::string shown) : root_(std::move(root)), shown_(std::move(shown)) {}
  ~WinTree() override {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  }

  bool MakeFolder(const TreePath& path, std::string* error) override {
    if (!CheckParents(path, error)) return false;
    const std::wstring full = Full(path);
    if (CreateDirectoryW(full.c_str(), nullptr)) return true;
    const DWORD failed = GetLastError();
    const DWORD attributes = GetFileAttributesW(full.c_str());
    if (IsLink(attributes)) return Refuse(path, "is a link: it is not followed", error);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return true;
    if (attributes != INVALID_FILE_ATTRIBUTES) return Refuse(path, "exists and is no folder", error);
    return Refuse(path, "cannot be made: " + Describe(failed), error);
  }

  bool CreateFile(const TreePath& path, bool replace, std::string* error) override {
    if (file_ != INVALID_HANDLE_VALUE && !CloseFile(error)) return false;
    if (!CheckParents(path, error)) return false;
    const std::wstring full = Full(path);
    if (IsLink(GetFileAttributesW(full.c_str()))) return Refuse(path, "is a link: it is not followed", error);
    file_ = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, replace ? CREATE_ALWAYS : CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file_ != INVALID_HANDLE_VALUE) {
      open_ = path;
      return true;
    }
    const DWORD failed = GetLastError();
    if (failed == ERROR_FILE_EXISTS) return Refuse(path, "exists already (--force overwrites it)", error);
    return Refuse(path, "cannot be created: " + Describe(failed), error);
  }

  bool Write(const void* data, size_t length, std::string* error) override {
    const char* at = static_cast<const char*>(data);
    while (length > 0) {
      const DWORD part = length > (1u << 30) ? (1u << 30) : static_cast<DWORD>(length);
      DWORD written = 0;
      if (!WriteFile(file_, at, part, &written, nullptr) || written == 0) {
        return Refuse(open_, "cannot be written: " + Describe(GetLastError()), error);
      }
      at += written;
      length -= written;
    }
    return true;
  }

  bool CloseFile(std::string* error) override {
    if (file_ == INVALID_HANDLE_VALUE) return true;
    const BOOL closed = CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    if (!closed) return Refuse(open_, "cannot be written: " + Describe(GetLastError()), error);
    return true;
  }

  std::string Shown(const TreePath& path) const override {
    std::string shown = shown_;
    for (const std::string& name : path) shown += "\\" + Narrow(Wide(name, CP_UTF8, 0), CP_ACP);
    return shown;
  }

 private:
  std::wstring Full(const TreePath& path) const {
    std::wstring full = root_;
    for (const std::string& name : path) full += L"\\" + Wide(name, CP_UTF8, 0);
    return full;
  }

  bool Refuse(const TreePath& path, const std::string& why, std::string* error) const {
    *error = Shown(path) + " " + why;
    return false;
  }

  // No folder on the way may be a link (a junction or a symbolic link put
  // there): the last folders checked are remembered.
  bool CheckParents(const TreePath& path, std::string* error) {
    const TreePath folders(path.begin(), path.end() - 1);
    if (folders == checked_) return true;
    for (size_t i = 1; i <= folders.size(); ++i) {
      const TreePath reached(folders.begin(), folders.begin() + static_cast<long>(i));
      if (IsLink(GetFileAttributesW(Full(reached).c_str()))) return Refuse(reached, "is a link: it is not followed", error);
    }
    checked_ = folders;
    return true;
  }

  std::wstring root_;
  std::string shown_;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  TreePath open_;
  TreePath checked_;
};

}  // namespace

bool NameToUtf8(const std::string& bytes, unsigned codePage, std::string* utf8) {
  if (bytes.empty()) {
    utf8->clear();
    return true;
  }
  const std::wstring wide = Wide(bytes, codePage, MB_ERR_INVALID_CHARS);
  if (wide.empty()) return false;
  *utf8 = Narrow(wide, CP_UTF8);
  return true;
}

bool ErrorIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

std::unique_ptr<OutputTree> OpenOutputTree(const std::string& folder, bool force, std::string* error) {
  const std::wstring given = Wide(folder, CP_ACP, 0);
  wchar_t full[32768];
  const DWORD n = GetFullPathNameW(given.c_str(), 32768, full, nullptr);
  if (given.empty() || n == 0 || n >= 32768) {
    *error = folder + " is no path this tool can write";
    return nullptr;
  }
  // The long-path form: a game's deep folders below a long output path
  // must not stop at 260 characters.
  std::wstring root = full;
  while (root.size() > 3 && root.back() == L'\\') root.pop_back();
  if (root.compare(0, 2, L"\\\\") != 0) root = L"\\\\?\\" + root;
  for (size_t slash = root.find(L'\\', 7); slash != std::wstring::npos; slash = root.find(L'\\', slash + 1)) {
    CreateDirectoryW(root.substr(0, slash).c_str(), nullptr);
  }
  CreateDirectoryW(root.c_str(), nullptr);
  const DWORD attributes = GetFileAttributesW(root.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    *error = folder + " cannot be made as a folder";
    return nullptr;
  }
  if (!force) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((root + L"\\*").c_str(), &found);
    bool empty = true;
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") empty = false;
      } while (empty && FindNextFileW(find, &found));
      FindClose(find);
    }
    if (!empty) {
      *error = folder + " is not empty: extract writes into a new or empty folder (--force writes into it, "
                        "overwriting the files the discs hold)";
      return nullptr;
    }
  }
  return std::make_unique<WinTree>(root, folder);
}

}  // namespace gamedisc
