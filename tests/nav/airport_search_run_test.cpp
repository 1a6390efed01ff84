// Finding an airport by typing in the running program: a name or code typed whole, in any case,
// selects that airport, a towered field before fields of the same name; a city's name selects
// its busiest towered field; a name begun selects the first that begins so. In the airports wizard
// and on the new plan's departure page. A city of the country's largest, a state capital or a town
// that names an airline airport, typed as a pilot would (with its state or without, "st" for
// "saint"), selects the airport that serves it, its own field before a neighbour's airline
// airport; so does a town that a field of another name serves (Vail, Eagle County's). A place
// with no airport leaves none chosen. The longest names are read whole, scrolled sideways.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <cctype>
#include <cmath>
#include <string>
#include <vector>

#include "script_run.h"
#include "support/bmp_pixels.h"
#include "support/navdata_csv.h"

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

// The sweeps over every listed town or field spend nearly all their time in the program's own
// search, about ten times longer under the sanitizer; an ordinary run types an even spread of
// `most` of them, with every case `always` names, and ZEPHLON_FULL_SWEEPS=1 types them all.
template <class Always>
std::vector<std::size_t> SweepSample(std::size_t count, std::size_t most, Always always) {
    std::vector<std::size_t> kept;
    const bool whole = std::getenv("ZEPHLON_FULL_SWEEPS") != nullptr || count <= most;
    for (std::size_t i = 0; i < count; ++i)
        if (whole || (i * most) / count != ((i + 1) * most) / count || always(i)) kept.push_back(i);
    return kept;
}

template <class T>
void KeepOnly(std::vector<T>* all, const std::vector<std::size_t>& kept) {
    std::vector<T> some;
    for (std::size_t i : kept)
        some.push_back((*all)[i]);
    all->swap(some);
}

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

// The selected row of a list in a screenshot (white text on the selection's navy): whether the
// text ends inside the row, with some of the row's colour after its last letter.
bool SelectedRowShowsItsEnd(const std::string& bmp, std::string* why) {
    constexpr std::uint32_t kSelection = 0x000080, kText = 0xFFFFFF;
    int top = -1, bottom = -1, left = 1 << 20, right = -1;
    for (int y = 0; y < 480; ++y) {
        int count = 0, l = 1 << 20, r = -1;
        for (int x = 0; x < 640; ++x)
            if (testsupport::PixelAt(bmp, x, y) == kSelection) {
                ++count;
                l = std::min(l, x);
                r = std::max(r, x);
            }
        if (count < 100) continue;  // not a list row
        if (top < 0) top = y;
        bottom = y;
        left = std::min(left, l);
        right = std::max(right, r);
    }
    if (top < 0) {
        *why = "no selected row";
        return false;
    }
    int lastText = -1;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            if (testsupport::PixelAt(bmp, x, y) == kText) lastText = std::max(lastText, x);
    *why = "row " + std::to_string(left) + ".." + std::to_string(right) + " at y " +
           std::to_string(top) + ", its text ends at " + std::to_string(lastText);
    return lastText > left && right - lastText >= 2;
}

TEST_F(AirportSearch, TheLongestNamesAreReadWholeScrolledSideways) {
    // The airports with the longest names in the public data.
    std::vector<std::pair<std::size_t, std::string>> names;
    for (const auto& a : testsupport::ReadNavdataCsv("airport.csv"))
        if (a.size() >= 2 && a[0] != "icao") names.emplace_back(a[1].size(), a[0]);
    std::sort(names.rbegin(), names.rend());
    names.resize(3);
    const struct {
        const char* open;
        const char* page;
        const char* close;
    } pages[] = {
        {"menu 320\n", "AIRPORTS_PAGE", "dialog AIRPORTS_WIZBKGND\nclick 1817\n"},
        {"menu 303\ndialog FLIGHTPLANBKGNDSHEET\nclick 1717\n", "FLIGHTPLANDEPARTPG",
         "dialog FLIGHTPLANBKGNDSHEET\nclick 1817\n"},
        {"menu 303\ndialog FLIGHTPLANBKGNDSHEET\nclick 1717\ndialog FLIGHTPLANBKGNDSHEET\nclick "
         "1717\n",
         "FLIGHTPLANDESTPG", "dialog FLIGHTPLANBKGNDSHEET\nclick 1817\n"},
    };
    for (const auto& page : pages) {
        std::string script = "frame-interval 100\nwait 300\n" + std::string(page.open);
        for (const auto& [length, icao] : names) {
            script += "dialog " + std::string(page.page) + "\nset 1045 \"(" + icao + ")\"\n";
            for (int i = 0; i < 8; ++i)
                script += "scroll 1045 right page\n";
            script += "screenshot " + run.Dir().Path(icao + ".bmp") + "\n";
        }
        script += std::string(page.close) + "wait 300\nquit\n";
        const testsupport::CommandResult r = run.Play(script);
        ASSERT_EQ(r.status, 0) << page.page << "\n" << r.out;
        for (const auto& [length, icao] : names) {
            std::ifstream in(run.Dir().Path(icao + ".bmp"), std::ios::binary);
            const std::string bmp{std::istreambuf_iterator<char>(in), {}};
            std::string why;
            EXPECT_TRUE(SelectedRowShowsItsEnd(bmp, &why))
                << page.page << " " << icao << ": " << why;
        }
    }
}

