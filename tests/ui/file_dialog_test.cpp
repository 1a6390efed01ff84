// The open and save dialog: the folder's files that match the pattern, typed names and
// patterns, the default extension, the caller's flags and limits, and the working folder.
#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "ui/file_dialogs.h"
#include "ui_test_support.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/file_api.h"

namespace {

using namespace win;

std::vector<std::string> Rows(HWND list) {
    std::vector<std::string> rows;
    const auto n = SendMessage(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < n; ++i) {
        char text[300] = {};
        SendMessage(list, LB_GETTEXT, static_cast<WParam>(i), reinterpret_cast<LParam>(text));
        rows.emplace_back(text);
    }
    return rows;
}

class FileDialogTest : public uitest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        ui::theFileDialogHandler = nullptr;
        folder.Write("A.PLN", "a");
        folder.Write("b.pln", "b");
        folder.Write("c.txt", "c");
        std::filesystem::create_directory(folder.Path("Sub"));
        folder.Write("Sub/d.pln", "d");
        request.title = "Open Plan";
        request.filterName = "Flight Plans (*.Pln)";
        request.filterPattern = "*.Pln";
        request.initialFolder = folder.Root();
        request.defaultExtension = "Pln";
    }
    // Types into the name field and presses OK.
    void Type(const char* text) {
        HWND d = Dialog(request.title.c_str());
        ASSERT_TRUE(d);
        SetDlgItemText(d, ui::kFileNameId, text);
        Press(d, IDOK);
    }
    testsupport::TempFolder folder{"filedialog"};
    ui::FileDialogRequest request;
};

TEST_F(FileDialogTest, ListsMatchingFilesAndFoldersAndAppendsTheExtension) {
    std::vector<std::string> files, folders;
    std::string focusClass;
    Play({[&] {
              HWND d = Dialog("Open Plan");
              files = Rows(GetDlgItem(d, ui::kFileListId));
              folders = Rows(GetDlgItem(d, ui::kFolderListId));
              focusClass = GetDlgCtrlID(GetFocus()) == ui::kFileNameId ? "name" : "other";
          },
          [&] { Type("new"); }});
    const std::string before = GetCurrentDirectory();
    ASSERT_EQ(ui::RunFileDialog(request), 1);
    EXPECT_EQ(files, (std::vector<std::string>{"A.PLN", "b.pln"}));
    EXPECT_EQ(folders, (std::vector<std::string>{"..", "Sub"}));
    EXPECT_EQ(focusClass, "name");
    EXPECT_EQ(request.file, folder.Path("new.Pln"));
    EXPECT_EQ(GetCurrentDirectory(), before);
}

TEST_F(FileDialogTest, TypedPatternsAndFoldersNavigate) {
    std::vector<std::string> afterPattern, inSub;
    Play({[&] { Type("*.txt"); },
          [&] { afterPattern = Rows(GetDlgItem(Dialog("Open Plan"), ui::kFileListId)); },
          [&] { Type("Sub"); },
          [&] { Type("*.pln"); },
          [&] { inSub = Rows(GetDlgItem(Dialog("Open Plan"), ui::kFileListId)); },
          [&] { Type("..\\b.pln"); }});
    ASSERT_EQ(ui::RunFileDialog(request), 1);
    EXPECT_EQ(afterPattern, (std::vector<std::string>{"c.txt"}));
    EXPECT_EQ(inSub, (std::vector<std::string>{"d.pln"}));
    EXPECT_EQ(request.file, folder.Path("b.pln"));
}

// Each refused entry keeps the dialog open with a message; the last step cancels.
TEST_F(FileDialogTest, RefusedNamesKeepTheDialogOpen) {
    struct Case {
        std::string typed;
        std::uint32_t flags;
        std::size_t buffer;
    };
    const std::vector<Case> cases = {
        {std::string(300, 'x'), 0, 256},       // longer than a name may be
        {"Missing\\x.pln", 0, 256},            // no such folder
        {"gone.pln", ui::OFN_FILEMUSTEXIST, 256},  // an open that must find its file
        {"a<b.pln", 0, 256},                   // not a name
        {"fits.pln", 0, 8},                    // longer than the caller's buffer
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        request.flags = c.flags;
        request.bufferSize = c.buffer;
        request.file = "start";
        bool messageShown = false;
        Play({[&] { Type(c.typed.c_str()); },
              [&] {
                  HWND box = Dialog("Zephlon");
                  messageShown = static_cast<bool>(box);
                  if (box) Press(box, IDYES);
              },
              [&] { Press(Dialog("Open Plan"), IDCANCEL); }});
        EXPECT_EQ(ui::RunFileDialog(request), 0);
        EXPECT_TRUE(messageShown);
        EXPECT_EQ(request.file, "start");
    }
}

TEST_F(FileDialogTest, SavingOverAFileAsksFirst) {
    request.save = true;
    request.title = "Save Plan";
    request.flags = ui::OFN_OVERWRITEPROMPT;
    std::string question;
    Play({[&] {
              SetDlgItemText(Dialog("Save Plan"), ui::kFileNameId, "b");
              Press(Dialog("Save Plan"), IDOK);
          },
          [&] {
              HWND box = Dialog("Zephlon");
              ASSERT_TRUE(box);
              question = GetDlgItemText(box, 2023);
              Press(box, IDNO);
          },
          [&] { Press(Dialog("Save Plan"), IDOK); },
          [&] { Press(Dialog("Zephlon"), IDYES); }});
    ASSERT_EQ(ui::RunFileDialog(request), 1);
    EXPECT_NE(question.find("already exists"), std::string::npos);
    EXPECT_EQ(request.file, folder.Path("b.pln"));
    EXPECT_EQ(StepsLeft(), 0u);
}

}  // namespace
