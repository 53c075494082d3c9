#include "show_settings_panel.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "music_listening.h"
#include "studio_document.h"

namespace pellumo {

ShowSettingsPanel::ShowSettingsPanel(StudioDocument& document, QWidget* parent)
    : QWidget(parent),
      document_(document),
      music_(new QLineEdit(this)),
      chooseMusic_(new QPushButton(tr("Choisir…"), this)),
      noMusic_(new QPushButton(tr("Aucune"), this)),
      listen_(new QPushButton(tr("Écouter"), this)),
      musicProblem_(new QLabel(this)),
      listening_(new MusicListening(this)),
      loop_(new QCheckBox(tr("Reprendre au début après la dernière diapositive"), this)),
      copyAllowed_(new QCheckBox(tr("Permettre la copie des images"), this)),
      fineResize_(new QCheckBox(tr("Redimensionnement fin"), this)),
      colorManagement_(new QCheckBox(tr("Convertir en sRGB les photos qui ont un profil de couleur"), this)),
      quality_(new QSpinBox(this)),
      portable_(new QCheckBox(tr("Diaporama portable : il se lit sur un ordinateur sans Pellumo"), this)) {
    chooseMusic = [this] {
        return QFileDialog::getOpenFileName(this, tr("Musique du diaporama"), QString(),
                                            tr("Musique (*.wav *.ogg *.mp3 *.flac);;Tous les fichiers (*)"));
    };
    music_->setReadOnly(true);
    music_->setPlaceholderText(tr("(aucune)"));
    listen_->setCheckable(true);
    listen_->setToolTip(tr("Écouter la musique du diaporama"));
    musicProblem_->setWordWrap(true);
    musicProblem_->hide();
    quality_->setRange(1, 100);
    quality_->setKeyboardTracking(false);
    quality_->setToolTip(tr("Qualité JPEG des images qui doivent être encodées"));
    colorManagement_->setToolTip(
        tr("Le lecteur montre les couleurs telles qu'elles sont stockées : une photo en Display P3 ou en Adobe RGB "
           "n'a ses vraies couleurs que convertie en sRGB"));

    portable_->setToolTip(
        tr("Le diaporama emporte le lecteur, ses bibliothèques et sa musique (une quarantaine de Mo de plus) et se "
           "lit sur tout Linux x86-64 récent (glibc 2.36 ou plus), avec X11 ou Wayland"));

    auto* form = new QFormLayout(this);
    auto* musicLine = new QHBoxLayout;
    musicLine->addWidget(music_, 1);
    musicLine->addWidget(chooseMusic_);
    musicLine->addWidget(noMusic_);
    musicLine->addWidget(listen_);
    form->addRow(tr("Musique"), musicLine);
    form->addRow(musicProblem_);
    form->addRow(loop_);
    form->addRow(copyAllowed_);
    form->addRow(fineResize_);
    form->addRow(colorManagement_);
    form->addRow(tr("Qualité JPEG"), quality_);
    form->addRow(portable_);

    const auto change = [this](const QString& text, std::function<void(TShowSettings&)> edit) {
        if (!refreshing_) document_.ChangeSettings(edit, text);
    };
    connect(chooseMusic_, &QPushButton::clicked, this, [this, change] {
        const QString file = chooseMusic();
        if (!file.isEmpty()) change(tr("Musique"), [&](TShowSettings& settings) { settings.music = file.toStdString(); });
    });
    connect(noMusic_, &QPushButton::clicked, this,
            [change] { change(tr("Sans musique"), [](TShowSettings& settings) { settings.music.clear(); }); });
    connect(listen_, &QPushButton::toggled, this, &ShowSettingsPanel::Listen);
    connect(listening_, &MusicListening::Finished, this, [this] { listen_->setChecked(false); });
    connect(loop_, &QCheckBox::clicked, this,
            [change](bool on) { change(tr("En boucle"), [on](TShowSettings& settings) { settings.loop = on; }); });
    connect(copyAllowed_, &QCheckBox::clicked, this, [change](bool on) {
        change(tr("Copie permise"), [on](TShowSettings& settings) { settings.copyAllowed = on; });
    });
    connect(fineResize_, &QCheckBox::clicked, this, [change](bool on) {
        change(tr("Redimensionnement fin"), [on](TShowSettings& settings) { settings.fineResize = on; });
    });
    connect(colorManagement_, &QCheckBox::clicked, this, [change](bool on) {
        change(tr("Gestion des couleurs"), [on](TShowSettings& settings) { settings.colorManagement = on; });
    });
    connect(portable_, &QCheckBox::clicked, this, [change](bool on) {
        change(tr("Diaporama portable"), [on](TShowSettings& settings) { settings.portable = on; });
    });
    connect(quality_, &QSpinBox::valueChanged, this, [change](int quality) {
        change(tr("Qualité JPEG"), [quality](TShowSettings& settings) { settings.jpegQuality = quality; });
    });

    subscription_ = document_.Subscribe([this](const TDocumentChange& told) {
        if (told.kind == dcSettings || told.kind == dcReset) Refresh();
    });
    Refresh();
}

ShowSettingsPanel::~ShowSettingsPanel() { document_.Unsubscribe(subscription_); }

void ShowSettingsPanel::Refresh() {
    refreshing_ = true;
    const TShowSettings& settings = document_.Show().Settings();
    const QString music = QString::fromStdString(settings.music);
    if (music != music_->text()) {
        listen_->setChecked(false);
        musicProblem_->hide();
    }
    music_->setText(music);
    noMusic_->setEnabled(!settings.music.empty());
    listen_->setEnabled(!settings.music.empty());
    loop_->setChecked(settings.loop);
    copyAllowed_->setChecked(settings.copyAllowed);
    fineResize_->setChecked(settings.fineResize);
    colorManagement_->setChecked(settings.colorManagement);
    quality_->setValue(settings.jpegQuality);
    portable_->setChecked(settings.portable);
    refreshing_ = false;
}

void ShowSettingsPanel::Listen(bool on) {
    listen_->setText(on ? tr("Arrêter") : tr("Écouter"));
    if (!on) {
        listening_->Stop();
        return;
    }
    QString problem;
    if (listening_->Play(music_->text(), problem)) {
        musicProblem_->hide();
        return;
    }
    musicProblem_->setText(problem);
    musicProblem_->show();
    listen_->setChecked(false);
}

}  // namespace pellumo
