// Context help: the index is checked before it is trusted, the controls' keys and the remap
// table find their texts, and the popup pauses the simulation, sits where it must, wraps long
// texts, opens a linked topic, and keeps its closing click from the window beneath.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <random>
#include <set>
#include <string>

#include "core/resource_volume.h"
#include "support/temp_folder.h"
#include "ui/help_popup.h"
#include "ui/help_window.h"
#include "ui/option_dialogs.h"
#include "ui_test_support.h"
#include "win/input.h"
#include "win/program_entry.h"

namespace {

using namespace win;
using ui::HelpIndexRow;

std::string Bytes(const std::vector<HelpIndexRow>& rows) {
    const std::vector<std::uint8_t> b = ui::WriteHelpIndex(rows);
    return std::string(b.begin(), b.end());
}

void PutU32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s[at + i] = static_cast<char>(v >> (8 * i));
}

// What the popup asked of the program around it.
struct HostLog {
    int paused = 0;
    int frozen = 0;
    int maxPaused = 0;
    int suppressed = 0;
};
HostLog theHost;

class HelpPopupTest : public uitest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        win::FreeResourceLibrary(uitest::theTestLibrary);
        uitest::theTestLibrary = uitest::LoadDialogTemplates(false, {"option_dialogs.rc"});
        savedHost = ui::theHelpPopupHost;
        theHost = HostLog{};
        ui::theHelpPopupHost = ui::HelpPopupHost{};
        ui::theHelpPopupHost.pauseTime = [](int pause) {
            theHost.paused += pause ? 1 : -1;
            theHost.maxPaused = std::max(theHost.maxPaused, theHost.paused);
        };
        ui::theHelpPopupHost.freezeView = [](int enter) { theHost.frozen += enter ? 1 : -1; };
        ui::theHelpPopupHost.suppressLeftUp = [] { ++theHost.suppressed; };
        ui::theHelpPopup.Release();
        savedRoot = core::theCdRoot;
    }
    void TearDown() override {
        ui::theHelpWindow.Close();
        ui::theHelpPopup.Release();
        ui::theHelpPopupHost = savedHost;
        core::theCdRoot = savedRoot;
        DialogTest::TearDown();
    }
    // A key press or a click to close the open popup.
    void PressKey() {
        platform::Event e;
        e.kind = platform::EventKind::KeyDown;
        e.scancode = platform::Scancode::Space;
        machine.Input().Inject(e);
    }
    void ClickAt(POINT screen, bool down = true, bool up = true) {
        const POINT o = OutputOrigin();
        for (const bool d : {true, false}) {
            if ((d && !down) || (!d && !up)) continue;
            platform::Event e;
            e.kind = d ? platform::EventKind::MouseDown : platform::EventKind::MouseUp;
            e.button = platform::MouseButton::Left;
            e.x = screen.x - o.x;
            e.y = screen.y - o.y;
            machine.Input().Inject(e);
        }
    }

    ui::HelpPopupHost savedHost;
    std::string savedRoot;
};

TEST(HelpIndex, IsCheckedBeforeItIsTrusted) {
    const std::string good = Bytes({{5, "five"}, {7, "seven", 10460}});
    std::string pastFile = good;
    PutU32(pastFile, 0, 1000);
    std::string hugeCount = good;
    PutU32(hugeCount, 0, 0xFFFFFFFFu);
    std::string offsetOutside = good;
    PutU32(offsetOutside, 8, static_cast<std::uint32_t>(good.size()));
    std::string noTerminator = good.substr(0, good.size() - 1);
    struct Case {
        const char* what;
        std::string bytes;
        bool usable;
        const char* seven;
    };
    const Case cases[] = {
        {"well formed", good, true, "seven"},
        {"empty file", "", false, ui::kNoHelpText},
        {"count only", Bytes({}), true, ui::kNoHelpText},
        {"truncated in the row table", good.substr(0, 20), false, ui::kNoHelpText},
        {"count past the file", pastFile, false, ui::kNoHelpText},
        {"count that overflows 32 bits", hugeCount, false, ui::kNoHelpText},
        {"offset at the end of the file", offsetOutside, false, ui::kNoHelpText},
        // The zero bytes kept after the copy end the last text inside the buffer.
        {"last text without its terminator", noTerminator, true, "seven"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui::HelpPopup popup;
        EXPECT_EQ(popup.LoadIndexBytes(c.bytes), c.usable ? 1 : 0);
        std::int32_t topic = 0;
        EXPECT_EQ(popup.FindText(7, &topic), c.seven);
        EXPECT_EQ(topic, c.seven == std::string_view("seven") ? 10460 : ui::kNoTopic);
        EXPECT_EQ(popup.FindText(6, &topic), ui::kNoHelpText);
        EXPECT_EQ(topic, ui::kNoTopic);
    }
}

TEST(HelpIndex, DamagedCopiesNeverReadOutsideTheirBytes) {
    const std::string good = Bytes({{1, "one"}, {2, "two", 3}, {3, std::string(300, 'x')}});
    std::mt19937 random(28);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes = good.substr(0, random() % (good.size() + 1));
        for (int flips = random() % 6; flips > 0 && !bytes.empty(); --flips)
            bytes[random() % bytes.size()] = static_cast<char>(random());
        ui::HelpPopup popup;
        popup.LoadIndexBytes(bytes);
        for (std::uint32_t id = 0; id < 4; ++id) {
            const std::string_view text = popup.FindText(id, nullptr);
            if (text != ui::kNoHelpText) {
                EXPECT_LE(text.size(), bytes.size());
            }
        }
    }
}

