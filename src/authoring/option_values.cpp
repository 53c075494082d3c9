#include "authoring/option_values.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

#include "authoring/style_suggestions.h"
#include "base/ansi_text.h"
#include "base/format.h"
#include "player/catalogue.h"
#include "transition/style_names.h"

namespace pellumo {
namespace {

std::string Quoted(std::string_view text) { return "« " + std::string(text) + " »"; }

std::string_view TrimSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int ParseLength(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1) return -1;
    return value;
}

}  // namespace

TColor ParseColor(std::string_view text, std::string_view option) {
    std::uint32_t rgb = 0;
    const bool wellFormed =
        text.size() == 7 && text[0] == '#' &&
        std::all_of(text.begin() + 1, text.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }) &&
        std::from_chars(text.data() + 1, text.data() + text.size(), rgb, 16).ec == std::errc{};
    if (!wellFormed)
        throw EOptionError(Format("%s : couleur %s invalide, attendu #RRGGBB", {std::string(option), Quoted(text)}));
    return RGB(static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb));
}

std::string ColorText(TColor color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(color), GetGValue(color), GetBValue(color));
    return text;
}

std::optional<TColor> ParseFrameColor(std::string_view text, std::string_view option) {
    if (text == "none") return std::nullopt;
    return ParseColor(text, option);
}

std::uint8_t ParseStyle(std::string_view text, std::string_view option) {
    const std::string_view name = TrimSpaces(text);
    if (AllDigits(name) && name.size() <= 3) {
        int number = 0;
        std::from_chars(name.data(), name.data() + name.size(), number);
        if (number <= 127) return static_cast<std::uint8_t>(number);
    } else if (const auto style = FindStyleByName(name)) {
        return *style;
    }
    std::string nearest;
    for (const std::string_view suggestion : NearestStyleNames(name))
        nearest += (nearest.empty() ? "" : ", ") + Quoted(suggestion);
    throw EOptionError(Format("%s : style %s inconnu (un numéro de 0 à 127 ou un nom de style%s ; "
                              "la liste : pellumo-pack styles)",
                              {std::string(option), Quoted(text),
                               nearest.empty() ? std::string() : ", par exemple " + nearest}));
}

TSize ParseSize(std::string_view text, std::string_view option) {
    const std::size_t x = text.find('x');
    const TSize size = x == std::string_view::npos
                           ? TSize{-1, -1}
                           : TSize{ParseLength(text.substr(0, x)), ParseLength(text.substr(x + 1))};
    if (size.Width < 1 || size.Height < 1)
        throw EOptionError(Format("%s : LARGEURxHAUTEUR attendu, deux entiers positifs (par exemple 1920x1080)",
                                  {std::string(option)}));
    return size;
}

void CheckRange(int value, int low, int high, std::string_view option) {
    if (value < low || value > high)
        throw EOptionError(Format("%s : une valeur de %d à %d est attendue",
                                  {std::string(option), std::to_string(low), std::to_string(high)}));
}

std::int32_t ParseDuration(std::string_view text, std::string_view option) {
    std::int32_t seconds = 0;
    // from_chars alone would take a leading minus sign; only plain digits are seconds.
    if (!AllDigits(text) || std::from_chars(text.data(), text.data() + text.size(), seconds).ec != std::errc{})
        throw EOptionError(Format("%s : durée %s invalide (un nombre entier de secondes, 0 ou plus)",
                                  {std::string(option), Quoted(text)}));
    return seconds;
}

std::string ParseShowText(std::string_view utf8, std::string_view option) {
    std::string ansi;
    try {
        ansi = Utf8ToAnsi(utf8);
    } catch (const EConvertError& e) {
        throw EOptionError(Format("%s : %s", {std::string(option), e.Message()}));
    }
    if (ansi.size() > kMaxCatalogueText)
        throw EOptionError(Format("%s : texte trop long (%d caractères en Windows-1252, 80 au plus)",
                                  {std::string(option), std::to_string(ansi.size())}));
    return ansi;
}

}  // namespace pellumo
