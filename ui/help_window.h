// The program's help window and its topic file "help\popups.hlp": the Help menu's topics and
// the topics that popup texts link to, each shown with its title, its wrapped text, a scroll
// bar when it is long, its links to other topics, and the buttons Index and Close.
//
// The topic file is plain text:
//   ; a comment line
//   #10460 Flying Basics        a topic: its number and title
//   text lines                  joined into paragraphs; an empty line ends a paragraph
//   index: stall; slow flight   words the index lists for the topic (besides its title)
//   see: 10463 10676            topics it links to
// A line starting with "#" that does not name a number begins no topic: what follows is skipped
// up to the next topic.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "win/gdi.h"
#include "win/window.h"

namespace ui {

struct HelpTopic {
    std::uint32_t id = 0;
    std::string title;
    std::vector<std::string> paragraphs;
    std::vector<std::string> keywords;
    std::vector<std::uint32_t> links;
};

struct HelpIndexEntry {
    std::string label;
    std::uint32_t topic = 0;
};

class HelpTopicFile {
public:
    // Reads the topics of a text; returns how many were read. The first of two topics with one
    // number holds.
    int Parse(std::string_view text);
    // Reads the file (an unreadable file leaves no topics); returns how many were read.
    // ReadError tells why a file that is there was not read (ERROR_SUCCESS when it was, or
    // when there is none); one that holds no topic at all is ERROR_FILE_INVALID.
    int Load(const std::string& path);
    [[nodiscard]] std::uint32_t ReadError() const { return readError; }
    [[nodiscard]] const HelpTopic* Find(std::uint32_t id) const;
    // Every title and index word with its topic, sorted without regard to case.
    [[nodiscard]] std::vector<HelpIndexEntry> Index() const;
    [[nodiscard]] const std::vector<HelpTopic>& Topics() const { return topics; }

private:
    std::vector<HelpTopic> topics;
    std::uint32_t readError = 0;
};

// The help window: one at a time, owned by the main window, left open while the user flies.
class HelpWindow {
public:
    // Shows a topic (HELP_CONTEXT); an unknown topic shows the fallback text.
    void ShowTopic(std::uint32_t id);
    // Shows the index of topics (HELP_KEY with an empty keyword).
    void ShowIndex();
    void Close();

    // What the window shows (tests and the runner).
    struct Row {
        enum Kind { kTitle, kText, kLink } kind = kText;
        std::string text;
        std::uint32_t topic = 0;
        win::RECT rect;  // content coordinates (before scrolling)
    };
    [[nodiscard]] win::HWND Window() const { return window; }
    [[nodiscard]] const std::vector<Row>& Rows() const { return rows; }
    [[nodiscard]] int ScrollOffset() const { return scroll; }
    [[nodiscard]] int ContentHeight() const { return contentHeight; }
    [[nodiscard]] bool ShowsIndex() const { return showingIndex; }
    [[nodiscard]] std::uint32_t ShownTopic() const { return shownTopic; }
    // The screen point of a row's middle as it stands now (tests click there).
    [[nodiscard]] win::POINT RowPoint(std::size_t row) const;

    static win::LResult WindowProc(win::HWND h, std::uint32_t m, win::WParam w, win::LParam l);

private:
    bool Open();
    void Load();
    void Lay(const std::vector<Row>& content);
    void ScrollTo(int offset);
    void Paint(win::HDC dc);
    void Click(win::POINT clientPoint);
    [[nodiscard]] win::RECT View() const;

    HelpTopicFile file;
    std::vector<Row> rows;
    win::HWND window;
    win::HWND scrollBar;
    win::HFONT titleFont;
    win::HFONT textFont;
    win::HFONT linkFont;
    int scroll = 0;
    int contentHeight = 0;
    bool showingIndex = false;
    std::uint32_t shownTopic = 0;
    bool unreadableTold = false;  // the box on an unreadable help file was shown this session
};

extern HelpWindow theHelpWindow;

}  // namespace ui
