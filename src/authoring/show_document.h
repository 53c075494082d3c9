#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/color.h"
#include "base/exceptions.h"

namespace pellumo {

// A change asked of a document that does not fit it: slides that are not there.
class EDocumentError : public Exception {
public:
    using Exception::Exception;
};

// What the whole show does, as a manifest's top-level keys say it.
struct TShowSettings {
    std::string music;  // a file's path (UTF-8), copied beside the show; empty for none
    bool loop = true;
    bool copyAllowed = true;
    bool fineResize = false;
    int jpegQuality = 90;  // for the pictures that are encoded again
    bool colorManagement = true;  // pictures with a colour profile are converted to sRGB
    bool portable = false;  // plays where Pellumo is not installed: the player's libraries and the music inside

    bool operator==(const TShowSettings&) const = default;
};

// A frame_color value: a frame of that colour, or none.
struct TFrameColor {
    bool framed = false;
    TColor color = clBlack;  // means something only when framed

    static TFrameColor None() { return {}; }
    static TFrameColor Of(TColor frameColor) { return {true, frameColor}; }
    bool operator==(const TFrameColor& other) const {
        return framed == other.framed && (!framed || color == other.color);
    }
};

// Slide values as [defaults] or a [[slides]] table gives them: each one given or not. What a
// slide leaves unset, the defaults give; what they leave unset, the built-in defaults
// (DefaultSlideSettings). `frameColor` thus has three states: not given, none, a colour.
struct TSlideValues {
    std::optional<std::int32_t> duration;  // seconds, 0 or more
    std::optional<std::uint8_t> style;     // 0..127
    std::optional<std::string> caption;    // UTF-8; the show stores it in Windows-1252
    std::optional<TColor> captionColor;
    std::optional<TColor> backColor;
    std::optional<TFrameColor> frameColor;

    bool Empty() const { return *this == TSlideValues{}; }
    bool operator==(const TSlideValues&) const = default;
};

// The lines where a manifest gave a table and its keys (by the manifest's key names), so that
// messages can point at them. Empty for what was not read from a file.
struct TSourceLines {
    std::int64_t table = 0;
    std::map<std::string, std::int64_t, std::less<>> keys;

    // The key's line, else the table's; 0 when neither is known.
    std::int64_t Of(std::string_view key) const {
        const auto found = keys.find(key);
        return found == keys.end() ? table : found->second;
    }
};

// Where a slide came from, for messages and notes only: no part of what the slide is.
struct TSlideSource {
    TSourceLines lines;
    // The style number a show file stored when it was above 127 (only its low seven bits
    // play); a manifest notes it beside the style.
    std::optional<std::int32_t> storedStyle;
};

struct TDocumentSlide {
    std::string picture;  // a picture's path (UTF-8), or a folder standing for its pictures
    TSlideValues values;  // the slide's own values, apart from the defaults
    TSlideSource source;

    bool operator==(const TDocumentSlide& other) const { return picture == other.picture && values == other.values; }
};

enum TDocumentChangeKind {
    dcSettings,
    dcDefaults,
    dcSlidesInserted,  // `count` slides now at `first`
    dcSlidesRemoved,   // `count` slides that were at `first`
    dcSlidesMoved,     // `count` slides that were at `first` now start at `to`
    dcSlideChanged,    // the slide at `first`
    dcReset,           // everything: another document took this one's place
};

struct TDocumentChange {
    TDocumentChangeKind kind = dcReset;
    std::size_t first = 0;
    std::size_t count = 0;
    std::size_t to = 0;