TEST(HelpIndex, TheRemapTableKeepsItsPromises) {
    // The three pairs every copy of the table keeps.
    EXPECT_EQ(ui::RemapHelpId(0x4E2007A7), 10448u);
    EXPECT_EQ(ui::RemapHelpId(0x4E50062C), 10279u);
    EXPECT_EQ(ui::RemapHelpId(0x4E5006BB), 10275u);
    EXPECT_EQ(ui::RemapHelpId(0x752F0001), 0x752F0001u);  // not in the table: itself
    std::set<std::uint32_t> keys, texts;
    int n = 0;
    for (const ui::HelpRemapPair* p = ui::theHelpRemap; p->helpId != 0; ++p, ++n) {
        EXPECT_TRUE(keys.insert(p->helpId).second) << std::hex << p->helpId;
        EXPECT_GE(p->textId, 10275u);
        EXPECT_LE(p->textId, 10458u);
        texts.insert(p->textId);
    }
    EXPECT_EQ(n, ui::kHelpRemapPairs);
    EXPECT_EQ(texts.size(), 10458u - 10275u + 1u) << "every text id of the range is used";
}

TEST_F(HelpPopupTest, ControlsFindTheirKeysTextsAndPlace) {
    ui::BrightnessDialog d;
    ASSERT_EQ(d.CreateModeless({}), 1);
    const HWND trackbar = GetDlgItem(d.window, 1959), ok = GetDlgItem(d.window, IDOK);
    EXPECT_EQ(ui::HelpPopup::KeyOf(trackbar), 0x4E2007A7u);
    EXPECT_EQ(ui::HelpPopup::KeyOf(ok), 0x752F0001u);  // the shared buttons, in any dialog
    EXPECT_EQ(ui::HelpPopup::KeyOf(GetDlgItem(d.window, 1816)), 0x752F0718u);
    EXPECT_EQ(ui::HelpPopup::KeyOf(d.window), 0x4E200000u);

    ui::theHelpPopup.LoadIndexBytes(
        Bytes({{10448, "Brighter or darker."}, {0x752F0001, "Accepts."}}));
    std::string shown;
    RECT text{}, popupRect{}, control{};
    Play({[&] {
        const HWND popup = ui::theHelpPopup.Window();
        ASSERT_TRUE(popup);
        shown = ui::theHelpPopup.Text();
        text = ui::theHelpPopup.TextRect();
        GetWindowRect(popup, &popupRect);
        GetWindowRect(trackbar, &control);
        EXPECT_EQ(theHost.paused, 1);
        EXPECT_EQ(theHost.frozen, 1);
        EXPECT_EQ(GetCapture(), popup);
        PressKey();
    }});
    ui::theHelpPopup.Show(trackbar, 0);
    EXPECT_EQ(shown, "Brighter or darker.");
    // Anchored below the control's left edge, the text 8 right and 6 down inside the window.
    EXPECT_EQ(popupRect.left + 8 + (text.right - text.left) / 2, control.left);
    EXPECT_EQ(popupRect.top + 8, (control.top + control.bottom) / 2 + 24);
    EXPECT_EQ(text.left, 8);
    EXPECT_EQ(text.top, 6);
    EXPECT_EQ(theHost.paused, 0);
    EXPECT_EQ(theHost.frozen, 0);
    EXPECT_EQ(theHost.suppressed, 0);  // a key closed it
    EXPECT_FALSE(ui::theHelpPopup.Window());
    d.DestroyModeless();
}

