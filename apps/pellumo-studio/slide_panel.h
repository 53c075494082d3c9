#pragma once

#include <QColor>
#include <QWidget>

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "authoring/show_document.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace pellumo {

class StudioDocument;

// Edits the selected slides together: duration, style, caption, caption colour, window colour,
// frame colour or none. A field shows the value the slides play with, or nothing when they
// differ; a change sets it on every selected slide as one step of the history. Beside each
// field, "apply to all slides" makes the value the show's default and lets every slide take it.
class SlidePanel : public QWidget {
    Q_OBJECT

public:
    SlidePanel(StudioDocument& document, QWidget* parent = nullptr);
    ~SlidePanel() override;

    void SetSelection(std::vector<std::size_t> rows);

    // Asks for a colour; the real dialog unless replaced (tests answer it).
    std::function<std::optional<QColor>(QColor initial, const QString& title)> chooseColor;

    QSpinBox* DurationBox() const { return duration_; }
    QComboBox* StyleBox() const { return style_; }
    QLineEdit* CaptionEdit() const { return caption_; }
    QPushButton* CaptionColorButton() const { return captionColor_; }
    QPushButton* BackColorButton() const { return backColor_; }
    QCheckBox* FramedBox() const { return framed_; }
    QPushButton* FrameColorButton() const { return frameColor_; }
    // The "apply to all slides" button of a field, by the manifest's key name
    // ("duration", "style", "caption", "caption_color", "back_color", "frame_color").
    QToolButton* ApplyToAllButton(const char* key) const;

private:
    template <typename T>
    using Field = std::optional<T> TSlideValues::*;

    template <typename T>
    void SetOnSelection(Field<T> field, std::optional<T> value, const QString& text);
    template <typename T>
    void ApplyToAll(Field<T> field, const QString& text);
    template <typename T>
    std::optional<T> Shared(Field<T> field) const;  // the selection's value when they all agree
    QToolButton* AddApplyButton(const char* key, std::function<void()> apply);
    void PickColor(Field<TColor> field, const QString& title);
    void Refresh();

    StudioDocument& document_;
    int subscription_ = 0;
    std::vector<std::size_t> selection_;
    bool refreshing_ = false;
    QSpinBox* duration_;
    QComboBox* style_;
    QLineEdit* caption_;
    QPushButton* captionColor_;
    QPushButton* backColor_;
    QCheckBox* framed_;
    QPushButton* frameColor_;
    std::vector<std::pair<const char*, QToolButton*>> applyButtons_;
};

}  // namespace pellumo
