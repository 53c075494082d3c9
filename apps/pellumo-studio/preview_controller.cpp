#include "preview_controller.h"

#include <QtConcurrent/QtConcurrentRun>

#include "authoring/picture_folders.h"
#include "authoring/show_plan.h"
#include "authoring/slide_pictures.h"
#include "raster/bitmap.h"
#include "raster/jpeg_codec.h"
#include "studio_document.h"

namespace pellumo {
namespace {

constexpr std::size_t kKeptPictures = 6;

}  // namespace

PreviewController::PreviewController(StudioDocument& document, PreviewWidget& preview, QObject* parent)
    : QObject(parent), document_(document), preview_(preview) {
    subscription_ = document_.Subscribe([this](const TDocumentChange& change) {
        if (row_ && *row_ >= document_.Show().SlideCount()) row_.reset();
        // Another slide's change leaves the two previewed slides as they were.
        if (change.kind == dcSlideChanged && row_ && change.first != *row_ && change.first + 1 != *row_) return;
        Update();
    });
    connect(&watcher_, &QFutureWatcher<Loaded>::finished, this, [this] {
        Loaded loaded = watcher_.result();
        loading_.clear();
        if (!loaded.error.isEmpty()) {
            emit Failed(loaded.error);
            loaded.picture = nullptr;  // kept as unreadable, so that it is not asked for again
        }
        if (pictures_.size() >= kKeptPictures) pictures_.erase(pictures_.begin());
        pictures_[loaded.key] = loaded.picture;
        Update();
    });
}

PreviewController::~PreviewController() {
    document_.Unsubscribe(subscription_);
    watcher_.waitForFinished();
}

void PreviewController::ShowSlide(std::optional<std::size_t> row) {
    if (row && *row >= document_.Show().SlideCount()) row.reset();
    if (!row || row == row_) return;
    row_ = row;
    Update();
}

// What the stored picture depends on: the file, and for pictures encoded again the quality
// and the colour their transparent parts are laid on.
std::string PreviewController::KeyOf(std::size_t row) const {
    const TSlideValues values = EffectiveSlideValues(document_.Show(), row);
    const TShowSettings& settings = document_.Show().Settings();
    return document_.Show().Slide(row).picture + '\n' + std::to_string(settings.jpegQuality) + '\n' +
           std::to_string(*values.backColor) + '\n' + (settings.colorManagement ? "sRGB" : "stored");
}

std::optional<PreviewSlide> PreviewController::SlideOf(std::size_t row) {
    const auto found = pictures_.find(KeyOf(row));
    if (found == pictures_.end()) {
        Load(row);
        return std::nullopt;
    }
    const TSlideValues values = EffectiveSlideValues(document_.Show(), row);
    PreviewSlide slide;
    slide.picture = found->second;
    slide.caption = *values.caption;
    slide.captionColor = *values.captionColor;
    slide.backColor = *values.backColor;
    if (values.frameColor->framed) slide.frameColor = values.frameColor->color;
    slide.transitionStyle = *values.style;
    slide.fineResize = document_.Show().Settings().fineResize;
    return slide;
}

void PreviewController::Load(std::size_t row) {
    const std::string key = KeyOf(row);
    if (!loading_.empty()) return;  // one at a time; Update asks again when it is in
    loading_ = key;
    std::string picture = document_.Show().Slide(row).picture;
    const int quality = document_.Show().Settings().jpegQuality;
    const bool colorManaged = document_.Show().Settings().colorManagement;
    const TColor back = *EffectiveSlideValues(document_.Show(), row).backColor;
    watcher_.setFuture(QtConcurrent::run([key, picture = std::move(picture), quality, colorManaged, back]() -> Loaded {
        try {
            // A folder stands for its pictures: its first one shows.
            std::string file = picture;
            if (IsPictureFolder(picture)) {
                const std::vector<std::string> pictures = PicturesInFolder(picture);
                if (pictures.empty()) return {key, nullptr, PreviewController::tr("Aucune image dans le dossier %1").arg(QString::fromStdString(picture))};
                file = pictures.front();
            }
            auto bitmap = std::make_shared<TBitmap>();
            DecodeJpeg(SlideJpegBytes(file, quality, back, colorManaged), false, *bitmap);
            return {key, std::move(bitmap), {}};
        } catch (const std::exception& e) {
            const auto* own = dynamic_cast<const Exception*>(&e);
            return {key, nullptr, QString::fromStdString(own != nullptr ? own->Message() : e.what())};
        }
    }));
}

void PreviewController::Update() {
    if (!row_) return;
    std::optional<PreviewSlide> from = PreviewSlide{};  // the first slide comes onto an empty screen
    if (*row_ > 0) from = SlideOf(*row_ - 1);
    const std::optional<PreviewSlide> to = SlideOf(*row_);
    if (from && to) preview_.Play(*from, *to);
}

}  // namespace pellumo
