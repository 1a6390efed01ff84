// The key-command machinery: command tables with their default keys, the registry that searches
// them in descending priority, and the user's binding tables read from named sections of a text
// file. A key press, joystick button or hat direction becomes a key code (key_names.h) that is
// looked up first in the bindings and then in the registry.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace sim {

// A command function; what it returns is of no interest to the registry.
using KeyCommandFunction = void (*)();

// One row of a command table: the default key (also the command's identity in binding records),
// the function (a null one passes the key on to the next table) and the name (a row without one
// cannot be named in a binding file).
struct KeyCommand {
    std::uint32_t code;
    KeyCommandFunction function;
    const char* name;
};

// A command table is a constant array of rows owned by the file that offers the commands.
using KeyCommandTable = std::span<const KeyCommand>;

// The registration record kept beside each table.
struct KeyCommandNode {
    const KeyCommand* rows = nullptr;
    int count = 0;
    int priority = 0;
    KeyCommandNode* next = nullptr;
};

// Head of the registered tables, in descending priority; among equal priorities the later
// registration stands first.
extern KeyCommandNode* theKeyCommandRegistry;
// The repeat flag (0 or 1) of the row the last lookup matched.
extern std::uint32_t theKeyRepeatFlag;

// Fills the node and links it in before the first node of lower or equal priority. A null rows
// pointer fills the node without linking it. A node that is already linked is moved, never
// linked twice. Returns the node.
KeyCommandNode* RegisterKeyCommands(KeyCommandNode* node, const KeyCommand* rows, int count,
                                    int priority);
KeyCommandNode* RegisterKeyCommands(KeyCommandNode* node, KeyCommandTable table, int priority);
// Unlinks the node; nothing when it is not registered.
void UnregisterKeyCommands(KeyCommandNode* node);

// Runs the command of a code (the repeat flag ignored on both sides): in each table in list order
// the first matching row; a null function sends the search on to the next table. 1 when a
// function ran.
int RunKeyCommandByCode(std::uint32_t code);
// The code of the named command (case-insensitive), first in list and row order; 0 for none.
[[nodiscard]] std::uint32_t FindKeyCommand(const char* name);
// The name of the first row with the code (repeat flag ignored); null for 0 or none.
[[nodiscard]] const char* KeyCommandName(std::uint32_t code);

// Registers the program's command tables in their one fixed order, which decides the winner
// among tables of equal priority that share a key. The start-up code calls it once; calling it
// again re-registers the same nodes in the same order.
void RegisterKeyCommandTables();
void UnregisterKeyCommandTables();

// The navigation database's debug keys (priority 5): set up from the settings file and copied
// into the registry's rows, and those rows.
void SetUpDebugKeyCommands();
[[nodiscard]] KeyCommandTable DebugKeyCommands();

// The joystick buttons' and hat directions' default commands (priority 8).
[[nodiscard]] KeyCommandTable JoystickButtonCommands();

// The user's bindings of one section: records {u32 key code, u32 count, count u32 command codes}
// one after another, ended by a zero key code.
class KeyBindingTable {
public:
    static constexpr std::uint32_t kInitialBytes = 4096;
    static constexpr std::uint32_t kGrowBytes = 2048;
    // Lines longer than this are skipped whole.
    static constexpr std::size_t kMaxLine = 1023;
    static constexpr std::size_t kMaxCommandName = 63;
    // The longest value the writer produces.
    static constexpr std::size_t kMaxValue = 1023;

    KeyBindingTable() = default;
    void Clear();

    // Reads the section of a text file. A missing path, section or file, or a section that the
    // file lacks, leaves the table as it was.
    void LoadKeyBindings(const char* path, const char* section);
    // Replaces the section of an INI file with one entry per record. 1 when every entry was
    // written.
    int SaveKeyBindings(const char* path, const char* section) const;

    // Runs the commands bound to a key (repeat flag ignored); 1 when the key has a record.
    int Dispatch(std::uint32_t code) const;
    [[nodiscard]] int GetCommandCount(std::uint32_t code) const;
    // Copies at most `capacity` command codes of the key's record; returns how many it copied.
    int GetCommands(std::uint32_t code, std::uint32_t* out, int capacity) const;

    [[nodiscard]] bool HasBuffer() const { return !words.empty(); }
    [[nodiscard]] std::uint32_t Capacity() const { return capacityBytes; }
    [[nodiscard]] std::uint32_t Used() const { return usedBytes; }
    // The records in order, for tests and the binding dialogs.
    struct Record {
        std::uint32_t code;
        std::vector<std::uint32_t> commands;
    };
    [[nodiscard]] std::vector<Record> Records() const;

private:
    [[nodiscard]] std::size_t FindRecord(std::uint32_t code) const;  // word index or npos
    bool Reserve(std::uint32_t bytes);
    void ParseLine(std::string_view line);

    std::vector<std::uint32_t> words;  // the buffer; its byte size is capacityBytes
    std::uint32_t capacityBytes = 0;
    std::uint32_t usedBytes = 0;
};

extern KeyBindingTable theKeyboardBindings;
extern KeyBindingTable theJoystickBindings;

}  // namespace sim