// Cities typed in the airports wizard, and the airports that serve them: the airline airports
// each city's airport authority, or the airport's own, names as the city's; a city's own field,
// named for it or inside it, before the bigger airport of a neighbouring city; a typed state
// selects that state's town of the name.
TEST_F(AirportSearch, ACityTypedSelectsAnAirportThatServesIt) {
    const struct {
        const char* typed;
        std::vector<std::string> served;
    } cities[] = {
        // The largest cities, typed as a pilot would.
        {"las vegas", {"KLAS"}},
        {"new york", {"KJFK", "KLGA"}},
        {"New York City", {"KJFK", "KLGA"}},
        {"washington", {"KDCA", "KIAD"}},
        {"saint louis", {"KSTL"}},
        {"st louis", {"KSTL"}},
        {"St. Louis, MO", {"KSTL"}},
        {"burbank", {"KBUR"}},
        {"jackson", {"KJAN"}},
        {"Jackson, Mississippi", {"KJAN"}},
        {"los angeles", {"KLAX"}},
        {"chicago", {"KORD", "KMDW"}},
        {"atlanta", {"KATL"}},
        {"seattle", {"KSEA"}},
        {"boston", {"KBOS"}},
        {"phoenix", {"KPHX"}},
        {"miami", {"KMIA"}},
        {"san francisco", {"KSFO"}},
        {"minneapolis", {"KMSP"}},
        {"salt lake city", {"KSLC"}},
        {"dallas", {"KDFW", "KDAL"}},
        {"houston", {"KIAH", "KHOU"}},
        {"tucson", {"KTUS"}},
        {"nashville", {"KBNA"}},
        {"oakland", {"KOAK"}},
        {"san jose", {"KSJC"}},
        {"kansas city", {"KMCI"}},
        {"orlando", {"KMCO"}},
        {"tampa", {"KTPA"}},
        {"newark", {"KEWR"}},
        {"pittsburgh", {"KPIT"}},
        {"santa ana", {"KSNA"}},
        {"charleston sc", {"KCHS"}},
        // A typed state: that state's town, not the larger one of the name.
        {"portland", {"KPDX"}},
        {"portland me", {"KPWM"}},
        {"Portland, Maine", {"KPWM"}},
        {"jackson wy", {"KJAC"}},
        {"jackson tn", {"KMKL"}},
        {"Jackson, Tennessee", {"KMKL"}},
        {"albany", {"KALB"}},
        {"albany ga", {"KABY"}},
        {"jacksonville", {"KJAX"}},
        {"jacksonville nc", {"KOAJ"}},
        {"greenville nc", {"KPGV"}},
        {"wilmington", {"KILM"}},
        {"wilmington de", {"KILG"}},
        {"burlington nc", {"KBUY"}},
        {"burlington vermont", {"KBTV"}},
        {"lafayette", {"KLFT"}},
        {"lafayette in", {"KLAF"}},
        {"augusta ga", {"KAGS"}},
        {"augusta me", {"KAUG"}},
        // A city's own field before the airline airport of a neighbouring city.
        {"long beach", {"KLGB"}},
        {"trenton", {"KTTN"}},
        {"st petersburg", {"KPIE"}},
        {"St. Petersburg, FL", {"KPIE"}},
        {"clearwater", {"KPIE"}},
        {"riverside", {"KRAL"}},
        {"hayward", {"KHWD"}},
        {"scottsdale", {"KSDL"}},
        {"mesa", {"KFFZ"}},
        {"chandler", {"KCHD"}},
        {"glendale az", {"KGEU"}},
        {"north las vegas", {"KVGT"}},
        {"henderson", {"KHND"}},
        {"torrance", {"KTOA"}},
        {"fullerton", {"KFUL"}},
        {"hartford", {"KHFD"}},
        {"aurora il", {"KARR"}},
        {"grand prairie", {"KGPM"}},
        {"ann arbor", {"KARB"}},
        {"renton", {"KRNT"}},
        {"denton", {"KDTO"}},
        {"olathe", {"KOJC"}},
        {"lakeland", {"KLAL"}},
        {"kenosha", {"KENW"}},
        {"waterbury", {"KOXC"}},
        {"newport news", {"KPHF"}},
        // Towns smaller than the largest that name an airline airport; St. George's field is
        // the towered one south-east of the town (the old one on the hill is closed).
        {"st. george ut", {"KDXZ"}},
        {"saint cloud", {"KSTC"}},
        {"st cloud mn", {"KSTC"}},
        {"fort myers", {"KRSW"}},
        {"ft myers", {"KRSW"}},
        {"white plains", {"KHPN"}},
        {"islip", {"KISP"}},
        {"santa barbara", {"KSBA"}},
        {"monterey", {"KMRY"}},
        {"daytona beach", {"KDAB"}},
        {"sarasota", {"KSRQ"}},
        {"pensacola", {"KPNS"}},
        {"bangor", {"KBGR"}},
        {"myrtle beach", {"KMYR"}},
        {"asheville", {"KAVL"}},
        {"atlantic city", {"KACY"}},
        {"champaign", {"KCMI"}},
        {"moline", {"KMLI"}},
        {"wilkes-barre", {"KAVP"}},
        {"scranton", {"KAVP"}},
        {"flint", {"KFNT"}},
        {"windsor locks", {"KBDL"}},
        {"fort smith", {"KFSM"}},
        // Towns that name a towered field (or whose field bears another name), with their state.
        {"grand junction co", {"KGJT"}},
        {"durango co", {"KDRO"}},
        {"twin falls id", {"KTWF"}},
        {"idaho falls id", {"KIDA"}},
        {"traverse city mi", {"KTVC"}},
        {"sioux city ia", {"KSUX"}},
        {"grand island ne", {"KGRI"}},
        {"grand forks nd", {"KGFK"}},
        {"st paul mn", {"KSTP"}},
        {"san carlos ca", {"KSQL"}},
        {"san carlos california", {"KSQL"}},
        // A city known but outside the world, or a name in a state with no airport of it:
        // nothing, rather than a field elsewhere begun the same.
        {"honolulu", {}},
        {"san carlos wy", {}},
        // A town served by a field named for another place: that field.
        {"vail co", {"KEGE"}},
        {"vail colorado", {"KEGE"}},
        // The exact city first, the one of the states first among cities of one name, and a
        // city abroad by its own airport, never a field of the name elsewhere (Ontario's
        // "Mountain View", Mexico, Missouri's).
        {"mountain view", {"KPAO", "KNUQ", "KSJC"}},
        {"vancouver", {"KVUO", "KPDX"}},
        {"vancouver bc", {"CYVR"}},
        {"mexico city", {"MMMX"}},
        // Ohio's Hamilton before Ontario's and Montana's; cities of Mexico by their airline
        // airports (the one whose tower bears the city's name, not a nearer field or air base).
        {"hamilton", {"KHAO"}},
        {"hamilton mt", {"6S5"}},
        {"hamilton on", {"CYHM"}},
        {"tijuana", {"MMTJ"}},
        {"guadalajara", {"MMGL"}},
        {"monterrey", {"MMMY"}},
        {"monterrey mexico", {"MMMY"}},
        {"london", {"KLOZ"}},
        // Capitals abroad by their airline airports: Kingston, Jamaica's (no Kingston is among
        // the listed cities of the states; New York's is typed with its state).
        {"kingston", {"MKJP"}},
        {"kingston ny", {"20N"}},
        {"san juan", {"TJSJ"}},
        {"nassau", {"MYNN"}},
        {"toronto", {"CYYZ"}},
        {"toronto on", {"CYYZ"}},
        {"cambridge", {"KBOS"}},
        {"cambridge md", {"KCGE"}},
        // Nonsense selects nothing; a city abroad is found by its airline airport, a nation's
        // capital before a town of the states, any other city abroad after ours.
        {"qqqq", {}}, {"freeport", {"MYGF"}}, {"santo domingo", {"MDSD"}}, {"ottawa", {"CYOW"}},
        {"ottawa ks", {"KOWI"}}, {"havana", {"MUHA"}}, {"halifax", {"CYHZ"}},
        {"montreal", {"CYUL"}}, {"quebec city", {"CYQB"}}, {"winnipeg", {"CYWG"}},
        {"calgary", {"CYYC"}}, {"edmonton", {"CYEG"}}, {"montego bay", {"MKJS"}},
        {"victoria", {"KVCT"}}, {"victoria bc", {"CYYJ"}}, {"port au prince", {"MTPP"}},
    };
    std::string script = "frame-interval 100\nwait 500\nmenu 320\n";
    for (const auto& c : cities)
        script += "dialog AIRPORTS_PAGE\nset 1479 \"" + std::string(c.typed) +
                  "\"\nread 1045 selected\n";
    script += "dialog AIRPORTS_WIZBKGND\nclick 1817\nwait 300\nquit\n";
    const testsupport::CommandResult r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out.substr(0, 2000);
    // Each read: the selected row's number, then every row.
    std::size_t at = 0;
    for (const auto& c : cities) {
        const std::size_t read = r.out.find("selected=", at);
        ASSERT_NE(read, std::string::npos) << c.typed;
        const int selected = std::atoi(r.out.c_str() + read + 9);
        if (c.served.empty()) {
            EXPECT_EQ(selected, -1) << c.typed;
            at = read + 9;
            continue;
        }
        const std::string row = "read 1045 row " + std::to_string(selected) + ": \"";
        const std::size_t shown = r.out.find(row, read);
        ASSERT_NE(shown, std::string::npos) << c.typed;
        const std::size_t end = r.out.find('\n', shown);
        const std::string text = r.out.substr(shown + row.size(), end - shown - row.size());
        bool served = false;
        for (const std::string& code : c.served)
            served = served || text.find("(" + code + ")") != std::string::npos;
        EXPECT_TRUE(served) << c.typed << " selected " << text;
        at = end;
    }
}

