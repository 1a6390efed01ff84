// The help index the data maker wrote into the starter installation, read back by a reader of
// its own: every row of the remap table has its text, every control of the program's option
// dialogs and message box finds a row, and the topics the rows link to exist.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "ui/help_popup.h"
#include "ui/help_window.h"
#include "win/dialog.h"
#include "win/resource.h"
#include "win/resource_script.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

struct Row {
    std::string text;
    std::uint32_t topic;
};

// The index as its format describes it, checked as it is read.
bool ReadIndex(const std::string& b, std::map<std::uint32_t, Row>* rows) {
    auto u32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = v << 8 | static_cast<unsigned char>(b[at + i]);
        return v;
    };
    if (b.size() < 4) return false;
    const std::uint32_t n = u32(0);
    if (4 + 12ull * n > b.size()) return false;
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint32_t id = u32(4 + 12 * i), offset = u32(8 + 12 * i),
                            topic = u32(12 + 12 * i);
        const std::size_t end = b.find('\0', offset);
        if (offset >= b.size() || end == std::string::npos) return false;
        if (!rows->emplace(id, Row{b.substr(offset, end - offset), topic}).second) return false;
    }
    return true;
}

class InstalledHelp : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string dir = std::string(ZEPHLON_BINARY_DIR) + "/install/help/";
        if (!std::filesystem::exists(dir + "popups.bin"))
            GTEST_SKIP() << "the starter installation is not built";
        ASSERT_TRUE(ReadIndex(ReadFile(dir + "popups.bin"), &rows));
        topics.Parse(ReadFile(dir + "popups.hlp"));
    }
    std::map<std::uint32_t, Row> rows;
    ui::HelpTopicFile topics;
};

TEST_F(InstalledHelp, EveryRowIsWrittenOnceWithARealTextAndLivingLinks) {
    for (std::uint32_t id = 10275; id <= 10458; ++id)
        EXPECT_EQ(rows.count(id), 1u) << id;
    int linked = 0;
    for (const auto& [id, row] : rows) {
        EXPECT_GE(row.text.size(), 10u) << id;
        EXPECT_EQ(row.text.find("  "), std::string::npos) << id;
        if (row.topic == 0xFFFFFFFFu) continue;
        ++linked;
        EXPECT_NE(topics.Find(row.topic), nullptr) << id << " links to " << row.topic;
    }
    EXPECT_GT(linked, 0);
    for (std::uint32_t shared : {1u, 2u, 1816u, 1817u})
        EXPECT_EQ(rows.count(0x752F0000u | shared), 1u) << shared;
    // The program's own reader agrees with this one.
    ui::HelpPopup popup;
    ASSERT_EQ(popup.LoadIndexBytes(
                  ReadFile(std::string(ZEPHLON_BINARY_DIR) + "/install/help/popups.bin")),
              1);
    std::int32_t topic = 0;
    EXPECT_EQ(popup.FindText(10448, &topic), rows.at(10448).text);
    EXPECT_EQ(static_cast<std::uint32_t>(topic), rows.at(10448).topic);
}

// What a new user looks for in the index leads to a topic that says how: tuning a radio on the
// panel and by keys, hearing the tower, setting the heading bug by keys, finding the Bonanza's
// gear, flaps and power levers on the lower panel.
TEST_F(InstalledHelp, TheIndexLeadsToHowTheRadiosBugAndLowerPanelWork) {
    const struct {
        const char* word;
        std::vector<const char*> said;  // in the topic the word leads to
    } looked[] = {
        {"tuning", {"upper half", "lower half", "megahertz", "<>", "Ctrl+1", "Shift+1"}},
        {"audio panel", {"COM1", "Alt+1"}},
        {"heading bug", {"Shift+7", "Shift with = and -", "one degree"}},
        {"gear lights", {"Bonanza", "Views, Panel", "green", "down and locked"}},
        {"power levers", {"throttle", "propeller", "mixture", "upper half"}},
        {"flap indicator", {"APP", "flap lever"}},
    };
    for (const auto& l : looked) {
        SCOPED_TRACE(l.word);
        const ui::HelpTopic* topic = nullptr;
        for (const ui::HelpIndexEntry& e : topics.Index())
            if (e.label == l.word && topic == nullptr) topic = topics.Find(e.topic);
        ASSERT_NE(topic, nullptr);
        std::string text;
        for (const std::string& p : topic->paragraphs)
            text += p + "\n";
        for (const char* said : l.said)
            EXPECT_NE(text.find(said), std::string::npos) << said << "\n" << text;
    }
}

TEST_F(InstalledHelp, EveryControlOfTheProgramsDialogsHasItsText) {
    const std::map<std::string, std::uint32_t> helpIds = {
        {"BRIGHTNESS", 20000}, {"SOUNDVOLUME", 20001}, {"YOKESENSITIVITYBOX", 20002},
        {"TIMEDATE", 20003},   {"GRAPHICS", 20005},    {"SETUPCAMS", 20047},
        {"GENERIC", 20058}};
    std::string script;
    for (const char* name : {"dialogs.rc", "option_dialogs.rc"})
        script += ReadFile(std::string(ZEPHLON_SOURCE_DIR) + "/resources/" + name) + "\n";
    const auto compiled = win::CompileResourceScript(
        script, "help.rc", [](const std::string&) { return std::nullopt; });
    ASSERT_TRUE(compiled.Ok()) << compiled.error;
    int checked = 0;
    for (const auto& r : compiled.resources) {
        if (r.type != "DIALOG") continue;
        const auto dialog = win::DecodeDialogTemplate(r.data);
        ASSERT_TRUE(dialog.has_value()) << r.name;
        const auto it = helpIds.find(r.name);
        const bool shared = it == helpIds.end();  // no help id: only the shared buttons have texts
        const std::uint32_t help = shared ? 0 : it->second;
        if (!shared) {
            EXPECT_EQ(rows.count(ui::RemapHelpId(help << 16)), 1u) << r.name;
        }
        for (const win::DialogItemTemplate& item : dialog->items) {
            const std::uint32_t c = static_cast<std::uint16_t>(item.id);
            if (c == 0xFFFF || c == 1715) continue;  // labels and the frame answer as the dialog
            const bool sharedButton = c == 1 || c == 2 || c == 1816 || c == 1817;
            if (shared && !sharedButton) continue;
            const std::uint32_t key = sharedButton ? (0x752Fu << 16 | c) : (help << 16 | c);
            EXPECT_EQ(rows.count(ui::RemapHelpId(key)), 1u) << r.name << " control " << c;
            ++checked;
        }
    }
    EXPECT_GT(checked, 100);
}

TEST_F(InstalledHelp, TheHelpMenusTopicsExistAndTheIndexIsFull) {
    for (std::uint32_t id : {10459u, 10460u, 10461u, 10463u, 10676u, 10691u, 10678u, 10694u, 10680u,
                             10696u, 10688u, 10699u, 10701u}) {
        const ui::HelpTopic* t = topics.Find(id);
        ASSERT_NE(t, nullptr) << id;
        EXPECT_FALSE(t->paragraphs.empty()) << id;
    }
    EXPECT_GT(topics.Index().size(), 100u);
    // A topic is listed once under a word, whatever the case of its title and index words.
    std::map<std::string, int> seen;
    for (const ui::HelpIndexEntry& e : topics.Index()) {
        std::string key = e.label;
        for (char& c : key)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(++seen[key + " " + std::to_string(e.topic)], 1) << e.label;
    }
    EXPECT_EQ(seen.count("altimeter 10478"), 1u);
}

}  // namespace
