#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QString>

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "preview_widget.h"

namespace pellumo {

class StudioDocument;
class TBitmap;

// Keeps the preview on the slide being edited: the transition into it from the slide before
// (from an empty screen for the first), played again whenever either slide or the show's
// defaults change. The pictures are what the show will store (SlideJpegBytes), decoded off the
// interface thread; the last few are kept.
class PreviewController : public QObject {
    Q_OBJECT

public:
    PreviewController(StudioDocument& document, PreviewWidget& preview, QObject* parent = nullptr);
    ~PreviewController() override;

    // The slide to preview; none leaves the preview as it is.
    void ShowSlide(std::optional<std::size_t> row);
    std::optional<std::size_t> Slide() const { return row_; }

signals:
    // A picture of the two could not be read: the reason, for the status bar.
    void Failed(const QString& message);

private:
    using Picture = std::shared_ptr<const TBitmap>;
    struct Loaded {
        std::string key;
        Picture picture;
        QString error;
    };

    // Plays the preview when both pictures are at hand, else asks for the missing one.
    void Update();
    std::string KeyOf(std::size_t row) const;
    std::optional<PreviewSlide> SlideOf(std::size_t row);
    void Load(std::size_t row);

    StudioDocument& document_;
    PreviewWidget& preview_;
    int subscription_ = 0;
    std::optional<std::size_t> row_;
    std::map<std::string, Picture> pictures_;  // by KeyOf, the last few
    std::string loading_;
    QFutureWatcher<Loaded> watcher_;
};

}  // namespace pellumo