// The navaid directory's ILS list typed into: an airport's code (in any case) selects one of its
// localizers, a localizer's ident (with its hyphen or without) that one; a text that names none
// leaves no row selected, and OK then tunes nothing (NAV1 stays as the flight had it).
TEST_F(AirportSearch, TheIlsListFindsALocalizerByItsAirportsCode) {
    const struct {
        const char* typed;
        const char* shown;  // held by the row then selected; null: none selected
    } typed[] = {{"KOAK", " KOAK "}, {"ksfo", " KSFO "}, {"KJFK", " KJFK "}, {"I-INB", "I-INB "},
                 {"iinb", "I-INB "}, {"QQQQ", nullptr},  {"KOAK", " KOAK "}, {"I-ZZZ9", nullptr}};
    std::string script =
        "frame-interval 100\nwait 300\nreport nav1\nmenu 321\ndialog NAVAIDSTABSHEET\nclick 1902\n";
    for (const auto& t : typed)
        script += "dialog NAVAIDSILSFAKE\nset 1483 \"" + std::string(t.typed) + "\"\nread 1485 selected\n";
    script += "click 1587\ndialog NAVAIDSTABSHEET\nclick 1\nwait 300\nreport nav1\nquit\n";
    const testsupport::CommandResult r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out.substr(0, 2000);
    std::size_t at = 0;
    for (const auto& t : typed) {
        const std::size_t read = r.out.find("selected=", at);
        ASSERT_NE(read, std::string::npos) << t.typed;
        const int selected = std::atoi(r.out.c_str() + read + 9);
        if (t.shown == nullptr) {
            EXPECT_EQ(selected, -1) << t.typed;
            at = read + 9;
            continue;
        }
        const std::string row = "read 1485 row " + std::to_string(selected) + ": \"";
        const std::size_t shown = r.out.find(row, read);
        ASSERT_NE(shown, std::string::npos) << t.typed << " selected " << selected;
        const std::size_t end = r.out.find('\n', shown);
        EXPECT_NE(r.out.substr(shown, end - shown).find(t.shown), std::string::npos)
            << t.typed << ": " << r.out.substr(shown, end - shown);
        at = end;
    }
    const std::size_t before = r.out.find("report nav1="), after = r.out.rfind("report nav1=");
    ASSERT_NE(before, after) << r.out.substr(0, 2000);
    EXPECT_EQ(r.out.substr(before, r.out.find('\n', before) - before),
              r.out.substr(after, r.out.find('\n', after) - after));
}

// The list row each `read 1045` of a run's output shows selected, in order: its text, or "" when
// none is selected.
std::vector<std::string> SelectedRows(const std::string& out) {
    std::vector<std::string> rows;
    for (std::size_t read = out.find("selected="); read != std::string::npos;
         read = out.find("selected=", read + 9)) {
        const int selected = std::atoi(out.c_str() + read + 9);
        const std::string row = "read 1045 row " + std::to_string(selected) + ": \"";
        const std::size_t shown = selected < 0 ? std::string::npos : out.find(row, read);
        if (shown == std::string::npos) {
            rows.emplace_back();
            continue;
        }
        const std::size_t end = out.find('\n', shown);
        rows.push_back(out.substr(shown + row.size(), end - shown - row.size() - 1));
    }
    return rows;
}

// Towns that no airport's name holds, typed as a pilot would, and the airport that serves each
// (its own public page names the town among those it serves); towns that stand whole in an
// airport's name with their state; a town of a name a Canadian field has alone; and the cities
// the list found before, which stay.
TEST_F(AirportSearch, ATownTypedSelectsTheAirportThatServesIt) {
    const struct {
        const char* typed;
        const char* served;
    } towns[] = {
        {"hayden co", "KHDN"},
        {"alamosa", "KALS"},
        {"Alamosa, Colorado", "KALS"},
        {"rifle", "KRIL"},
        {"leadville", "KLXV"},
        {"leadville co", "KLXV"},
        {"mammoth lakes", "KMMH"},
        {"bishop ca", "KBIH"},
        {"redmond or", "KRDM"},
        {"hailey", "KSUN"},
        {"sun valley", "KSUN"},  // not the Illinois strip of that name
        {"sun valley id", "KSUN"},
        {"ketchum", "KSUN"},
        {"bozeman", "KBZN"},
        {"Bozeman, MT", "KBZN"},
        {"belgrade", "KBZN"},
        {"cody", "KCOD"},
        {"west yellowstone", "KWYS"},
        {"international falls", "KINL"},
        {"superior wi", "KSUW"},
        {"bristol tn", "KTRI"},
        {"bristol va", "KTRI"},
        {"carlsbad nm", "KCNM"},
        {"paris tx", "KPRX"},
        {"bar harbor", "KBHB"},
        {"martha's vineyard", "KMVY"},
        {"marthas vineyard", "KMVY"},
        {"Martha's Vineyard, MA", "KMVY"},
        {"vail co", "KEGE"},
        {"vail", "KEGE"},
        {"marathon fl", "KMTH"},
        {"lake tahoe", "KTVL"},  // not Lake Texoma
        // A town in an airport's name, with its state.
        {"loveland co", "KFNL"},
        {"bar harbor me", "KBHB"},
        // The US town before a Canadian field of its name; Kansas City, Kansas has no field of
        // its own, and the metropolitan area's airport serves it.
        {"marathon", "KMTH"},
        {"kansas city ks", "KMCI"},
        {"Kansas City, Kansas", "KMCI"},
        // Found before, and still.
        {"denver", "KDEN"},
        {"oakland", "KOAK"},
        {"san jose", "KSJC"},
        {"san carlos ca", "KSQL"},
        {"grand junction co", "KGJT"},
        {"durango co", "KDRO"},
        {"carlsbad", "KCRQ"},  // the larger town of the name
        {"paris", "KPRX"},
    };
    std::string script = "frame-interval 100\nwait 500\nmenu 320\n";
    for (const auto& t : towns)
        script += "dialog AIRPORTS_PAGE\nset 1479 \"" + std::string(t.typed) + "\"\nread 1045\n";
    script += "dialog AIRPORTS_WIZBKGND\nclick 1817\nwait 300\nquit\n";
    const testsupport::CommandResult r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out.substr(0, 2000);
    const std::vector<std::string> rows = SelectedRows(r.out);
    ASSERT_EQ(rows.size(), std::size(towns));
    int wrong = 0;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].find("(" + std::string(towns[i].served) + ")") == std::string::npos) {
            ++wrong;
            ADD_FAILURE() << towns[i].typed << " selected \"" << rows[i] << "\", not "
                          << towns[i].served;
        }
    EXPECT_EQ(wrong, 0) << "of " << rows.size();
}

