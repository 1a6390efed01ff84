// The help: "help\popups.bin", the index of popup texts, from the texts in data/help, and
// "help\popups.hlp", the help window's topics, checked and copied.
//
// data/help/popups.txt (and panel.txt when present) hold the popup texts, one a line:
//   [20001 SoundVolume]   a dialog: its help id (the name is for readers)
//   1701 Moves ...        a control of that dialog (0: the dialog itself, and every label on it)
//     ... more           a line starting with a blank goes on with the text before
//   1705 @10694 Mutes ... a text whose topic the popup links to
//   [shared]              the buttons every dialog shares (help id 0x752F)
//   [ids]                 rows by their own number (the cockpit panel's instruments)
// A control whose combined id the program's remap table names becomes the row of that table's
// text id; the others become rows of their combined id.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>

#include "cockpit/panel_help_hotspots.h"
#include "tools/mkdata/installation.h"
#include "ui/help_popup.h"
#include "ui/help_window.h"

namespace mkdata {

namespace {

// The topics the Help menu opens, which the topic file must hold.
constexpr std::uint32_t kMenuTopics[] = {10459, 10460, 10461, 10463, 10676, 10691, 10678,
                                         10694, 10680, 10696, 10688, 10699, 10701};
constexpr std::uint32_t kFirstRemapText = 10275;
constexpr std::uint32_t kLastRemapText = 10458;

bool ReadText(const std::string& path, std::string* out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::stringstream ss;
    ss << in.rdbuf();
    *out = ss.str();
    return true;
}

bool ParseNumber(std::string_view s, std::uint32_t* v) {
    if (s.empty() || s.size() > 10) return false;
    std::uint64_t n = 0;
    const bool hex = s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
    for (std::size_t i = hex ? 2 : 0; i < s.size(); ++i) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(s[i])));
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return false;
        n = n * (hex ? 16 : 10) + static_cast<unsigned>(digit);
    }
    if (n > 0xFFFFFFFFu) return false;
    *v = static_cast<std::uint32_t>(n);
    return true;
}

struct Reader {
    const ui::HelpTopicFile& topics;
    std::map<std::uint32_t, ui::HelpIndexRow> rows;
    std::string* error;

    bool Fail(const std::string& where, const std::string& what) {
        *error = where + ": " + what;
        return false;
    }

    bool Add(const std::string& where, std::uint32_t id, std::string text, std::int32_t topic) {
        while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
            text.pop_back();
        if (text.empty()) return Fail(where, "a row without a text");
        if (rows.count(id) != 0)
            return Fail(where, "a second text for row " + std::to_string(id) +
                                   " (controls that share a text name it once)");
        if (topic != ui::kNoTopic && topics.Find(static_cast<std::uint32_t>(topic)) == nullptr)
            return Fail(where, "topic " + std::to_string(topic) + " is not in the topic file");
        rows[id] = ui::HelpIndexRow{id, std::move(text), topic};
        return true;
    }

