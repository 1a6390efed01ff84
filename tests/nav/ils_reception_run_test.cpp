// Which localizer NAV1 hears in the running program, over every ILS, LOC, LDA and SDF of the
// data that shares its frequency with another within 60 nm (a lone one is the nearest on its
// frequency wherever its approach lies): each is set up from the navaid directory's ILS page 10 nm out on its approach, 2,000 ft
// above its localizer, and the station heard on the frequency (the ident the receiver keys, in
// the trace) must be the one the directory named. Localizers at the two ends of a runway, or at
// neighbouring airports, often share a frequency; on the approach the aircraft flies in the
// named localizer's front course, and there only that one serves.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "independent_projection.h"
#include "script_run.h"

namespace {

struct Localizer {
    std::string listed;  // the directory's line
    std::string ident;   // as the receiver keys it
    int feet = 0;        // where the set-up puts the aircraft
    std::string frequency;
    double lat = 0, lon = 0;
};

std::vector<Localizer> EveryLocalizer() {
    std::vector<Localizer> all;
    for (const auto& i : navtest::ReadNavCsv("ils.csv")) {
        if (i.size() < 14 || i[9].empty()) continue;
        const std::string ident = i[2].size() > 1 && i[2][0] == 'I' ? i[2].substr(1) : i[2];
        Localizer l;
        l.listed = "I-" + ident + " " + i[0] + " Rwy " + i[1];
        l.ident = "I-" + ident;
        l.feet = std::atoi(i[6].c_str()) + 2000;
        l.frequency = i[7];
        l.lat = std::stod(i[4]);
        l.lon = std::stod(i[5]);
        // The directory's idents hold five characters.
        if (l.ident.size() <= 5) all.push_back(l);
    }
    std::vector<Localizer> shared;
    for (const Localizer& l : all)
        for (const Localizer& other : all)
            if (&other != &l && other.frequency == l.frequency &&
                navtest::Metres(l.lat, l.lon, other.lat, other.lon) < 60 * 1852.0) {
                shared.push_back(l);
                break;
            }
    return shared;
}

class IlsReception : public navtest::ScriptRun {};

TEST_F(IlsReception, TheSetUpHearsTheLocalizerItNames) {
    const std::vector<Localizer> all = EveryLocalizer();
    ASSERT_GT(all.size(), 300u);
    std::string script = "frame-interval 1000\nwait 300\n";
    // NAV1's box is checked once: the page keeps it for the next opening. The page checks the
    // reception as soon as the aircraft is placed.
    for (const Localizer& l : all)
        script +=
            "menu 321\ndialog NAVAIDSTABSHEET\nclick 1902\ndialog NAVAIDSILSFAKE\nset 1485 \"" +
            l.listed + "\"\n" + (&l == &all.front() ? "click 1587\n" : "") +
            "click 1760\ndialog ILSSetup\nset 1542 10\nset 1541 " + std::to_string(l.feet) +
            "\nclick 1\nwait 200\nreport nav1\n";
    script += "quit\n";
    const auto r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out.substr(r.out.size() > 4000 ? r.out.size() - 4000 : 0);

    // The station heard after each set-up: the last reception the trace gave before its report.
    std::string heard;
    std::size_t from = 0;
    int wrong = 0;
    for (const Localizer& l : all) {
        const std::size_t report = r.out.find("report nav1=", from);
        ASSERT_NE(report, std::string::npos) << l.listed;
        for (std::size_t at = r.out.find("nav: NAV1 ", from); at < report;
             at = r.out.find("nav: NAV1 ", at + 1)) {
            // "nav: NAV1 108.70 I-INB 10.3 nm" or "nav: NAV1 108.70 none"
            const std::size_t ident = r.out.find(' ', at + 10) + 1;
            heard = r.out.substr(ident, r.out.find_first_of(" \n", ident) - ident);
        }
        from = report + 1;
        if (heard != l.ident) {
            ++wrong;
            ADD_FAILURE() << l.listed << ": NAV1 hears " << heard;
        }
    }
    EXPECT_EQ(wrong, 0) << "of " << all.size();
}

}  // namespace
