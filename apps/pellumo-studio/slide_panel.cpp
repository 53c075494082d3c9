#include "slide_panel.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

#include <algorithm>
#include <limits>

#include "authoring/show_plan.h"
#include "studio_document.h"
#include "transition/style_names.h"

namespace pellumo {
namespace {

QColor ToQColor(TColor color) { return QColor(GetRValue(color), GetGValue(color), GetBValue(color)); }
TColor FromQColor(const QColor& color) {
    return RGB(static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
               static_cast<std::uint8_t>(color.blue()));
}

// A colour button shows its colour as a swatch, or a dash when the slides differ.
void ShowColor(QPushButton& button, std::optional<TColor> color) {
    if (!color) {
        button.setIcon({});
        button.setText(QStringLiteral("—"));
        return;
    }
    QPixmap swatch(32, 16);
    swatch.fill(ToQColor(*color));
    button.setIcon(swatch);
    button.setText(ToQColor(*color).name(QColor::HexRgb).toUpper());
}

}  // namespace

SlidePanel::SlidePanel(StudioDocument& document, QWidget* parent)
    : QWidget(parent),
      document_(document),
      duration_(new QSpinBox(this)),
      style_(new QComboBox(this)),
      caption_(new QLineEdit(this)),
      captionColor_(new QPushButton(this)),
      backColor_(new QPushButton(this)),
      framed_(new QCheckBox(tr("Cadre"), this)),
      frameColor_(new QPushButton(this)) {
    chooseColor = [this](QColor initial, const QString& title) -> std::optional<QColor> {
        const QColor chosen = QColorDialog::getColor(initial, this, title);
        return chosen.isValid() ? std::optional(chosen) : std::nullopt;
    };

    // -1 stands for slides that differ.
    duration_->setRange(-1, std::numeric_limits<std::int32_t>::max());
    duration_->setSpecialValueText(QStringLiteral("—"));
    duration_->setSuffix(tr(" s"));
    duration_->setKeyboardTracking(false);
    for (std::size_t style = 0; style < kStyleCount; ++style)
        style_->addItem(QStringLiteral("%1  %2").arg(style).arg(QString::fromUtf8(StyleNameOf(static_cast<TShowStyle>(style)).data())));
    style_->setMaxVisibleItems(20);
    caption_->setMaxLength(80);

    auto* form = new QFormLayout(this);
    const auto addRow = [&](const QString& label, QWidget* field, const char* key, std::function<void()> apply) {
        auto* line = new QHBoxLayout;
        line->addWidget(field, 1);
        line->addWidget(AddApplyButton(key, std::move(apply)));
        form->addRow(label, line);
    };
    addRow(tr("Durée"), duration_, "duration", [this] { ApplyToAll(&TSlideValues::duration, tr("Durée pour toutes les diapositives")); });
    addRow(tr("Transition"), style_, "style", [this] { ApplyToAll(&TSlideValues::style, tr("Transition pour toutes les diapositives")); });
    addRow(tr("Légende"), caption_, "caption", [this] { ApplyToAll(&TSlideValues::caption, tr("Légende pour toutes les diapositives")); });
    addRow(tr("Couleur de la légende"), captionColor_, "caption_color",
        [this] { ApplyToAll(&TSlideValues::captionColor, tr("Couleur de la légende pour toutes les diapositives")); });
    addRow(tr("Couleur du fond"), backColor_, "back_color",
        [this] { ApplyToAll(&TSlideValues::backColor, tr("Couleur du fond pour toutes les diapositives")); });
    auto* frame = new QWidget(this);
    auto* frameLine = new QHBoxLayout(frame);
    frameLine->setContentsMargins(0, 0, 0, 0);
    frameLine->addWidget(framed_);
    frameLine->addWidget(frameColor_, 1);
    addRow(tr("Cadre"), frame, "frame_color", [this] { ApplyToAll(&TSlideValues::frameColor, tr("Cadre pour toutes les diapositives")); });

    connect(duration_, &QSpinBox::valueChanged, this, [this](int seconds) {
        if (!refreshing_ && seconds >= 0) SetOnSelection(&TSlideValues::duration, std::optional<std::int32_t>(seconds), tr("Durée"));
    });
    connect(style_, &QComboBox::activated, this, [this](int style) {
        SetOnSelection(&TSlideValues::style, std::optional(static_cast<std::uint8_t>(style)), tr("Transition"));
    });
    connect(caption_, &QLineEdit::editingFinished, this, [this] {
        // Slides whose captions differ keep them until a text is typed.
        if (caption_->isModified()) SetOnSelection(&TSlideValues::caption, std::optional(caption_->text().toStdString()), tr("Légende"));
        caption_->setModified(false);
    });
    connect(captionColor_, &QPushButton::clicked, this, [this] { PickColor(&TSlideValues::captionColor, tr("Couleur de la légende")); });
    connect(backColor_, &QPushButton::clicked, this, [this] { PickColor(&TSlideValues::backColor, tr("Couleur du fond")); });
    connect(framed_, &QCheckBox::clicked, this, [this](bool framed) {
        const std::optional<TFrameColor> shared = Shared(&TSlideValues::frameColor);
        const TColor color = shared && shared->framed ? shared->color : clWhite;
        SetOnSelection(&TSlideValues::frameColor, std::optional(framed ? TFrameColor::Of(color) : TFrameColor::None()), tr("Cadre"));
    });
    connect(frameColor_, &QPushButton::clicked, this, [this] {
        const std::optional<TFrameColor> shared = Shared(&TSlideValues::frameColor);
        const TColor initial = shared && shared->framed ? shared->color : clWhite;
        if (const std::optional<QColor> chosen = chooseColor(ToQColor(initial), tr("Couleur du cadre")))
            SetOnSelection(&TSlideValues::frameColor, std::optional(TFrameColor::Of(FromQColor(*chosen))), tr("Couleur du cadre"));
    });

    subscription_ = document_.Subscribe([this](const TDocumentChange& change) {
        // Slides inserted or removed before the selected ones move them: the selection is the
        // strip's to give again; until then the panel shows what stands at its rows.
        if (change.kind == dcSlidesRemoved || change.kind == dcReset)
            std::erase_if(selection_, [this](std::size_t row) { return row >= document_.Show().SlideCount(); });
        Refresh();
    });
    Refresh();
}

SlidePanel::~SlidePanel() { document_.Unsubscribe(subscription_); }

void SlidePanel::SetSelection(std::vector<std::size_t> rows) {
    std::erase_if(rows, [this](std::size_t row) { return row >= document_.Show().SlideCount(); });
    selection_ = std::move(rows);
    Refresh();
}

QToolButton* SlidePanel::ApplyToAllButton(const char* key) const {
    for (const auto& [name, button] : applyButtons_)
        if (std::string_view(name) == key) return button;
    return nullptr;
}

QToolButton* SlidePanel::AddApplyButton(const char* key, std::function<void()> apply) {
    auto* button = new QToolButton(this);
    button->setText(tr("Partout"));
    button->setToolTip(tr("Appliquer à toutes les diapositives"));
    connect(button, &QToolButton::clicked, this, std::move(apply));
    applyButtons_.emplace_back(key, button);
    return button;
}

template <typename T>
void SlidePanel::SetOnSelection(Field<T> field, std::optional<T> value, const QString& text) {
    document_.ChangeSlides(selection_, [&](TSlideValues& values) { values.*field = value; }, text);
}

// The value becomes the show's default, and every slide lets it play: one step.
template <typename T>
void SlidePanel::ApplyToAll(Field<T> field, const QString& text) {
    const std::optional<T> value = Shared(field);
    if (!value) return;
    std::vector<std::size_t> all(document_.Show().SlideCount());
    for (std::size_t row = 0; row < all.size(); ++row) all[row] = row;
    document_.UndoStack().beginMacro(text);
    document_.ChangeDefaults([&](TSlideValues& defaults) { defaults.*field = value; }, text);
    document_.ChangeSlides(all, [&](TSlideValues& values) { values.*field = std::nullopt; }, text);
    document_.UndoStack().endMacro();
}

template <typename T>
std::optional<T> SlidePanel::Shared(Field<T> field) const {
    std::optional<T> shared;
    for (const std::size_t row : selection_) {
        const std::optional<T> value = EffectiveSlideValues(document_.Show(), row).*field;
        if (shared && value != shared) return std::nullopt;
        shared = value;
    }
    return shared;
}

void SlidePanel::PickColor(Field<TColor> field, const QString& title) {
    if (const std::optional<QColor> chosen = chooseColor(ToQColor(Shared(field).value_or(clWhite)), title))
        SetOnSelection(field, std::optional(FromQColor(*chosen)), title);
}

void SlidePanel::Refresh() {
    refreshing_ = true;
    setEnabled(!selection_.empty());
    duration_->setValue(Shared(&TSlideValues::duration).value_or(-1));
    const std::optional<std::uint8_t> style = Shared(&TSlideValues::style);
    style_->setCurrentIndex(style ? *style : -1);
    const std::optional<std::string> caption = Shared(&TSlideValues::caption);
    caption_->setText(caption ? QString::fromStdString(*caption) : QString());
    caption_->setPlaceholderText(caption || selection_.empty() ? QString() : tr("(légendes différentes)"));
    caption_->setModified(false);
    ShowColor(*captionColor_, Shared(&TSlideValues::captionColor));
    ShowColor(*backColor_, Shared(&TSlideValues::backColor));
    const std::optional<TFrameColor> frame = Shared(&TSlideValues::frameColor);
    framed_->setTristate(!frame);
    framed_->setCheckState(!frame ? Qt::PartiallyChecked : frame->framed ? Qt::Checked : Qt::Unchecked);
    ShowColor(*frameColor_, frame && frame->framed ? std::optional(frame->color) : std::nullopt);
    frameColor_->setEnabled(frame && frame->framed);
    refreshing_ = false;
}

}  // namespace pellumo
