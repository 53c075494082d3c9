#include "authoring/caption_font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <memory>
#include <vector>

#include "base/exceptions.h"
#include "raster/bitmap.h"

namespace pellumo {
namespace {

// The platform's fonts are named so unless told otherwise, and the player's caption keeps it;
// no system here has that face, so Qt takes the first sans-serif face fontconfig offers.
constexpr const char* kCaptionFamily = "MS Sans Serif";

[[noreturn]] void RaiseNoFont() { throw Exception("légende : aucune police utilisable trouvée (fontconfig)"); }

std::string PatternString(FcPattern* pattern, const char* object) {
    FcChar8* value = nullptr;
    if (FcPatternGetString(pattern, object, 0, &value) != FcResultMatch || value == nullptr) return {};
    return reinterpret_cast<const char*>(value);
}

bool PatternBool(FcPattern* pattern, const char* object, bool otherwise) {
    FcBool value = FcFalse;
    return FcPatternGetBool(pattern, object, 0, &value) == FcResultMatch ? value != FcFalse : otherwise;
}

int PatternInteger(FcPattern* pattern, const char* object, int otherwise) {
    int value = 0;
    return FcPatternGetInteger(pattern, object, 0, &value) == FcResultMatch ? value : otherwise;
}

struct TPatternDeleter {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using TPattern = std::unique_ptr<FcPattern, TPatternDeleter>;

struct TConfigDeleter {
    void operator()(FcConfig* config) const { FcConfigDestroy(config); }
};

// The best face for the family with Qt's sans-serif fallback. The system's configuration is
// loaded for this match and freed after it: fontconfig's shared one would outlive every user,
// and freeing that one would pull it from under the editor's own fonts.
TPattern MatchCaptionFace(int pixelHeight, bool bold) {
    const std::unique_ptr<FcConfig, TConfigDeleter> config(FcInitLoadConfigAndFonts());
    TPattern pattern(FcPatternCreate());
    if (!config || !pattern) RaiseNoFont();
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(kCaptionFamily));
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
    FcPatternAddDouble(pattern.get(), FC_PIXEL_SIZE, pixelHeight);
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcConfigSubstitute(config.get(), pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    TPattern match(FcFontMatch(config.get(), pattern.get(), &result));
    if (!match) RaiseNoFont();
    return match;
}

// Blends one rendered glyph (8-bit coverage, or 1-bit) into the 32-bit bitmap at (x, y),
// inside `clip` only.
void BlendGlyph(TBitmap& bitmap, const TRect& clip, int x, int y, const FT_Bitmap& glyph, TColor color) {
    const int colour[3] = {GetBValue(color), GetGValue(color), GetRValue(color)};
    const int top = std::max(y, clip.Top), bottom = std::min(y + static_cast<int>(glyph.rows), clip.Bottom);
    const int left = std::max(x, clip.Left), right = std::min(x + static_cast<int>(glyph.width), clip.Right);
    for (int row = top; row < bottom; ++row) {
        const unsigned char* coverage = glyph.buffer + static_cast<std::ptrdiff_t>(row - y) * glyph.pitch;
        std::uint8_t* pixel = bitmap.ScanLine(row) + static_cast<std::size_t>(left) * 4;
        for (int column = left; column < right; ++column, pixel += 4) {
            const int i = column - x;
            const int alpha = glyph.pixel_mode == FT_PIXEL_MODE_MONO ? ((coverage[i >> 3] >> (7 - (i & 7))) & 1) * 255
                                                                      : coverage[i];
            for (int c = 0; c < 3; ++c)
                pixel[c] = static_cast<std::uint8_t>((pixel[c] * (255 - alpha) + colour[c] * alpha + 127) / 255);
        }
    }
}

}  // namespace

struct TCaptionFont::TFace {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    std::string file;
    std::string family;
    FT_Int32 loadFlags = FT_LOAD_DEFAULT;
    FT_Render_Mode renderMode = FT_RENDER_MODE_NORMAL;
    bool embolden = false;
    // Unhinted advances at quarter pixels, as Qt lays out text hinted lightly or not at all;
    // otherwise hinted advances at whole pixels.
    bool designMetrics = true;

    ~TFace() {
        if (face != nullptr) FT_Done_Face(face);
        if (library != nullptr) FT_Done_FreeType(library);
    }

    // Loads the glyph with the face's hinting; false when it has none.
    bool Load(FT_UInt glyph) const {
        if (FT_Load_Glyph(face, glyph, loadFlags) != 0) return false;
        if (embolden) FT_GlyphSlot_Embolden(face->glyph);
        return true;
    }