// A place typed that has no airport in the world (a city outside it, a name with a state that
// has no field of it) after an airport was shown: no row is selected, the panel shows no field's
// figures and says to choose one, and Next is disabled. Cancelled so, the aircraft stays where it
// was, and the wizard opened again still has no airport chosen; an airport typed then is chosen
// again, and Finish starts there.
TEST_F(AirportSearch, APlaceWithNoAirportLeavesNoneChosenAndTheAircraftWhereItWas) {
    const char* const places[] = {"honolulu", "Honolulu, HI", "Juneau, AK", "anchorage ak",
                                  "san carlos wy"};
    const std::string panel = "read 1045\nread 1067\nread 1307\nread 1308\nread 1173\n"
                              "dialog AIRPORTS_WIZBKGND\nread 1717\n";
    std::string script = "frame-interval 100\nwait 500\nsave " + run.Dir().Path("start.flt") +
                         "\nmenu 320\n";
    for (const char* place : places)
        script += std::string("dialog AIRPORTS_PAGE\nset 1479 \"ksql\"\nset 1479 \"") + place +
                  "\"\n" + panel;
    script += "click 1817\nwait 300\nsave " + run.Dir().Path("cancelled.flt") +
              "\nmenu 320\ndialog AIRPORTS_PAGE\n" + panel +
              "dialog AIRPORTS_PAGE\nset 1479 \"palo alto\"\ndialog AIRPORTS_WIZBKGND\n"
              "read 1717\nclick 1717\ndialog RUNWAY_PAGE\nset 1059 \"31\"\n"
              "dialog AIRPORTS_WIZBKGND\nclick 1717\nwait 500\nsave " +
              run.Dir().Path("placed.flt") + "\nquit\n";
    const testsupport::CommandResult r = run.Play(script);
    EXPECT_EQ(r.status, 0) << r.out.substr(r.out.size() > 3000 ? r.out.size() - 3000 : 0);
    const std::vector<std::string> rows = SelectedRows(r.out);
    ASSERT_GE(rows.size(), std::size(places));
    // Each control's text as the reads show it, in order.
    const auto texts = [&r](const std::string& read) {
        std::vector<std::string> shown;
        for (std::size_t at = r.out.find(read); at != std::string::npos;
             at = r.out.find(read, at + 1)) {
            const std::size_t open = r.out.find('"', at), close = r.out.find('"', open + 1);
            shown.push_back(r.out.substr(open + 1, close - open - 1));
        }
        return shown;
    };
    const std::vector<std::string> elevation = texts("read 1067 Static"),
                                   latitude = texts("read 1307 Static"),
                                   longitude = texts("read 1308 Static"),
                                   line = texts("read 1173 Static");
    std::vector<std::string> next;
    for (std::size_t at = r.out.find("read 1717 "); at != std::string::npos;
         at = r.out.find("read 1717 ", at + 1))
        next.push_back(r.out.substr(r.out.find("enabled=", at) + 8, 1));
    // The places typed, then the wizard opened again.
    const std::size_t shown = std::size(places) + 1;
    ASSERT_EQ(elevation.size(), shown);
    ASSERT_EQ(next.size(), shown + 1);
    for (std::size_t i = 0; i < shown; ++i) {
        const std::string what = i < std::size(places) ? places[i] : "opened again";
        EXPECT_EQ(rows[i], "") << what;
        EXPECT_EQ(elevation[i] + latitude[i] + longitude[i], "")
            << what << " shows a field's figures";
        EXPECT_NE(line[i].find("No airport"), std::string::npos) << what << ": " << line[i];
        EXPECT_EQ(next[i], "0") << what << ": Next is enabled";
    }
    EXPECT_EQ(next.back(), "1") << "Next stays disabled with Palo Alto chosen";
    // Where the aircraft was after the wizard was cancelled, and after Finish with Palo Alto,
    // against the public position of Palo Alto's runway 31.
    const Saved start = Read("start.flt"), cancelled = Read("cancelled.flt");
    EXPECT_LT(navtest::Metres(start.lat, start.lon, cancelled.lat, cancelled.lon), 1.0)
        << "the aircraft moved to " << cancelled.lat << " " << cancelled.lon;
    double lat = 0, lon = 0;
    for (const auto& rw : testsupport::ReadNavdataCsv("runway.csv"))
        if (rw.size() > 9 && rw[0] == "KPAO" && rw[3] == "31") {
            lat = std::stod(rw[4]);
            lon = std::stod(rw[5]);
        }
    ASSERT_NE(lat, 0.0);
    const Saved placed = Read("placed.flt");
    EXPECT_LT(navtest::Metres(lat, lon, placed.lat, placed.lon), 300.0)
        << "Finish placed the aircraft at " << placed.lat << " " << placed.lon;
}

}  // namespace

namespace {

std::vector<std::string> NameWords(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (const char ch : text + " ") {
        if (std::isalnum(static_cast<unsigned char>(ch))) {
            word += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            continue;
        }
        if (word == "st") word = "saint";
        if (word == "ft") word = "fort";
        if (word == "mt") word = "mount";
        if (!word.empty()) words.push_back(word);
        word.clear();
    }
    return words;
}

double Nm(double lat1, double lon1, double lat2, double lon2) {
    const double k = 3.14159265358979 / 180.0;
    const double h =
        std::pow(std::sin((lat2 - lat1) * k / 2), 2) +
        std::cos(lat1 * k) * std::cos(lat2 * k) * std::pow(std::sin((lon2 - lon1) * k / 2), 2);
    return 2 * 3440.065 * std::asin(std::sqrt(h));
}

}  // namespace

