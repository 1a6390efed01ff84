// Context help: F1, a right click or the "?" button and a click on a control of any dialog (or
// a right click on a panel instrument) shows a small pale-yellow popup beside it with a text
// from the help index "help\popups.bin". A text that has a topic of the help file is shown green
// and underlined; clicking it opens that topic in the help window (help_window.h). The
// simulation is paused while a popup is open.
//
// The index: u32 row count N, then N rows of {u32 help id, u32 offset of the row's text from the
// start of the file, u32 topic or 0xFFFFFFFF}; the texts end with a zero byte. An index whose
// rows do not fit in the file, or whose texts start outside it, counts as missing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "win/gdi.h"
#include "win/window.h"

namespace ui {

// Help ids: a dialog's help id (its DWL_USER value) in the high 16 bits and a control id in the
// low ones; the shared buttons use the high part 0x752F in every dialog.
inline constexpr std::uint32_t kSharedButtonsHelpId = 0x752F;
inline constexpr std::uint32_t kGenericDialogHelpId = 20058;
inline constexpr char kHelpIndexFile[] = "help\\popups.bin";
inline constexpr char kHelpTopicFile[] = "help\\popups.hlp";
inline constexpr char kNoHelpText[] = "No Help Topic is associated with this item.";
inline constexpr std::int32_t kNoTopic = -1;

// The built-in table that turns combined help ids into text ids of the index (10275..10458);
// it ends with a pair whose help id is 0.
struct HelpRemapPair {
    std::uint32_t helpId;
    std::uint32_t textId;
};
inline constexpr int kHelpRemapPairs = 207;
extern const HelpRemapPair theHelpRemap[kHelpRemapPairs + 1];
// The text id of a combined help id, or the id itself when no pair names it.
[[nodiscard]] std::uint32_t RemapHelpId(std::uint32_t helpId);

// One row of a help index, and the index file holding rows in the given order (the texts follow
// the row table in the same order, each ending with a zero byte).
struct HelpIndexRow {
    std::uint32_t id = 0;
    std::string text;
    std::int32_t topic = kNoTopic;
};
[[nodiscard]] std::vector<std::uint8_t> WriteHelpIndex(const std::vector<HelpIndexRow>& rows);

// When `path` names no file, rewrites it as the installation source's copy:
// "<source folder>Corvex\<file name>".
void ResolveSourcePath(std::string& path, std::string_view fileName);

// What the popup needs of the program around it (its clock, its frozen view, its main window's
// click handling and cursors); the simulator fills these at start-up, tests install their own.
struct HelpPopupHost {
    void (*pauseTime)(int pause) = nullptr;  // 1 pauses, 0 resumes (nested)
    void (*freezeView)(int enter) = nullptr;
    // A click closed the popup: the main window ignores the button's release.
    void (*suppressLeftUp)() = nullptr;
    int (*dialogDepth)() = nullptr;
    void (*setProgramCursor)(std::uint32_t id) = nullptr;
    // The headless runner closes each popup as soon as it has been shown, unless a script wants
    // it to stay (to click its link).
    bool closeWhenShown = false;
};
extern HelpPopupHost theHelpPopupHost;

class HelpPopup {
public:
    HelpPopup() = default;
    ~HelpPopup();
    HelpPopup(const HelpPopup&) = delete;
    HelpPopup& operator=(const HelpPopup&) = delete;

    // Shows the popup for a control (id 0: the control's own help id, anchored at the control)
    // or for a given help id (anchored at the cursor); returns when the popup has closed.
    void Show(win::HWND window, std::uint32_t id);
    // The text of the first index row with this id and its topic; without one the fallback text
    // and kNoTopic.
    [[nodiscard]] std::string_view FindText(std::uint32_t id, std::int32_t* topic) const;
    // Reads "help\popups.bin" (or the installation source's copy); a missing or damaged file
    // leaves the index empty.
    void LoadIndex();
    // Loads an index from bytes (the checks of LoadIndex); 1 when it is usable.
    int LoadIndexBytes(std::string_view bytes);
    void Release();
    [[nodiscard]] bool HasIndex() const { return !index.empty(); }
    // The combined help id a control stands for (the shared buttons, a control of a dialog, or a
    // dialog itself).
    [[nodiscard]] static std::uint32_t KeyOf(win::HWND window);

    // What the open popup shows (tests and the runner).
    [[nodiscard]] win::HWND Window() const { return window; }
    [[nodiscard]] const std::string& Text() const { return text; }
    [[nodiscard]] std::int32_t Topic() const { return topic; }
    [[nodiscard]] const win::RECT& TextRect() const { return textRect; }

    static win::LResult WindowProc(win::HWND h, std::uint32_t m, win::WParam w, win::LParam l);

private:
    void MakeFonts(win::HWND window);
    void Layout(win::POINT anchor);
    [[nodiscard]] bool OverLink(win::LParam clientPoint) const;
    void Close(win::HWND h, bool byClick);

    std::vector<std::uint8_t> index;  // the file's bytes and 12 zero bytes; empty when missing
    std::uint32_t rows = 0;
    bool indexTried = false;
    win::HBRUSH brush;
    win::HFONT normalFont;
    win::HFONT linkFont;
    std::string text;
    std::int32_t topic = kNoTopic;
    win::RECT textRect;
    win::RECT windowRect;  // screen
    win::HWND window;
    int topicClicked = 0;
    int dpi = 0;
    bool classRegistered = false;
    bool closing = false;
    // The button whose press is closing the popup; the popup keeps the mouse until it is let go,
    // so the release never reaches the window beneath.
    std::uint32_t closingButtonUp = 0;
};

extern HelpPopup theHelpPopup;

}  // namespace ui
