#include "exchange/CsvTable.h"

namespace zestoria {

ECsvError::ECsvError(size_t line, const std::string& what)
    : std::runtime_error("line " + std::to_string(line) + ": " + what), line_(line) {}

std::vector<TCsvRow> ParseCsv(std::string_view text) {
  if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<TCsvRow> rows;
  TCsvRow row;
  std::string cell;
  size_t line = 1;
  row.line = 1;
  bool row_has_text = false;  // anything on the row so far (a comma or a character)

  auto end_cell = [&] {
    row.cells.push_back(std::move(cell));
    cell.clear();
  };
  auto end_row = [&] {
    if (row_has_text) {
      end_cell();
      rows.push_back(std::move(row));
    }
    row = TCsvRow();
    cell.clear();
    row.line = line;
    row_has_text = false;
  };

  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '"' && cell.empty()) {
      // A quoted cell, to its closing quote.
      const size_t start_line = line;
      row_has_text = true;
      ++i;
      bool closed = false;
      while (i < text.size()) {
        const char q = text[i];
        if (q == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            cell += '"';
            i += 2;
            continue;
          }
          ++i;
          closed = true;
          break;
        }
        if (q == '\n') ++line;
        cell += q;
        ++i;
      }
      if (!closed) throw ECsvError(start_line, "a quoted cell is not closed");
      continue;
    }
    if (c == ',') {
      row_has_text = true;
      end_cell();
      ++i;
      continue;
    }
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      ++i;
      ++line;
      end_row();
      continue;
    }
    row_has_text = true;
    cell += c;
    ++i;
  }
  end_row();
  return rows;
}

std::string CsvCell(std::string_view cell) {
  const bool quote = cell.find_first_of(",\"\r\n") != std::string_view::npos ||
                     (!cell.empty() && (cell.front() == ' ' || cell.back() == ' '));
  if (!quote) return std::string(cell);
  std::string out = "\"";
  for (char c : cell) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string CsvRow(const std::vector<std::string>& cells) {
  std::string out;
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i) out += ',';
    out += CsvCell(cells[i]);
  }
  return out + "\r\n";
}

}  // namespace zestoria
