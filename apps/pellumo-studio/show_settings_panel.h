#pragma once

#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace pellumo {

class MusicListening;
class StudioDocument;

// Edits what the whole show does: its music (which can be listened to here), whether it loops, whether its pictures may be
// copied, the fine resampler, the conversion of photos with a colour profile to sRGB, the
// JPEG quality of the pictures that are encoded again, and whether the show is portable.
// Each change is one step of the history.
class ShowSettingsPanel : public QWidget {
    Q_OBJECT

public:
    ShowSettingsPanel(StudioDocument& document, QWidget* parent = nullptr);
    ~ShowSettingsPanel() override;

    // Asks for a music file; the real dialog unless replaced (tests answer it). Empty: none chosen.
    std::function<QString()> chooseMusic;

    QLineEdit* MusicEdit() const { return music_; }
    QPushButton* ChooseMusicButton() const { return chooseMusic_; }
    QPushButton* NoMusicButton() const { return noMusic_; }
    // Checked while the music plays; unchecked again when it ends.
    QPushButton* ListenButton() const { return listen_; }
    // Why the music could not be played; hidden when it could.
    QLabel* MusicProblem() const { return musicProblem_; }
    QCheckBox* LoopBox() const { return loop_; }
    QCheckBox* CopyAllowedBox() const { return copyAllowed_; }
    QCheckBox* FineResizeBox() const { return fineResize_; }
    QCheckBox* ColorManagementBox() const { return colorManagement_; }
    QSpinBox* QualityBox() const { return quality_; }
    QCheckBox* PortableBox() const { return portable_; }

private:
    void Refresh();
    void Listen(bool on);

    StudioDocument& document_;
    int subscription_ = 0;
    bool refreshing_ = false;
    QLineEdit* music_;
    QPushButton* chooseMusic_;
    QPushButton* noMusic_;
    QPushButton* listen_;
    QLabel* musicProblem_;
    MusicListening* listening_;
    QCheckBox* loop_;
    QCheckBox* copyAllowed_;
    QCheckBox* fineResize_;
    QCheckBox* colorManagement_;
    QSpinBox* quality_;
    QCheckBox* portable_;
};

}  // namespace pellumo
