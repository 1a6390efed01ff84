// The elevator trim's marker as a pilot sees it while trimming, on every type's panel: the trim
// keys held one way and then the other in the running program, each time photographed and the
// flight saved; the marker stands where the saved trim puts it and moved with it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "cockpit/instruments.h"
#include "cockpit/panel_art_tables.h"
#include "cockpit/panel_layouts.h"
#include "support/panel_art.h"
#include "support/starter_run.h"

namespace {

using testsupport::IndexedPicture;
using testsupport::StarterRun;

// Where a type's elevator trim indicator stands on the full view, and its marker's colour.
struct TrimPlace {
    int x = 0, y = 0, colour = -1;
};
TrimPlace ElevatorTrimPlace(int type) {
    int count = 0;
    const cockpit::PanelRow* rows = cockpit::PanelRowsOf(type, &count);
    for (int i = 0; i < count; ++i)
        if (rows[i].op == cockpit::PanelOp::TrimWheel)
            return {rows[i].x, rows[i].y + cockpit::kFullViewOffset[type], rows[i].arg[0]};
    return {};
}

// The marker's upper row: the first row of the indicator's marker columns in its colour; -1 when
// none is.
int MarkerRow(const IndexedPicture& p, const TrimPlace& t) {
    for (int y = t.y - 4; y <= t.y + 36; ++y) {
        int n = 0;
        for (int x = t.x + 7; x <= t.x + 11; ++x)
            n += p.At(x, y) == t.colour ? 1 : 0;
        if (n >= 4) return y;
    }
    return -1;
}

// The row the saved trim puts the marker on: eleven pixels either way about row 20 of the
// indicator, nose-up trim lower (every type trims in steps of 8).
int RowOfTrim(const TrimPlace& t, long long trim) {
    return t.y + 20 - cockpit::ElevatorTrimMarkerOffset(static_cast<std::int32_t>(-(trim / 8)));
}

TEST(TrimMarkerRun, TheMarkerFollowsTheTrimOnEveryPanel) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    const struct {
        int type;
        const char* flight;
    } kTypes[] = {{0, "C172Fly.Flt"},
                  {1, "BonFly.Flt"},
                  {2, "BarFly.Flt"},
                  {3, "KingFly.Flt"},
                  {4, "JetFly.Flt"}};
    for (const auto& c : kTypes) {
        SCOPED_TRACE(c.flight);
        const TrimPlace place = ElevatorTrimPlace(c.type);
        ASSERT_GE(place.colour, 0);
        StarterRun run("zephlon-trim-marker", c.flight);
        const std::string d = run.Dir().Root();
        // Nose down for a while (Home), then nose up (End) for twice as long.
        const std::string script =
            "frame-interval 50\nwait 800\nscreenshot " + d + "/0.bmp\nsave " + d +
            "/0.flt\nkey Home down\nwait 8000\nkey Home up\nwait 300\nscreenshot " + d +
            "/1.bmp\nsave " + d + "/1.flt\nkey End down\nwait 16000\nkey End up\nwait 300\n" +
            "screenshot " + d + "/2.bmp\nsave " + d + "/2.flt\nquit\n";
        const auto r = run.Play(script);
        ASSERT_EQ(r.status, 0) << r.out;
        int rows[3];
        for (int i = 0; i < 3; ++i) {
            const std::string n = std::to_string(i);
            const long long trim =
                testsupport::SavedValue(run.Dir().Read(n + ".flt"), "elevatorTrim").value_or(0);
            rows[i] = MarkerRow(testsupport::ScreenIndices(run.Dir().Read(n + ".bmp")), place);
            EXPECT_EQ(rows[i], RowOfTrim(place, trim)) << "shot " << i << ", trim " << trim;
        }
        // Nose-down trim raised the marker, nose-up trim lowered it again.
        EXPECT_LE(rows[1], rows[0] - 3);
        EXPECT_GE(rows[2], rows[1] + 3);
    }
}

}  // namespace
