// The program's palette against the emulated 256-colour system palette: reserved colours,
// no-collapse flags, nudged duplicates, installation and release, the saved system palette.
#include <gtest/gtest.h>

#include "gfx/palette.h"
#include "gfx/system_palette.h"
#include "win/gdi.h"

namespace {

using namespace gfx;

class SystemPaletteTest : public ::testing::Test {
protected:
    void SetUp() override {
        win::ResetSystemPalette();
        ResetSystemPaletteState();
    }
    void TearDown() override { ResetSystemPaletteState(); }

    static std::unique_ptr<GFXPalette> Grey() {
        auto p = std::make_unique<GFXPalette>();
        for (int i = 0; i < 256; ++i)
            p->entries[i] = GFXPaletteEntry{static_cast<std::uint8_t>(i / 2),
                                            static_cast<std::uint8_t>(i / 2), 77, 0};
        return p;
    }
    static win::PALETTEENTRY System(int i) {
        win::PALETTEENTRY e;
        win::GetSystemPaletteEntries(win::HDC{}, static_cast<unsigned>(i), 1, &e);
        return e;
    }
};

TEST_F(SystemPaletteTest, DuplicatesOfTheTopReservedColoursAreNudged) {
    const struct {
        int index;
        GFXPaletteEntry in, out;
    } cases[] = {
        {100, {255, 255, 255, 0}, {254, 255, 255, kPaletteNoCollapse}},  // white
        {50, {0, 0, 0, 0}, {0, 0, 0, kPaletteNoCollapse}},  // black is entry 0, not nudged
        {120, {255, 0, 255, 0}, {254, 0, 255, kPaletteNoCollapse}},
        {121, {0, 0, 255, 0}, {0, 0, 254, kPaletteNoCollapse}},
        {122, {0, 255, 0, 0}, {0, 254, 0, kPaletteNoCollapse}},
        {123, {160, 160, 164, 0}, {159, 160, 164, kPaletteNoCollapse}},
        {124, {12, 34, 56, 9}, {12, 34, 56, kPaletteNoCollapse}},  // flags replaced
    };
    auto p = Grey();
    for (const auto& c : cases)
        p->entries[c.index] = c.in;
    FixStaticColours(p.get());
    for (const auto& c : cases)
        EXPECT_EQ(p->entries[c.index], c.out) << c.index;
}

TEST_F(SystemPaletteTest, ReservedEntriesAreTheSystemsWhateverThePaletteHeld) {
    auto p = Grey();
    FixStaticColours(p.get());
    for (int i : {0, 1, 7, 8, 9, 246, 247, 250, 255}) {
        const win::PALETTEENTRY s = System(i);
        EXPECT_EQ(p->entries[i], (GFXPaletteEntry{s.peRed, s.peGreen, s.peBlue, 0})) << i;
    }
    EXPECT_EQ(p->entries[7], (GFXPaletteEntry{192, 192, 192, 0}));
    EXPECT_EQ(p->entries[247], (GFXPaletteEntry{160, 160, 164, 0}));
    EXPECT_EQ(p->entries[255], (GFXPaletteEntry{255, 255, 255, 0}));
    FixStaticColours(nullptr);  // nothing to do, no crash
}

TEST_F(SystemPaletteTest, UpdateBeforeAnyInstallationInstallsNothing) {
    auto p = Grey();
    UpdateProgramPalette(win::HDC{}, 0, 256, p.get());
    EXPECT_FALSE(theProgramPaletteHandle);
    EXPECT_EQ(theSystemPaletteState.keptPalette, nullptr);
}

TEST_F(SystemPaletteTest, SelectionMakesOnePaletteAndUpdatesGoThroughTheKeptCopy) {
    const win::HDC dc = win::CreateCompatibleDC(win::HDC{});
    auto p = Grey();
    SelectProgramPalette(dc, p.get());
    const win::HPALETTE made = theProgramPaletteHandle;
    ASSERT_TRUE(made);
    ASSERT_NE(theSystemPaletteState.keptPalette, nullptr);
    EXPECT_EQ(System(100).peRed, 50);  // realized: the logical palette owns 10..245

    auto q = Grey();
    q->entries[100] = GFXPaletteEntry{1, 2, 3, 0};
    q->entries[101] = GFXPaletteEntry{4, 5, 6, 0};
    UpdateProgramPalette(dc, 100, 1, q.get());
    EXPECT_EQ(theProgramPaletteHandle, made);  // the same palette object, new entries
    EXPECT_EQ(System(100).peBlue, 3);
    EXPECT_EQ(System(101).peRed, 50);  // outside the range: unchanged

    ReleaseProgramPalette(dc);
    EXPECT_FALSE(theProgramPaletteHandle);
    EXPECT_FALSE(theSystemPaletteState.previousPalette);
    win::DeleteDC(dc);
}

TEST_F(SystemPaletteTest, PartialUpdateAfterAWholeChangeKeepsTheNewerColours) {
    const win::HDC dc = win::CreateCompatibleDC(win::HDC{});
    auto a = Grey();
    SelectProgramPalette(dc, a.get());
    auto b = Grey();
    b->entries[150] = GFXPaletteEntry{9, 8, 7, 0};
    SelectProgramPalette(dc, b.get());
    auto c = Grey();
    c->entries[20] = GFXPaletteEntry{1, 1, 1, 0};
    UpdateProgramPalette(dc, 20, 1, c.get());
    EXPECT_EQ(System(20).peRed, 1);
    EXPECT_EQ(System(150).peRed, 9);  // b's colour, not a's
    ReleaseProgramPalette(dc);
    win::DeleteDC(dc);
}

TEST_F(SystemPaletteTest, SavedSystemPaletteHoldsTheReservedColours) {
    SaveSystemPalette();
    ASSERT_EQ(theSystemPaletteState.saved, 1);
    const win::PALETTEENTRY* saved = GetSavedSystemEntries();
    for (int i : {1, 7, 9, 246, 255})
        EXPECT_EQ(saved[i], System(i)) << i;
    ForgetSystemPalette();
    EXPECT_EQ(theSystemPaletteState.saved, 0);
}

}  // namespace
