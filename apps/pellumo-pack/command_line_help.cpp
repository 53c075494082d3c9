// The help texts, made from what the commands declare so that they cannot drift from what
// the parser accepts.
#include <algorithm>
#include <string>
#include <vector>

#include "command_line.h"

namespace pellumo {

namespace {

constexpr std::size_t kLineWidth = 80;
// A name wider than this puts its text on the next line rather than pushing every text right.
constexpr std::size_t kMaxNameWidth = 28;

// Characters as a terminal shows them: UTF-8 continuation bytes take no room.
std::size_t DisplayWidth(std::string_view text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// Writes the words of `text` from column `indent` on, breaking lines before kLineWidth; a
// word longer than a line keeps its own line.
void WriteWrapped(std::ostream& out, std::string_view text, std::size_t indent) {
    std::size_t column = indent;
    bool lineStarted = false;
    while (!text.empty()) {
        const std::size_t space = text.find(' ');
        const std::string_view word = text.substr(0, space);
        text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
        if (word.empty()) continue;
        if (lineStarted && column + 1 + DisplayWidth(word) > kLineWidth) {
            out << '\n' << std::string(indent, ' ');
            column = indent;
            lineStarted = false;
        }
        if (lineStarted) {
            out << ' ';
            ++column;
        }
        out << word;
        column += DisplayWidth(word);
        lineStarted = true;
    }
}

struct TRow {
    std::string name;
    std::string text;
};

// Names in a column, texts aligned beside them.
void WriteRows(std::ostream& out, const std::string& title, const std::vector<TRow>& rows) {
    if (rows.empty()) return;
    std::size_t nameWidth = 0;
    for (const TRow& row : rows)
        if (DisplayWidth(row.name) <= kMaxNameWidth) nameWidth = std::max(nameWidth, DisplayWidth(row.name));
    const std::size_t indent = 2 + nameWidth + 2;
    out << '\n' << title << " :\n";
    for (const TRow& row : rows) {
        const std::size_t width = DisplayWidth(row.name);
        out << "  " << row.name;
        if (width <= nameWidth)
            out << std::string(nameWidth - width + 2, ' ');
        else
            out << '\n' << std::string(indent, ' ');
        WriteWrapped(out, row.text, indent);
        out << '\n';
    }
}

std::string Sentence(const std::string& text) {
    return text.empty() || text.back() == '.' ? text : text + '.';
}

const TRow kHelpRow{"-h, --help", "Afficher cette aide"};

}  // namespace

std::string TCommand::UsageLine() const {
    std::string line = "Utilisation : " + program_ + ' ' + name_ + " [OPTIONS]";
    for (const TArgument& argument : arguments_) {
        const std::string name = argument.name + (argument.many != nullptr ? "..." : "");
        line += argument.required ? ' ' + name : " [" + name + ']';
    }
    return line;
}

void TCommand::WriteHelp(std::ostream& out) const {
    out << UsageLine() << "\n\n";
    WriteWrapped(out, Sentence(description_), 0);
    out << '\n';
    std::vector<TRow> rows;
    for (const TArgument& argument : arguments_)
        rows.push_back({argument.name + (argument.many != nullptr ? "..." : ""), argument.help});
    WriteRows(out, "Arguments", rows);
    rows = {kHelpRow};
    for (const TOption& option : options_) {
        std::string name = (option.shortName.empty() ? "    " : option.shortName + ", ") + option.longName;
        if (option.negatable) name += ", --no-" + option.longName.substr(2);
        if (!option.valueName.empty()) name += ' ' + option.valueName;
        rows.push_back({name, option.help + (option.required ? " (obligatoire)" : "")});
    }
    WriteRows(out, "Options", rows);
    if (footer_.empty()) return;
    out << '\n';
    for (std::size_t start = 0; start <= footer_.size();) {  // a paragraph a line
        const std::size_t end = std::min(footer_.find('\n', start), footer_.size());
        WriteWrapped(out, std::string_view(footer_).substr(start, end - start), 0);
        out << '\n';
        start = end + 1;
    }
}

void TCommandLine::WriteHelp(std::ostream& out) const {
    out << "Utilisation : " << program_ << " COMMANDE [OPTIONS] [ARGUMENTS]\n\n";
    WriteWrapped(out, Sentence(description_), 0);
    out << '\n';
    std::vector<TRow> rows;
    for (const auto& command : commands_) rows.push_back({command->Name(), command->Description()});
    WriteRows(out, "Commandes", rows);
    WriteRows(out, "Options", {kHelpRow, {"    --version", "Afficher la version"}});
    out << "\nL'aide d'une commande : " << program_ << " COMMANDE --help\n";
}

void TCommandLine::WriteShortUsage(std::ostream& out) const {
    out << "Utilisation : " << program_ << " COMMANDE [OPTIONS] [ARGUMENTS]\n";
    std::string names;
    for (const auto& command : commands_) names += (names.empty() ? "" : ", ") + command->Name();
    out << "Commandes : ";
    WriteWrapped(out, names, 12);
    out << "\nL'aide : " << program_ << " --help, ou " << program_ << " COMMANDE --help\n";
}

}  // namespace pellumo
