// The user's aircraft seen from outside in the running program, on the starter installation:
// each type's ready flight in SkyCam names its shape, submits faces and shows the aircraft in
// the middle of the picture; a running propeller changes the picture from frame to frame and a
// stopped one does not; on the Bonanza in the air, raising the gear takes the wheels from under
// the wings.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/endian.h"
#include "support/run_command.h"
#include "support/starter_flight.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

struct Bmp {
    int width = 0, height = 0;
    std::string bytes;
    std::uint32_t offset = 0, row = 0, bytesPerPixel = 0;
    explicit Bmp(std::string b) : bytes(std::move(b)) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
        if (bytes.size() < 54 || p[0] != 'B' || p[1] != 'M') return;
        bytesPerPixel = core::ReadU16(p + 28) / 8u;
        width = static_cast<int>(core::ReadU32(p + 18));
        height = static_cast<int>(core::ReadU32(p + 22));
        offset = core::ReadU32(p + 10);
        row = (static_cast<std::uint32_t>(width) * bytesPerPixel + 3) & ~3u;
    }
    // 0x00RRGGBB of a 24-bit picture, or of an 8-bit one through its colour table (a frame of
    // the picture alone is shot as it went to the screen, as indices).
    [[nodiscard]] std::uint32_t At(int x, int y) const {
        const auto* base = reinterpret_cast<const std::uint8_t*>(bytes.data());
        const auto* p = base + offset + row * static_cast<std::uint32_t>(height - 1 - y) +
                        static_cast<std::uint32_t>(x) * bytesPerPixel;
        if (bytesPerPixel == 1) p = base + 54 + 4u * *p;
        return (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
    }
};

