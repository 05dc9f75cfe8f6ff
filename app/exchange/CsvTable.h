// Comma-separated values as RFC 4180 writes them: cells separated by ",",
// rows by "\n" or "\r\n", a cell in double quotes may hold commas, line
// breaks and doubled quotes (""). A byte-order mark at the start is
// skipped; empty lines are no rows.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zestoria {

// A text that is not well-formed CSV; Line() is where the fault starts.
class ECsvError : public std::runtime_error {
 public:
  ECsvError(size_t line, const std::string& what);
  size_t Line() const { return line_; }

 private:
  size_t line_;
};

struct TCsvRow {
  std::vector<std::string> cells;
  size_t line = 0;  // the line the row starts on, from 1
};

// The rows of |text|. A quoted cell that is never closed throws ECsvError
// naming the line it starts on; a quote inside an unquoted cell, and text
// after a closing quote, are kept as they stand.
std::vector<TCsvRow> ParseCsv(std::string_view text);

// |cell| as a CSV cell: in quotes (inner quotes doubled) when it holds a
// comma, a quote, a line break or blanks at either end.
std::string CsvCell(std::string_view cell);
// |cells| as one CSV row ending in "\r\n".
std::string CsvRow(const std::vector<std::string>& cells);

}  // namespace zestoria
