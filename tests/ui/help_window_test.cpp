// The help window: the topic file's format with its damaged corners, the index in order, the
// window's title, text, links, scroll bar and buttons, and its place within the picture.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/resource_volume.h"
#include "support/temp_folder.h"
#include "ui/general_dialogs.h"
#include "ui/help_popup.h"
#include "ui/help_window.h"
#include "ui_test_support.h"
#include "win/compositor.h"
#include "win/gdi.h"
#include "win/window_surface.h"

namespace {

using namespace win;

TEST(HelpTopicFile, ReadsTopicsAndSkipsWhatIsNotOne) {
    ui::HelpTopicFile f;
    const int n = f.Parse(
        "; comment\n"
        "text before any topic is nobody's\n"
        "#10460 Flying Basics\r\n"
        "First line of a paragraph\n"
        "  goes on here.\n"
        "\n"
        "Second paragraph.\n"
        "index: attitude; trim ;  ; controls\n"
        "see: 10463, 99999 bad 10676\n"
        "#abc Not a number\n"
        "lost text\n"
        "#10461\n"
        "#4294967296 Too big\n"
        "#10460 A second topic with the same number\n"
        "#10463 Instruments\n"
        "Six of them.\n");
    EXPECT_EQ(n, 2);
    const ui::HelpTopic* t = f.Find(10460);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->title, "Flying Basics");
    EXPECT_EQ(t->paragraphs, (std::vector<std::string>{"First line of a paragraph goes on here.",
                                                       "Second paragraph."}));
    EXPECT_EQ(t->keywords, (std::vector<std::string>{"attitude", "trim", "controls"}));
    EXPECT_EQ(t->links, (std::vector<std::uint32_t>{10463, 99999, 10676}));
    EXPECT_EQ(f.Find(10461), nullptr);  // a number without a title is no topic
    ASSERT_NE(f.Find(10463), nullptr);
    EXPECT_EQ(f.Find(10463)->paragraphs.size(), 1u);

    // The index lists titles and index words together, without regard to case.
    std::vector<std::string> labels;
    for (const ui::HelpIndexEntry& e : f.Index())
        labels.push_back(e.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"attitude", "controls", "Flying Basics",
                                                "Instruments", "trim"}));

    EXPECT_EQ(f.Parse(""), 0);
    EXPECT_LE(f.Parse(std::string("#1 \0\xFF\n\n#", 9)), 1);
    EXPECT_EQ(f.Load("/nonexistent-zephlon/popups.hlp"), 0);
}

class HelpWindowTest : public uitest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        saved = core::theCdRoot;
        dir.MakeFolders("Corvex/help");
        core::theCdRoot = dir.Root() + "/";
    }
    void TearDown() override {
        ui::theHelpWindow.Close();
        core::theCdRoot = saved;
        DialogTest::TearDown();
    }
    void Topics(const std::string& text) { dir.Write("Corvex/help/popups.hlp", text); }
    void ClickRow(std::size_t row) {
        POINT p = ui::theHelpWindow.RowPoint(row);
        ScreenToClient(ui::theHelpWindow.Window(), &p);
        SendMessage(ui::theHelpWindow.Window(), WM_LBUTTONDOWN, 0, MAKELPARAM(p.x, p.y));
    }
    testsupport::TempFolder dir{"zephlon-helpwin"};
    std::string saved;
};

TEST_F(HelpWindowTest, ShowsATopicFollowsItsLinksAndOpensTheIndex) {
    Topics(
        "#10460 Flying Basics\nPull to climb.\nsee: 10463 10999\n#10463 Instruments\nSix of "
        "them.\n");
    ui::OpenPopupHelpTopic(ui::kHelpCommandContext, 10460);
    const HWND w = ui::theHelpWindow.Window();
    ASSERT_TRUE(w);
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_EQ(GetWindowText(w), "Zephlon Help - Flying Basics");
    const auto& rows = ui::theHelpWindow.Rows();
    ASSERT_EQ(rows.size(), 4u);  // title, text, "Related topics:", one link (10999 does not exist)
    EXPECT_EQ(rows[0].kind, ui::HelpWindow::Row::kTitle);
    EXPECT_EQ(rows[1].text, "Pull to climb.");
    EXPECT_EQ(rows[3].kind, ui::HelpWindow::Row::kLink);
    EXPECT_EQ(rows[3].text, "Instruments");

    ClickRow(3);
    EXPECT_EQ(ui::theHelpWindow.ShownTopic(), 10463u);
    EXPECT_EQ(ui::theHelpWindow.Window(), w) << "one window serves every topic";

    SendMessage(w, WM_COMMAND, 1, 0);  // Index
    EXPECT_TRUE(ui::theHelpWindow.ShowsIndex());
    ASSERT_EQ(ui::theHelpWindow.Rows().size(), 3u);
    EXPECT_EQ(ui::theHelpWindow.Rows()[1].text, "Flying Basics");
    ClickRow(2);
    EXPECT_EQ(ui::theHelpWindow.ShownTopic(), 10463u);

    ui::OpenPopupHelpTopic(ui::kHelpCommandKey, 0);
    EXPECT_TRUE(ui::theHelpWindow.ShowsIndex());
    SendMessage(w, WM_COMMAND, 2, 0);  // Close
    EXPECT_FALSE(IsWindow(w));
    EXPECT_FALSE(ui::theHelpWindow.Window());
}