// Every towered field of the country whose name begins with a listed town's name (the town of
// the name nearest it): the town typed with its state selects an airport within 30 nm of the
// town (Dover's 33 nm, its own field being the air force's).
TEST_F(AirportSearch, EveryTownNamingAToweredFieldTypedWithItsStateSelectsAFieldNearIt) {
    struct Town {
        std::string typed;
        double lat, lon;
    };
    const auto cityRows = testsupport::ReadNavdataCsv("../places-us/cities.csv");
    std::map<std::string, std::pair<double, double>> airports;
    std::vector<Town> towns;
    std::set<std::string> typedOnce;
    for (const auto& a : testsupport::ReadNavdataCsv("airport.csv")) {
        if (a.size() < 7 || a[0] == "icao") continue;
        airports[a[0]] = {std::stod(a[4]), std::stod(a[5])};
        if (a[6] != "1" || a[0].size() != 4 || a[0][0] != 'K') continue;
        const std::vector<std::string> name = NameWords(a[1]);
        const std::vector<std::string>* best = nullptr;
        double bestNm = 33;  // 60 km
        for (const auto& c : cityRows) {
            if (c.size() < 8 || c[0] == "name") continue;
            const std::vector<std::string> words = NameWords(c[0]);
            if (words.empty() || words.size() > name.size() ||
                !std::equal(words.begin(), words.end(), name.begin()))
                continue;
            const double nm = Nm(std::stod(c[4]), std::stod(c[5]), airports[a[0]].first,
                                 airports[a[0]].second);
            if (nm < bestNm) {
                bestNm = nm;
                best = &c;
            }
        }
        if (best == nullptr) continue;
        const std::string typed = (*best)[0] + " " + (*best)[1];
        if (typedOnce.insert(typed).second)
            towns.push_back({typed, std::stod((*best)[4]), std::stod((*best)[5])});
    }
    ASSERT_GT(towns.size(), 250u);
    KeepOnly(&towns, SweepSample(towns.size(), 80, [](std::size_t) { return false; }));
    std::string script = "frame-interval 100\nwait 500\nmenu 320\n";
    for (const Town& t : towns)
        script += "dialog AIRPORTS_PAGE\nset 1479 \"" + t.typed + "\"\nread 1045 selected\n";
    script += "dialog AIRPORTS_WIZBKGND\nclick 1817\nwait 300\nquit\n";
    const testsupport::CommandResult r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out.substr(0, 2000);
    std::size_t at = 0;
    int wrong = 0;
    for (const Town& t : towns) {
        const std::size_t read = r.out.find("selected=", at);
        ASSERT_NE(read, std::string::npos) << t.typed;
        const int selected = std::atoi(r.out.c_str() + read + 9);
        const std::string row = "read 1045 row " + std::to_string(selected) + ": \"";
        const std::size_t shown = r.out.find(row, read);
        const std::size_t next = r.out.find("selected=", read + 9);
        at = read + 9;
        if (selected < 0 || shown == std::string::npos || shown > next) {
            ADD_FAILURE() << t.typed << " selected nothing";
            ++wrong;
            continue;
        }
        const std::size_t end = r.out.find('\n', shown);
        const std::string text = r.out.substr(shown + row.size(), end - shown - row.size());
        const std::size_t open = text.rfind('(');
        const auto a = airports.find(text.substr(open + 1, text.find(')', open) - open - 1));
        if (open == std::string::npos || a == airports.end()) {
            ADD_FAILURE() << t.typed << " selected " << text;
            continue;
        }
        // Dover's own field is the air force's; Wilmington's is a little farther than 30 nm.
        const double reach = t.typed == "Dover DE" ? 33 : 30;
        const double away = Nm(t.lat, t.lon, a->second.first, a->second.second);
        if (away > reach) ++wrong;
        EXPECT_LE(away, reach) << t.typed << " selected " << text;
    }
    EXPECT_EQ(wrong, 0) << "of " << towns.size();
}

