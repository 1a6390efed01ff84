#include "ui/owner_draw_list_view.h"

#include <cstring>

#include "ui/dialog.h"

namespace ui {

using namespace win;

namespace {

constexpr int kRowTextMax = 512;

bool Extent(HDC dc, std::string_view text, SIZE* size) {
    return GetTextExtentPoint32(dc, text, size);
}

}  // namespace

int FitTextWithEllipsis(HDC dc, char* buffer, int size, int width) {
    if (buffer == nullptr || size <= 0) return 0;
    const int limit = width - 4;
    // A zero-filled copy of the whole buffer, so the text read is never past its end.
    std::vector<char> copy(static_cast<std::size_t>(size), '\0');
    std::memcpy(copy.data(), buffer, static_cast<std::size_t>(size));
    copy.back() = '\0';
    std::size_t length = std::strlen(copy.data());
    SIZE s;
    if (!Extent(dc, std::string_view(copy.data(), length), &s)) return 0;
    if (s.cx <= limit) return 1;
    SIZE dots;
    if (!Extent(dc, "...", &dots)) return 0;
    while (length > 0) {
        --length;
        if (!Extent(dc, std::string_view(copy.data(), length), &s)) return 0;
        if (s.cx + dots.cx <= limit && static_cast<int>(length) + 3 <= size - 1) {
            std::memcpy(copy.data() + length, "...", 4);
            std::memcpy(buffer, copy.data(), length + 4);
            return 1;
        }
    }
    return 0;
}

OwnerDrawListView::OwnerDrawListView(std::uint32_t listStyle, int left, int top, int w, int h, HWND owner, int id,
                                     int columns)
    : parent(owner),
      style(listStyle),
      x(left),
      y(top),
      width(w),
      height(h),
      controlId(id),
      columnCount(columns > 0 ? columns : 0),
      columnWidths(static_cast<std::size_t>(columnCount), 0) {}

OwnerDrawListView::~OwnerDrawListView() {
    if (measureFont_) DeleteObject(AsGdiObject(measureFont_));
}

HWND OwnerDrawListView::Create() {
    list = CreateWindowEx(WS_EX_CLIENTEDGE, "SysListView32", "", style, x, y, width, height, parent,
                          HMENU{static_cast<std::uint32_t>(controlId)}, theDialogHost.resourceLibrary ? theDialogHost.resourceLibrary() : HINSTANCE{}, 0);
    return list;
}

int OwnerDrawListView::InsertColumn(int index, int w, int format, const char* text) {
    if (index < 0 || index >= columnCount) return 0;
    LVCOLUMN c;
    c.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    c.fmt = format;
    c.cx = w;
    c.text = text != nullptr ? text : "";
    c.iSubItem = index;
    columnWidths[static_cast<std::size_t>(index)] = w;
    return SendMessage(list, LVM_INSERTCOLUMN, static_cast<WParam>(index), reinterpret_cast<LParam>(&c)) != -1;
}

int OwnerDrawListView::InsertItem(int index, const char* text, LParam data) {
    LVITEM it;
    it.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
    it.iItem = index;
    it.text = std::string(text != nullptr ? text : "").substr(0, kRowTextMax);
    it.lParam = data;
    return SendMessage(list, LVM_INSERTITEM, 0, reinterpret_cast<LParam>(&it)) != -1;
}

void OwnerDrawListView::SetItemText(int item, int subItem, const char* text) {
    LVITEM it;
    it.iSubItem = subItem;
    it.text = text != nullptr ? text : "";
    SendMessage(list, LVM_SETITEMTEXT, static_cast<WParam>(item), reinterpret_cast<LParam>(&it));
}

void OwnerDrawListView::SortItems(PFNLVCOMPARE compare, LParam parameter) {
    SendMessage(list, LVM_SORTITEMS, static_cast<WParam>(parameter), reinterpret_cast<LParam>(compare));
}

char* OwnerDrawListView::GetItemText(int item, int subItem, char* buffer, int size) {
    if (buffer == nullptr || size <= 0) return buffer;
    LVITEM it;
    it.iSubItem = subItem;
    it.cchTextMax = size;
    SendMessage(list, LVM_GETITEMTEXT, static_cast<WParam>(item), reinterpret_cast<LParam>(&it));
    const std::size_t n = std::min(it.text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, it.text.data(), n);
    buffer[n] = '\0';
    return buffer;
}

LParam OwnerDrawListView::GetItemData(int item) {
    LVITEM it;
    it.mask = LVIF_PARAM;
    it.iItem = item;
    SendMessage(list, LVM_GETITEM, 0, reinterpret_cast<LParam>(&it));
    return it.lParam;
}

int OwnerDrawListView::GetSelectedCount() {
    return static_cast<int>(SendMessage(list, LVM_GETSELECTEDCOUNT, 0, 0));
}
int OwnerDrawListView::GetItemCount() {
    return static_cast<int>(SendMessage(list, LVM_GETITEMCOUNT, 0, 0));
}
int OwnerDrawListView::IsItemSelected(int item) {
    return (SendMessage(list, LVM_GETITEMSTATE, static_cast<WParam>(item), LVIS_SELECTED) & LVIS_SELECTED) ? 1 : 0;
}
int OwnerDrawListView::GetFocusedItem() {
    return static_cast<int>(SendMessage(list, LVM_GETNEXTITEM, static_cast<WParam>(-1), LVNI_FOCUSED));
}
void OwnerDrawListView::DeleteItem(int item) {
    SendMessage(list, LVM_DELETEITEM, static_cast<WParam>(item), 0);
}
void OwnerDrawListView::DeleteAllItems() {
    SendMessage(list, LVM_DELETEALLITEMS, 0, 0);
}

int OwnerDrawListView::OnNotify(int, NMHDR* header) {
    if (header == nullptr) return 0;
    // The dialog must not paint over the list while the header moves.
    RECT area{x - 5, y - 5, x + width + 30, y + height + 25};
    ValidateRect(parent, &area);
    auto* nm = reinterpret_cast<NMHEADER*>(header);
    switch (header->code) {
        case HDN_ENDTRACK:
            UpdateColumnWidth(header->hwndFrom, nm->iItem, 0);
            InvalidateRect(list, nullptr, true);
            InvalidateRect(parent, &area, true);
            break;
        case HDN_ITEMCHANGED:
            UpdateColumnWidth(header->hwndFrom, nm->iItem, 1);
            break;
        case HDN_ITEMCHANGING:
            UpdateColumnWidth(header->hwndFrom, nm->iItem, 0);
            break;
        default:
            break;
    }
    return 0;
}

void OwnerDrawListView::UpdateColumnWidth(HWND header, int column, int redraw) {
    HDITEM item;
    item.mask = HDI_WIDTH;
    if (SendMessage(header, HDM_GETITEM, static_cast<WParam>(column), reinterpret_cast<LParam>(&item)) == 0) return;
    if (column >= 0 && column < columnCount) columnWidths[static_cast<std::size_t>(column)] = item.cxy;
    if (redraw == 1) InvalidateRect(list, nullptr, true);
}

void OwnerDrawListView::DrawCellText(HDC dc, const char* text, const RECT& cell) {
    char copy[kRowTextMax] = {};
    std::strncpy(copy, text != nullptr ? text : "", sizeof copy - 1);
    // The whole text is fitted, however long, within the copy's own size.
    FitTextWithEllipsis(dc, copy, sizeof copy, cell.right - cell.left);
    ExtTextOut(dc, cell.left + 2, cell.top + 1, ETO_CLIPPED | ETO_OPAQUE, &cell, copy);
}

int OwnerDrawListView::OnDrawItem(int id, DRAWITEMSTRUCT* item) {
    if (id != controlId || item == nullptr) return 0;
    if (!(item->itemAction & (ODA_DRAWENTIRE | ODA_SELECT | ODA_FOCUS))) return 1;
    const int row = static_cast<int>(item->itemID);
    char text[kRowTextMax];
    const bool selected = (item->itemState & ODS_SELECTED) != 0;
    SetTextColor(item->hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    SetBkColor(item->hDC, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    RECT cell = item->rcItem;
    for (int c = 0; c < columnCount; ++c) {
        cell.right = cell.left + columnWidths[static_cast<std::size_t>(c)];
        GetItemText(row, c, text, sizeof text);
        DrawCellText(item->hDC, text, cell);
        cell.left = cell.right;
    }
    if (selected) {
        SetTextColor(item->hDC, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(item->hDC, GetSysColor(COLOR_WINDOW));
    }
    if (item->itemState & ODS_FOCUS) DrawFocusRect(item->hDC, &item->rcItem);
    return 1;
}

int OwnerDrawListView::OnMeasureItem(int id, MEASUREITEMSTRUCT* item) {
    if (id != controlId || item == nullptr) return 0;
    HDC dc = GetDC(list);
    const HFONT font{static_cast<std::uint32_t>(SendMessage(list, WM_GETFONT, 0, 0))};
    HGDIOBJ old = SelectObject(dc, AsGdiObject(font));
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    if (tm.tmHeight > 14) {
        if (!measureFont_)
            measureFont_ = CreateFont(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FF_SWISS, "Sans Serif");
        SelectObject(dc, AsGdiObject(measureFont_));
        GetTextMetrics(dc, &tm);
    }
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    item->itemHeight = static_cast<unsigned>(tm.tmHeight + 1);
    return 1;
}

}  // namespace ui