TEST_F(HelpWindowTest, MissingTopicsAndFilesSayNoHelpAndLongTopicsScroll) {
    ui::OpenPopupHelpTopic(ui::kHelpCommandContext, 10460);  // no file at all
    ASSERT_EQ(ui::theHelpWindow.Rows().size(), 1u);
    EXPECT_EQ(ui::theHelpWindow.Rows()[0].text, ui::kNoHelpText);
    ui::theHelpWindow.ShowIndex();
    EXPECT_EQ(ui::theHelpWindow.Rows().back().text, "The help file has no topics.");

    std::string text = "#10701 Troubleshooting\n";
    for (int i = 0; i < 60; ++i)
        text += "A paragraph long enough to wrap onto more than one line of the help window.\n\n";
    Topics(text);
    ui::theHelpWindow.ShowTopic(10701);
    const HWND w = ui::theHelpWindow.Window();
    const HWND bar = GetDlgItem(w, 3);
    ASSERT_TRUE(bar);
    EXPECT_TRUE(IsWindowVisible(bar));
    EXPECT_GT(ui::theHelpWindow.ContentHeight(), 1000);
    SendMessage(w, WM_VSCROLL, SB_PAGEDOWN, static_cast<LParam>(bar.id));
    const int paged = ui::theHelpWindow.ScrollOffset();
    EXPECT_GT(paged, 100);
    EXPECT_EQ(SendMessage(bar, SBM_GETPOS, 0, 0), paged);
    SendMessage(w, WM_VSCROLL, SB_BOTTOM, static_cast<LParam>(bar.id));
    const int bottom = ui::theHelpWindow.ScrollOffset();
    SendMessage(w, WM_VSCROLL, SB_LINEDOWN, static_cast<LParam>(bar.id));
    EXPECT_EQ(ui::theHelpWindow.ScrollOffset(), bottom) << "the end holds";
    SendMessage(w, WM_KEYDOWN, VK_PRIOR, 0);
    EXPECT_LT(ui::theHelpWindow.ScrollOffset(), bottom);
    // A short topic afterwards starts at the top without a scroll bar.
    Topics("#10701 Troubleshooting\nShort.\n");
    ui::theHelpWindow.ShowTopic(10701);
    EXPECT_EQ(ui::theHelpWindow.ScrollOffset(), 0);
    EXPECT_FALSE(IsWindowVisible(bar));
}

// On a screen larger than the picture the window opens within the picture wherever the
// program's window stands, its Close button too, and a short topic leaves no unpainted band
// where the scroll bar is hidden.
TEST_F(HelpWindowTest, OpensWithinThePictureWhereverTheProgramStands) {
    InstallWindowDcProvider();
    Topics("#10460 Flying Basics\nPull to climb.\n");
    WNDCLASS wc;
    wc.className = "Program";
    wc.wndProc = DefWindowProc;
    RegisterClass(wc);
    SetVirtualScreenSize(1920, 1080);
    struct Case {
        int x, y;
    };
    for (const Case c : {Case{40, 60}, Case{1250, 560}, Case{640, 300}}) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        HWND display = CreateWindowEx(0, "Program", "", WS_POPUP | WS_VISIBLE, c.x, c.y, 640, 480,
                                      {}, {}, {}, 0);
        SetDisplayWindow(display);
        ui::OpenPopupHelpTopic(ui::kHelpCommandContext, 10460);
        const HWND w = ui::theHelpWindow.Window();
        ASSERT_TRUE(w);
        RECT window, close;
        GetWindowRect(w, &window);
        GetWindowRect(GetDlgItem(w, 2), &close);
        for (const RECT& r : {window, close}) {
            EXPECT_GE(r.left, c.x);
            EXPECT_GE(r.top, c.y);
            EXPECT_LE(r.right, c.x + 640);
            EXPECT_LE(r.bottom, c.y + 480);
        }
        // The strip beside the short text, where the hidden scroll bar would stand, is painted
        // in the page's colour as the text's background is, whatever the surface held before.
        WindowSurface* pixels = GetWindowSurface(w);
        ASSERT_TRUE(pixels != nullptr);
        std::fill(pixels->pixels.begin(), pixels->pixels.end(), 0x00FF00FFu);
        InvalidateRect(w, nullptr, true);
        UpdateWindow(w);
        RECT client;
        GetClientRect(w, &client);
        const auto at = [&](int x, int y) {
            return pixels->pixels[static_cast<std::size_t>(y) * pixels->width + x] & 0xFFFFFF;
        };
        EXPECT_EQ(at(client.right - 12, 40), at(12, 40));
        EXPECT_NE(at(client.right - 12, 40), 0xFF00FFu);
        ui::theHelpWindow.Close();
        DestroyWindow(display);
    }
}

}  // namespace
