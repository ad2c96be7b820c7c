// Prints the version resource of each program named, as Windows reads it:
//   version_probe PROGRAM.exe...
// one line each: "NAME: ProductName=[..] FileDescription=[..] ... fixed=A.B.C.D/A.B.C.D";
// "NAME: no version resource" where it has none. Exit code 1 when any has none.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

bool Describe(const char* program) {
  const std::string path = program;
  const std::string name = path.substr(path.find_last_of("\\/") + 1);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(program, &ignored);
  std::vector<char> info(size);
  if (size == 0 || !GetFileVersionInfoA(program, 0, size, info.data())) {
    std::printf("%s: no version resource\n", name.c_str());
    return false;
  }
  // The strings are read in the block of the first language the resource
  // names.
  WORD* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
      length < 2 * sizeof(WORD)) {
    std::printf("%s: no translation in the version resource\n", name.c_str());
    return false;
  }
  char block[64];
  std::snprintf(block, sizeof block, "\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
  std::string line = name + ":";
  for (const char* field : {"ProductName", "FileDescription", "FileVersion", "ProductVersion", "CompanyName"}) {
    char* value = nullptr;
    UINT chars = 0;
    const std::string query = std::string(block) + field;
    const bool found = VerQueryValueA(info.data(), query.c_str(), reinterpret_cast<void**>(&value), &chars) &&
                       value != nullptr;
    line += std::string(" ") + field + "=[" + (found ? value : "") + "]";
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  if (VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length) && fixed != nullptr &&
      fixed->dwSignature == 0xFEEF04BD) {
    const auto dotted = [](DWORD high, DWORD low) {
      return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." + std::to_string(HIWORD(low)) +
             "." + std::to_string(LOWORD(low));
    };
    line += " fixed=" + dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS) + "/" +
            dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS);
  }
  std::printf("%s\n", line.c_str());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  bool all = argc > 1;
  for (int i = 1; i < argc; ++i) all = Describe(argv[i]) && all;
  return all ? 0 : 1;
}
