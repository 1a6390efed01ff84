// The program's message box and disc prompt: button sets and answers, the box sized to its
// text and centred, and a prompt that waits for its file.
#include <gtest/gtest.h>

#include "core/ini_file.h"
#include "support/temp_folder.h"
#include "ui/dialog_services.h"
#include "ui_test_support.h"
#include "win/dialog.h"
#include "win/file_api.h"

namespace {

using namespace win;
using ui::MB_OK;
using ui::MB_OKCANCEL;
using ui::MB_RETRYCANCEL;
using ui::MB_YESNO;
using uitest::theDialogModeDepth;

class MessageBoxTest : public uitest::DialogTest {};

struct Seen {
    std::vector<std::string> buttons;
    int textWidth = 0;
    RECT box{};
};

Seen Look(HWND d) {
    Seen s;
    for (int id : {IDYES, IDNO, IDCANCEL}) {
        HWND b = GetDlgItem(d, id);
        if (b && IsWindowVisible(b)) s.buttons.push_back(GetWindowText(b));
    }
    // The text's area: from the template's left margin (as wide as the right one) to the text's
    // right edge; a short text is shifted right inside it.
    RECT t, client;
    GetWindowRect(GetDlgItem(d, 2023), &t);
    MapWindowPoints({}, d, &t);
    GetClientRect(d, &client);
    s.textWidth = t.right - (client.right - t.right);
    GetWindowRect(d, &s.box);
    return s;
}

TEST_F(MessageBoxTest, ButtonSetsAnswersAndSizes) {
    struct Case {
        std::uint32_t type;
        std::vector<std::string> buttons;
        int press;  // 0: Escape
        int answer;
        int width;
    };
    const std::vector<Case> cases = {
        {0x33, {"Yes", "No", "Cancel"}, IDNO, 7, 192},
        {0x33, {"Yes", "No", "Cancel"}, 0, 2, 192},
        {0x33, {"Yes", "No", "Cancel"}, IDYES, 6, 192},
        {MB_OK, {"&OK"}, IDYES, IDOK, 128},
        {MB_OKCANCEL, {"&OK", "Cancel"}, IDCANCEL, IDCANCEL, 128},
        {MB_RETRYCANCEL, {"Retry", "Cancel"}, IDYES, IDRETRY, 128},
        {MB_YESNO, {"Yes", "No"}, IDNO, IDNO, 128},
        {2, {"&OK"}, IDYES, 6, 128},
        {7, {"&OK"}, IDYES, 6, 128},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        Seen seen;
        Play({[&] {
            HWND d = Dialog("Zephlon");
            ASSERT_TRUE(d);
            seen = Look(d);
            if (c.press == 0) {
                platform::Event e;
                e.kind = platform::EventKind::KeyDown;
                e.scancode = platform::Scancode::Escape;
                machine.Input().Inject(e);
            } else {
                Press(d, c.press);
            }
        }});
        EXPECT_EQ(ui::ShowMessageBox({}, "Disk full", c.type), c.answer);
        EXPECT_EQ(seen.buttons, c.buttons);
        EXPECT_EQ(seen.textWidth, c.width);
        // Centred on the 640×480 screen, give or take the rounding of halves.
        EXPECT_NEAR((seen.box.left + seen.box.right) / 2, 320, 2);
        EXPECT_NEAR((seen.box.top + seen.box.bottom) / 2, 240, 2);
    }
}

TEST_F(MessageBoxTest, LongTextWrapsIntoATallerBox) {
    Seen shortBox, longBox;
    Play({[&] {
              shortBox = Look(Dialog("Zephlon"));
              Press(Dialog("Zephlon"), IDYES);
          },
          [&] {
              longBox = Look(Dialog("Zephlon"));
              Press(Dialog("Zephlon"), IDYES);
          }});
    ui::ShowMessageBox({}, "Short", MB_OK);
    ui::ShowMessageBox({}, std::string(12, 'w') + " " + std::string(200, 'x').replace(20, 1, " ").replace(90, 1, " "), MB_OK);
    EXPECT_GT(longBox.textWidth, shortBox.textWidth);
    EXPECT_GT(longBox.box.bottom - longBox.box.top, shortBox.box.bottom - shortBox.box.top);
}

TEST_F(MessageBoxTest, DiscPromptWaitsForItsFile) {
    testsupport::TempFolder folder("discprompt");
    folder.Write("here.dat", "x");
    // Present: no prompt at all.
    Play({});
    EXPECT_EQ(ui::PromptForDisc({}, 1, folder.Path("here.dat"), 5), 1);
    EXPECT_EQ(ui::PromptForDisc({}, 1, "", 5), 0);

    // Missing: OK keeps the prompt; the file appearing under another case closes it with 1.
    // The prompt names the file it waits for, and no disc the user never had.
    const std::string wanted = folder.Path("SCENE.DAT");
    bool stillOpenAfterRetry = false;
    std::string said;
    Play({[&] {
              HWND d = Dialog("Zephlon");
              ASSERT_TRUE(d);
              said = GetDlgItemText(d, 2023) + "\n" + GetDlgItemText(d, 2024);
              Press(d, IDOK);
          },
          [&] {
              stillOpenAfterRetry = static_cast<bool>(Dialog("Zephlon"));
              folder.Write("scene.dat", "y");
          }});
    EXPECT_EQ(ui::PromptForDisc({}, 2, wanted, 5), 1);
    EXPECT_TRUE(stillOpenAfterRetry);
    EXPECT_NE(said.find(wanted), std::string::npos) << said;
    EXPECT_EQ(said.find("CD #"), std::string::npos) << said;

    // Cancel gives up; disc 3 uses the generic box with its number in the text.
    std::string text;
    Play({[&] {
        HWND d = Dialog("Zephlon");
        ASSERT_TRUE(d);
        text = GetDlgItemText(d, 2023);
        Press(d, IDCANCEL);
    }});
    EXPECT_EQ(ui::PromptForDisc({}, 3, folder.Path("none.dat"), 5), 0);
    EXPECT_EQ(text, "Please insert Zephlon's CD #3 into the drive.");
    EXPECT_EQ(theDialogModeDepth, 0);
}

}  // namespace

namespace {

// A file failure names the file once and says why in a user's words.
TEST(FileMessage, NamesTheFileAndTheReason) {
    struct Case {
        const char* sentence;
        const char* path;
        std::uint32_t error;
        const char* text;
    } cases[] = {
        // The file is named with slashes, as the file system names it.
        {"The flight Flights/A.Flt could not be saved.", "Flights\\A.Flt", win::ERROR_DISK_FULL,
         "The flight Flights/A.Flt could not be saved.\n\nThe disk is full."},
        {"The logbook could not be saved.", "PILOT\\Jo.PLT", win::ERROR_ACCESS_DENIED,
         "The logbook could not be saved.\n\nPILOT/Jo.PLT: access is denied (the folder or the "
         "file may be read-only)."},
        {"The flight plan %s could not be saved.", "FlightPlans\\B.Pln", win::ERROR_DISK_FULL,
         "The flight plan FlightPlans/B.Pln could not be saved.\n\nThe disk is full."},
        {"The video %s could not be played.", "/media/disc\\Video\\Intro.avi", 9999,
         "The video /media/disc/Video/Intro.avi could not be played.\n\nError 9999."},
        {"The settings could not be saved in x.ini.", "x.ini", 9999,
         "The settings could not be saved in x.ini.\n\nError 9999."},
    };
    for (const Case& c : cases) EXPECT_EQ(ui::FileMessageText(c.sentence, c.path, c.error), c.text);
}

}  // namespace
