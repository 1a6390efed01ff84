// Time-of-day palettes: light levels and file names, lazy loading (which files are opened and
// when), panel colours, gamma, and palettes that are missing.
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "../support/temp_folder.h"
#include "core/ini_file.h"
#include "core/resource_volume.h"
#include "display_test_support.h"
#include "gfx/tod_palette.h"

namespace {

using namespace gfx;
using displaytest::DisplayTest;

int theTestViewMode = 4;
int theTestSetting = 0;
int ViewMode() {
    return theTestViewMode;
}
int Setting(int index) {
    return index == 1 ? theTestSetting : 0;
}
int PanelName(int todIndex, std::string* out) {
    *out = "s_pnl" + std::to_string(todIndex) + ".pal";
    return 1;
}

// Records every file it is asked for, then reads it from the volume as usual.
class CountingPalette : public TimeOfDayPalette {
public:
    using TimeOfDayPalette::TimeOfDayPalette;
    std::vector<std::string> opened;

protected:
    std::unique_ptr<GFXPalette> LoadWorldPalette(const std::string& name) override {
        opened.push_back(name);
        return TimeOfDayPalette::LoadWorldPalette(name);
    }
    int OpenPanelMember(const std::string& name) override {
        opened.push_back(name);
        return TimeOfDayPalette::OpenPanelMember(name);
    }
};

class TimeOfDayTest : public DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        theTestViewMode = 4;
        theTestSetting = 0;
        theTimeOfDayServices = TimeOfDayServices{ViewMode, Setting, PanelName};
        ini = std::make_unique<core::IniFile>(folder.Path("test.ini").c_str());
        volume = std::make_unique<core::ResourceVolume>(nullptr, folder.Root().c_str(), 0);
    }
    void TearDown() override {
        theTimeOfDayServices = DefaultTimeOfDayServices();
        volume.reset();
        DisplayTest::TearDown();
    }

    // A palette file whose entries hold `shade` everywhere but a level marker at entry 200.
    void WritePalette(const std::string& name, int shade, int marker) {
        GFXPalette p;
        for (auto& e : p.entries)
            e = GFXPaletteEntry{static_cast<std::uint8_t>(shade), static_cast<std::uint8_t>(shade),
                                static_cast<std::uint8_t>(shade), 0};
        p.entries[200] = GFXPaletteEntry{static_cast<std::uint8_t>(marker), 1, 2, 0};
        ASSERT_EQ(p.Save(folder.Path(name)), 1);
    }
    void WriteText(const std::string& name, const std::string& text) {
        std::ofstream(folder.Path(name), std::ios::binary) << text;
    }
    // A text palette: three header lines, ten reserved colours, then the panel colours.
    static std::string PanelText(const std::vector<std::string>& lines) {
        std::string t = "JASC-PAL\r\n0100\r\n256\r\n";
        for (int i = 0; i < 10; ++i)
            t += "0 0 0\r\n";
        for (const auto& l : lines)
            t += l + "\r\n";
        return t;
    }
    std::unique_ptr<CountingPalette> Make() {
        return std::make_unique<CountingPalette>(ini.get(), volume.get());
    }

    testsupport::TempFolder folder{"zephlon-tod"};
    std::unique_ptr<core::IniFile> ini;
    std::unique_ptr<core::ResourceVolume> volume;
};

TEST(TimeOfDayNames, LightLevelsAndFileNames) {
    const struct {
        float daylight;
        int level;
    } levels[] = {{1.0f, 0}, {0.5f, 16}, {0.0f, 31}, {0.25f, 24}, {-3.0f, 31}, {7.0f, 0}};
    core::IniFile settings("/nonexistent-folder/none.ini");
    for (const auto& c : levels) {
        TimeOfDayPalette tod(&settings);
        tod.SetLightLevel(0.9f);
        tod.SetLightLevel(c.daylight);
        EXPECT_EQ(tod.GetLevel(), c.level) << c.daylight;
        tod.SetLightLevel(std::nanf(""));  // ignored
        EXPECT_EQ(tod.GetLevel(), c.level);
    }
    EXPECT_EQ(TimeOfDayPalette::PaletteFileName(false, true, 12), "todisb12.ppl");
    EXPECT_EQ(TimeOfDayPalette::PaletteFileName(true, false, 0), "todeub0.ppl");
}

