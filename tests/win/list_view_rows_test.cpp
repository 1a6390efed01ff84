// A report list's rows as a dialog fills and reads them: every cell of a row stays with its row
// through inserts, new columns and sorting; equal keys keep their order; cells never set read
// back empty.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win/controls.h"
#include "win_test_support.h"

namespace {

using namespace win;

class ListViewRows : public wintest::HeadlessTest {
protected:
    HWND MakeList(int columns) {
        HWND list = CreateWindowEx(0, WC_LISTVIEW, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0,
                                   300, 160, MakeWindow(), HMENU{9}, {}, 0);
        for (int c = 0; c < columns; ++c) {
            LVCOLUMN col;
            col.cx = 60;
            col.text = "C" + std::to_string(c);
            SendMessage(list, LVM_INSERTCOLUMN, static_cast<WParam>(c),
                        reinterpret_cast<LParam>(&col));
        }
        return list;
    }
    static void Insert(HWND list, int at, const std::string& text, LParam param,
                       std::uint32_t state = 0) {
        LVITEM it;
        it.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
        it.iItem = at;
        it.text = text;
        it.lParam = param;
        it.state = it.stateMask = state;
        SendMessage(list, LVM_INSERTITEM, 0, reinterpret_cast<LParam>(&it));
    }
    static void SetCell(HWND list, int row, int cell, const std::string& text) {
        LVITEM it;
        it.iSubItem = cell;
        it.text = text;
        SendMessage(list, LVM_SETITEMTEXT, static_cast<WParam>(row), reinterpret_cast<LParam>(&it));
    }
    // Each row's cells 0 .. cells - 1 joined by '|', with its value and state.
    static std::vector<std::string> Rows(HWND list, int cells) {
        std::vector<std::string> rows;
        const int n = static_cast<int>(SendMessage(list, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            std::string row;
            for (int k = 0; k < cells; ++k) {
                LVITEM it;
                it.iSubItem = k;
                SendMessage(list, LVM_GETITEMTEXT, static_cast<WParam>(i),
                            reinterpret_cast<LParam>(&it));
                row += (k > 0 ? "|" : "") + it.text;
            }
            LVITEM it;
            it.mask = LVIF_PARAM | LVIF_STATE;
            it.iItem = i;
            it.stateMask = ~0u;
            SendMessage(list, LVM_GETITEM, 0, reinterpret_cast<LParam>(&it));
            rows.push_back(row + " =" + std::to_string(it.lParam) +
                           (it.state & LVIS_SELECTED ? " sel" : ""));
        }
        return rows;
    }
};

int ByValue(LParam a, LParam b, LParam) {
    return a < b ? -1 : a > b ? 1 : 0;
}
int ByValueDescending(LParam a, LParam b, LParam) {
    return ByValue(b, a, 0);
}

TEST_F(ListViewRows, SortingMovesWholeRowsAndKeepsEqualKeysInOrder) {
    struct Case {
        const char* name;
        int columns;
        PFNLVCOMPARE compare;
        std::vector<std::string> want;
    };
    const std::vector<Case> cases = {
        {"one column", 1, ByValue, {"b =1", "d =1 sel", "a =2", "e =2", "c =3"}},
        {"three columns",
         3,
         ByValue,
         {"b|b1|b2 =1", "d|d1|d2 =1 sel", "a|a1|a2 =2", "e|e1|e2 =2", "c|c1|c2 =3"}},
        {"descending",
         3,
         ByValueDescending,
         {"c|c1|c2 =3", "a|a1|a2 =2", "e|e1|e2 =2", "b|b1|b2 =1", "d|d1|d2 =1 sel"}},
    };
    for (const Case& c : cases) {
        HWND list = MakeList(c.columns);
        const std::vector<std::pair<std::string, LParam>> rows = {
            {"a", 2}, {"b", 1}, {"c", 3}, {"d", 1}, {"e", 2}};
        for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
            Insert(list, i, rows[i].first, rows[i].second,
                   rows[i].first == "d" ? LVIS_SELECTED : 0);
            for (int k = 1; k < c.columns; ++k)
                SetCell(list, i, k, rows[i].first + std::to_string(k));
        }
        ASSERT_EQ(SendMessage(list, LVM_SORTITEMS, 0, reinterpret_cast<LParam>(c.compare)), 1);
        EXPECT_EQ(Rows(list, c.columns), c.want) << c.name;
        DestroyWindow(list);
    }
}

TEST_F(ListViewRows, NewColumnsAndCellsShiftOrGrowTheRow) {
    struct Case {
        const char* name;
        int insertColumnAt;  // -1: none
        int setCell;         // -1: none; else this cell of row 0 is set to "x"
        std::vector<std::string> want;
    };
    const std::vector<Case> cases = {
        {"as filled", -1, -1, {"a|a1| =0", "b|b1| =1", "c|c1| =2"}},
        {"a column in front", 0, -1, {"|a|a1 =0", "|b|b1 =1", "|c|c1 =2"}},
        {"a column between", 1, -1, {"a||a1 =0", "b||b1 =1", "c||c1 =2"}},
        {"a cell past the columns", -1, 4, {"a|a1|||x =0", "b|b1| =1", "c|c1| =2"}},
        {"the first cell again", -1, 0, {"x|a1| =0", "b|b1| =1", "c|c1| =2"}},
    };
    for (const Case& c : cases) {
        HWND list = MakeList(2);
        // Inserted out of order: the middle row last.
        Insert(list, 0, "a", 0);
        Insert(list, 1, "c", 2);
        Insert(list, 1, "b", 1);
        for (int i = 0; i < 3; ++i)
            SetCell(list, i, 1, std::string(1, static_cast<char>('a' + i)) + "1");
        if (c.insertColumnAt >= 0) {
            LVCOLUMN col;
            col.cx = 40;
            SendMessage(list, LVM_INSERTCOLUMN, static_cast<WParam>(c.insertColumnAt),
                        reinterpret_cast<LParam>(&col));
        }
        if (c.setCell >= 0) SetCell(list, 0, c.setCell, "x");
        std::vector<std::string> got = Rows(list, 3);
        if (c.setCell == 4) got[0] = Rows(list, 5)[0];
        EXPECT_EQ(got, c.want) << c.name;
        DestroyWindow(list);
    }
}

}  // namespace