// The three ways a user asks about a control of a running dialog all reach the popup with the
// control's key: a right click, F1 on the focused control, and the "?" button then a click.
TEST_F(HelpPopupTest, RightClickF1AndTheHelpButtonAllAskAboutTheControl) {
    ui::theDialogHost.showHelp = [](HWND item, std::uint32_t context) {
        ui::theHelpPopup.Show(item, context);
    };
    ui::theHelpPopup.LoadIndexBytes(Bytes({{10448, "Brighter or darker."}}));
    enum class Way { kRightClick, kF1, kHelpButton };
    for (const Way way : {Way::kRightClick, Way::kF1, Way::kHelpButton}) {
        SCOPED_TRACE(static_cast<int>(way));
        ui::BrightnessDialog d;
        std::string shown;
        auto atTrackbar = [&] {
            RECT r;
            GetWindowRect(GetDlgItem(d.window, 1959), &r);
            return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        };
        auto inject = [&](platform::EventKind kind, platform::MouseButton button) {
            const POINT p = atTrackbar(), o = OutputOrigin();
            platform::Event e;
            e.kind = kind;
            e.button = button;
            e.x = p.x - o.x;
            e.y = p.y - o.y;
            machine.Input().Inject(e);
        };
        std::deque<std::function<void()>> steps;
        if (way == Way::kRightClick) {
            steps.push_back([&] {
                inject(platform::EventKind::MouseDown, platform::MouseButton::Right);
                inject(platform::EventKind::MouseUp, platform::MouseButton::Right);
            });
        } else if (way == Way::kF1) {
            steps.push_back([&] {
                SetFocus(GetDlgItem(d.window, 1959));
                platform::Event e;
                e.kind = platform::EventKind::KeyDown;
                e.scancode = platform::Scancode::F1;
                machine.Input().Inject(e);
            });
        } else {
            steps.push_back([&] { Press(d.window, 1816); });
            steps.push_back(
                [&] { inject(platform::EventKind::MouseDown, platform::MouseButton::Left); });
        }
        steps.push_back([&] {
            shown = ui::theHelpPopup.Window() ? ui::theHelpPopup.Text() : "";
            PressKey();
        });
        steps.push_back([&] { Press(d.window, IDCANCEL); });
        Play(std::move(steps));
        EXPECT_EQ(d.DoModal({}), 0);
        EXPECT_EQ(shown, "Brighter or darker.");
    }
}

TEST_F(HelpPopupTest, LongTextsWrapAndPopupsStayInsideTheScreen) {
    const std::string longText(60, 'x');
    std::string words;
    for (int i = 0; i < 40; ++i)
        words += "Several words make a long help text. ";
    ui::theHelpPopup.LoadIndexBytes(Bytes({{100, words}, {101, "Short."}}));
    struct Case {
        std::uint32_t id;
        POINT cursor;
    };
    for (const Case c :
         {Case{100, {320, 200}}, Case{101, {638, 470}}, Case{100, {630, 475}}, Case{101, {2, 2}}}) {
        SCOPED_TRACE(c.id);
        SetCursorPos(c.cursor.x, c.cursor.y);
        RECT text{}, window{};
        Play({[&] {
            text = ui::theHelpPopup.TextRect();
            GetWindowRect(ui::theHelpPopup.Window(), &window);
            PressKey();
        }});
        ui::theHelpPopup.Show(HWND{}, c.id);
        const int w = text.right - text.left, h = text.bottom - text.top;
        if (c.id == 100) {
            EXPECT_GT(h, 40) << "a long text wraps onto several lines";
            EXPECT_LT(w, 640 - 64);
            EXPECT_GT(w, h) << "into a box wider than tall";
        }
        // The text keeps 32 pixels from every edge of the 640 x 480 screen.
        EXPECT_GE(window.left + 8, 32);
        EXPECT_GE(window.top + 8, 32);
        EXPECT_LE(window.left + 8 + w, 640 - 32);
        if (c.cursor.y < 400) {
            EXPECT_LE(window.top + 8 + h, 480 - 32);
        }
    }
}

