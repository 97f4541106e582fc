#include "host/output/Table.h"

#include <algorithm>

#include "host/output/TerminalText.h"

namespace fwhost {

std::string tableText(const TableRow& heading, const std::vector<TableRow>& rows) {
  std::vector<TableRow> lines{heading};
  lines.insert(lines.end(), rows.begin(), rows.end());
  for (TableRow& line : lines) {
    for (std::string& cell : line) cell = terminalSafe(cell);
  }
  std::vector<size_t> widths(heading.size(), 0);
  for (const TableRow& line : lines) {
    for (size_t column = 0; column < line.size() && column < widths.size(); ++column) {
      widths[column] = std::max(widths[column], line[column].size());
    }
  }
  std::string text;
  for (const TableRow& line : lines) {
    for (size_t column = 0; column < line.size() && column < widths.size(); ++column) {
      text += line[column];
      if (column + 1 < line.size())
        text += std::string(widths[column] - line[column].size() + 2, ' ');
    }
    text += '\n';
  }
  return text;
}

}  // namespace fwhost
