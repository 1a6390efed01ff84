// Finding an airport by typing in the running program: a name or code typed whole, in any case,
// selects that airport, a towered field before fields of the same name; a city's name selects
// its busiest towered field; a name begun selects the first that begins so. In the airports wizard
// and on the new plan's departure page.
#include <gtest/gtest.h>

#include <string>

#include "script_run.h"

namespace {

struct Typed {
    const char* text;
    const char* selected;  // the list row then selected
};

// San Carlos, California (towered) and San Carlos, Arizona (a private strip listed first).
const Typed kTyped[] = {
    {"san carlos", "San Carlos (KSQL)"},
    {"SAN CARLOS", "San Carlos (KSQL)"},
    {"  San Carlos ", "San Carlos (KSQL)"},
    {"ksql", "San Carlos (KSQL)"},
    {"4az7", "SAN CARLOS (4AZ7)"},
    {"san carlos apache", "SAN CARLOS APACHE (P13)"},
    {"san carlos a", "SAN CARLOS APACHE (P13)"},
    {"palo alto", "Palo Alto (KPAO)"},
    // A city: its airports' names hold it, the busiest towered field first (a strip named
    // after it elsewhere, listed before, is not meant).
    {"SAN JOSE", "San Jose Norman Y Mineta Intl (KSJC)"},
    {"oakland", "Metro Oakland Intl (KOAK)"},
    {"denver", "Denver Intl (KDEN)"},
};

using AirportSearch = navtest::ScriptRun;

TEST_F(AirportSearch, AWholeNameInAnyCaseSelectsItsToweredField) {
    const struct {
        const char* open;   // the lines that show the page
        const char* page;   // its template
        const char* close;  // the lines that cancel it
    } pages[] = {
        {"menu 320\n", "AIRPORTS_PAGE", "dialog AIRPORTS_WIZBKGND\nclick 1817\n"},
        {"menu 303\ndialog FLIGHTPLANBKGNDSHEET\nclick 1717\n", "FLIGHTPLANDEPARTPG",
         "dialog FLIGHTPLANBKGNDSHEET\nclick 1817\n"},
    };
    for (const auto& page : pages) {
        SCOPED_TRACE(page.page);
        std::string script = "frame-interval 100\nwait 500\n" + std::string(page.open);
        for (const Typed& t : kTyped)
            script += "dialog " + std::string(page.page) + "\nset 1479 \"" + t.text +
                      "\"\nexpect 1045 \"" + t.selected + "\"\n";
        script += std::string(page.close) + "wait 300\nquit\n";
        const testsupport::CommandResult r = run.Play(script);
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
    }
}

}  // namespace