// In a window on a larger desktop the picture stands in the desktop's middle: a popup asked for
// near its edges stays on the picture, not merely on the desktop.
TEST_F(HelpPopupTest, OnALargerDesktopPopupsStayOnThePicture) {
    machine.Screen().SetScreenSize({1024, 768});
    detail::ResetWindowSystem();
    WNDCLASS wc;
    wc.wndProc = &DefWindowProc;
    wc.className = "PictureWindow";
    RegisterClass(wc);
    const HWND picture = CreateWindowEx(0, "PictureWindow", "", WS_OVERLAPPED | WS_VISIBLE, 192, 144, 640, 480,
                                        {}, {}, {}, 0);
    ASSERT_TRUE(picture);
    SetDisplayWindow(picture);
    const POINT o = OutputOrigin();
    ASSERT_GT(o.x, 100) << "the picture stands away from the desktop's corner";
    ui::theHelpPopup.LoadIndexBytes(Bytes({{101, "Shows the next assignment."}}));
    for (const POINT cursor : {POINT{o.x + 2, o.y + 2}, POINT{o.x + 638, o.y + 470}, POINT{o.x + 10, o.y + 300}}) {
        SCOPED_TRACE(std::to_string(cursor.x) + "," + std::to_string(cursor.y));
        SetCursorPos(cursor.x, cursor.y);
        RECT text{}, window{};
        Play({[&] {
            text = ui::theHelpPopup.TextRect();
            GetWindowRect(ui::theHelpPopup.Window(), &window);
            PressKey();
        }});
        ui::theHelpPopup.Show(HWND{}, 101);
        EXPECT_GE(window.left + 8, o.x + 32);
        EXPECT_GE(window.top + 8, o.y + 32);
        EXPECT_LE(window.left + 8 + (text.right - text.left), o.x + 640 - 32);
        EXPECT_LE(window.top + 8 + (text.bottom - text.top), o.y + 480 - 32);
    }
    DestroyWindow(picture);
}

TEST_F(HelpPopupTest, ALinkedTextOpensItsTopicAndTheClosingClickStaysWithThePopup) {
    testsupport::TempFolder dir("zephlon-help");
    dir.MakeFolders("Corvex/help");
    dir.Write("Corvex/help/popups.hlp", "#10460 Flying Basics\nLift and weight.\n");
    core::theCdRoot = dir.Root() + "/";  // no help folder here: the installation source has one
    ui::theHelpPopup.LoadIndexBytes(Bytes({{200, "Linked text.", 10460}, {201, "Plain text."}}));

    // A window beneath that counts the releases it hears.
    static int releases = 0;
    releases = 0;
    WNDCLASS wc;
    wc.className = "Beneath";
    wc.wndProc = [](HWND h, std::uint32_t m, WParam w, LParam l) -> LResult {
        if (m == WM_LBUTTONUP) ++releases;
        return DefWindowProc(h, m, w, l);
    };
    RegisterClass(wc);
    CreateWindowEx(0, "Beneath", "", WS_VISIBLE, 0, 0, 640, 480, {}, {}, {}, 0);

    for (const bool onText : {false, true}) {
        SCOPED_TRACE(onText);
        SetCursorPos(300, 200);
        Play({[&] {
            POINT p{8, 8};  // inside the text
            if (!onText) p = POINT{-20, -20};
            ClientToScreen(ui::theHelpPopup.Window(), &p);
            ClickAt(p);
        }});
        ui::theHelpPopup.Show(HWND{}, 200);
        EXPECT_EQ(releases, 0) << "the release went to the window beneath";
        EXPECT_EQ(ui::theHelpWindow.Window() ? ui::theHelpWindow.ShownTopic() : 0u,
                  onText ? 10460u : 0u);
    }
    EXPECT_EQ(theHost.suppressed, 2);
    ASSERT_TRUE(ui::theHelpWindow.Window());
    EXPECT_EQ(ui::theHelpWindow.Rows().at(0).text, "Flying Basics");

    // A plain text has no link: clicking it only closes the popup.
    ui::theHelpWindow.Close();
    Play({[&] {
        POINT p{8, 8};
        ClientToScreen(ui::theHelpPopup.Window(), &p);
        ClickAt(p);
    }});
    ui::theHelpPopup.Show(HWND{}, 201);
    EXPECT_FALSE(ui::theHelpWindow.Window());
}

TEST_F(HelpPopupTest, AMissingIndexGivesTheFallbackAndTheRunnerMayCloseAtOnce) {
    core::theCdRoot = "/nonexistent-zephlon/";
    ui::theHelpPopup.LoadIndex();
    EXPECT_FALSE(ui::theHelpPopup.HasIndex());
    ui::theHelpPopupHost.closeWhenShown = true;
    std::vector<std::string> trace;
    SetTraceSink([&](std::string_view line) { trace.emplace_back(line); });
    ui::theHelpPopup.Show(HWND{}, 10005);  // a panel instrument's id: no steps are needed
    SetTraceSink(nullptr);
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.front(), std::string("help popup 0x00000000 (10005): ") + ui::kNoHelpText);
    EXPECT_EQ(theHost.paused, 0);
    EXPECT_EQ(theHost.maxPaused, 1);
    // Nothing to show for no window and no id.
    ui::theHelpPopup.Show(HWND{}, 0);
    EXPECT_EQ(theHost.maxPaused, 1);
}

}  // namespace
