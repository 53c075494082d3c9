#include "text_table.h"

#include <algorithm>

namespace pellumo {

std::size_t DisplayWidth(const std::string& utf8) {
    return static_cast<std::size_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

TTextTable::TTextTable(std::vector<std::string> headings, std::vector<bool> numeric) : numeric_(std::move(numeric)) {
    numeric_.resize(headings.size(), false);
    rows_.push_back(std::move(headings));
}

void TTextTable::AddRow(std::vector<std::string> cells) {
    cells.resize(numeric_.size());
    rows_.push_back(std::move(cells));
}

void TTextTable::Print(std::ostream& out) const {
    std::vector<std::size_t> widths(numeric_.size(), 0);
    for (const auto& row : rows_)
        for (std::size_t column = 0; column < row.size(); ++column)
            widths[column] = std::max(widths[column], DisplayWidth(row[column]));
    for (const auto& row : rows_) {
        std::string line;
        for (std::size_t column = 0; column < row.size(); ++column) {
            const std::string padding(widths[column] - DisplayWidth(row[column]), ' ');
            const bool last = column + 1 == row.size();
            if (column > 0) line += "  ";
            line += numeric_[column] ? padding + row[column] : row[column] + (last ? "" : padding);
        }
        out << line << '\n';
    }
}

}  // namespace pellumo