    bool operator==(const TDocumentChange&) const = default;
};

using TDocumentListener = std::function<void(const TDocumentChange&)>;

// A show as its maker describes it, before anything is checked or resolved: the settings, the
// defaults and the slides, each slide's own values kept apart from the defaults exactly as a
// manifest has them. ReadManifest and ManifestText read and write it, PlanShow turns it into
// what WriteShow writes.
//
// Every method that changes the document tells each listener once what changed, after the
// change; a call that changes nothing tells nothing. Everything it holds is a plain value, so
// an undo step keeps the old value (a slide, the settings, a range of slides) and sets it back
// with the same methods. A copy holds the same show and no listener; assigning another
// document keeps this one's listeners and tells them dcReset.
class TShowDocument {
public:
    TShowDocument() = default;
    TShowDocument(const TShowDocument& other) : content_(other.content_) {}
    TShowDocument(TShowDocument&& other) noexcept : content_(std::move(other.content_)) {}
    TShowDocument& operator=(const TShowDocument& other);
    TShowDocument& operator=(TShowDocument&& other);

    // The same show: settings, defaults and slides; where they were read is no part of it.
    bool operator==(const TShowDocument& other) const {
        return content_.settings == other.content_.settings && content_.defaults == other.content_.defaults &&
               content_.slides == other.content_.slides;
    }

    const TShowSettings& Settings() const { return content_.settings; }
    const TSlideValues& Defaults() const { return content_.defaults; }
    const std::vector<TDocumentSlide>& Slides() const { return content_.slides; }
    std::size_t SlideCount() const { return content_.slides.size(); }
    const TDocumentSlide& Slide(std::size_t index) const;

    // The manifest the document was read from, and the lines of its top-level keys and of
    // [defaults]: messages name them ("show.toml:12"). Empty for a document made otherwise.
    const std::string& SourceFile() const { return content_.sourceFile; }
    const TSourceLines& SettingsLines() const { return content_.settingsLines; }
    const TSourceLines& DefaultsLines() const { return content_.defaultsLines; }
    // Not a change of the show: listeners are not told.
    void SetSource(std::string file, TSourceLines settingsLines, TSourceLines defaultsLines);

    void SetSettings(const TShowSettings& settings);
    void SetDefaults(const TSlideValues& defaults);
    // One default; std::nullopt takes it back to the built-in value.
    template <typename T>
    void SetDefault(std::optional<T> TSlideValues::*key, std::optional<T> value) {
        TSlideValues defaults = Defaults();
        defaults.*key = std::move(value);
        SetDefaults(defaults);
    }

    // `at` may be SlideCount() (appends).
    void InsertSlides(std::size_t at, std::vector<TDocumentSlide> slides);
    void InsertSlide(std::size_t at, TDocumentSlide slide);
    void RemoveSlides(std::size_t first, std::size_t count);
    // Moves `count` slides from `first` so that the first of them lands at `to` (an index of
    // the list as it is after the move, 0..SlideCount() - count).
    void MoveSlides(std::size_t first, std::size_t count, std::size_t to);

    // Replaces the slide, its source included.
    void SetSlide(std::size_t index, TDocumentSlide slide);
    void SetSlidePicture(std::size_t index, std::string picture);
    void SetSlideValues(std::size_t index, const TSlideValues& values);
    // One of the slide's own values; std::nullopt (or ClearSlideValue) lets the default play.
    template <typename T>
    void SetSlideValue(std::size_t index, std::optional<T> TSlideValues::*key, std::optional<T> value) {
        TSlideValues values = Slide(index).values;
        values.*key = std::move(value);
        SetSlideValues(index, values);
    }
    template <typename T>
    void ClearSlideValue(std::size_t index, std::optional<T> TSlideValues::*key) {
        SetSlideValue(index, key, std::optional<T>());
    }

    // Returns a token for Unsubscribe. A listener may unsubscribe, itself or another, while
    // it is told a change.
    int Subscribe(TDocumentListener listener);
    void Unsubscribe(int token);

private:
    struct TContent {
        TShowSettings settings;
        TSlideValues defaults;
        std::vector<TDocumentSlide> slides;
        std::string sourceFile;
        TSourceLines settingsLines;
        TSourceLines defaultsLines;
    };

    void CheckRange(std::size_t first, std::size_t count, std::size_t size) const;
    void Tell(const TDocumentChange& change);

    TContent content_;
    std::vector<std::pair<int, TDocumentListener>> listeners_;
    int nextToken_ = 1;
};

}  // namespace pellumo
