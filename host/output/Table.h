// Rows of text laid out in aligned columns, for the human-readable outputs.
#ifndef FWHOST_OUTPUT_TABLE_H
#define FWHOST_OUTPUT_TABLE_H

#include <string>
#include <vector>

namespace fwhost {

using TableRow = std::vector<std::string>;

// The heading, then each row, a line each; columns padded to their widest cell and two blanks
// apart, every cell made terminal-safe.
std::string tableText(const TableRow& heading, const std::vector<TableRow>& rows);

}  // namespace fwhost

#endif
