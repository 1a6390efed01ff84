// The main window's placement rules and the settings it reads at creation.
#include <gtest/gtest.h>

#include "core/ini_file.h"
#include "sim/input/key_commands.h"
#include "sim/main_window.h"
#include "sim/main_window_services.h"
#include "sim/startup.h"
#include "support/temp_folder.h"
#include "world/artifacts.h"

namespace {

TEST(SpineWindow, StoredPlacementIsPulledOnScreenOrCentred) {
    struct Case {
        int screenW, screenH;
        int x, y;
        int wantX, wantY;
    };
    sim::ScreenMetrics base;  // frame 4, caption 18, menu 18
    for (const Case c : {
             Case{800, 600, 80, 200, 80, (36 + 600 - 480) / 2},  // 200 + 480 > 600: centred
             Case{800, 600, 80, 100, 80, 100},                   // fits: stays
             Case{640, 480, 5000, 10, 4 + 640 - 32, 10},         // small screen: 32 px stay
             Case{1024, 768, 5000, 10, 192, (36 + 768 - 480) / 2},
             Case{640, 480, -5000, -50, 32 - 640, 0},
         }) {
        sim::ScreenMetrics s = base;
        s.width = c.screenW;
        s.height = c.screenH;
        const sim::Placement p = sim::ClampStoredPlacement(sim::Placement{c.x, c.y, 800, 9}, s);
        EXPECT_EQ(p.x, c.wantX) << c.x << "," << c.y << " on " << c.screenW;
        EXPECT_EQ(p.y, c.wantY) << c.x << "," << c.y << " on " << c.screenW;
        EXPECT_EQ(p.width, 640);  // MainW = 800 still gives 640×480
        EXPECT_EQ(p.height, 480);
    }
}

TEST(SpineWindow, WindowRectangleAroundTheClient) {
    sim::ScreenMetrics s;
    s.width = 1024;
    s.height = 768;
    const win::RECT r = sim::MainWindowRect(sim::Placement{103, 50, 640, 480}, s, false);
    EXPECT_EQ(r.left, 100 - 4);  // x truncated to a multiple of 4
    EXPECT_EQ(r.top, 50 - 36 - 4);
    EXPECT_EQ(r.right - r.left, 648);
    EXPECT_EQ(r.bottom - r.top, 480 + 8 + 36);
    // On a 640×480 screen the client fills it and caption and menu lie above.
    s.width = 640;
    s.height = 480;
    const win::RECT f = sim::MainWindowRect(sim::Placement{200, 200, 640, 480}, s, false);
    EXPECT_EQ(f.left, -4);
    EXPECT_EQ(f.top, -40);
}

TEST(SpineWindow, PoolSizesIgnoreMissingNegativeAndAbsurdValues) {
    testsupport::TempFolder dir;
    const core::IniFile saved = core::theIniFile;
    core::theIniFile = core::IniFile(dir.Path("zephlon.ini").c_str());
    dir.Write("zephlon.ini",
              "[MemControl]\nNumBmp=400\nNumSheet=-3\nNumArt=junk\n"
              "NumTSMesh=99999999999\nNumTSShape=0\n");
    const sim::PoolSizes p = sim::ReadPoolSizes();
    EXPECT_EQ(p.bitmaps, 400);
    EXPECT_EQ(p.sheets, 0);
    EXPECT_EQ(p.artifacts, 0);
    EXPECT_EQ(p.meshes, 0);
    EXPECT_EQ(p.shapes, 0);
    EXPECT_EQ(p.mapDefs, 0);
    core::theIniFile = saved;
}

TEST(SpineWindow, TheScenerysPoolsTakeTheirSizesFromTheSettings) {
    testsupport::TempFolder dir;
    const core::IniFile saved = core::theIniFile;
    core::theIniFile = core::IniFile(dir.Path("zephlon.ini").c_str());
    dir.Write("zephlon.ini", "[MemControl]\nNumArt=3100\nNumArtAnim=450\n");
    sim::ApplyPoolSizes(sim::ReadPoolSizes());
    EXPECT_EQ(world::Artifact::PoolCapacity(), 3100);
    EXPECT_EQ(world::ArtifactAnim::PoolCapacity(), 450);
    // A size the settings leave out keeps the pool as it was.
    dir.Write("zephlon.ini", "[MemControl]\nNumArt=-5\n");
    sim::ApplyPoolSizes(sim::ReadPoolSizes());
    EXPECT_EQ(world::Artifact::PoolCapacity(), 3100);
    EXPECT_EQ(world::ArtifactAnim::PoolCapacity(), 450);
    core::theIniFile = saved;
}

TEST(SpineWindow, ModelessListKeepsEachHandleOnce) {
    sim::MainWindow w;
    w.AddModelessDialog(win::HWND{5});
    w.AddModelessDialog(win::HWND{6});
    w.AddModelessDialog(win::HWND{5});
    w.AddModelessDialog(win::HWND{7});
    EXPECT_EQ(w.modeless.size(), 3u);
    w.RemoveModelessDialog(win::HWND{5});
    EXPECT_EQ(w.modeless, (std::vector<win::HWND>{win::HWND{7}, win::HWND{6}}));
    w.RemoveModelessDialog(win::HWND{99});
    EXPECT_EQ(w.modeless.size(), 2u);
}

}  // namespace

TEST(SpineWindow, ActivationReloadsTheKeyboardBindings) {
    testsupport::TempFolder dir;
    const core::IniFile saved = core::theIniFile;
    core::theIniFile = core::IniFile(dir.Path("zephlon.ini").c_str());
    // The window services as a start leaves them, whatever an earlier close in this process did.
    sim::LoadWindowPlacement(win::HWND{});
    sim::RegisterKeyCommandTables();
    sim::theKeyboardBindings.LoadKeyBindings(dir.Path("zephlon.ini").c_str(), "Keyboard");
    EXPECT_EQ(sim::theKeyboardBindings.GetCommandCount(0x71), 0);

    // Edited while the program was in the background: the next activation reads it.
    dir.Write("zephlon.ini", "[Keyboard]\r\nF2=ThrottleUp, ThrottleDown\r\n");
    sim::OnMainActivateApp(win::HWND{}, true, 0);
    EXPECT_EQ(sim::theKeyboardBindings.GetCommandCount(0x71), 2);

    sim::OnMainActivateApp(win::HWND{}, false, 0);
    core::theIniFile = saved;
}
