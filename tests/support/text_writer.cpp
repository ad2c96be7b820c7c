#include "text_writer.h"

namespace testsupport {

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

}  // namespace testsupport
