#include "authoring/toml_errors.h"

#include <array>

namespace pellumo {
namespace {

constexpr std::string_view kIntroduction = "Error while parsing ";

// What the parser was reading ("string", "table header") and why it stopped.
struct TSyntaxError {
    std::string_view context;
    std::string_view reason;
};

TSyntaxError Split(std::string_view description) {
    if (description.starts_with(kIntroduction)) description.remove_prefix(kIntroduction.size());
    const std::size_t colon = description.find(": ");
    if (colon == std::string_view::npos) return {{}, description};
    return {description.substr(0, colon), description.substr(colon + 2)};
}

// The text between the first pair of single quotes after `after`, printable: what the parser
// met, or the key it names.
std::string Quoted(std::string_view reason, std::string_view after = {}) {
    std::size_t start = reason.find(after);
    if (start == std::string_view::npos) return {};
    start = reason.find('\'', start + after.size());
    const std::size_t end = start == std::string_view::npos ? start : reason.find('\'', start + 1);
    if (end == std::string_view::npos) return {};
    std::string seen(reason.substr(start + 1, end - start - 1));
    if (seen == "\n" || seen == "\\n") return "fin de ligne";
    return "« " + seen + " »";
}

bool IsString(std::string_view context) { return context.ends_with("string"); }

struct TRule {
    std::string_view reasonStart;
    std::string_view french;
};

// Mistakes a person makes by hand, each told in words that say how to mend it.
constexpr std::array<TRule, 9> kRules{{
    {"could not determine value type", "valeur inattendue (un texte s'écrit entre guillemets, un nombre en chiffres, "
                                       "un oui/non en true ou false)"},
    {"expected 'true'", "valeur inattendue (true ou false attendu)"},
    {"expected 'false'", "valeur inattendue (true ou false attendu)"},
    {"expected ']'", "crochet fermant manquant"},
    {"expected '='", "« = » manquant après la clé"},
    {"expected keys, tables", "ligne inattendue (une clé = valeur, une [table] ou un commentaire # attendu)"},
    {"expected key-value pair, saw closing '}' (dangling comma)", "virgule en trop avant « } »"},
    {"leading zeroes are prohibited", "un nombre ne commence pas par 0"},
    {"unknown escape sequence", "séquence d'échappement inconnue (une barre oblique inverse s'écrit \\\\)"},
}};

}  // namespace

std::string TomlSyntaxMessage(std::string_view description) {
    const TSyntaxError error = Split(description);
    if (IsString(error.context) &&
        (error.reason.find("control character") != std::string_view::npos || error.reason == "encountered end-of-file"))
        return "guillemet fermant manquant";
    if (error.context == "array" && error.reason == "encountered end-of-file") return "crochet fermant manquant";
    if (error.reason.starts_with("cannot redefine existing"))
        return "déjà défini plus haut : " + Quoted(error.reason, "existing");
    if (error.reason.starts_with("expected a comment or whitespace"))
        return "texte inattendu après la valeur : " + Quoted(error.reason, "saw");
    for (const TRule& rule : kRules)
        if (error.reason.starts_with(rule.reasonStart)) return std::string(rule.french);
    return "erreur de syntaxe TOML (" + std::string(error.reason) + ")";
}

}  // namespace pellumo