struct ShapesInTheProgram : ::testing::Test {
    void SetUp() override {
        bin = std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun";
        install = fs::path(ZEPHLON_BINARY_DIR) / "install";
        if (!fs::exists(bin) || !fs::exists(install / "Flights"))
            GTEST_SKIP() << "simrun or the starter installation is not built";
    }
    // A folder with the installation's data and `startup` as the first flight; the script's
    // output.
    std::string Run(testsupport::TempFolder& dir, const std::string& startup, const std::string& script) {
        for (const fs::directory_entry& e : fs::directory_iterator(install))
            if (e.is_directory() && e.path().filename() != "Flights")
                testsupport::PlaceStarterFolder(e.path(), dir.Root());
        dir.MakeFolders("Flights");
        for (const fs::directory_entry& e : fs::directory_iterator(install / "Flights"))
            if (e.path().filename() != "Startup.Flt")
                fs::create_symlink(e.path(), fs::path(dir.Path("Flights")) / e.path().filename());
        dir.Write("Flights/Startup.Flt", startup);
        dir.Write("script.txt", script);
        const testsupport::CommandResult r =
            testsupport::RunCommand(bin + " --dir " + dir.Root() + " " + dir.Path("script.txt") + " 2>&1");
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
        return r.out;
    }
    std::string Flight(const char* name) {
        std::ifstream in(install / "Flights" / name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string bin;
    fs::path install;
};

// A pixel of the aircraft: not the sky's or the ground's, which fill each row from its left edge
// in one colour.
bool Lit(const Bmp& p, int x, int y) {
    return p.At(x, y) != p.At(0, y);
}

// Not the sky and not the ground: the terrain below is green (its grass and fields), the
// aircraft's paint, metal and tyres are not.
bool OnTheAircraft(const Bmp& p, int x, int y) {
    const std::uint32_t c = p.At(x, y);
    const int r = static_cast<int>((c >> 16) & 255), g = static_cast<int>((c >> 8) & 255),
              b = static_cast<int>(c & 255);
    return Lit(p, x, y) && !(g > r + 8 && g > b + 8);
}

TEST_F(ShapesInTheProgram, EachReadyFlightShowsItsAircraftInSkyCam) {
    const struct {
        const char* flight;
        const char* shape;
    } cases[] = {{"C172Fly.Flt", "172"}, {"BonFly.Flt", "bonanza"}, {"BarFly.Flt", "baron"},
                 {"KingFly.Flt", "kingair"}, {"JetFly.Flt", "citation"}};
    for (const auto& c : cases) {
        testsupport::TempFolder dir("zephlon-skycam");
        // From behind (the first preset), then from ahead (the fourth, once the camera has
        // flown round), where the propellers and the jet's fans face the camera.
        const std::string out =
            Run(dir, Flight(c.flight),
                "wait 1500\nmenu 1929\nwait 400\nreport shape shape_faces view\nscreenshot " + dir.Path("a.bmp") +
                    "\nmenu 1932\nwait 4000\nscreenshot " + dir.Path("c.bmp") + "\nwait 55\nscreenshot " +
                    dir.Path("d.bmp") + "\nquit\n");
        EXPECT_NE(out.find(std::string("report shape=") + c.shape + " "), std::string::npos) << out;
        const std::size_t at = out.find("shape_faces=");
        ASSERT_NE(at, std::string::npos) << out;
        EXPECT_GT(std::stoi(out.substr(at + 12)), 100) << c.shape;
        const Bmp a(dir.Read("a.bmp")), b(dir.Read("c.bmp")), d(dir.Read("d.bmp"));
        ASSERT_EQ(a.width, 640) << c.shape;
        ASSERT_TRUE(a.bytesPerPixel == 1 || a.bytesPerPixel == 3);
        // The aircraft stands at the middle of the picture, seen from behind: drawn pixels
        // round the centre, and as many left of it as right of it.
        int left = 0, right = 0, centre = 0;
        for (int y = 180; y < 300; ++y)
            for (int x = 100; x < 540; ++x) {
                if (!OnTheAircraft(a, x, y)) continue;
                (x < 320 ? left : right) += 1;
                if (x >= 300 && x < 340 && y >= 220 && y < 280) ++centre;
            }
        EXPECT_GT(centre, 200) << c.shape;
        EXPECT_NEAR(static_cast<double>(left) / (left + right), 0.5, 0.08) << c.shape;
        // Engines running: the propellers' (the fans') picture changes from one flight step to
        // the next (the jet's running fan has two frames: one step apart).
        ASSERT_EQ(d.width, 640);
        int changed = 0;
        for (int y = 150; y < 330; ++y)
            for (int x = 100; x < 540; ++x) changed += b.At(x, y) != d.At(x, y) ? 1 : 0;
        EXPECT_GT(changed, 0) << c.shape << ": the running propeller stands still";
    }
}

TEST_F(ShapesInTheProgram, AStoppedPropellerStandsStill) {
    testsupport::TempFolder dir("zephlon-skycam");
    Run(dir, Flight("C172Stop.Flt"),
        "wait 1500\nmenu 1932\nwait 4000\nscreenshot " + dir.Path("a.bmp") + "\nwait 55\nscreenshot " +
            dir.Path("b.bmp") + "\nquit\n");
    EXPECT_EQ(dir.Read("a.bmp"), dir.Read("b.bmp"));
}

TEST_F(ShapesInTheProgram, RaisingTheBonanzasGearTakesTheWheelsFromUnderItsWings) {
    // The ready Bonanza put in the air: 1000 ft above the runway at 65 m/s.
    std::string flight = Flight("BonFly.Flt");
    auto set = [&](const std::string& key, const std::string& value) {
        const std::size_t at = flight.find("\n" + key + "=");
        ASSERT_NE(at, std::string::npos) << key;
        const std::size_t end = flight.find('\n', at + 1);
        flight.replace(at + 1, end - at - 1, key + "=" + value);
    };
    set("fmPosY", "78029");
    set("fmOTG", "0");
    set("fmHVel", "4259840");
    set("fmTAVel", "4259840");
    set("fmThrot", "24000");
    // Flown hands off, without the take-off trim the flight ships.
    for (const char* key : {"fmElv", "fmElvCur", "elevatorTrim"}) set(key, "0");
    testsupport::TempFolder dir("zephlon-gear");
    const std::string shots = "wait 1000\nmenu 1929\nwait 300\nscreenshot " + dir.Path("down.bmp") +
                              "\nkey ] press\nwait 3000\nscreenshot " + dir.Path("up.bmp") + "\nquit\n";
    Run(dir, flight, shots);
    // Below the wings, either side of the propeller's disc, where the main legs hang out.
    auto belowTheWings = [](const Bmp& p) {
        int n = 0;
        for (int y = 276; y < 310; ++y)
            for (int dx = 31; dx < 48; ++dx)
                n += (OnTheAircraft(p, 320 - dx, y) ? 1 : 0) + (OnTheAircraft(p, 320 + dx, y) ? 1 : 0);
        return n;
    };
    const Bmp down(dir.Read("down.bmp")), up(dir.Read("up.bmp"));
    ASSERT_EQ(down.width, 640);
    ASSERT_EQ(up.width, 640);
    EXPECT_GT(belowTheWings(down), 60);
    EXPECT_LT(belowTheWings(up) * 4, belowTheWings(down)) << "the wheels are still out";
}

}  // namespace
