#include "video_export_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>

namespace pellumo {
namespace {

// Screens and video sites' usual sizes, the largest first.
constexpr QSize kSizes[] = {{3840, 2160}, {2560, 1440}, {1920, 1080}, {1280, 720}, {854, 480}, {640, 360}};

QSpinBox* SpinBox(int low, int high, int value, const QString& suffix, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setRange(low, high);
    box->setValue(value);
    box->setSuffix(suffix);
    return box;
}

}  // namespace

VideoExportDialog::VideoExportDialog(const VideoExportOptions& options, QWidget* parent)
    : QDialog(parent),
      size_(new QComboBox(this)),
      framesPerSecond_(SpinBox(1, kMaxVideoFramesPerSecond, options.format.framesPerSecond, tr(" images/s"), this)),
      quality_(SpinBox(kMinVideoQuality, kMaxVideoQuality, options.quality, QString(), this)),
      rest_(SpinBox(1, kMaxVideoRestSeconds, options.format.restSeconds, tr(" s"), this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
    setWindowTitle(tr("Exporter une vidéo"));
    for (const QSize size : kSizes) {
        size_->addItem(tr("%1 × %2").arg(size.width()).arg(size.height()), size);
        if (size == QSize(options.format.width, options.format.height)) size_->setCurrentIndex(size_->count() - 1);
    }
    quality_->setToolTip(tr("De 1 (le fichier le plus petit) à 100 (la meilleure image)"));
    rest_->setToolTip(tr("Le temps que dure dans la vidéo une diapositive où le lecteur s'arrête (durée 0)"));
    buttons_->button(QDialogButtonBox::Ok)->setText(tr("Exporter…"));
    buttons_->button(QDialogButtonBox::Cancel)->setText(tr("Annuler"));
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout(this);
    form->addRow(tr("Taille de l'écran"), size_);
    form->addRow(tr("Images par seconde"), framesPerSecond_);
    form->addRow(tr("Qualité"), quality_);
    form->addRow(tr("Diapositive au repos"), rest_);
    form->addRow(buttons_);
}

VideoExportOptions VideoExportDialog::Options() const {
    VideoExportOptions options;
    const QSize size = size_->currentData().toSize();
    options.format.width = size.width();
    options.format.height = size.height();
    options.format.framesPerSecond = framesPerSecond_->value();
    options.format.restSeconds = rest_->value();
    options.quality = quality_->value();
    return options;
}

}  // namespace pellumo
