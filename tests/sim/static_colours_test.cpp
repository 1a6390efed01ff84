// The dialogs' palette follows the reserved colours of the palette the view shows: after a
// display change (or any copy) entries 0-9 and 246-255 are the view's, the rest stay the
// dialogs' own.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "../gfx/display_test_support.h"
#include "sim/main_window_services.h"
#include "ui/owner_draw_library.h"

namespace {

class StaticColoursTest : public displaytest::DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        ASSERT_EQ(gfx::SetDisplayMode(gfx::kDisplayWindow, 1), 1);
        ui::wplSetPaletteMode(0);
    }
    void TearDown() override {
        ui::wplReleasePalette();
        DisplayTest::TearDown();
    }
};

bool Reserved(int i) {
    return i < 10 || i > 245;
}

TEST_F(StaticColoursTest, TheViewsReservedColoursReachTheDialogPalette) {
    struct Case {
        std::string name;
        std::function<void()> trigger;
    };
    const Case cases[] = {
        {"copy", [] { sim::CopyStaticColours(); }},
        {"display change", [] { sim::OnMainDisplayChange(win::HWND{}); }},
    };
    int seed = 3;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<gfx::GFXPalette> view = displaytest::DistinctPalette(seed++);
        gfx::GetDisplaySurface()->SetPaletteDeferred(view.get(), 0, 256);
        std::array<win::COLORREF, 256> before{};
        ui::wplGetPaletteEntries(0, 256, before.data());
        c.trigger();
        EXPECT_TRUE(sim::StaticColoursCopied());
        win::PALETTEENTRY held[256];
        ASSERT_EQ(win::GetPaletteEntries(ui::wplGetPalette(), 0, 256, held), 256u);
        for (int i = 0; i < 256; ++i) {
            const gfx::GFXPaletteEntry& v = view->entries[i];
            const win::COLORREF wanted =
                Reserved(i) ? win::RGB(v.red, v.green, v.blue) : before[static_cast<std::size_t>(i)];
            ASSERT_EQ(ui::wplGetPaletteEntry(i), wanted) << "entry " << i;
            ASSERT_EQ(win::RGB(held[i].peRed, held[i].peGreen, held[i].peBlue), wanted)
                << "entry " << i;
        }
    }
}

}  // namespace
