// A user who tries everything: every command of the main menu twice in a row (each question
// answered), Alt+Return four times and 5,000 keys drawn from the key-name table, then the
// close. The program must end normally; in the sanitizer tree any report ends the run with
// another code.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/numeric.h"
#include "core/resource_pack.h"
#include "sim/input/key_names.h"
#include "support/starter_run.h"
#include "win/input.h"
#include "win/menu.h"

namespace {

// The close comes last, as the script's own end.
constexpr std::uint32_t kExit = 168;

void CollectCommands(win::HMENU menu, std::vector<std::uint32_t>* ids) {
    for (int i = 0; i < win::GetMenuItemCount(menu); ++i) {
        if (win::HMENU sub = win::GetSubMenu(menu, i)) {
            CollectCommands(sub, ids);
            continue;
        }
        const std::uint32_t id = win::GetMenuItemID(menu, i);
        if (id != 0 && id != 0xFFFFFFFFu) ids->push_back(id);
    }
}

// The names of the table a keyboard can type, modifiers alone left out (and the double quote,
// which a script line cannot hold; its key comes as "ShiftApostrophe" anyway).
std::vector<std::string> TypableKeyNames() {
    std::vector<std::string> names;
    for (const sim::KeyNameEntry* e = sim::theKeyNameTable; e->name != nullptr; ++e) {
        const std::uint32_t code = sim::ParseScriptKeyName(e->name);
        if (code == 0 || (code & sim::kKeySlew) != 0 || std::string(e->name) == "\"") continue;
        if (win::ScancodeForVirtualKey(code & sim::kKeyMask) == platform::Scancode::Unknown)
            continue;
        names.emplace_back(e->name);
    }
    return names;
}

TEST(Robustness, EveryMenuCommandFullScreenAndThousandsOfKeys) {
    if (!testsupport::StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    std::string error;
    win::HINSTANCE pack =
        core::OpenResourcePack(std::string(ZEPHLON_BINARY_DIR) + "/bin/Zephlon.pack", &error);
    ASSERT_TRUE(pack) << error;
    std::vector<std::uint32_t> ids;
    CollectCommands(win::LoadMenu(pack, "MAINPULLDOWN"), &ids);
    win::FreeResourceLibrary(pack);
    ASSERT_GT(ids.size(), 60u);

    // The questions the commands may ask; an answer not asked for is simply not used. A dialog
    // of its own (a file dialog, say) is closed with Escape before the next command, as a user
    // closes it; only the close at the end asks whether to quit, and is confirmed.
    std::string script = "frame-interval 20\nwait 500\n";
    const char* answers[] = {"answer \"Not yet\" OK\n", "answer airspace OK\n"};
    for (std::uint32_t id : ids)
        for (int twice = 0; twice < 2 && id != kExit; ++twice) {
            for (const char* a : answers)
                script += a;
            script += "menu " + std::to_string(id) + "\nwait 40\nkey Esc press\nwait 20\n";
        }
    for (int i = 0; i < 4; ++i)
        script += "key Alt+Return press\nwait 100\n";
    const std::vector<std::string> keys = TypableKeyNames();
    ASSERT_GT(keys.size(), 150u);
    core::srand(13);
    for (int i = 0; i < 5000; ++i) {
        // Keys that open a question get their answers ready, whatever they turn out to be.
        if (i % 25 == 0)
            for (const char* a : answers)
                script += a;
        script += "key " + keys[static_cast<std::size_t>(core::rand()) % keys.size()] + " press\n";
        if (i % 10 == 9) script += "wait 20\n";
    }
    script += "wait 200\nkey Esc press\nwait 20\nkey Esc press\nwait 20\nquit\n";

    testsupport::StarterRun run("zephlon-robust");
    const testsupport::CommandResult r = run.Play(script);
    EXPECT_EQ(r.status, 0) << r.out.substr(r.out.size() > 4000 ? r.out.size() - 4000 : 0);
    EXPECT_NE(r.out.find("exit=0"), std::string::npos);
    for (const char* report : {"ERROR: AddressSanitizer", "runtime error:", "LeakSanitizer"})
        EXPECT_EQ(r.out.find(report), std::string::npos) << report;
}

}  // namespace
