#include "sim/input/key_commands.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "core/ini_file.h"
#include "core/text_lines.h"
#include "platform/file_system.h"
#include "sim/input/key_names.h"
#include "win/profile.h"

namespace sim {

KeyCommandNode* theKeyCommandRegistry = nullptr;
std::uint32_t theKeyRepeatFlag = 0;
KeyBindingTable theKeyboardBindings;
KeyBindingTable theJoystickBindings;

namespace {

constexpr std::size_t npos = static_cast<std::size_t>(-1);

// Reads a whole binding file, its path resolved like every other file of the program. Only a
// plain file of a settings file's size is read: a device would never end.
bool ReadWholeFile(const char* path, std::string& out) {
    const std::uint32_t error = platform::ReadTextFile(path, &out);
    if (error == platform::kFileTooLarge || error == platform::kBadFileType)
        std::fprintf(stderr, "zephlon: the key bindings of %s are not read: %s\n", path,
                     error == platform::kFileTooLarge ? "the file is too large"
                                                      : "it is not a plain file");
    return error == platform::kFileOk;
}

bool IsSeparator(char c) {
    // Commas, and every byte that is 32 or less as a signed character: blanks, line ends, control
    // bytes and everything from 0x80 up.
    return c == ',' || static_cast<signed char>(c) <= 32;
}

}  // namespace

// ---- registry ---------------------------------------------------------------------------------

KeyCommandNode* RegisterKeyCommands(KeyCommandNode* node, const KeyCommand* rows, int count,
                                    int priority) {
    if (node == nullptr) return nullptr;
    UnregisterKeyCommands(node);
    node->rows = rows;
    node->count = count;
    node->priority = priority;
    node->next = nullptr;
    if (rows == nullptr) return node;
    KeyCommandNode** link = &theKeyCommandRegistry;
    while (*link != nullptr && (*link)->priority > priority)
        link = &(*link)->next;
    node->next = *link;
    *link = node;
    return node;
}

KeyCommandNode* RegisterKeyCommands(KeyCommandNode* node, KeyCommandTable table, int priority) {
    return RegisterKeyCommands(node, table.data(), static_cast<int>(table.size()), priority);
}

void UnregisterKeyCommands(KeyCommandNode* node) {
    for (KeyCommandNode** link = &theKeyCommandRegistry; *link != nullptr; link = &(*link)->next) {
        if (*link == node) {
            *link = node->next;
            node->next = nullptr;
            return;
        }
    }
}

int RunKeyCommandByCode(std::uint32_t code) {
    theKeyRepeatFlag = 0;
    const std::uint32_t wanted = code & ~kKeyRepeat;
    for (const KeyCommandNode* n = theKeyCommandRegistry; n != nullptr; n = n->next) {
        for (int i = 0; i < n->count; ++i) {
            const KeyCommand& row = n->rows[i];
            if ((row.code & ~kKeyRepeat) != wanted) continue;
            theKeyRepeatFlag = (row.code & kKeyRepeat) != 0 ? 1 : 0;
            if (row.function != nullptr) {
                row.function();
                return 1;
            }
            break;  // a row without a function passes the key on to the next table
        }
    }
    return 0;
}

std::uint32_t FindKeyCommand(const char* name) {
    if (name == nullptr) return 0;
    for (const KeyCommandNode* n = theKeyCommandRegistry; n != nullptr; n = n->next) {
        for (int i = 0; i < n->count; ++i) {
            const KeyCommand& row = n->rows[i];
            if (row.name != nullptr && strcasecmp(row.name, name) == 0) return row.code;
        }
    }
    return 0;
}

const char* KeyCommandName(std::uint32_t code) {
    if (code == 0) return nullptr;
    const std::uint32_t wanted = code & ~kKeyRepeat;
    for (const KeyCommandNode* n = theKeyCommandRegistry; n != nullptr; n = n->next) {
        for (int i = 0; i < n->count; ++i) {
            const KeyCommand& row = n->rows[i];
            if ((row.code & ~kKeyRepeat) == wanted) return row.name;
        }
    }
    return nullptr;
}

// ---- binding tables ---------------------------------------------------------------------------

void KeyBindingTable::Clear() {
    words.clear();
    words.shrink_to_fit();
    capacityBytes = 0;
    usedBytes = 0;
}

bool KeyBindingTable::Reserve(std::uint32_t bytes) {
    if (bytes <= capacityBytes) return true;
    std::uint32_t grown = capacityBytes;
    while (grown < bytes)
        grown += kGrowBytes;
    words.resize(grown / 4, 0);
    capacityBytes = grown;
    return true;
}

std::size_t KeyBindingTable::FindRecord(std::uint32_t code) const {
    const std::uint32_t wanted = code & ~kKeyRepeat;
    std::size_t at = 0;
    const std::size_t end = usedBytes / 4;
    while (at + 1 < words.size() && at < end && words[at] != 0) {
        if ((words[at] & ~kKeyRepeat) == wanted) return at;
        at += 2 + words[at + 1];
    }
    return npos;
}

void KeyBindingTable::ParseLine(std::string_view line) {
    const std::uint32_t code = ParseKeyName(line);
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos || code == 0) return;
    std::size_t pos = eq;
    while (pos < line.size() && line[pos] == '=')
        ++pos;

