// The install log read back, for the uninstaller; apart from the writer so
// that each program links only its side.
#include <cstring>

#include "a_file.h"
#include "a_util.h"
#include "install_log.h"

bool ReadInstallLog(const std::string& path, std::vector<InstallLogEntry>* entries) {
  FileHandle file;
  if (!file.OpenRead(path.c_str())) return false;
  const int size = file.Size();
  char end[2] = {};
  bool whole = size >= 2 && file.Seek(size - 2) && file.Read(end, 2) == 2 && end[0] == '\r' && end[1] == '\n';
  file.Close();
  if (!whole) return false;
  TextTable table;
  table.Load(path.c_str());
  bool ok = table.rowCount > 0 && std::strcmp(table.Cell(0, 0), disc::kInstallLogTitle) == 0 &&
            std::strcmp(table.Cell(1, 0), disc::kInstallLogVersion) == 0;
  for (int row = 1; ok && row < table.rowCount; ++row) {
    if (table.Cell(0, row)[0] == '\0') continue;
    entries->push_back(InstallLogEntry{table.Cell(0, row), table.Cell(1, row)});
  }
  table.Unload();
  return ok;
}
