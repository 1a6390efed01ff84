// The airports wizard as the user reads it in the running program: on the airport page the
// frequencies stand under the field's figures as one list, three to a row in their order; in the
// runway list each row shows its cells (number and side, length, "X", width, ILS) apart, as many
// as the row's text has, and the columns line up from row to row.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script_run.h"

namespace {

using testsupport::ScreenRgb;
constexpr auto Pixel = testsupport::ScreenshotPixel;

bool Highlight(ScreenRgb c) {
    return c.b > 100 && c.r < 60 && c.g < 60;
}

struct Span {
    int left, right;  // inclusive
};

// The cells of one row: runs of ink with at least `gap` blank columns between them (or, across,
// the rows of text: runs of ink with `gap` blank rows between them).
std::vector<Span> Cells(const std::string& bmp, Span xs, Span ys, bool (*ink)(ScreenRgb), int gap,
                        bool across = false) {
    std::vector<Span> cells;
    int blank = gap;
    const Span along = across ? ys : xs, other = across ? xs : ys;
    for (int x = along.left; x <= along.right; ++x) {
        bool any = false;
        for (int y = other.left; y <= other.right && !any; ++y)
            any = ink(across ? Pixel(bmp, y, x) : Pixel(bmp, x, y));
        if (!any) {
            ++blank;
            continue;
        }
        if (blank >= gap) cells.push_back(Span{x, x});
        cells.back().right = x;
        blank = 0;
    }
    return cells;
}

// The rows' texts as the runner read them from list 1059.
std::vector<std::string> Rows(const std::string& out) {
    std::vector<std::string> rows;
    for (std::size_t at = 0;;) {
        const std::string mark = "read 1059 row " + std::to_string(rows.size()) + ": \"";
        at = out.find(mark, at);
        if (at == std::string::npos) return rows;
        at += mark.size();
        rows.push_back(out.substr(at, out.find('"', at) - at));
    }
}

class RunwayList : public navtest::ScriptRun {};

TEST_F(RunwayList, AnAirportsFrequenciesStandInRowsOfThreeUnderItsFigures) {
    const testsupport::CommandResult r = Play("airports_runway_list.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    // The services each field has in the public data (frequency.csv, Unicom aside), each a
    // frequency the page lists.
    const int items[] = {1, 4, 6};  // KHAF, KSQL, KOAK
    auto dark = +[](ScreenRgb c) { return c.r < 100 && c.g < 100 && c.b < 100; };
    for (std::size_t i = 0; i < std::size(items); ++i) {
        SCOPED_TRACE(items[i]);
        const std::string bmp = dir.Read("airport-" + std::to_string(i) + ".bmp");
        // The caption gives the dialog's sides and top; under it, at the page's left (left of its
        // buttons), the rows of ink are the search, the list and the frequencies' rows.
        int top = -1, left = -1, right = -1;
        for (int y = 0; y < 480; ++y) {
            int n = 0, first = -1, last = -1;
            for (int x = 0; x < 640; ++x)
                if (const ScreenRgb c = Pixel(bmp, x, y); c.b > 140 && c.r < 110 && c.g < 150)
                    ++n, last = x, first = first < 0 ? x : first;
            if (n > 320) top = y, left = first, right = last;
        }
        const std::vector<Span> rows =
            Cells(bmp, Span{left + 6, left + 88}, Span{top + 2, top + 280}, dark, 1, true);
        const int wanted = items[i] > 3 ? 2 : 1;
        ASSERT_GE(rows.size(), 2u + wanted);
        const std::size_t from = rows.size() - wanted;
        // The second row under the first at the text's own spacing, as the first holds three.
        EXPECT_LE(wanted == 2 ? rows[from + 1].left - rows[from].left : 0, 16);
        for (int k = 0; k < wanted; ++k)
            EXPECT_EQ(static_cast<int>(
                          Cells(bmp, Span{left + 6, right - 6}, rows[from + k], dark, 12).size()),
                      k == 0 ? std::min(items[i], 3) : items[i] - 3)
                << "row " << k;
    }
}

TEST_F(RunwayList, EachCellOfARunwayRowStandsApartInItsColumn) {
    const testsupport::CommandResult r = Play("airports_runway_list.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    const std::vector<std::string> rows = Rows(r.out);
    ASSERT_EQ(rows.size(), 8u) << r.out;
    const std::string bmp = dir.Read("runways.bmp");
    ASSERT_GT(bmp.size(), 54u);

    // The first row is selected: its highlight, narrower than the dialog's caption, gives the
    // rows' left, right, top and height.
    int top = -1, bottom = -1, left = 640, right = -1;
    for (int y = 0; y < 480; ++y) {
        int n = 0, l = 640, rr = -1;
        for (int x = 0; x < 640; ++x)
            if (Highlight(Pixel(bmp, x, y))) {
                ++n;
                l = std::min(l, x);
                rr = std::max(rr, x);
            }
        if (n < 100 || n > 320) continue;  // the focus mark dots its edges
        if (top < 0) top = y;
        bottom = y;
        left = l;
        right = rr;
    }
    ASSERT_GE(top, 0) << "no selected row";
    const int height = bottom - top + 1;
    ASSERT_GE(height, 10);

    std::vector<std::vector<Span>> cells;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int y = top + static_cast<int>(i) * height;
        auto* ink = i == 0 ? +[](ScreenRgb c) { return c.r > 200 && c.g > 200 && c.b > 200; }
                           : +[](ScreenRgb c) { return c.r < 100 && c.g < 100 && c.b < 100; };
        // Inside the focus mark of the selected row.
        cells.push_back(Cells(bmp, Span{left + 2, right - 2}, Span{y + 2, y + height - 3}, ink, 6));
        std::size_t tabs = 0;
        for (char c : rows[i]) tabs += c == '\t' ? 1 : 0;
        EXPECT_EQ(cells.back().size(), tabs + 1) << "row " << i << ": " << rows[i];
    }
    // Every length here has four digits: the length, "X", width and ILS columns line up (to
    // the side bearings of their first digits).
    for (std::size_t i = 1; i < rows.size(); ++i)
        for (std::size_t c = 1; c < cells[i].size() && c < cells[0].size(); ++c)
            EXPECT_NEAR(cells[i][c].left, cells[0][c].left, 2) << "row " << i << " column " << c;
}

}  // namespace