TEST_F(TimeOfDayTest, OpensTheFileOfEachLevelOnceAndNothingWithoutAChange) {
    for (int level : {0, 16, 31})
        WritePalette("todeub" + std::to_string(level) + ".ppl", 100, level);
    auto tod = Make();
    const struct {
        float daylight;
        const char* file;
    } steps[] = {{1.0f, "todeub0.ppl"}, {0.5f, "todeub16.ppl"}, {0.0f, "todeub31.ppl"}};
    for (const auto& s : steps) {
        tod->opened.clear();
        tod->SetLightLevel(s.daylight);
        GFXPalette* p = tod->GetPalette();
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(tod->opened, std::vector<std::string>{s.file});
        tod->opened.clear();
        tod->SetLightLevel(s.daylight);
        tod->Update();
        EXPECT_TRUE(tod->opened.empty()) << s.file;
    }
    EXPECT_EQ(tod->GetPalette()->entries[200].red, 31);
}

TEST_F(TimeOfDayTest, CockpitViewsReadThePanelColoursAndOutsideViewsDoNot) {
    for (int level : {0, 16})
        for (const char* kind : {"e", "i"})
            WritePalette(std::string("tod") + kind + "ub" + std::to_string(level) + ".ppl", 90,
                         level);
    std::vector<std::string> lines(64, "10, 20 30");
    lines[1] = "11\t21,31";
    lines[2] = "12 22";  // a number missing: the entry keeps the palette file's colour
    WriteText("s_pnl0.pal", PanelText(lines));
    WriteText("s_pnl6.pal", PanelText(std::vector<std::string>(64, "40 50 60")));

    auto tod = Make();
    tod->GetPalette();
    EXPECT_EQ(tod->opened, std::vector<std::string>{"todeub0.ppl"});
    tod->opened.clear();
    tod->SetLightLevel(0.5f);
    tod->Update();
    EXPECT_EQ(tod->opened, std::vector<std::string>{"todeub16.ppl"});

    theTestViewMode = 0;
    tod->MarkDirty();
    tod->opened.clear();
    tod->SetLightLevel(1.0f);
    GFXPalette* p = tod->GetPalette();
    EXPECT_EQ(tod->opened, (std::vector<std::string>{"s_pnl0.pal", "todiub0.ppl"}));
    EXPECT_EQ(p->entries[10], (GFXPaletteEntry{10, 20, 30, kPaletteNoCollapse}));
    EXPECT_EQ(p->entries[11], (GFXPaletteEntry{11, 21, 31, kPaletteNoCollapse}));
    EXPECT_EQ(p->entries[12], (GFXPaletteEntry{90, 90, 90, kPaletteNoCollapse}));
    EXPECT_EQ(p->entries[73].red, 10);
    EXPECT_EQ(p->entries[74].red, 90);

    // Level 16 is time-of-day index 6: a later panel file whose short line keeps what the
    // earlier one gave.
    tod->opened.clear();
    tod->SetLightLevel(0.5f);
    p = tod->GetPalette();
    EXPECT_EQ(tod->opened, (std::vector<std::string>{"s_pnl6.pal", "todiub16.ppl"}));
    EXPECT_EQ(p->entries[12].red, 40);
}

TEST_F(TimeOfDayTest, GammaThirtyKeepsTheFileAndGammaIsClampedAndStored) {
    WritePalette("todeub0.ppl", 64, 0);
    auto tod = Make();
    EXPECT_EQ(tod->GetGamma(), 30);
    GFXPalette* p = tod->GetPalette();
    for (int i = 10; i <= 245; ++i)
        if (i != 200) {
            EXPECT_EQ(p->entries[i].red, 64) << i;
        }

    const struct { int asked, stored; } gammas[] = {{150, 100}, {-5, 0}, {45, 45}};
    for (const auto& g : gammas) {
        tod->SetGamma(g.asked);
        EXPECT_EQ(tod->GetGamma(), g.stored);
        EXPECT_EQ(ini->GetInt("Settings", "GammaLevel", -1), g.stored);
    }
    TimeOfDayPalette reread(ini.get(), volume.get());
    EXPECT_EQ(reread.GetGamma(), 45);
}

