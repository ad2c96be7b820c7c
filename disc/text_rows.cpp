#include "text_rows.h"

namespace disc {

std::string TextRows(const std::vector<std::vector<std::string>>& rows) {
  std::string out;
  for (const std::vector<std::string>& row : rows) {
    for (size_t i = 0; i < row.size(); ++i) {
      if (i > 0) out += '\t';
      out += row[i];
    }
    out += "\r\n";
  }
  return out;
}

std::string CellFor(const std::string& text) {
  if (!text.empty() && text.front() == '"' && text.back() == '"') return "\"" + text + "\"";
  return text;
}

bool FitsInCell(const std::string& text) { return text.find_first_of("\t\r\n") == std::string::npos; }

}  // namespace disc
