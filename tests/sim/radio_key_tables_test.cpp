// The radio stack's two command tables in the registry: their rows, keys and names, the keys
// reaching their commands among the program's other tables, and binding files that rebind the
// commands by name or put two of them on one key.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>

#include "cockpit/cockpit_services.h"
#include "cockpit/gauges.h"
#include "cockpit/radio_commands.h"
#include "nav/atc_services.h"
#include "sim/input/key_commands.h"
#include "sim/input/radio_key_tables.h"
#include "support/temp_folder.h"

namespace {

class RadioKeyTables : public ::testing::Test {
protected:
    void SetUp() override {
        cockpit::ResetCockpitServices();
        sim::RegisterKeyCommandTables();
    }
    void TearDown() override {
        sim::UnregisterKeyCommandTables();
        cockpit::ResetCockpitServices();
        nav::theAtcState = nav::AtcState{};
    }
};

TEST_F(RadioKeyTables, RowsKeysAndNames) {
    const sim::KeyCommandTable radio = sim::RadioCommands();
    const sim::KeyCommandTable comm = sim::CommCommands();
    ASSERT_EQ(radio.size(), 28u);
    ASSERT_EQ(comm.size(), 21u);
    const struct {
        std::uint32_t code;
        const char* name;
    } some[] = {
        {0x10043, "AutoPilotMaster"}, {0x10031, "Nav1"},
        {0x100BB, "NavMHzUp"},        {0x10053, "NavFlipStandby"},
        {0x40037, "ToggleAudioADF"},  {0x20053, "CommFlipStandby"},
        {0x20052, "AtcRepeat"},       {0x200BF, "AtcNewRunway"},
        {0x10073, "ATCComm"},         {0x40042, "CyclePilotControlAirportLighting"},
    };
    for (const auto& s : some) {
        EXPECT_STREQ(sim::KeyCommandName(s.code), s.name) << std::hex << s.code;
        EXPECT_EQ(sim::FindKeyCommand(s.name), s.code) << s.name;
    }
    // Every key is a Shift, Ctrl or Alt chord, none twice.
    std::set<std::uint32_t> codes;
    for (const sim::KeyCommandTable& t : {radio, comm})
        for (const sim::KeyCommand& row : t) {
            EXPECT_TRUE(codes.insert(row.code).second) << std::hex << row.code;
            EXPECT_NE(row.code & 0x70000u, 0u) << row.name;
            EXPECT_NE(row.function, nullptr) << row.name;
        }
    EXPECT_EQ(comm[1].function, comm[2].function);  // Ctrl G and Ctrl M
    EXPECT_STREQ(comm[2].name, "AtcGoAround");
}

TEST_F(RadioKeyTables, EveryKeyReachesItsCommand) {
    // A key shared with a table of equal priority is the radio tables' (registered last).
    for (const sim::KeyCommandTable& t : {sim::RadioCommands(), sim::CommCommands()})
        for (const sim::KeyCommand& row : t) {
            const sim::KeyCommandNode* owner = nullptr;
            for (const sim::KeyCommandNode* n = sim::theKeyCommandRegistry; n && !owner;
                 n = n->next)
                for (int i = 0; i < n->count; ++i)
                    if ((n->rows[i].code & ~0x200000u) == row.code && n->rows[i].function) {
                        owner = n;
                        EXPECT_EQ(n->rows[i].function, row.function) << row.name;
                        break;
                    }
            EXPECT_NE(owner, nullptr) << row.name;
        }
    // The go-around keys post their request during a session (nobody hears one without).
    nav::theAtcState.atcOn = 1;
    EXPECT_EQ(sim::RunKeyCommandByCode(0x2004D), 1);
    EXPECT_EQ(nav::theAtcState.missed, 1);
    nav::theAtcState.missed = 0;
    EXPECT_EQ(sim::RunKeyCommandByCode(0x20047), 1);
    EXPECT_EQ(nav::theAtcState.missed, 1);
    nav::theAtcState.atcOn = 0;
    // Alt+` passes the debug table's empty row and toggles automatic taxi.
    const int taxi = nav::theAtcState.autoTaxi;
    EXPECT_EQ(sim::RunKeyCommandByCode(0x400C0), 1);
    EXPECT_NE(nav::theAtcState.autoTaxi, taxi);
}

TEST_F(RadioKeyTables, BindingFilesRebindByName) {
    testsupport::TempFolder dir("zephlon-radiokeys");
    dir.Write("keys.txt", "[Keyboard]\nF5=Nav1,NavMHzUp\nF6=Comm1\nF7=NoSuchCommand,Transponder\n");
    sim::KeyBindingTable t;
    t.LoadKeyBindings(dir.Path("keys.txt").c_str(), "Keyboard");
    cockpit::theNav1Radio.standbyMHz = 9;
    EXPECT_EQ(t.Dispatch(0x74), 1);
    EXPECT_EQ(cockpit::theNav1Radio.selected, 1);
    EXPECT_EQ(cockpit::theNav1Radio.standbyMHz, 10);
    EXPECT_EQ(t.Dispatch(0x75), 1);
    EXPECT_EQ(cockpit::theCom1Radio.selected, 1);
    EXPECT_EQ(t.Dispatch(0x76), 1);
    EXPECT_EQ(cockpit::theTransponder.selected, 1);
    EXPECT_EQ(cockpit::theCom1Radio.selected, 0);
}

}  // namespace
