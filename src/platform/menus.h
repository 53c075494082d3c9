#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/keys.h"
#include "platform/object.h"

namespace pellumo {

// A key with its modifiers in one number: the virtual-key code, plus these bits.
using TShortCut = std::uint16_t;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;

constexpr TShortCut ShortCut(std::uint16_t key, TShiftState shift) {
    return static_cast<TShortCut>(key | ((shift & ssShift) ? scShift : 0) | ((shift & ssCtrl) ? scCtrl : 0) |
                                  ((shift & ssAlt) ? scAlt : 0));
}

// One entry of a menu; the caption "-" makes a separator.
class TMenuItem : public TObject {
public:
    const std::string& Caption() const { return caption_; }  // UTF-8
    void SetCaption(std::string caption) { caption_ = std::move(caption); }
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut shortCut) { shortCut_ = shortCut; }
    bool Visible() const { return visible_; }
    void SetVisible(bool visible) { visible_ = visible; }
    bool IsSeparator() const { return caption_ == "-"; }

    // Runs OnClick, with the application's error handling around it.
    void Click();

    TNotifyEvent OnClick;

private:
    std::string caption_;
    TShortCut shortCut_ = 0;
    bool visible_ = true;
};

// The menu a right click on a control opens. It holds its items in order but does not own
// them: they are components of the form, as the menu is.
class TPopupMenu : public TObject {
public:
    void Add(TMenuItem& item) { items_.push_back(&item); }
    const std::vector<TMenuItem*>& Items() const { return items_; }

    // Opens the menu at the screen position (logical units) and runs the item chosen.
    void Popup(int screenX, int screenY);
    // Clicks the visible item with this shortcut; false when there is none.
    bool IsShortCut(TShortCut shortCut);

private:
    std::vector<TMenuItem*> items_;
};

}  // namespace pellumo