    const std::size_t base = usedBytes / 4;
    std::uint32_t count = 0;
    while (pos < line.size()) {
        while (pos < line.size() && IsSeparator(line[pos]))
            ++pos;
        std::size_t end = pos;
        while (end < line.size() && !IsSeparator(line[end]))
            ++end;
        if (end == pos) break;
        const std::size_t length = end - pos;
        // A name too long to be any command ends the line; what came before it stays.
        if (length > kMaxCommandName) break;
        const std::string name(line.substr(pos, length));
        pos = end;
        const std::uint32_t command = FindKeyCommand(name.c_str());
        if (command == 0) continue;
        // Room for the record head, the codes so far, this one and the terminator after it.
        if (!Reserve(usedBytes + 4 * (count + 1) + 24)) return;
        words[base] = code;
        words[base + 2 + count] = command;
        ++count;
        words[base + 1] = count;
    }
    if (count == 0) return;
    usedBytes += 8 + 4 * count;
    words[usedBytes / 4] = 0;
}

void KeyBindingTable::LoadKeyBindings(const char* path, const char* section) {
    if (path == nullptr || section == nullptr) return;
    std::string text;
    if (!ReadWholeFile(path, text)) return;

    std::string_view rest(text);
    bool inSection = false;
    std::string_view line;
    while (core::NextLine(rest, &line)) {
        // An over-long line is skipped whole rather than read as pieces that would each look like
        // a line of their own.
        if (line.size() > kMaxLine) continue;

        const bool header =
            !line.empty() && line[0] == '[' && line.find(']') != std::string_view::npos;
        if (header) {
            if (inSection) return;
            const std::string_view name = line.substr(1, line.find(']') - 1);
            if (name.size() == std::strlen(section) &&
                strncasecmp(name.data(), section, name.size()) == 0) {
                inSection = true;
                Clear();
                Reserve(kInitialBytes);
                words[0] = 0;
            }
            continue;
        }
        if (inSection) ParseLine(line);
    }
}

int KeyBindingTable::SaveKeyBindings(const char* path, const char* section) const {
    if (path == nullptr || section == nullptr) return 0;
    core::IniFile file(path);
    // The whole table goes into the file in one store, not one store per key.
    win::ProfileWriteBatch batch;
    int ok = file.DeleteSection(section);
    if (words.empty()) return batch.Flush() ? ok : 0;

    std::vector<std::uint32_t> written;
    std::size_t at = 0;
    const std::size_t end = usedBytes / 4;
    while (at + 1 < words.size() && at < end && words[at] != 0) {
        const std::uint32_t code = words[at];
        const std::uint32_t count = words[at + 1];
        const std::size_t first = at + 2;
        at = first + count;
        const std::string key = KeyCodeText(code);
        if (key.empty()) continue;
        // Only the first record of a key is ever reached; writing a later one under the same
        // key would replace the bindings the user actually had.
        const std::uint32_t plain = code & ~kKeyRepeat;
        if (std::find(written.begin(), written.end(), plain) != written.end()) continue;
        written.push_back(plain);

        std::string value;
        for (std::uint32_t i = 0; i < count && first + i < words.size(); ++i) {
            const char* name = KeyCommandName(words[first + i]);
            if (name == nullptr) continue;
            const std::size_t extra = (value.empty() ? 0 : 2) + std::strlen(name);
            // The list is cut before a name that would not fit whole.
            if (value.size() + extra > kMaxValue) break;
            if (!value.empty()) value += ", ";
            value += name;
        }
        if (file.PutString(section, key.c_str(), value.c_str()) == 0) ok = 0;
    }
    return batch.Flush() ? ok : 0;
}

int KeyBindingTable::Dispatch(std::uint32_t code) const {
    const std::size_t at = FindRecord(code);
    if (at == npos) return 0;
    // A command may rebuild this very table, so its codes are copied before any runs.
    const std::uint32_t count = words[at + 1];
    const std::vector<std::uint32_t> commands(
        words.begin() + static_cast<std::ptrdiff_t>(at + 2),
        words.begin() + static_cast<std::ptrdiff_t>(at + 2 + count));
    for (const std::uint32_t command : commands)
        RunKeyCommandByCode(command);
    return 1;
}

int KeyBindingTable::GetCommandCount(std::uint32_t code) const {
    const std::size_t at = FindRecord(code);
    return at == npos ? 0 : static_cast<int>(words[at + 1]);
}

int KeyBindingTable::GetCommands(std::uint32_t code, std::uint32_t* out, int capacity) const {
    const std::size_t at = FindRecord(code);
    if (at == npos || out == nullptr || capacity <= 0) return 0;
    const int n = std::min(static_cast<int>(words[at + 1]), capacity);
    for (int i = 0; i < n; ++i)
        out[i] = words[at + 2 + static_cast<std::size_t>(i)];
    return n;
}

std::vector<KeyBindingTable::Record> KeyBindingTable::Records() const {
    std::vector<Record> out;
    std::size_t at = 0;
    const std::size_t end = usedBytes / 4;
    while (at + 1 < words.size() && at < end && words[at] != 0) {
        Record r{words[at], {}};
        const std::uint32_t count = words[at + 1];
        for (std::uint32_t i = 0; i < count; ++i)
            r.commands.push_back(words[at + 2 + i]);
        out.push_back(std::move(r));
        at += 2 + count;
    }
    return out;
}

}  // namespace sim