    bool Read(const std::string& name, const std::string& text) {
        enum class Section { kNone, kDialog, kShared, kIds } section = Section::kNone;
        std::uint32_t dialog = 0;
        std::string pendingWhere, pendingText;
        std::uint32_t pendingId = 0;
        std::int32_t pendingTopic = ui::kNoTopic;
        bool pending = false;
        auto flush = [&]() {
            if (!pending) return true;
            pending = false;
            return Add(pendingWhere, pendingId, pendingText, pendingTopic);
        };
        std::istringstream in(text);
        std::string line;
        int lineNo = 0;
        while (std::getline(in, line)) {
            ++lineNo;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const std::string where = name + ":" + std::to_string(lineNo);
            const std::size_t first = line.find_first_not_of(" \t");
            if (first == std::string::npos || line[first] == ';') continue;
            if (first > 0) {
                if (!pending) return Fail(where, "a continued line without a row");
                pendingText += ' ' + line.substr(first);
                continue;
            }
            if (!flush()) return false;
            if (line[0] == '[') {
                const std::size_t close = line.find(']');
                if (close == std::string::npos) return Fail(where, "a section without ']'");
                const std::string head = line.substr(1, close - 1);
                const std::string word = head.substr(0, head.find(' '));
                if (word == "shared") {
                    section = Section::kShared;
                } else if (word == "ids") {
                    section = Section::kIds;
                } else if (ParseNumber(word, &dialog) && dialog <= 0xFFFF) {
                    section = Section::kDialog;
                } else {
                    return Fail(where, "an unknown section \"" + head + "\"");
                }
                continue;
            }
            std::istringstream words(line);
            std::string key;
            words >> key;
            std::uint32_t number = 0;
            if (!ParseNumber(key, &number)) return Fail(where, "a row must start with its number");
            std::string rest;
            std::getline(words, rest);
            rest.erase(0, rest.find_first_not_of(" \t"));
            std::int32_t topic = ui::kNoTopic;
            if (!rest.empty() && rest[0] == '@') {
                const std::size_t end = rest.find_first_of(" \t");
                std::uint32_t t = 0;
                if (!ParseNumber(rest.substr(1, end - 1), &t) || t > 0x7FFFFFFF)
                    return Fail(where, "a bad topic");
                topic = static_cast<std::int32_t>(t);
                rest = end == std::string::npos ? std::string() : rest.substr(end + 1);
                rest.erase(0, rest.find_first_not_of(" \t"));
            }
            switch (section) {
                case Section::kNone:
                    return Fail(where, "a row before any section");
                case Section::kDialog:
                    if (number > 0xFFFF) return Fail(where, "a control id above 65535");
                    pendingId = ui::RemapHelpId(dialog << 16 | number);
                    break;
                case Section::kShared:
                    pendingId = ui::kSharedButtonsHelpId << 16 | number;
                    break;
                case Section::kIds:
                    pendingId = number;
                    break;
            }
            pendingWhere = where;
            pendingText = rest;
            pendingTopic = topic;
            pending = true;
        }
        return flush();
    }
};

}  // namespace

int MakeHelp(Installation& installation, std::string* error) {
    const std::string folder = installation.DataDir() + "/help/";
    std::string topicText;
    if (!ReadText(folder + "popups.hlp", &topicText)) {
        *error = "cannot read " + folder + "popups.hlp";
        return 0;
    }
    ui::HelpTopicFile topics;
    topics.Parse(topicText);
    for (std::uint32_t id : kMenuTopics)
        if (topics.Find(id) == nullptr) {
            *error =
                folder + "popups.hlp: the Help menu's topic " + std::to_string(id) + " is missing";
            return 0;
        }
    for (const ui::HelpTopic& t : topics.Topics())
        for (std::uint32_t link : t.links)
            if (topics.Find(link) == nullptr) {
                *error = folder + "popups.hlp: topic " + std::to_string(t.id) + " links to " +
                         std::to_string(link) + ", which is missing";
                return 0;
            }

    Reader reader{topics, {}, error};
    for (const char* file : {"popups.txt", "panel.txt"}) {
        std::string text;
        if (!ReadText(folder + file, &text)) {
            if (std::string(file) == "panel.txt") continue;  // the panel's texts may come later
            *error = "cannot read " + folder + file;
            return 0;
        }
        if (!reader.Read(std::string("data/help/") + file, text)) return 0;
    }
    for (std::uint32_t id = kFirstRemapText; id <= kLastRemapText; ++id)
        if (reader.rows.count(id) == 0) {
            *error = "data/help/popups.txt: no text for row " + std::to_string(id) +
                     " of the remap table";
            return 0;
        }
    // A right click on any control of a panel finds its text.
    std::vector<const cockpit::PanelHelpHotspot*> tables = {cockpit::BaronRadioHotspots(false)};
    for (int type = 0; type < 5; ++type)
        tables.push_back(cockpit::HotspotTable(type));
    for (const cockpit::PanelHelpHotspot* row : tables)
        for (; row->popupId != -1; ++row)
            if (reader.rows.count(static_cast<std::uint32_t>(row->popupId)) == 0) {
                *error = "data/help/panel.txt: no text for the panel's popup " +
                         std::to_string(row->popupId);
                return 0;
            }
    // Rows in the order of their ids, so two runs write the same bytes.
    std::vector<ui::HelpIndexRow> rows;
    rows.reserve(reader.rows.size());
    for (auto& [id, row] : reader.rows)
        rows.push_back(std::move(row));
    installation.AddFile("help\\popups.bin", ui::WriteHelpIndex(rows));
    installation.AddFile("help\\popups.hlp", Bytes(topicText.begin(), topicText.end()));
    return 1;
}

}  // namespace mkdata
