#pragma once

#include <QDialog>

#include "authoring/show_video.h"
#include "video/video_codecs.h"

class QComboBox;
class QDialogButtonBox;
class QSpinBox;

namespace pellumo {

// How a show is filmed: the screen, and the quality (1..100).
struct VideoExportOptions {
    TVideoFormat format;
    int quality = kDefaultVideoQuality;
};

// Asks for the options of a video export; the file name is asked next, by the file dialog.
class VideoExportDialog : public QDialog {
    Q_OBJECT

public:
    VideoExportDialog(const VideoExportOptions& options, QWidget* parent);

    VideoExportOptions Options() const;

    QComboBox* SizeBox() const { return size_; }
    QSpinBox* FramesPerSecondBox() const { return framesPerSecond_; }
    QSpinBox* QualityBox() const { return quality_; }
    QSpinBox* RestBox() const { return rest_; }
    QDialogButtonBox* Buttons() const { return buttons_; }

private:
    QComboBox* size_;
    QSpinBox* framesPerSecond_;
    QSpinBox* quality_;
    QSpinBox* rest_;
    QDialogButtonBox* buttons_;
};

}  // namespace pellumo