// Every towered field of the country whose name begins with a place that is no listed town
// ("Bedford", "Walnut Ridge"), typed with its state as a pilot would ("bedford ma"), selects a
// field within 30 nm of it whose name begins so: the list's fallback to a field's name keeps to
// the state typed. The state typed is the nearest listed town's, where every town nearly as near
// lies in the same state; a field within 25 nm of a state line, or with a field of the same first
// words 30 to 150 nm from it (its words more a person's name than a place's), is left out.
TEST_F(AirportSearch, AFieldsPlaceTypedWithItsStateSelectsAFieldOfThatState) {
    const auto cityRows = testsupport::ReadNavdataCsv("../places-us/cities.csv");
    std::set<std::vector<std::string>> listed;
    for (const auto& c : cityRows)
        if (c.size() >= 8 && c[0] != "name") listed.insert(NameWords(c[0]));
    // A first word that is seldom a place alone: the place is its first two words.
    const std::set<std::string> joined = {
        "san",    "saint", "fort", "new",   "el",    "la",    "los",   "las",  "lake",  "north",
        "south",  "east",  "west", "grand", "great", "mount", "port",  "palm", "santa", "big",
        "little", "twin",  "red",  "cape",  "glen",  "key",   "ocean", "de",   "du",    "le"};
    struct Field {
        double lat, lon;
    };
    // The state lines, as segments of east-positive (lon, lat).
    std::vector<std::pair<Field, Field>> lines;
    {
        std::ifstream in(std::string(ZEPHLON_SOURCE_DIR) + "/data/outlines-us/state_borders.txt");
        std::string text;
        bool open = false;
        Field last{};
        while (std::getline(in, text)) {
            if (text.empty() || text[0] == '>') {
                open = false;
                continue;
            }
            Field p{};
            std::sscanf(text.c_str(), "%lf %lf", &p.lon, &p.lat);
            if (open) lines.push_back({last, p});
            last = p;
            open = true;
        }
    }
    ASSERT_GT(lines.size(), 5000u);
    const auto nearLine = [&lines](double lat, double lon, double nm) {
        const double east = std::cos(lat * 3.14159265358979 / 180.0);
        for (const auto& [a, b] : lines) {
            // In nautical miles on a plane about the field.
            const double ax = (a.lon - lon) * 60 * east, ay = (a.lat - lat) * 60;
            const double bx = (b.lon - lon) * 60 * east, by = (b.lat - lat) * 60;
            const double dx = bx - ax, dy = by - ay, length = dx * dx + dy * dy;
            const double t = length > 0 ? std::clamp(-(ax * dx + ay * dy) / length, 0.0, 1.0) : 0.0;
            if (std::hypot(ax + t * dx, ay + t * dy) < nm) return true;
        }
        return false;
    };
    const auto allAirports = testsupport::ReadNavdataCsv("airport.csv");
    std::map<std::string, std::vector<Field>> typedFields;  // the typed text: the fields it means
    std::map<std::string, std::vector<std::string>> typedPlace;
    for (const auto& a : allAirports) {
        if (a.size() != 7 || a[0] == "icao" || a[6] != "1" || a[0].size() != 4 || a[0][0] != 'K')
            continue;
        const std::vector<std::string> name = NameWords(a[1]);
        if (name.empty()) continue;
        const std::size_t n = joined.count(name[0]) != 0 && name.size() > 1 ? 2 : 1;
        const std::vector<std::string> place(name.begin(), name.begin() + n);
        if (listed.count(place) != 0 || place[0].size() < 3 ||
            std::isdigit(static_cast<unsigned char>(place[0][0])))
            continue;
        const double lat = std::stod(a[4]), lon = std::stod(a[5]);
        std::vector<std::pair<double, std::string>> towns;
        for (const auto& c : cityRows)
            if (c.size() >= 8 && c[0] != "name")
                towns.emplace_back(Nm(lat, lon, std::stod(c[4]), std::stod(c[5])), c[1]);
        std::sort(towns.begin(), towns.end());
        if (towns.empty() || towns[0].first > 80) continue;
        bool plain = true;
        for (const auto& [nm, state] : towns)
            if (nm < towns[0].first * 1.5 + 5 && state != towns[0].second) plain = false;
        if (!plain || nearLine(lat, lon, 25)) continue;
        bool alike = false;
        for (const auto& o : allAirports) {
            if (o.size() != 7 || o[0] == "icao") continue;
            const std::vector<std::string> other = NameWords(o[1]);
            if (other.size() < place.size() ||
                !std::equal(place.begin(), place.end(), other.begin()))
                continue;
            const double nm = Nm(lat, lon, std::stod(o[4]), std::stod(o[5]));
            if (nm > 30 && nm < 150) alike = true;
        }
        if (alike) continue;
        std::string typed;
        for (const std::string& w : place)
            typed += w + " ";
        typed += towns[0].second;
        typedFields[typed].push_back({lat, lon});
        typedPlace[typed] = place;
    }
    ASSERT_GT(typedFields.size(), 150u);
    {
        const std::vector<std::size_t> kept =
            SweepSample(typedFields.size(), 80, [](std::size_t) { return false; });
        std::size_t i = 0, k = 0;
        for (auto it = typedFields.begin(); it != typedFields.end(); ++i) {
            if (k < kept.size() && kept[k] == i) {
                ++k;
                ++it;
            } else {
                it = typedFields.erase(it);
            }
        }
    }
    std::string script = "frame-interval 100\nwait 500\nmenu 320\n";
    for (const auto& [typed, fields] : typedFields)
        script += "dialog AIRPORTS_PAGE\nset 1479 \"" + typed + "\"\nread 1045 selected\n";
    script += "dialog AIRPORTS_WIZBKGND\nclick 1817\nwait 300\nquit\n";
    const testsupport::CommandResult r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out.substr(0, 2000);
    std::map<std::string, std::pair<double, double>> airports;
    for (const auto& a : testsupport::ReadNavdataCsv("airport.csv"))
        if (a.size() == 7 && a[0] != "icao") airports[a[0]] = {std::stod(a[4]), std::stod(a[5])};
    std::size_t at = 0;
    int wrong = 0;
    for (const auto& [typed, fields] : typedFields) {
        const std::size_t read = r.out.find("selected=", at);
        ASSERT_NE(read, std::string::npos) << typed;
        at = read + 9;
        const int selected = std::atoi(r.out.c_str() + read + 9);
        const std::string row = "read 1045 row " + std::to_string(selected) + ": \"";
        const std::size_t shown = r.out.find(row, read);
        const std::size_t next = r.out.find("selected=", read + 9);
        if (selected < 0 || shown == std::string::npos || shown > next) {
            ADD_FAILURE() << typed << " selected nothing";
            ++wrong;
            continue;
        }
        const std::size_t end = r.out.find('\n', shown);
        const std::string text = r.out.substr(shown + row.size(), end - shown - row.size());
        const std::size_t open = text.rfind('(');
        const auto a = open == std::string::npos
                           ? airports.end()
                           : airports.find(text.substr(open + 1, text.find(')', open) - open - 1));
        const std::vector<std::string> words = NameWords(text.substr(0, open));
        const std::vector<std::string>& place = typedPlace[typed];
        double away = 1e9;
        for (const Field& f : fields)
            if (a != airports.end())
                away = std::min(away, Nm(f.lat, f.lon, a->second.first, a->second.second));
        const bool named =
            words.size() >= place.size() && std::equal(place.begin(), place.end(), words.begin());
        if (away > 30 || !named) {
            ++wrong;
            ADD_FAILURE() << typed << " selected " << text << ", " << away << " nm away";
        }
    }
    EXPECT_EQ(wrong, 0) << "of " << typedFields.size();
}

namespace {

// Each text typed in the airports wizard, and the code of the row it selects ("" for none).
std::vector<std::string> SelectedCodes(testsupport::StarterRun& run,
                                       const std::vector<std::string>& typed) {
    std::string script = "frame-interval 100\nwait 500\nmenu 320\n";
    for (const std::string& t : typed)
        script += "dialog AIRPORTS_PAGE\nset 1479 \"" + t + "\"\nread 1045 selected\n";
    script += "dialog AIRPORTS_WIZBKGND\nclick 1817\nwait 300\nquit\n";
    const testsupport::CommandResult r = run.Play(script);
    EXPECT_EQ(r.status, 0) << r.out.substr(0, 2000);
    std::vector<std::string> codes;
    for (std::size_t at = r.out.find("selected="); at != std::string::npos;
         at = r.out.find("selected=", at + 9)) {
        const int selected = std::atoi(r.out.c_str() + at + 9);
        const std::string row = "read 1045 row " + std::to_string(selected) + ": \"";
        const std::size_t shown = r.out.find(row, at);
        const std::size_t next = r.out.find("selected=", at + 9);
        std::string code;
        if (selected >= 0 && shown != std::string::npos && shown < next) {
            const std::size_t end = r.out.find("\"\n", shown);
            const std::string text = r.out.substr(shown + row.size(), end - shown - row.size());
            const std::size_t open = text.rfind('(');
            if (open != std::string::npos) code = text.substr(open + 1, text.size() - open - 2);
        }
        codes.push_back(code);
    }
    EXPECT_EQ(codes.size(), typed.size());
    codes.resize(typed.size());
    return codes;
}

bool HoldsWords(const std::vector<std::string>& name, const std::vector<std::string>& part) {
    return !part.empty() &&
           std::search(name.begin(), name.end(), part.begin(), part.end()) != name.end();
}

// A field of another country, by its code's form (an international code not of the states, a
// Canadian field's "C" with two letters and a digit, a Mexican or Bahamian field's) or by its
// place (north of the 49th parallel west of Lake of the Woods).
bool AbroadByCode(const std::string& code, double lat, double lon) {
    const auto alpha = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
    const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    if (code.size() == 4 && std::all_of(code.begin(), code.end(), alpha))
        return code[0] != 'K' && code[0] != 'P';
    if (code.size() == 4 && code[0] == 'C' && alpha(code[1]) && alpha(code[2]) && digit(code[3]))
        return true;
    // Mexico's "MM" and Belize's "MZ" with digits, the Bahamas' "MY" with a letter and a digit
    // (Minnesota's strips are "MY" with two digits).
    if (code.size() == 4 && digit(code[3]) &&
        (code.rfind("MM", 0) == 0 || code.rfind("MZ", 0) == 0 ||
         (code.rfind("MY", 0) == 0 && alpha(code[2]))))
        return true;
    return lat > 49.01 && lon < -95.2;
}

bool MilitaryName(const std::vector<std::string>& name) {
    if (HoldsWords(name, {"intl"}) || HoldsWords(name, {"muni"})) return false;
    for (const char* mark : {"afb", "nas", "naval", "army", "aaf", "mcas", "jrb", "angb", "arb",
                             "ang", "nolf", "olf"})
        if (HoldsWords(name, {mark})) return true;
    return false;
}

}  // namespace

