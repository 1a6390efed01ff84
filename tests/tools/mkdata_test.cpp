// The data maker, run as the real executable: the installation it makes is the same on every
// run, every member of every volume reads back through the program's own readers, the palettes
// darken toward night, and the default flights stand on real runways.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "core/resource_volume.h"
#include "core/stream_io.h"
#include "devices/wave.h"
#include "flight/aircraft_parameters.h"
#include "flight/published_performance.h"
#include "gfx/bitmap.h"
#include "gfx/font.h"
#include "gfx/palette.h"
#include "nav/city_search.h"
#include "nav/lat_lon.h"
#include "nav/map_outline.h"
#include "planning/aircraft_selection.h"
#include "planning/lesson_script.h"
#include "platform/file_system.h"
#include "support/audio.h"
#include "support/navdata_csv.h"
#include "support/run_command.h"
#include "support/temp_folder.h"
#include "ts/class_item.h"
#include "ts/material.h"
#include "ts/shape.h"
#include "win/dsound.h"

namespace {

namespace fs = std::filesystem;

constexpr double kPi = 3.14159265358979323846;

// Runs mkdata with arguments already quoted for the shell, after `environment` (an "env ..."
// prefix, or nothing); its exit code.
int RunMkdataWith(const std::string& args, const std::string& environment = {}) {
    const std::string command = environment + "'" + ZEPHLON_BINARY_DIR + "/bin/mkdata' " + args +
                                " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The build's own installation step keeps the spoken clips in the tree's data cache (a tree
// built inside another shares the outer one): runs here take them from there rather than speak
// them again.
std::string DataCache() {
    for (const char* at : {"/data-cache", "/../data-cache"}) {
        const fs::path p = fs::path(ZEPHLON_BINARY_DIR + std::string(at));
        if (fs::is_directory(p)) return "'--cache=" + p.lexically_normal().string() + "' ";
    }
    return {};
}

// A small world (the tiles round San Francisco Bay): the whole country is made once, by the
// build. A cold run takes nothing from the data cache.
int RunMkdata(const fs::path& out, bool cold = false, const std::string& environment = {},
              const std::string& options = "--terrain-box=-122.6,37.3,-122.0,37.9") {
    return RunMkdataWith((cold ? std::string() : DataCache()) + options + " '" +
                             ZEPHLON_SOURCE_DIR + "/data' '" + out.string() + "'",
                         environment);
}

bool EndsWith(const std::string& s, const char* end) {
    const std::size_t n = std::strlen(end);
    return s.size() >= n && s.compare(s.size() - n, n, end) == 0;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

using testsupport::ReadNavdataCsv;

class MkdataTest : public ::testing::Test {
protected:
    // The installation the build made, when it is newer than the data maker; otherwise one
    // made here. Only the test of two runs always runs the maker again.
    static void SetUpTestSuite() {
        const fs::path tool = ZEPHLON_BINARY_DIR "/bin/mkdata";
        if (access(tool.c_str(), X_OK) != 0) return;
        char pattern[] = "/tmp/zephlon-mkdata-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (made == nullptr) return;
        root = made;
        const fs::path built = ZEPHLON_BINARY_DIR "/install";
        std::error_code ec;
        const auto stamp = fs::last_write_time(built / ".stamp", ec);
        if (!ec && stamp > fs::last_write_time(tool, ec) && !ec) {
            install = built;
        } else if (RunMkdata(root / "install") == 0) {
            install = root / "install";
        }
    }
    static void TearDownTestSuite() {
        std::error_code ignored;
        if (!root.empty()) fs::remove_all(root, ignored);
        root.clear();
        install.clear();
    }
    void SetUp() override {
        ASSERT_FALSE(install.empty()) << "mkdata is not built or failed; build the mkdata target";
        previous = fs::current_path();
        fs::current_path(install);
        platform::ForgetFolderListings();
    }
    void TearDown() override {
        if (!previous.empty()) fs::current_path(previous);
        platform::ForgetFolderListings();
    }

    static std::unique_ptr<gfx::GFXPalette> Palette(const std::string& member) {
        core::ResourceVolume volume("Art\\Palettes.Vol", "Art\\Palettes", 0);
        return volume.LoadPalette(member, 0);
    }

    static fs::path root;
    static fs::path install;
    fs::path previous;
};

fs::path MkdataTest::root;
fs::path MkdataTest::install;

// Two fresh runs (the installation the build made may hold what the program wrote since): a
// cold one on one thread, and one that takes what it can from the build's data cache (the
// spoken clips) on three, over four tiles of terrain (made on three threads at once).
TEST_F(MkdataTest, TwoRunsWriteTheSameFilesAndNoSettings) {
    const fs::path first = root / "first";
    const fs::path second = root / "second";
    // The cold run is the first on its machine, as the build's is on a fresh one: its home and
    // temporary folder are new, so the sound server's client that espeak-ng opens as it starts
    // makes its runtime folder there, under a name drawn from the C library's generator. The
    // speech must not hear that.
    const fs::path home = root / "home";
    const fs::path temporary = root / "tmp";
    fs::create_directories(home);
    fs::create_directories(temporary);
    const std::string freshMachine =
        "env -u XDG_RUNTIME_DIR -u PULSE_RUNTIME_PATH -u PULSE_SERVER -u DISPLAY HOME='" +
        home.string() + "' TMPDIR='" + temporary.string() + "' ";
    const std::string fourTiles = "--terrain-box=-124,36,-120,40";
    ASSERT_EQ(RunMkdata(first, true, freshMachine, fourTiles + " --threads=1"), 0);
    ASSERT_EQ(RunMkdata(second, false, {}, fourTiles + " --threads=3"), 0);
    std::set<std::string> made;
    for (const auto& e : fs::recursive_directory_iterator(first)) {
        if (!e.is_regular_file()) continue;
        made.insert(fs::relative(e.path(), first).string());
        // The program's defaults apply at first start, and a plain installation has no
        // installation source.
        EXPECT_NE(e.path().extension(), ".ini") << e.path();
        EXPECT_FALSE(platform::EqualIgnoringCase(e.path().filename().string(), "Tandor.Inf"));
    }
    std::set<std::string> seen;
    for (const auto& e : fs::recursive_directory_iterator(second)) {
        if (!e.is_regular_file()) continue;
        const std::string rel = fs::relative(e.path(), second).string();
        ASSERT_EQ(made.count(rel), 1u) << rel << " only in the second run";
        EXPECT_TRUE(ReadFile(e.path()) == ReadFile(first / rel)) << rel << " differs";
        seen.insert(rel);
    }
    EXPECT_EQ(seen, made);
    EXPECT_GE(made.size(), 20u);
    int tiles = 0;
    for (const std::string& file : made)
        tiles += EndsWith(file, ".TED") ? 1 : 0;
    EXPECT_EQ(tiles, 4);
    // What does not depend on the terrain's box is what the build installed, byte for byte,
    // when the build's installation is of this maker.
    const fs::path built = ZEPHLON_BINARY_DIR "/install";
    std::error_code ec;
    const auto stamp = fs::last_write_time(built / ".stamp", ec);
    if (ec || stamp < fs::last_write_time(ZEPHLON_BINARY_DIR "/bin/mkdata", ec)) return;
    for (const char* file : {"Snd/TowerATC.Vol", "Snd/SndFx.Vol", "Art/Palettes.Vol",
                             "Art/Panel.Vol", "Art/Cockpit.Vol", "Art/3DShapes.Vol",
                             "Lessons/Lessons.Vol", "train/f01.avi"}) {
        EXPECT_TRUE(ReadFile(first / file) == ReadFile(built / file))
            << file << " of a cold run differs from the build's";
    }
}

TEST_F(MkdataTest, EveryMemberOfEveryVolumeReadsBack) {
    ts::InstallShapeClasses();
    const struct {
        const char* volume;
        const char* folder;
        std::size_t members;  // at least
    } volumes[] = {
        {"Snd\\SndFx.Vol", "Snd\\SndFx", 34},
        {"Snd\\TowerATC.Vol", "Snd\\TowerATC", 0},
        {"Art\\Palettes.Vol", "Art\\Palettes", 669},
        {"Art\\Panel.Vol", "Art\\Panel", 0},
        {"Art\\Cockpit.Vol", "Art\\Cockpit", 0},
        {"Art\\Wx.Vol", "Art\\Wx", 0},
        {"Art\\3DShapes.Vol", "Art\\3DShapes\\Planes", 5},
        {"Data\\Altitude.Vol", "Data\\Altitude", 0},
        {"Data\\Data.Vol", "Data\\Nav", 6},
        {"Art\\USA.Vol", "Art\\Terrain\\USA\\DML", 1},
        {"Lessons\\Lessons.Vol", "Lessons", 16},
        {"Data\\Perform.Vol", "Data\\Perform", 5},
    };
    for (const auto& v : volumes) {
        core::ResourceVolume volume(v.volume, v.folder, 0);
        ASSERT_EQ(volume.IsOpen(), 1) << v.volume;
        core::VolumeRStream* stream = volume.GetStream();
        EXPECT_EQ(stream->DroppedEntryCount(), 0u) << v.volume;
        EXPECT_TRUE(stream->IndexWasSorted()) << v.volume;
        EXPECT_GE(stream->Entries().size(), v.members) << v.volume;
        for (const core::VolumeEntry& e : stream->Entries()) {
            ASSERT_EQ(volume.OpenFile(e.name), 1) << e.name;
            std::vector<std::uint8_t> bytes(e.size + 1);
            EXPECT_EQ(core::ReadAll(*stream, e.size, bytes.data()), 1) << e.name;
            EXPECT_EQ(core::ReadAll(*stream, 1, bytes.data()), 0) << e.name << " is longer";
            volume.CloseFile();
            const std::string& n = e.name;
            if (n.size() > 4 && n.compare(n.size() - 4, 4, ".ppl") == 0) {
                auto p = volume.LoadPalette(n, 0);
                ASSERT_NE(p, nullptr) << n;
                EXPECT_NE(p->shadeTable, nullptr) << n;
                EXPECT_NE(p->translucentTable, nullptr) << n;
            } else if (n.size() > 4 && n.compare(n.size() - 4, 4, ".wav") == 0) {
                std::unique_ptr<devices::CWave> w = volume.LoadWave(std::stoi(n));
                ASSERT_NE(w, nullptr) << n;
                EXPECT_GT(w->GetDataSize(), 0u) << n;
            } else if (n.size() == 6 && n.compare(0, 3, "na.") == 0) {
                // The navigation tables: tests/nav reads them through the program's loaders.
                EXPECT_GE(e.size, 4u) << n;
            } else if (n == "states.bin" || n == "rcoast.bin" || n == "water.bin" ||
                       n == "dcoast.bin") {
                // The map's outlines: whole points that fill the member; tests/nav draws them.
                EXPECT_EQ(e.size, 4 + 8 * nav::DecodeMapOutline(bytes.data(), e.size).size()) << n;
                EXPECT_GT(e.size, 1000u) << n;
            } else if (EndsWith(n, ".dts") || EndsWith(n, ".dml") ||
                       (EndsWith(n, ".bmp") && std::string(v.volume) == "Art\\3DShapes.Vol")) {
                // The shapes, their material lists and textures, through the engine's loaders.
                ASSERT_EQ(volume.OpenFile(n), 1);
                if (EndsWith(n, ".dts")) {
                    EXPECT_NE(ts::ClassItem::load<ts::TSShape>(*stream, 0), nullptr) << n;
                } else if (EndsWith(n, ".dml")) {
                    EXPECT_NE(ts::ClassItem::load<ts::TSMaterialList>(*stream, 0), nullptr) << n;
                } else {
                    auto b = gfx::GFXBitmap::ReadNew(*stream, 0);
                    ASSERT_NE(b, nullptr) << n;
                    EXPECT_EQ(b->bitsPerPixel, 8) << n;
                    EXPECT_LE(b->width, 256) << n;
                }
                volume.CloseFile();
            } else if (n == "world.pal" || n == "gps.pal") {
                EXPECT_NE(volume.LoadPalette(n, 0), nullptr);
            } else if (n.size() > 4 && n.compare(n.size() - 4, 4, ".pal") == 0) {
                // A text palette: three header lines and ten static colours, then the 64 panel
                // colours the cockpit reads.
                ASSERT_EQ(volume.OpenFile(n), 1);
                char line[257];
                for (int i = 0; i < 13; ++i)
                    ASSERT_NE(volume.ReadLine(line, sizeof line), nullptr) << n;
                for (int i = 0; i < 64; ++i) {
                    ASSERT_NE(volume.ReadLine(line, sizeof line), nullptr) << n;
                    int r = -1, g = -1, b = -1;
                    ASSERT_EQ(std::sscanf(line, "%d %d %d", &r, &g, &b), 3) << n << ": " << line;
                    EXPECT_TRUE(r >= 0 && r < 256 && g >= 0 && g < 256 && b >= 0 && b < 256);
                }
                volume.CloseFile();
            } else if (n.size() > 4 && (n.compare(n.size() - 4, 4, ".mag") == 0 ||
                                        n.compare(n.size() - 4, 4, ".nor") == 0)) {
                EXPECT_EQ(e.size, 32768u) << n;  // one grid of 128 x 128 angles
            } else if (n == "terrain.dml") {
                EXPECT_GT(e.size, 8u);
            } else if (n.size() > 4 && (n.compare(n.size() - 4, 4, ".bmp") == 0 ||
                                        n.compare(n.size() - 4, 4, ".BMP") == 0)) {
                // ("knggps.BMP", the King Air's GPS bezel, is named in capitals.)
                auto b = volume.LoadBitmap(n, 0);
                ASSERT_NE(b, nullptr) << n;
                EXPECT_EQ(b->bitsPerPixel, 8) << n;
                // The sky's and the runways' art: bodies of 32 pixels, textures the 256 x 256
                // the renderer addresses.
                const bool body = n.rfind("Moon", 0) == 0 || n == "Sun.bmp";
                const bool texture = std::string(v.volume) == "Art\\Wx.Vol" || n == "rwymark.bmp" ||
                                     n == "asphalt.bmp" || n == "turf.bmp";
                if (body || texture) {
                    EXPECT_EQ(b->width, body ? 32 : 256) << n;
                    EXPECT_EQ(b->height, body ? 32 : 256) << n;
                }
            } else if (n.size() > 4 && n.compare(n.size() - 4, 4, ".pft") == 0) {
                auto f = volume.LoadFont(n);
                ASSERT_NE(f, nullptr) << n;
                // The runway lights' images: discs of eight sizes.
                if (n.find("lght.pft") != std::string::npos) {
                    EXPECT_EQ(f->count, 8) << n;
                }
            } else if (n == "rwys.bin" || n == "buildings.bin" || n == "obstacle.bin") {
                // Checked record by record by the airport tests.
                EXPECT_GT(e.size, 4000u) << n;
            } else if (n.rfind("zq", 0) == 0 || n.rfind("lDesc", 0) == 0 ||
                       n.rfind("mDesc", 0) == 0) {
                // Lesson scripts read through the program's reader; descriptions have a line.
                ASSERT_EQ(volume.OpenFile(n), 1);
                if (n[0] == 'z') {
                    static planning::LessonScript script;
                    EXPECT_EQ(planning::LoadLessonScript(
                                  script, [&volume](char* b, int size) { return volume.ReadLine(b, size); }),
                              1)
                        << n;
                } else {
                    char line[256];
                    ASSERT_NE(volume.ReadLine(line, sizeof line), nullptr) << n;
                    EXPECT_GT(std::strlen(line), 10u) << n;
                }
                volume.CloseFile();
            } else if (std::string(v.volume) == "Data\\Perform.Vol" && n.size() == 6 &&
                       n[0] == 'P' && n.substr(2) == ".Txt") {
                // The aircraft selection's texts fit its buffer and list the figures line by line.
                EXPECT_LE(e.size, static_cast<std::uint32_t>(planning::PerformanceText::kSize)) << n;
                ASSERT_EQ(volume.OpenFile(n), 1);
                auto text = std::make_unique<planning::PerformanceText>();
                std::string bytes(e.size, '\0');
                ASSERT_EQ(volume.ReadRecords(bytes.data(), 1, static_cast<int>(e.size)), static_cast<int>(e.size)) << n;
                volume.CloseFile();
                text->Assign(bytes);
                int lines = 0;
                while (text->NextLine() != nullptr) ++lines;
                EXPECT_GE(lines, 15) << n;
            } else if (n == "cities.txt") {
                // A line a city with its airports, read through the program's reader: every
                // state capital within the world (all but Juneau's and Honolulu's) has some; a city
                // outside it is listed with none.
                ASSERT_EQ(volume.OpenFile(n), 1);
                std::set<std::string> listed;
                char line[512];
                while (volume.ReadLine(line, sizeof line) != nullptr) {
                    const std::string text = line;
                    EXPECT_EQ(std::count(text.begin(), text.end(), '|'), 3) << text;
                    if (text.back() == '|') {
                        const std::string state = text.substr(text.find('|') + 1, 2);
                        EXPECT_TRUE(state == "AK" || state == "HI") << text;
                        continue;
                    }
                    EXPECT_GE(text.size() - text.rfind('|'), 4u) << text;
                    listed.insert(text.substr(0, text.find('|', text.find('|') + 1)));
                }
                volume.CloseFile();
                EXPECT_GT(listed.size(), 300u);
                for (const auto& r : ReadNavdataCsv("../places-us/cities.csv")) {
                    if (r.size() > 3 && r[3] == "1" && r[1] != "AK" && r[1] != "HI") {
                        EXPECT_EQ(listed.count(r[0] + "|" + r[1]), 1u) << r[0];
                    }
                }
            } else if (n == "aptstate.txt") {
                // A line an airport with its state, most of the country's fields.
                ASSERT_EQ(volume.OpenFile(n), 1);
                int lines = 0;
                char line[64];
                while (volume.ReadLine(line, sizeof line) != nullptr) {
                    const std::string text = line;
                    ++lines;
                    EXPECT_EQ(text.size() - text.find('|'), 3u) << text;
                }
                volume.CloseFile();
                EXPECT_GT(lines, 12000);
            } else {
                ADD_FAILURE() << "unexpected member " << n << " in " << v.volume;
            }
        }
    }
}

// Every phrase a shipped lesson says is a clip the speech queue can play: each SAY line's number
// and, where the copilot takes the aircraft, "my aircraft" and "your aircraft".
TEST_F(MkdataTest, EveryPhraseALessonSaysIsAClip) {
    core::ResourceVolume lessons("Lessons\\Lessons.Vol", "Lessons", 0);
    core::ResourceVolume speech("Snd\\TowerATC.Vol", "Snd\\TowerATC", 0);
    ASSERT_EQ(lessons.IsOpen(), 1);
    ASSERT_EQ(speech.IsOpen(), 1);
    std::set<int> said;
    int scripts = 0;
    for (const core::VolumeEntry& e : lessons.GetStream()->Entries()) {
        if (e.name.rfind("zq", 0) != 0) continue;
        ++scripts;
        static planning::LessonScript script;
        ASSERT_EQ(lessons.OpenFile(e.name), 1) << e.name;
        ASSERT_EQ(planning::LoadLessonScript(
                      script, [&lessons](char* b, int size) { return lessons.ReadLine(b, size); }),
                  1)
            << e.name;
        lessons.CloseFile();
        for (int i = 0; i < script.count; ++i) {
            const planning::LessonStatement& s = script.rows[static_cast<std::size_t>(i)];
            // A TIMER line is a SAY of no phrase: a wait.
            if (s.type == planning::kLessonSay && s.operand[0] > 0) said.insert(s.operand[0]);
            if (s.type == planning::kLessonExec && s.operand[0] == planning::kPhraseMyAircraft) {
                said.insert(planning::kPhraseMyAircraft);
                said.insert(planning::kPhraseYourAircraft);
            }
        }
    }
    EXPECT_GE(scripts, 11);
    EXPECT_GE(said.size(), 20u);
    for (int id : said) {
        const std::unique_ptr<devices::CWave> clip = speech.LoadWave(id);
        ASSERT_NE(clip, nullptr) << "no clip " << id << ".wav";
        EXPECT_GT(clip->GetDataSize(), 5000u) << id;  // spoken words, not a click
    }
}

// Every city of the list selects an airport near it: within 30 nm of the city's position, the
// airport's from the public airports' list (no field of a far town of the name, no fallback
// across a state). Dover, Delaware, is the one exception: the only fields nearer are the air
// force base and private strips, so it gets New Castle, 32 nm north.
TEST_F(MkdataTest, EveryCitySelectsAnAirportNearIt) {
    core::ResourceVolume volume("Data\\Data.Vol", "Data\\Nav", 0);
    ASSERT_EQ(volume.IsOpen(), 1);
    ASSERT_EQ(volume.OpenFile("cities.txt"), 1);
    std::map<std::string, std::string> first;  // "name|state": the first airport's code
    char line[512];
    while (volume.ReadLine(line, sizeof line) != nullptr) {
        const std::string text = line;
        const std::size_t codes = text.rfind('|');
        first[text.substr(0, text.find('|', text.find('|') + 1))] =
            text.substr(codes + 1, text.find(' ', codes) - codes - 1);
    }
    volume.CloseFile();
    std::map<std::string, std::pair<double, double>> airports;
    for (const auto& r : ReadNavdataCsv("airport.csv"))
        if (r.size() >= 7 && r[0] != "icao") airports[r[0]] = {std::stod(r[4]), std::stod(r[5])};
    const auto nm = [](double lat1, double lon1, double lat2, double lon2) {
        const double k = 3.14159265358979 / 180.0;
        const double h =
            std::pow(std::sin((lat2 - lat1) * k / 2), 2) +
            std::cos(lat1 * k) * std::cos(lat2 * k) * std::pow(std::sin((lon2 - lon1) * k / 2), 2);
        return 2 * 3440.065 * std::asin(std::sqrt(h));
    };
    int cities = 0;
    for (const auto& r : ReadNavdataCsv("../places-us/cities.csv")) {
        if (r.size() < 8 || r[0] == "name") continue;
        const std::string key = r[0] + "|" + r[1];
        if (r[1] == "AK" || r[1] == "HI") {  // outside the world: listed with no airport
            EXPECT_EQ(first[key], "") << key;
            continue;
        }
        ++cities;
        ASSERT_EQ(first.count(key), 1u) << key;
        const auto a = airports.find(first[key]);
        ASSERT_NE(a, airports.end()) << key << " " << first[key];
        const double away = nm(std::stod(r[4]), std::stod(r[5]), a->second.first, a->second.second);
        EXPECT_LE(away, key == "Dover|DE" ? 33.0 : 30.0) << key << " " << first[key];
        EXPECT_TRUE(r.size() < 9 || r[8].empty() || first[key] == r[8]) << key;  // its airline airport
    }
    EXPECT_GT(cities, 380);
}

// Each airport's state, against the towns the fields are named for: every field of a K code
// whose name or tower's name holds a listed town's (the nearest such town, within 60 km) lies in
// that town's state, but for the fields known to lie across a state line from the town they
// serve. Fields of other countries have none.
TEST_F(MkdataTest, EveryAirportNamedForATownHasThatTownsState) {
    core::ResourceVolume volume("Data\\Data.Vol", "Data\\Nav", 0);
    ASSERT_EQ(volume.IsOpen(), 1);
    ASSERT_EQ(volume.OpenFile("aptstate.txt"), 1);
    std::string text;
    std::map<std::string, std::string> states;
    char line[64];
    while (volume.ReadLine(line, sizeof line) != nullptr) {
        text += std::string(line) + "\n";
        const std::string row = line;
        states[row.substr(0, row.find('|'))] = row.substr(row.find('|') + 1);
    }
    volume.CloseFile();
    EXPECT_EQ(nav::StateOfAirport(text, "KSQL"), "CA");  // the program's reader
    const auto words = [](const std::string& name) {
        std::vector<std::string> out;
        std::string word;
        for (const char ch : name + " ") {
            if (std::isalnum(static_cast<unsigned char>(ch))) {
                word += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
                continue;
            }
            if (word == "st") word = "saint";
            if (word == "ft") word = "fort";
            if (!word.empty()) out.push_back(word);
            word.clear();
        }
        return out;
    };
    const auto holds = [](const std::vector<std::string>& name,
                          const std::vector<std::string>& part) {
        return !part.empty() &&
               std::search(name.begin(), name.end(), part.begin(), part.end()) != name.end();
    };
    const auto km = [](double lat1, double lon1, double lat2, double lon2) {
        const double k = 3.14159265358979 / 180.0;
        const double h =
            std::pow(std::sin((lat2 - lat1) * k / 2), 2) +
            std::cos(lat1 * k) * std::cos(lat2 * k) * std::pow(std::sin((lon2 - lon1) * k / 2), 2);
        return 2 * 6371.0 * std::asin(std::sqrt(h));
    };
    std::map<std::string, std::vector<std::vector<std::string>>> towers;
    for (const auto& f : ReadNavdataCsv("frequency.csv"))
        if (f.size() >= 4 && f[1] == "tower") towers[f[0]].push_back(words(f[3]));
    const auto cities = ReadNavdataCsv("../places-us/cities.csv");
    // Across the line from the town they serve: Cincinnati's in Kentucky, Kansas City's in
    // Missouri, Red Wing's in Wisconsin, St. Louis's downtown and regional fields in Illinois,
    // Toledo Suburban in Michigan, Vicksburg's in Louisiana, Washington's two in Virginia.
    const std::set<std::string> acrossTheLine = {"KCVG", "KMCI", "KRGK", "KCPS", "KALN",
                                                 "KDUH", "KTVR", "KIAD", "KDCA"};
    int named = 0, withState = 0, wrong = 0;
    for (const auto& a : ReadNavdataCsv("airport.csv")) {
        if (a.size() != 7) continue;
        const std::string state = states.count(a[0]) != 0 ? states[a[0]] : "";
        withState += !state.empty();
        // An international code not of the states, a Canadian field's "C" with two letters and
        // a digit, a Mexican one's "MM" or a Bahamian one's "MY" with a letter and a digit.
        const bool letters = std::all_of(a[0].begin(), a[0].end(), ::isalpha);
        const bool foreign =
            a[0].size() == 4 &&
            ((letters && a[0][0] != 'K' && a[0][0] != 'P') ||
             (std::isdigit(static_cast<unsigned char>(a[0][3])) &&
              ((a[0][0] == 'C' && std::isalpha(static_cast<unsigned char>(a[0][1])) &&
                std::isalpha(static_cast<unsigned char>(a[0][2]))) ||
               a[0].rfind("MM", 0) == 0 ||
               (a[0].rfind("MY", 0) == 0 && std::isalpha(static_cast<unsigned char>(a[0][2]))))));
        if (foreign) {
            EXPECT_EQ(state, "") << a[0] << " " << a[1];
        }
        if (a[0].size() != 4 || a[0][0] != 'K' || acrossTheLine.count(a[0]) != 0) continue;
        std::vector<std::vector<std::string>> names = towers[a[0]];
        names.push_back(words(a[1]));
        const std::vector<std::string>* town = nullptr;
        double nearest = 60;
        for (const auto& c : cities) {
            if (c.size() < 8 || c[0] == "name") continue;
            const std::vector<std::string> townWords = words(c[0]);
            if (std::none_of(names.begin(), names.end(),
                             [&](const auto& n) { return holds(n, townWords); }))
                continue;
            const double away =
                km(std::stod(a[4]), std::stod(a[5]), std::stod(c[4]), std::stod(c[5]));
            if (away < nearest) {
                nearest = away;
                town = &c;
            }
        }
        if (town == nullptr) continue;
        ++named;
        if (state != (*town)[1]) {
            ++wrong;
            std::printf("state of %s %s: %s, named for %s %s\n", a[0].c_str(), a[1].c_str(),
                        state.c_str(), (*town)[0].c_str(), (*town)[1].c_str());
        }
    }
    std::printf("%d airports with a state; %d fields named for a town, %d in another state\n",
                withState, named, wrong);
    EXPECT_GT(withState, 12500);
    EXPECT_GT(named, 700);
    // St. Joseph's field too, on the far side of the Missouri as the borders' outline draws it.
    EXPECT_EQ(wrong, 0);
}

TEST_F(MkdataTest, PalettesTheProgramAsksFor) {
    core::ResourceVolume volume("Art\\Palettes.Vol", "Art\\Palettes", 0);
    std::vector<std::string> names;
    for (int level = 0; level < 32; ++level) {
        for (const char* kind : {"es", "eu", "is", "iu"})
            names.push_back("tod" + std::string(kind) + "b" + std::to_string(level) + ".ppl");
    }
    // Panel palettes by coarse time of day, for the panel and every look direction.
    const char* panels[] = {"s", "b", "ba", "k", "j"};
    const char* views[] = {"172", "bon", "bar", "kin", "cit"};
    const char* directions[] = {"f", "fl", "l", "bl", "b", "br", "r", "fr"};
    for (int index = 0; index < 12; ++index) {
        for (const char* p : panels)
            names.push_back(std::string(p) + "_pnl" + std::to_string(index) + ".pal");
        for (const char* v : views) {
            for (const char* d : directions)
                names.push_back(std::string(v) + "_" + d + std::to_string(index) + ".pal");
        }
    }
    for (const std::string& n : names)
        EXPECT_GE(volume.GetStream()->GetEntrySize(n), 0) << n;
}

double Brightness(const gfx::GFXPalette& p) {
    double sum = 0.0;
    for (int i = 74; i <= 245; ++i)
        sum += 3.0 * p.entries[i].red + 6.0 * p.entries[i].green + p.entries[i].blue;
    return sum / (2550.0 * (245 - 74 + 1));
}

TEST_F(MkdataTest, DaylightIsBrightAndNightIsDarkAndBlue) {
    auto day = Palette("todesb0.ppl");
    auto night = Palette("todesb31.ppl");
    ASSERT_NE(day, nullptr);
    ASSERT_NE(night, nullptr);
    EXPECT_GT(Brightness(*day), 0.35);
    EXPECT_LT(Brightness(*night), 0.1);
    EXPECT_GT(Brightness(*day), 5.0 * Brightness(*night));
    long red = 0, blue = 0;
    for (int i = 74; i <= 245; ++i) {
        red += night->entries[i].red;
        blue += night->entries[i].blue;
    }
    EXPECT_GT(blue, red);
    // Every level is at most as bright as the one before it, and keeps the static colours.
    double previous = 2.0;
    for (int level = 0; level < 32; ++level) {
        auto p = Palette("todesb" + std::to_string(level) + ".ppl");
        ASSERT_NE(p, nullptr) << level;
        const double b = Brightness(*p);
        EXPECT_LE(b, previous) << level;
        previous = b;
        for (const int i : {0, 7, 9, 246, 250, 255})
            EXPECT_EQ(p->entries[i], day->entries[i]) << "entry " << i << " at level " << level;
    }
}

TEST_F(MkdataTest, ShadeAndTranslucencyTables) {
    auto p = Palette("todesb0.ppl");
    ASSERT_NE(p, nullptr);
    ASSERT_NE(p->shadeTable, nullptr);
    const int rows = 1 << p->shadeShift;
    const auto same = [&](int a, int b) {
        const gfx::GFXPaletteEntry& x = p->entries[a];
        const gfx::GFXPaletteEntry& y = p->entries[b];
        return x.red == y.red && x.green == y.green && x.blue == y.blue;
    };
    const int lastGroup = ((1 << p->shadeBits) - 1) * rows;
    for (int c = 10; c <= 245; ++c) {
        // Haze level 0: full intensity keeps the colour.
        EXPECT_TRUE(same(p->shadeTable[((rows - 1) << 8) | c], c)) << c;
        // A colour seen through itself is itself.
        EXPECT_TRUE(same(p->translucentTable[c * 256 + c], c)) << c;
        if (c < 74) continue;
        // The world's colours: none gives black's nearest, full haze looks the same whatever
        // the colour, and no row leads into the panel's entries, which the cockpit replaces.
        EXPECT_EQ(p->shadeTable[c], p->shadeTable[74]) << c;
        EXPECT_EQ(p->shadeTable[((lastGroup + rows - 1) << 8) | c],
                  p->shadeTable[((lastGroup + rows - 1) << 8) | 74])
            << c;
        for (int row = 0; row < (lastGroup + rows); ++row)
            EXPECT_GE(p->shadeTable[(row << 8) | c], 74) << c << " row " << row;
    }
    for (const int c : {0, 5, 9, 246, 255})
        EXPECT_EQ(p->shadeTable[(3 << 8) | c], c) << "static colours are not shaded";
}

// The entries the drawing code uses by number hold what it means by them at every light level:
// outlines (77, 81, 86, 156), the ground (88), the sky and its alternative (245, 244), the
// stars (230); every other world colour is still found by the nearest-colour search.
TEST_F(MkdataTest, WorldPalettesKeepTheirNumberedEntries) {
    for (int level : {0, 16, 31}) {
        auto p = Palette("todesb" + std::to_string(level) + ".ppl");
        ASSERT_NE(p, nullptr);
        const auto& e = p->entries;
        EXPECT_GT(e[88].green, e[88].red) << "ground is green, level " << level;
        EXPECT_GT(e[88].green, e[88].blue);
        EXPECT_GT(e[245].blue, e[245].red) << "sky is blue";
        EXPECT_GT(e[244].blue, e[244].red);
        EXPECT_GT(e[244].red + e[244].green, e[245].red + e[245].green) << "the alternative sky is paler";
        EXPECT_GE(e[230].red, 240) << "stars stay white at night";
        EXPECT_GE(e[230].blue, 240);
        EXPECT_GT(e[86].green, e[86].blue) << "soft runways are earthy";
        if (level != 0) continue;
        for (int i : {77, 81, 156})
            EXPECT_LE(std::abs(e[i].red - e[i].blue), 8) << i << " is a grey by day";
        // The ramps round them: each colour's nearest entry shows that colour.
        for (int i = 74; i <= 243; ++i) {
            if (i == 77 || i == 81 || i == 86 || i == 88 || i == 156 || i == 230) continue;
            const std::uint32_t rgb = e[i].red | (e[i].green << 8) | (e[i].blue << 16);
            const int found = p->FindNearest(rgb);
            EXPECT_TRUE(e[found].red == e[i].red && e[found].green == e[i].green && e[found].blue == e[i].blue) << i;
        }
    }
}

TEST_F(MkdataTest, LoadingScreen) {
    auto picture = gfx::GFXBitmap::LoadNew("Art\\Intro\\loading.bmp");
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->width, 640);
    EXPECT_EQ(picture->height, 480);
    EXPECT_EQ(picture->bitsPerPixel, 8);
    auto palette = gfx::GFXPalette::LoadNew("Art\\Intro\\loading.pal");
    ASSERT_NE(palette, nullptr);
    std::set<int> used;
    for (int y = 0; y < picture->height; ++y) {
        for (int x = 0; x < picture->width; ++x)
            used.insert(picture->Row(y)[x]);
    }
    EXPECT_GT(used.size(), 100u) << "a picture, not a fill";
    for (const int i : used)
        EXPECT_TRUE(i >= 10 && i <= 245) << "the picture uses static entry " << i;
}

// Local flat coordinates, metres east and north of a reference point.
struct Local {
    double east, north;
};
Local ToLocal(double lat, double lon, double refLat, double refLon) {
    const double r = 6371008.8;
    return {(lon - refLon) * kPi / 180.0 * r * std::cos(refLat * kPi / 180.0),
            (lat - refLat) * kPi / 180.0 * r};
}

TEST_F(MkdataTest, DefaultFlightsStandOnRealRunways) {
    std::map<std::string, std::string> kind;
    for (const auto& r : ReadNavdataCsv("airport.csv"))
        kind[r[0]] = r.size() > 2 ? r[2] : "";
    const auto runways = ReadNavdataCsv("runway.csv");

    const struct {
        const char* file;
        int type;
        bool running;
        bool ready = running;  // masters on
    } flights[] = {
        // The first flight is met ready but for its engine, at the start and at a restart.
        {"Startup.Flt", 0, false, true}, {"C172Stop.Flt", 0, false}, {"C172Fly.Flt", 0, true},
        {"BonStop.Flt", 1, false},       {"BonFly.Flt", 1, true},    {"BarStop.Flt", 2, false},
        {"BarFly.Flt", 2, true},         {"KingStop.Flt", 3, false}, {"KingFly.Flt", 3, true},
        {"JetStop.Flt", 4, false},       {"JetFly.Flt", 4, true},    {"Lesson.Flt", 0, true},
    };
    for (const auto& f : flights) {
        const std::string path = (install / "Flights" / f.file).string();
        ASSERT_TRUE(fs::exists(path)) << f.file;
        core::IniFile ini(path.c_str());
        EXPECT_EQ(ini.GetInt("Aircraft", "type", -1), f.type) << f.file;
        const std::int32_t x = ini.GetInt("Aircraft", "fmPosX", 0);
        const std::int32_t z = ini.GetInt("Aircraft", "fmPosZ", 0);
        const std::int32_t y = ini.GetInt("Aircraft", "fmPosY", 0);
        const double heading = (ini.GetInt("Aircraft", "fmHead", 0) & 0xFFFF) * 360.0 / 65536.0;
        EXPECT_EQ(ini.GetInt("Aircraft", "fmOTG", 0), 1) << f.file;
        EXPECT_EQ(ini.GetInt("Aircraft", "fmEngines", -1) != 0, f.running) << f.file;
        // Every flight starts with the brakes set; ready ones with the masters on.
        EXPECT_NE(ini.GetInt("Aircraft", "fmLBrake", 0), 0) << f.file;
        EXPECT_EQ(ini.GetInt("Panel", "master", -1), f.ready ? 1 : 0) << f.file;
        // Mixtures rich; the King Air's condition levers at low idle.
        EXPECT_EQ(ini.GetInt("Panel", "mixture", -1), f.type == 3 ? 15 : 31) << f.file;
        EXPECT_GT(ini.GetInt("Aircraft", "fmFuel1", 0), 0) << f.file;
        EXPECT_NE(ini.GetInt("Time", "cur", 0), 0) << f.file;

        double lat = 0, lonWest = 0;
        nav::WorldToLatLon(&lat, &lonWest, x, z);
        const double lon = -lonWest;

        // The runway whose centre line the aircraft stands on, facing along it: its true
        // heading is the world heading less the meridian's convergence.
        const double trueHeading = heading - nav::MeridianConvergence(lonWest);
        std::string airport;
        double offLine = 1e9;
        double worldCourse = 0.0;
        for (const auto& r : runways) {
            if (r.size() < 11) continue;
            const double lat1 = std::stod(r[4]), lon1 = std::stod(r[5]);
            const double lat2 = std::stod(r[8]), lon2 = std::stod(r[9]);
            if (std::fabs(lat1 - lat) > 0.1 || std::fabs(lon1 - lon) > 0.1) continue;
            const Local end = ToLocal(lat2, lon2, lat1, lon1);
            const Local at = ToLocal(lat, lon, lat1, lon1);
            const double length = std::hypot(end.east, end.north);
            if (length < 100.0) continue;
            const double ux = end.east / length, uy = end.north / length;
            const double along = at.east * ux + at.north * uy;
            const double across = std::fabs(at.east * uy - at.north * ux);
            if (along < 0.0 || along > length || across > 10.0) continue;
            const double course = std::atan2(ux, uy) * 180.0 / kPi;
            for (const int reverse : {0, 1}) {
                const double diff = std::remainder(trueHeading - course - 180.0 * reverse, 360.0);
                if (std::fabs(diff) >= 1.0 || across >= offLine) continue;
                offLine = across;
                airport = r[0];
                // The same runway laid out in the world plane from its projected ends.
                std::int32_t x1 = 0, z1 = 0, x2 = 0, z2 = 0;
                nav::LatLonToWorld(&x1, &z1, lat1, -lon1);
                nav::LatLonToWorld(&x2, &z2, lat2, -lon2);
                worldCourse =
                    std::atan2(double(x2) - x1, double(z2) - z1) * 180.0 / kPi + 180.0 * reverse;
            }
        }
        ASSERT_FALSE(airport.empty()) << f.file << " is not on a runway, facing along it, at "
                                      << lat << ", " << lon << " heading " << heading;
        EXPECT_LT(offLine, 10.0) << f.file;
        EXPECT_LT(std::fabs(std::remainder(heading - worldCourse, 360.0)), 0.1)
            << f.file << " does not face along the runway in the world plane";
        // Wheels on the ground: the height counts from the ground under the aircraft.
        EXPECT_EQ(y, flight::AircraftParametersForType(f.type).apGearHeight) << f.file;
        EXPECT_EQ(kind[airport], "land") << f.file << " at " << airport;
    }
}

// Every flight shipped listens to COM1 from the start, as a pilot does: a tower tuned is heard.
TEST_F(MkdataTest, EveryFlightListensToCom1) {
    int flights = 0;
    for (const fs::directory_entry& e : fs::directory_iterator(install / "Flights")) {
        if (e.path().extension() != ".Flt") continue;
        core::IniFile ini(e.path().string().c_str());
        EXPECT_EQ(ini.GetInt("Panel", "audioMixCom1", 0), 1) << e.path().filename();
        ++flights;
    }
    EXPECT_GT(flights, 20);
}

// Bad command lines and bad data end with a message and a failure code, never a crash.
// The sound effects: every clip the program plays, in the format the speech ring copies raw,
// with the tones, lengths and seamless loops the sound code relies on.
// The lessons' start: the 172 in the air over KSQL, level at 3,000 ft with the cruise power, the
// brakes off and the autopilot let go (the lesson runs show it holding its height).
TEST_F(MkdataTest, TheLessonsStartInLevelCruise) {
    core::IniFile ini((install / "Flights" / "Cruise.Flt").string().c_str());
    EXPECT_EQ(ini.GetInt("Aircraft", "type", -1), 0);
    EXPECT_EQ(ini.GetInt("Aircraft", "fmOTG", -1), 0);
    EXPECT_EQ(ini.GetInt("Aircraft", "fmEngines", -1), 1);
    EXPECT_EQ(ini.GetInt("Aircraft", "fmLBrake", -1), 0);
    EXPECT_NEAR(ini.GetInt("Aircraft", "fmPosY", 0) / 256.0 / 0.3048, 3000.0, 1.0);
    const double knots = ini.GetInt("Aircraft", "fmHVel", 0) / 65536.0 / 0.514444;
    EXPECT_GT(knots, 100.0);
    EXPECT_LT(knots, 130.0);
    EXPECT_LT(std::abs(ini.GetInt("Aircraft", "fmVVel", 99) / 65536.0), 0.1);
    EXPECT_EQ(ini.GetInt("Aircraft", "fmThrot", 0), 22 * 1057);  // where the lever puts it
    // Near the field: within 3 nm of the aircraft on KSQL's runway.
    core::IniFile field((install / "Flights" / "Lesson.Flt").string().c_str());
    const double dx = ini.GetInt("Aircraft", "fmPosX", 0) - static_cast<double>(field.GetInt("Aircraft", "fmPosX", 0));
    const double dz = ini.GetInt("Aircraft", "fmPosZ", 0) - static_cast<double>(field.GetInt("Aircraft", "fmPosZ", 0));
    EXPECT_LT(std::hypot(dx, dz) / 474112.0, 3.0);
}

// The in-air starts of each type, which the placements in the air load: in the air with the
// engines running and the brakes off, trimmed hands off (the trim holds the elevator, the stick
// centred); in cruise clean at one of the published cruise speeds of its altitude; in the pattern
// with the first flaps and the gear down; on final with the landing flaps and the gear down;
// neither slower than the published stall speed with full flaps.
TEST_F(MkdataTest, EachTypeHasItsInAirStarts) {
    const char* const prefix[5] = {"C172", "Bon", "Bar", "King", "Jet"};
    const int landingFlaps[5] = {3, 2, 2, 2, 3};
    for (int type = 0; type < 5; ++type) {
        const flight::PublishedPerformance& published = flight::PublishedPerformanceForType(type);
        for (const char* leg : {"Air", "Pattern", "Final"}) {
            const std::string file = std::string(prefix[type]) + leg + ".Flt";
            const fs::path path = install / "Flights" / file;
            ASSERT_TRUE(fs::exists(path)) << file;
            core::IniFile ini(path.string().c_str());
            EXPECT_EQ(ini.GetInt("Aircraft", "type", -1), type) << file;
            EXPECT_EQ(ini.GetInt("Aircraft", "fmOTG", -1), 0) << file;
            EXPECT_EQ(ini.GetInt("Aircraft", "fmEngines", -1), type >= 2 ? 3 : 1) << file;
            EXPECT_EQ(ini.GetInt("Aircraft", "fmLBrake", -1), 0) << file;
            EXPECT_EQ(ini.GetInt("Panel", "elevatorTrim", 1), ini.GetInt("Aircraft", "fmElv", 0)) << file;
            EXPECT_EQ(ini.GetInt("Panel", "kbElevator", 1), 0) << file;
            EXPECT_EQ(ini.GetInt("Panel", "audioMixCom1", 0), 1) << file;
            const int flaps = ini.GetInt("Aircraft", "fmFlaps", -1);
            const int gearDown = ini.GetInt("Aircraft", "fmGear", -1);
            const double feet = ini.GetInt("Aircraft", "fmPosY", 0) / 256.0 / 0.3048;
            const double knots = ini.GetInt("Aircraft", "fmTAVel", 0) / 65536.0 / 0.514444;
            EXPECT_GT(knots, published.stallFlapsKnots) << file;
            EXPECT_EQ(ini.GetInt("Panel", "gear", -1), gearDown != 0 ? 0 : 1) << file;
            if (std::string(leg) == "Air") {
                EXPECT_EQ(flaps, 0) << file;
                EXPECT_EQ(gearDown, type == 0 ? 1 : 0) << file;  // the 172's gear is fixed
                double nearest = 1e9;
                for (const flight::CruisePoint& c : published.cruise)
                    if (std::fabs(c.altitudeFeet - feet) < 1.0)
                        nearest = std::min(nearest, std::fabs(c.trueAirspeedKnots - knots) / c.trueAirspeedKnots);
                EXPECT_LT(nearest, 0.05) << file << " at " << feet << " ft, " << knots << " kt";
            } else {
                EXPECT_EQ(flaps, std::string(leg) == "Final" ? landingFlaps[type] : 1) << file;
                EXPECT_EQ(gearDown, 1) << file;
            }
        }
    }
}

TEST_F(MkdataTest, EffectClipsSoundAsTheyShould) {
    core::ResourceVolume volume("Snd\\SndFx.Vol", "Snd\\SndFx", 0);
    auto samples = [&](int id) {
        std::vector<double> out;
        std::unique_ptr<devices::CWave> w = volume.LoadWave(id);
        if (!w) return out;
        win::WAVEFORMATEX f;
        EXPECT_EQ(w->GetFormat(&f), 1);
        EXPECT_EQ(f.wFormatTag, 1) << id;
        EXPECT_EQ(f.nChannels, 1) << id;
        EXPECT_EQ(f.wBitsPerSample, 8) << id;
        EXPECT_EQ(f.nSamplesPerSec, 11025u) << id;
        for (std::uint8_t b : w->ReadAllData())
            out.push_back(b - 128.0);
        return out;
    };
    for (int id : {2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,  14,  15,  16,  17,  18,
                   19, 20, 21, 23, 24, 25, 26, 27, 28, 29, 30, 100, 101, 195, 196, 200, 201})
        EXPECT_FALSE(samples(id).empty()) << "clip " << id;
    // Starters outlast the 10000 bytes before their end at which the engine is asked to catch.
    for (int id : {4, 9, 17, 24})
        EXPECT_GT(samples(id).size(), 10000u) << id;
    // Tones: Morse at 1020 Hz (the DME's at 1350), markers at 400, 1300 and 3000, the horn 1600.
    const struct {
        int id;
        double hz;
        double toneSeconds;  // 0: a loop, not measured
    } tones[] = {{100, 1020, 0.12}, {101, 1020, 0.36}, {200, 1350, 0.12}, {201, 1350, 0.36},
                 {21, 400, 0},      {20, 1300, 0},     {16, 3000, 0}};
    for (const auto& t : tones) {
        const std::vector<double> x = samples(t.id);
        const std::vector<testsupport::Segment> seg = testsupport::Segments(x, 11025, 2, 60);
        ASSERT_FALSE(seg.empty()) << t.id;
        EXPECT_NEAR(seg.front().hz, t.hz, t.hz * 0.03) << t.id;
        if (t.toneSeconds > 0) {
            ASSERT_EQ(seg.size(), 1u) << t.id;
            EXPECT_NEAR(seg.front().length / 11025.0, t.toneSeconds, 0.01) << t.id;
            // One unit of silence after the tone, so elements of a character keep a unit apart.
            EXPECT_NEAR((x.size() - seg.front().length) / 11025.0, 0.12, 0.01) << t.id;
        }
    }
    EXPECT_NEAR(testsupport::Pitch(samples(5), 11025, 1000, 2500), 1600, 40);
    EXPECT_NEAR(samples(196).size() / 11025.0, 0.24, 0.01);
    EXPECT_EQ(testsupport::Rms(samples(195)), 0);
    // Engines fire at their own rate: the 172 at 28 a second, the bigger piston at 36.
    EXPECT_NEAR(testsupport::Pitch(samples(2), 11025, 20, 70), 28, 1.5);
    EXPECT_NEAR(testsupport::Pitch(samples(10), 11025, 20, 70), 36, 2);
    // Loops join their start without a click: the seam is no bigger a step than the clip takes.
    for (int id : {2, 5, 8, 10, 16, 19, 20, 21, 25, 29}) {
        const std::vector<double> x = samples(id);
        ASSERT_GT(x.size(), 2u);
        double largest = 0;
        for (std::size_t i = 1; i < x.size(); ++i)
            largest = std::max(largest, std::abs(x[i] - x[i - 1]));
        EXPECT_LE(std::abs(x.front() - x.back()), largest) << "clip " << id;
    }
}

TEST(MkdataCommandLine, FailsCleanly) {
    ASSERT_EQ(access(ZEPHLON_BINARY_DIR "/bin/mkdata", X_OK), 0) << "mkdata is not built";
    char pattern[] = "/tmp/zephlon-mkdata-bad-XXXXXX";
    const fs::path root = mkdtemp(pattern);
    const std::string airports =
        "icao,name,kind,elev_ft,lat,lon,towered\nKSQL,San Carlos,land,5,37.51,-122.25,1\n";
    const struct {
        const char* what;
        const char* airportCsv;  // null: no data folder at all
        const char* runwayCsv;
    } cases[] = {
        {"no data folder", nullptr, nullptr},
        {"no runway of the start-up airport", "", "icao,width_m\n"},
        {"a runway whose numbers do not read", "",
         "icao,width_m,surface,id1,lat1,lon1,displaced1_m,id2,lat2,lon2,displaced2_m\n"
         "KSQL,22.86,1,12,37.51x,-122.25,0.00,30,37.50,-122.24,0.00\n"},
        {"an empty runway table", "", ""},
    };
    int n = 0;
    for (const auto& c : cases) {
        const fs::path data = root / ("data" + std::to_string(n));
        const fs::path out = root / ("out" + std::to_string(n++));
        if (c.airportCsv != nullptr) {
            fs::create_directories(data / "navdata-us");
            std::ofstream(data / "navdata-us" / "airport.csv") << airports << c.airportCsv;
            std::ofstream(data / "navdata-us" / "runway.csv") << c.runwayCsv;
            // The radio's phrases come first: the real table (its clips from the build's cache).
            fs::copy(fs::path(ZEPHLON_SOURCE_DIR) / "data" / "speech", data / "speech");
        }
        EXPECT_EQ(RunMkdataWith(DataCache() + "'" + data.string() + "' '" + out.string() + "'"), 1)
            << c.what;
    }
    EXPECT_EQ(RunMkdataWith(""), 2);
    EXPECT_EQ(RunMkdataWith("a b c"), 2);
    for (const char* threads : {"0", "x", "", "2000"})
        EXPECT_EQ(RunMkdataWith(std::string("--threads=") + threads + " a b"), 2) << threads;
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

// A published lake level whose point lies in no lake of the outlines stops the maker, naming it.
TEST(MkdataCommandLine, AWaterLevelOutsideEveryLakeIsNamed) {
    ASSERT_EQ(access(ZEPHLON_BINARY_DIR "/bin/mkdata", X_OK), 0) << "mkdata is not built";
    testsupport::TempFolder dir{"zephlon-mkdata-levels"};
    for (const fs::directory_entry& e :
         fs::directory_iterator(fs::path(ZEPHLON_SOURCE_DIR) / "data"))
        if (e.is_directory() && e.path().filename() != "water-us")
            fs::create_symlink(e.path(), fs::path(dir.Path(e.path().filename().string())));
    dir.MakeFolders("water-us");
    dir.Write("water-us/levels.csv",
              "name,kind,lat,lon,feet,radius_m,source\n"
              "Dry Lake,lake,39.0,-117.0,5000,,nowhere\n");
    const testsupport::CommandResult r =
        testsupport::RunCommand(std::string("'") + ZEPHLON_BINARY_DIR + "/bin/mkdata' " +
                                DataCache() + "--terrain-box=-122.6,37.3,-122.0,37.9 '" +
                                dir.Root() + "' '" + dir.Path("out") + "' 2>&1");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("the level of Dry Lake (39.0000, -117.0000) lies in no lake"),
              std::string::npos)
        << r.out;
}

// A summit without its source, or a crest naming a place no file holds or joining places too
// far apart to share a crest, stops the maker, naming the file's line.
TEST(MkdataCommandLine, ABadSummitOrCrestIsNamed) {
    ASSERT_EQ(access(ZEPHLON_BINARY_DIR "/bin/mkdata", X_OK), 0) << "mkdata is not built";
    const std::string summits =
        "name,lat,lon,feet,source\n"
        "Mount Diablo CA,37.8817,-121.9142,3849,somewhere\n"
        "Mount Tamalpais CA,37.9291,-122.5778,2571,somewhere\n";
    const std::string passes = "name,lat,lon,feet,source\nSome Pass CA,37.85,-121.95,2000,here\n";
    const struct {
        std::string summits, ridges;
        const char* says;
    } cases[] = {
        {summits + "Mount Nowhere CA,37.7,-122.2,2000,\n", "ridge,from,to\n",
         "summits.csv line 4 must read name,lat,lon,feet,source"},
        {summits, "ridge,from,to\nDiablo,Mount Diablo CA,Nowhere Pass CA\n",
         "ridges.csv line 2: no summit or place named \"Nowhere Pass CA\""},
        {summits, "ridge,from,to\nBay,Mount Diablo CA,Mount Tamalpais CA\n",
         "ridges.csv line 2: Mount Diablo CA and Mount Tamalpais CA lie "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        testsupport::TempFolder dir{"zephlon-mkdata-summits"};
        for (const fs::directory_entry& e :
             fs::directory_iterator(fs::path(ZEPHLON_SOURCE_DIR) / "data"))
            if (e.is_directory() && e.path().filename() != "places-us")
                fs::create_symlink(e.path(), fs::path(dir.Path(e.path().filename().string())));
        dir.MakeFolders("places-us");
        fs::create_symlink(fs::path(ZEPHLON_SOURCE_DIR) / "data/places-us/cities.csv",
                           fs::path(dir.Path("places-us/cities.csv")));
        dir.Write("places-us/heights.csv", "name,lat,lon,feet,source\n");
        dir.Write("places-us/summits.csv", c.summits);
        dir.Write("places-us/passes.csv", passes);
        dir.Write("places-us/ridges.csv", c.ridges);
        const testsupport::CommandResult r =
            testsupport::RunCommand(std::string("'") + ZEPHLON_BINARY_DIR + "/bin/mkdata' " +
                                    DataCache() + "--terrain-box=-122.6,37.3,-122.0,37.9 '" +
                                    dir.Root() + "' '" + dir.Path("out") + "' 2>&1");
        EXPECT_EQ(r.status, 1) << r.out;
        EXPECT_NE(r.out.find(c.says), std::string::npos) << r.out;
    }
}

// A damaged phrase table stops the maker before it speaks, naming the line.
TEST(MkdataCommandLine, ABadPhraseTableNamesItsLine) {
    ASSERT_EQ(access(ZEPHLON_BINARY_DIR "/bin/mkdata", X_OK), 0) << "mkdata is not built";
    testsupport::TempFolder dir{"zephlon-mkdata-phrases"};
    const struct {
        const char* table;  // null: no table
        const char* says;
    } cases[] = {
        {nullptr, "cannot read"},
        {"1 one\n", "phrases.txt:1: a line before the first section"},
        {"[words]\n1 one\n[nowhere]\n", "phrases.txt:3: unknown section [nowhere]"},
        {"[words\n", "without ']'"},
        {"[words]\n1 one\n# a comment\n\n1 uno\n", "phrases.txt:5: clip 4501 is made twice"},
        {"[pilot]\n5000 tower\n[words]\n-1000 x\n", "phrases.txt:4: expected an id"},
        {"[words]\n12\n", "expected an id, blanks and a text"},
        {"[controller]\n65300 far\n", "beyond 65535"},
        {"[traffic]\n195 -\n", "clip 195 is made twice (also the module)"},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string data = "data" + std::to_string(n++);
        dir.MakeFolders(data + "/speech");
        if (c.table != nullptr) dir.Write(data + "/speech/phrases.txt", c.table);
        const testsupport::CommandResult r = testsupport::RunCommand(
            std::string("'") + ZEPHLON_BINARY_DIR + "/bin/mkdata' '" + dir.Path(data) + "' '" +
            dir.Path("out") + "' 2>&1");
        EXPECT_EQ(r.status, 1) << c.says;
        EXPECT_NE(r.out.find("mkdata: speech: "), std::string::npos) << r.out;
        EXPECT_NE(r.out.find(c.says), std::string::npos) << r.out;
    }
}

}  // namespace