    FT_Pos Advance(FT_UInt glyph) const {
        if (!Load(glyph)) return 0;
        return designMetrics ? face->glyph->linearHoriAdvance >> 10 : face->glyph->advance.x;
    }
};

TCaptionFont::TCaptionFont(int pixelHeight, bool bold) : face_(std::make_unique<TFace>()) {
    const TPattern match = MatchCaptionFace(pixelHeight, bold);
    face_->file = PatternString(match.get(), FC_FILE);
    face_->family = PatternString(match.get(), FC_FAMILY);
    const int index = PatternInteger(match.get(), FC_INDEX, 0);
    const bool antialias = PatternBool(match.get(), FC_ANTIALIAS, true);
    const bool hinting = PatternBool(match.get(), FC_HINTING, true);
    const int hintStyle = hinting ? PatternInteger(match.get(), FC_HINT_STYLE, FC_HINT_SLIGHT) : FC_HINT_NONE;
    const bool autohint = PatternBool(match.get(), FC_AUTOHINT, false);
    face_->embolden = PatternBool(match.get(), FC_EMBOLDEN, false);

    if (hintStyle == FC_HINT_NONE) face_->loadFlags = FT_LOAD_NO_HINTING;
    else if (hintStyle == FC_HINT_SLIGHT) face_->loadFlags = FT_LOAD_TARGET_LIGHT;
    if (autohint) face_->loadFlags |= FT_LOAD_FORCE_AUTOHINT;
    face_->loadFlags |= FT_LOAD_NO_BITMAP;
    if (!antialias) face_->loadFlags |= FT_LOAD_TARGET_MONO;
    face_->renderMode = antialias ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO;
    face_->designMetrics = hintStyle <= FC_HINT_SLIGHT;

    if (face_->file.empty() || FT_Init_FreeType(&face_->library) != 0 ||
        FT_New_Face(face_->library, face_->file.c_str(), index, &face_->face) != 0 ||
        FT_Set_Pixel_Sizes(face_->face, 0, static_cast<FT_UInt>(pixelHeight)) != 0)
        RaiseNoFont();
}

TCaptionFont::~TCaptionFont() = default;

const std::string& TCaptionFont::FileName() const { return face_->file; }

const std::string& TCaptionFont::Family() const { return face_->family; }

void TCaptionFont::DrawCentred(TBitmap& bitmap, const TRect& line, std::u32string_view text, TColor color) const {
    FT_Face face = face_->face;
    // Each glyph's pen position from the text's start, in 1/64 pixel.
    struct TPlaced {
        FT_UInt glyph;
        FT_Pos pen;
    };
    std::vector<TPlaced> placed;
    FT_Pos width = 0;
    FT_UInt previous = 0;
    for (const char32_t c : text) {
        const FT_UInt glyph = FT_Get_Char_Index(face, c);
        FT_Vector kerning{0, 0};
        if (previous != 0 && glyph != 0 && FT_HAS_KERNING(face) &&
            FT_Get_Kerning(face, previous, glyph, face_->designMetrics ? FT_KERNING_UNFITTED : FT_KERNING_DEFAULT,
                           &kerning) == 0)
            width += kerning.x;
        placed.push_back({glyph, width});
        width += face_->Advance(glyph);
        previous = glyph;
    }
    // Centred as Qt centres a line: across by the text's advance, down by ascent and descent.
    const FT_Pos ascent = face->size->metrics.ascender;
    const FT_Pos descent = -face->size->metrics.descender;
    const FT_Pos start = FT_Pos{line.Left} * 64 + (FT_Pos{line.Width()} * 64 - width) / 2;
    const int baseline =
        line.Top + static_cast<int>(((FT_Pos{line.Height()} * 64 - (ascent + descent)) / 2 + ascent + 32) >> 6);
    TRect clip;
    if (!IntersectRect(clip, line, TRect{0, 0, bitmap.Width(), bitmap.Height()})) return;
    for (const TPlaced& glyph : placed) {
        const FT_Pos pen = start + glyph.pen;
        // The quarter pixel at or before the pen with unhinted metrics, the nearest whole one with
        // hinted metrics.
        const FT_Pos snapped = face_->designMetrics ? (pen >> 4) << 4 : ((pen + 32) >> 6) << 6;
        const FT_Pos whole = snapped >> 6;
        if (!face_->Load(glyph.glyph)) continue;
        FT_GlyphSlot slot = face->glyph;
        if (slot->format == FT_GLYPH_FORMAT_OUTLINE) FT_Outline_Translate(&slot->outline, snapped - whole * 64, 0);
        if (FT_Render_Glyph(slot, face_->renderMode) != 0) continue;
        BlendGlyph(bitmap, clip, static_cast<int>(whole) + slot->bitmap_left, baseline - slot->bitmap_top,
                   slot->bitmap, color);
    }
}

}  // namespace pellumo
