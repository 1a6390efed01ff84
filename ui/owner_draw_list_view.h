// A report-style list view that a dialog makes at run time and whose rows it draws itself, cell
// by cell, each cell's text shortened with "..." to fit its column; it follows the user's
// resizing of the header. The owning dialog forwards WM_NOTIFY, WM_DRAWITEM and WM_MEASUREITEM.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "win/controls.h"
#include "win/gdi.h"
#include "win/window.h"

namespace ui {

// Shortens the text in `buffer` (of `size` bytes) with "..." until it fits `width` − 4 pixels:
// 1 when it fits or was shortened, 0 (text unchanged) when not even "..." fits.
int FitTextWithEllipsis(win::HDC dc, char* buffer, int size, int width);

class OwnerDrawListView {
public:
    OwnerDrawListView(std::uint32_t style, int x, int y, int width, int height, win::HWND parent, int id,
                      int columnCount);
    ~OwnerDrawListView();
    OwnerDrawListView(const OwnerDrawListView&) = delete;
    OwnerDrawListView& operator=(const OwnerDrawListView&) = delete;

    win::HWND Create();
    // 0 for a negative index or one past the columns given at construction.
    int InsertColumn(int index, int width, int format, const char* text);
    int InsertItem(int index, const char* text, win::LParam data);
    void SetItemText(int item, int subItem, const char* text);
    void SortItems(win::PFNLVCOMPARE compare, win::LParam parameter);
    char* GetItemText(int item, int subItem, char* buffer, int size);
    win::LParam GetItemData(int item);
    int GetSelectedCount();
    int GetItemCount();
    int IsItemSelected(int item);
    int GetFocusedItem();
    void DeleteItem(int item);
    void DeleteAllItems();
    int OnNotify(int controlId, win::NMHDR* header);
    int OnDrawItem(int controlId, win::DRAWITEMSTRUCT* item);
    int OnMeasureItem(int controlId, win::MEASUREITEMSTRUCT* item);
    void UpdateColumnWidth(win::HWND header, int column, int redraw);
    void DrawCellText(win::HDC dc, const char* text, const win::RECT& cell);

    win::HWND list;
    win::HWND parent;
    std::uint32_t style;
    int x, y, width, height;
    int controlId;
    int columnCount;
    std::vector<int> columnWidths;

private:
    win::HFONT measureFont_;  // made once for tall list fonts, deleted with the list
};

}  // namespace ui