TEST_F(TimeOfDayTest, GammaAdaptsToTheBrightnessOfThePalette) {
    const struct {
        int gamma;
        int shade;
        bool exterior;
        int expectWorld;  // entries 74..245
        int expectPanel;  // entries 10..73
    } cases[] = {
        // Mid-grey (a = 0.5) does not move whatever the gamma.
        {100, 127, true, 127, 127},
        // Black stays black.
        {100, 0, true, 0, 0},
        // A dark palette brightens with g = 2.5: f = 1 + 1.5 × (1 − 2 × 51/255) = 1.9.
        {100, 51, true, 96, 96},
        // Indoors the panel entries move a quarter as far: 1 + 0.9 × 0.25 = 1.225.
        {100, 51, false, 96, 62},
        // g = (1 + 0/30) × 0.5 at gamma 0 darkens a dark palette: f = 1 − 0.5 × 0.6 = 0.7.
        {0, 51, true, 35, 35},
        // A bright palette moves against g: a = 204/255, f = 1 + 1.5 × (1 − 1.6) = 0.1.
        {100, 204, true, 20, 20},
    };
    for (const auto& c : cases) {
        GFXPalette p;
        for (auto& e : p.entries)
            e = GFXPaletteEntry{static_cast<std::uint8_t>(c.shade),
                                static_cast<std::uint8_t>(c.shade),
                                static_cast<std::uint8_t>(c.shade), 0};
        TimeOfDayPalette::ApplyGamma(&p, c.gamma, c.exterior);
        EXPECT_EQ(p.entries[100].green, c.expectWorld) << c.gamma << " " << c.shade;
        EXPECT_EQ(p.entries[20].green, c.expectPanel) << c.gamma << " " << c.shade;
        EXPECT_EQ(p.entries[255], (GFXPaletteEntry{255, 255, 255, 0}));  // reserved stay
    }
}

TEST_F(TimeOfDayTest, MissingOrBadFileKeepsThePreviousPalette) {
    WritePalette("todeub0.ppl", 80, 0);
    WriteText("todeub16.ppl", "PPAL but not really");
    auto tod = Make();
    GFXPalette* first = tod->GetPalette();
    ASSERT_NE(first, nullptr);
    tod->SetLightLevel(0.5f);  // a bad file
    EXPECT_EQ(tod->GetPalette(), first);
    EXPECT_EQ(first->entries[200].red, 0);
    tod->SetGamma(100);  // rebuilt from the last good file's colours, not compounded
    tod->Update();
    const int once = tod->GetPalette()->entries[100].red;
    tod->SetGamma(100);
    tod->Update();
    EXPECT_EQ(tod->GetPalette()->entries[100].red, once);
    EXPECT_GT(once, 80);
}

TEST_F(TimeOfDayTest, NoFileAtAllGivesNoPalette) {
    auto tod = Make();
    EXPECT_EQ(tod->GetPalette(), nullptr);
    tod->opened.clear();
    tod->Update();
    EXPECT_TRUE(tod->opened.empty());  // no retry every frame
}

TEST_F(TimeOfDayTest, ThePaletteReachesTheDisplayAtTheNextPresent) {
    WritePalette("todeub0.ppl", 120, 0);
    ASSERT_EQ(SetDisplayMode(kDisplayWindow, 1), 1);
    auto tod = Make();
    GFXPalette* p = tod->GetPalette();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(theWindowSurface->palette, p);
    EXPECT_TRUE(theWindowSurface->IsPalettePending());
    displaytest::DrawDiagonals(*theWindowSurface);
    theWindowSurface->Present(nullptr);
    EXPECT_EQ(WindowColour(100, 0), 0x787878u);

    ASSERT_EQ(SetDisplayMode(kDisplayBordered, 1), 1);
    tod->MarkReapply();
    p = tod->GetPalette();
    EXPECT_EQ(theBorderSurface->palette, p);
    EXPECT_EQ(theBorderView->palette, p);  // the drawing side reads the same tables
}

}  // namespace
