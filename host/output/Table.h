// Rows of text printed in aligned columns, for the human-readable outputs.
#ifndef FWHOST_OUTPUT_TABLE_H
#define FWHOST_OUTPUT_TABLE_H

#include <ostream>
#include <string>
#include <vector>

namespace fwhost {

using TableRow = std::vector<std::string>;

// The heading, then each row; columns padded to their widest cell and two blanks apart, every
// cell made safe for a terminal.
void printTable(std::ostream& out, const TableRow& heading, const std::vector<TableRow>& rows);

}  // namespace fwhost

#endif