// Every field named for a listed town (by its own name or its tower's, the town of the name
// nearest it) within 30 km of a state line, typed by its whole name with the town's state
// ("rosecrans mem mo"), selects that field: the line the borders' outline draws beside a river
// gives way to the field's known side. The fields known to lie across the line from the town
// they serve are left out. A field of another country typed with the state of the nearest
// listed town ("grand manan me") selects no field abroad.
TEST_F(AirportSearch, AFieldTypedWithItsTownsStateIsFoundAndNoneAbroad) {
    const auto cityRows = testsupport::ReadNavdataCsv("../places-us/cities.csv");
    const auto airportRows = testsupport::ReadNavdataCsv("airport.csv");
    std::map<std::string, std::vector<std::vector<std::string>>> towers;
    for (const auto& f : testsupport::ReadNavdataCsv("frequency.csv"))
        if (f.size() >= 4 && f[1] == "tower") towers[f[0]].push_back(NameWords(f[3]));
    std::vector<std::pair<double, double>> lineSegments;  // the state lines' points, in pairs
    {
        std::ifstream in(std::string(ZEPHLON_SOURCE_DIR) + "/data/outlines-us/state_borders.txt");
        std::string text;
        bool open = false;
        std::pair<double, double> last{};
        while (std::getline(in, text)) {
            if (text.empty() || text[0] == '>') {
                open = false;
                continue;
            }
            std::pair<double, double> p{};  // lat, lon
            std::sscanf(text.c_str(), "%lf %lf", &p.second, &p.first);
            if (open) {
                lineSegments.push_back(last);
                lineSegments.push_back(p);
            }
            last = p;
            open = true;
        }
    }
    ASSERT_GT(lineSegments.size(), 10000u);
    const auto nearLineNm = [&](double lat, double lon, double nm) {
        const double east = std::cos(lat * 3.14159265358979 / 180.0);
        for (std::size_t i = 0; i + 1 < lineSegments.size(); i += 2) {
            const auto& [alat, alon] = lineSegments[i];
            const auto& [blat, blon] = lineSegments[i + 1];
            const double ax = (alon - lon) * 60 * east, ay = (alat - lat) * 60;
            const double dx = (blon - alon) * 60 * east, dy = (blat - alat) * 60;
            const double length = dx * dx + dy * dy;
            const double t = length > 0 ? std::clamp(-(ax * dx + ay * dy) / length, 0.0, 1.0) : 0.0;
            if (std::hypot(ax + t * dx, ay + t * dy) < nm) return true;
        }
        return false;
    };
    std::set<std::vector<std::string>> listed;
    for (const auto& c : cityRows)
        if (c.size() >= 8 && c[0] != "name") listed.insert(NameWords(c[0]));
    const std::set<std::string> acrossTheLine = {"KCVG", "KMCI", "KRGK", "KCPS", "KALN",
                                                 "KDUH", "KTVR", "KIAD", "KDCA"};
    struct Town {
        std::vector<std::string> words;
        std::string state;
        double lat, lon;
    };
    std::vector<Town> towns;
    for (const auto& c : cityRows)
        if (c.size() >= 8 && c[0] != "name" && c[1] != "AK" && c[1] != "HI")
            towns.push_back({NameWords(c[0]), c[1], std::stod(c[4]), std::stod(c[5])});
    std::vector<std::vector<std::string>> allNames;
    for (const auto& a : airportRows)
        if (a.size() == 7 && a[0] != "icao") allNames.push_back(NameWords(a[1]));
    std::vector<std::string> typed, meant;
    std::vector<bool> abroad;
    for (const auto& a : airportRows) {
        if (a.size() != 7 || a[0] == "icao") continue;
        const double lat = std::stod(a[4]), lon = std::stod(a[5]);
        const std::vector<std::string> name = NameWords(a[1]);
        // The nearest listed town: of those the field's names hold (within 60 km), or of all.
        const Town* town = nullptr;
        const Town* nearest = nullptr;
        double townNm = 33, nearestNm = 1e9;
        std::vector<std::vector<std::string>> names = towers[a[0]];
        names.push_back(name);
        for (const Town& c : towns) {
            if (std::abs(c.lat - lat) > 5) continue;
            const double nm = Nm(lat, lon, c.lat, c.lon);
            if (nm < nearestNm) {
                nearestNm = nm;
                nearest = &c;
            }
            if (nm < townNm && std::any_of(names.begin(), names.end(), [&](const auto& n) {
                    return HoldsWords(n, c.words);
                })) {
                townNm = nm;
                town = &c;
            }
        }
        if (AbroadByCode(a[0], lat, lon)) {
            if (nearestNm > 120 || name.empty()) continue;
            typed.push_back(a[1] + " " + nearest->state);
            meant.push_back(a[0]);
            abroad.push_back(true);
            continue;
        }
        if (town == nullptr || a[0].size() != 4 || a[0][0] != 'K' ||
            acrossTheLine.count(a[0]) != 0 || listed.count(name) != 0 || !nearLineNm(lat, lon, 16))
            continue;
        // A name that begins another field's is left out: the search selects the best of them.
        const bool begunElsewhere =
            std::count_if(allNames.begin(), allNames.end(), [&](const auto& other) {
                return other.size() >= name.size() &&
                       std::equal(name.begin(), name.end(), other.begin());
            }) > 1;
        if (begunElsewhere) continue;
        typed.push_back(a[1] + " " + town->state);
        meant.push_back(a[0]);
        abroad.push_back(false);
    }
    const auto fieldCount = std::count(abroad.begin(), abroad.end(), false);
    ASSERT_GT(fieldCount, 60);
    ASSERT_GT(typed.size() - fieldCount, 60u);
    {
        // St. Joseph's Rosecrans, across the river from the state its town's line would give,
        // and the fields just over the borders are always typed.
        const std::set<std::string> named = {"KSTJ", "CYAM", "MM42", "CCN2"};
        const std::vector<std::size_t> kept = SweepSample(
            typed.size(), 80, [&](std::size_t i) { return named.count(meant[i]) != 0; });
        KeepOnly(&typed, kept);
        KeepOnly(&meant, kept);
        KeepOnly(&abroad, kept);
    }
    const std::vector<std::string> codes = SelectedCodes(run, typed);
    int wrong = 0;
    for (std::size_t i = 0; i < typed.size(); ++i) {
        if (abroad[i]) {
            // Nothing, or a field of our country whose name begins so.
            const auto other = std::find_if(airportRows.begin(), airportRows.end(),
                                             [&](const auto& o) { return o[0] == codes[i]; });
            const bool bad = !codes[i].empty() && other != airportRows.end() &&
                             AbroadByCode(codes[i], std::stod((*other)[4]), std::stod((*other)[5]));
            wrong += bad;
            EXPECT_FALSE(bad) << typed[i] << " selected " << codes[i] << ", a field abroad";
        } else {
            wrong += codes[i] != meant[i];
            EXPECT_EQ(codes[i], meant[i]) << typed[i];
        }
    }
    EXPECT_EQ(wrong, 0) << "of " << typed.size() << " (" << fieldCount
                        << " fields named for a town)";
}

