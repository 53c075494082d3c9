#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace pellumo {

// Rows of UTF-8 cells printed in aligned columns, two spaces apart; columns marked as numbers
// are aligned right. The last column is not padded, so long texts there cost no width.
class TTextTable {
public:
    explicit TTextTable(std::vector<std::string> headings, std::vector<bool> numeric);

    void AddRow(std::vector<std::string> cells);
    void Print(std::ostream& out) const;

private:
    std::vector<std::vector<std::string>> rows_;
    std::vector<bool> numeric_;
};

// Characters, not bytes, of a UTF-8 text: the width it takes in a terminal for the scripts
// a show's texts can hold.
std::size_t DisplayWidth(const std::string& utf8);

}  // namespace pellumo
