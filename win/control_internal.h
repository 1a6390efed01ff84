// What the controls share: their per-window state table, font and colour lookups, and the
// notifications to their parent. Used by the control sources only.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>

#include "win/controls.h"
#include "win/dialog.h"
#include "win/input.h"
#include "win/modal.h"
#include "win/window.h"

namespace win::ctl {

// Per-window state of one control class, made at WM_NCCREATE and dropped at WM_NCDESTROY.
template <class T>
class StateTable {
public:
    // A control's messages come in runs (a list filled row by row), so the last state found is
    // kept beside the table.
    T* Get(HWND h) {
        if (h.id == lastId_ && last_ != nullptr) return last_;
        auto it = map_.find(h.id);
        if (it == map_.end()) return nullptr;
        lastId_ = h.id;
        last_ = it->second.get();
        return last_;
    }
    T& Make(HWND h) {
        Forget(h);
        auto& p = map_[h.id];
        p = std::make_unique<T>();
        return *p;
    }
    void Drop(HWND h) {
        Forget(h);
        map_.erase(h.id);
    }

private:
    void Forget(HWND h) {
        if (h.id == lastId_) last_ = nullptr;
    }
    std::unordered_map<std::uint32_t, std::unique_ptr<T>> map_;
    std::uint32_t lastId_ = 0;
    T* last_ = nullptr;
};

std::uint32_t StyleOf(HWND h);
int IdOf(HWND h);
// The font a control draws with: the one WM_SETFONT gave it, else the dialog font.
HFONT FontOr(HFONT font);
// Sends WM_CTLCOLOR<kind> to the parent; the brush it answers, else the system's for `fallback`.
HBRUSH ControlColours(HWND control, HDC dc, std::uint32_t ctlColorMessage, int fallback);
void NotifyCommand(HWND control, unsigned code);
LResult NotifyParent(HWND control, NMHDR& header, std::int32_t code);
// Text without its "&" marks.
std::string StripMnemonics(std::string_view text);
bool ShiftDown();
bool ControlDown();
// A raised (or, with `sunken`, lowered) three-dimensional frame around a rectangle.
void Draw3dFrame(HDC dc, const RECT& r, bool sunken);
// The height of one text line in `font`.
int LineHeight(HFONT font);
int TextWidth(HDC dc, std::string_view text);

// One list of strings with selection, top row and type-ahead search; the list box, the combo
// box's drop-down and the combo's own items use it.
struct ListModel {
    struct Item {
        std::string text;
        LParam data = 0;
        bool selected = false;
    };
    std::vector<Item> items;
    int current = -1;  // the caret (single selection: the selection)
    int top = 0;
    int anchor = -1;
    bool sorted = false;
    bool multiple = false;
    std::string typed;  // type-ahead so far
    std::uint32_t typedAt = 0;

    int Insert(int index, std::string text, LParam data);  // -1 appends (or sorts)
    int Find(int after, std::string_view text, bool exact) const;
    int Select(int index);  // single selection; -1 clears
    int SelectedCount() const;
};

// A list's own scroll bars: two child "ScrollBar" windows, made hidden with the list and shown
// while its rows or columns do not fit. A right click on one asks for the list's help.
struct ListScrollBars {
    HWND vertical, horizontal;
    void Create(HWND list);
    // Shows the bar with range 0..count - 1, a page of `page` and the position, or hides it.
    static void Set(HWND bar, bool shown, int count, int page, int pos);
    // Moves a bar, only when it is not there already (lists lay out their bars often).
    static void Place(HWND bar, int x, int y, int width, int height);
    [[nodiscard]] bool Owns(HWND h) const { return h && (h == vertical || h == horizontal); }
    [[nodiscard]] bool VerticalShown() const;
    [[nodiscard]] bool HorizontalShown() const;
};
// The width of a vertical scroll bar (and height of a horizontal one).
[[nodiscard]] int ScrollBarThickness();
// The position a WM_VSCROLL or WM_HSCROLL code asks for, from `pos`, held to 0..last.
[[nodiscard]] int ScrolledPosition(unsigned code, HWND bar, int pos, int line, int page, int last);

// Where a tab moves the pen of a row (both in pixels from the row's text origin): the first of
// the list's tab stops past it, else the next multiple of 32.
int NextTabStop(const std::vector<int>& tabs, int pen);
// Walks a row's tab-separated cells as they are painted: calls `cell(x, text)` with each cell's
// pen (pixels from the row's text origin) and returns where the pen stands after the last cell.
template <typename Cell>
int ForEachTabbedCell(HDC dc, std::string_view text, const std::vector<int>& tabs, Cell&& cell) {
    int x = 0;
    for (;;) {
        const std::size_t cut = text.find('\t');
        const std::string_view cellText = text.substr(0, cut);
        cell(x, cellText);
        x += TextWidth(dc, cellText);
        if (cut == std::string_view::npos) return x;
        text = text.substr(cut + 1);
        x = NextTabStop(tabs, x);
    }
}
// Paints a list of rows into `client` of `control` (shared by list box and drop-down).
void PaintListRows(HWND control, HDC dc, const RECT& client, const ListModel& model, int rowHeight,
                   bool focused, bool ownerDraw, unsigned ctlType, const std::vector<int>& tabs);

}  // namespace win::ctl