// Every listed town typed with its state, where a civil field serves it within 32 nm (a towered
// one, or one named for it), selects a field of our country, no military one, that is the
// town's own (named for it, or the airline airport whose airspace area names it) or no more
// than 5 nm farther than the nearest that serves it: a town with a field of its own selects it,
// and a town without one the nearest, never the metro's airline airport 26 nm off ("thousand
// oaks ca", "north stamford ct", "homestead fl"). The largest cities keep their airline airports.
TEST_F(AirportSearch, ATownSelectsItsOwnFieldOrTheNearestThatServesIt) {
    const auto airportRows = testsupport::ReadNavdataCsv("airport.csv");
    std::map<std::string, std::vector<std::string>> areas;  // an airline airport: its area's words
    {
        std::ifstream in(std::string(ZEPHLON_SOURCE_DIR) +
                         "/data/airspace-us/class_b_c_airports.csv");
        std::string line;
        while (std::getline(in, line)) {
            const std::size_t first = line.find(','), second = line.find(',', first + 1);
            if (first == std::string::npos || second == std::string::npos) continue;
            areas[line.substr(0, first)] = NameWords(line.substr(second + 1));
        }
    }
    ASSERT_GT(areas.size(), 100u);
    struct Town {
        std::vector<std::string> words;
        std::string state;
        double lat, lon, servedNm;  // the nearest field that serves it
    };
    struct Field {
        std::vector<std::string> name;
        double lat, lon;
        bool towered, isPublic;
    };
    std::vector<Field> civil;  // the open land fields of our country, no military one
    for (const auto& a : airportRows) {
        if (a.size() != 7 || a[0] == "icao" || a[2] != "land" || a[1].rfind("[X]", 0) == 0)
            continue;
        Field f{NameWords(a[1]), std::stod(a[4]), std::stod(a[5]), a[6] == "1",
                a[0].size() == 3 || (a[0].size() == 4 && std::all_of(a[0].begin(), a[0].end(),
                                                                      ::isalpha))};
        if (!AbroadByCode(a[0], f.lat, f.lon) && !MilitaryName(f.name)) civil.push_back(f);
    }
    std::vector<Town> towns;
    std::vector<std::string> typed;
    for (const auto& c : testsupport::ReadNavdataCsv("../places-us/cities.csv")) {
        // Outside the world, or a city beyond the borders (its province's or country's code).
        if (c.size() < 8 || c[0] == "name" || c[1] == "AK" || c[1] == "HI" || c[1] == "BC" ||
            c[1] == "ON" || c[1] == "MX")
            continue;
        Town t{NameWords(c[0]), c[1], std::stod(c[4]), std::stod(c[5]), 1e9};
        for (const Field& f : civil)
            if (std::abs(f.lat - t.lat) < 1 &&
                (f.towered || (f.isPublic && HoldsWords(f.name, t.words))))
                t.servedNm = std::min(t.servedNm, Nm(t.lat, t.lon, f.lat, f.lon));
        if (t.servedNm > 32) continue;
        typed.push_back(c[0] + " " + c[1]);
        towns.push_back(t);
    }
    ASSERT_GT(towns.size(), 800u);
    {
        // Towns that used to get the metro's airline airport 26 nm off are always typed.
        const std::set<std::string> named = {"Thousand Oaks CA", "North Stamford CT",
                                             "Homestead FL", "Fort Worth TX", "Simi Valley CA"};
        const std::vector<std::size_t> kept = SweepSample(
            towns.size(), 90, [&](std::size_t i) { return named.count(typed[i]) != 0; });
        KeepOnly(&towns, kept);
        KeepOnly(&typed, kept);
    }
    const std::vector<std::string> codes = SelectedCodes(run, typed);
    int wrong = 0;
    for (std::size_t i = 0; i < towns.size(); ++i) {
        const Town& t = towns[i];
        const auto a = std::find_if(airportRows.begin(), airportRows.end(),
                                    [&](const auto& o) { return o[0] == codes[i]; });
        if (codes[i].empty() || a == airportRows.end()) {
            ++wrong;
            ADD_FAILURE() << typed[i] << " selected nothing";
            continue;
        }
        const double lat = std::stod((*a)[4]), lon = std::stod((*a)[5]);
        const std::vector<std::string> name = NameWords((*a)[1]);
        const double away = Nm(t.lat, t.lon, lat, lon);
        const auto area = areas.find(codes[i]);
        const bool areaNames = area != areas.end() && !area->second.empty() &&
                               area->second.back() == NameWords(t.state).front() &&
                               HoldsWords(area->second, t.words);
        const bool good = !AbroadByCode(codes[i], lat, lon) && !MilitaryName(name) &&
                          (HoldsWords(name, t.words) || areaNames || away <= t.servedNm + 5);
        if (!good) {
            ++wrong;
            ADD_FAILURE() << typed[i] << " selected " << (*a)[1] << " (" << codes[i] << "), "
                          << away << " nm away; the nearest that serves it is " << t.servedNm
                          << " nm";
        }
    }
    EXPECT_EQ(wrong, 0) << "of " << towns.size();
}
