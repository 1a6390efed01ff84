// The program's dialogs as a user meets them, driven by the committed scripts beside this test
// in the starter installation: a flight saved under a typed name and resumed, a save over it
// answered No, a shipped flight resumed from the list with Enter, a message box closed with
// Enter and pictured while it is up; the option dialogs changing what the user keeps, and context
// help from right clicks, the Help menu and a popup's link; a ground-school lesson seen and heard.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/run_command.h"
#include "support/starter_run.h"
#include "support/temp_folder.h"
#include "ui/help_popup.h"
#include "win/avi_file.h"

namespace {

namespace fs = std::filesystem;

// The skin's dialog face and the upper half of its active caption.
constexpr std::uint32_t kSkinFace = 0xD4D9E0;
constexpr std::uint32_t kSkinCaption = 0x6088B6;

// A 24-bit or 8-bit BMP's pixels as 0x00RRGGBB; ~0 outside it.
class Picture {
public:
    explicit Picture(std::string bytes) : bytes_(std::move(bytes)) {}
    [[nodiscard]] std::uint32_t At(int x, int y) const {
        const auto* b = reinterpret_cast<const unsigned char*>(bytes_.data());
        if (bytes_.size() < 54 || b[0] != 'B') return ~0u;
        const unsigned offset = b[10] | (b[11] << 8) | (b[12] << 16);
        const int bpp = b[28] / 8, width = b[18] | (b[19] << 8), height = b[22] | (b[23] << 8);
        if (x < 0 || y < 0 || x >= width || y >= height || (bpp != 1 && bpp != 3)) return ~0u;
        const std::size_t row = (static_cast<std::size_t>(width) * bpp + 3) & ~std::size_t{3};
        const std::size_t at = offset + row * static_cast<std::size_t>(height - 1 - y) + static_cast<std::size_t>(x) * bpp;
        if (at + bpp > bytes_.size()) return ~0u;
        const unsigned char* c = bpp == 3 ? b + at : b + 54 + 4 * b[at];
        return (std::uint32_t{c[2]} << 16) | (std::uint32_t{c[1]} << 8) | c[0];
    }

private:
    std::string bytes_;
};

class DialogScripts : public ::testing::Test {
protected:
    void SetUp() override {
        bin = std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun";
        const fs::path install = fs::path(ZEPHLON_BINARY_DIR) / "install";
        if (!fs::exists(bin) || !fs::exists(install / "Flights"))
            GTEST_SKIP() << "simrun or the starter installation is not built";
        // The data folders are linked; the flights and the pilots are copied, since the scripts
        // save flights and the pilot's file.
        testsupport::LinkStarterFolders(dir, {"Flights", "PILOT"});
    }

    // Runs a committed script with "@dir" standing for the test's folder.
    testsupport::CommandResult Run(const char* name) {
        dir.Write(name, testsupport::CommittedScript(std::string("ui/scripts/") + name, dir.Root()));
        return testsupport::RunCommand(bin + " --dir " + dir.Root() + " " + dir.Path(name) + " 2>&1");
    }

    static void InOrder(const std::string& out, std::initializer_list<const char*> lines) {
        std::size_t at = 0;
        for (const char* line : lines) {
            at = out.find(line, at);
            ASSERT_NE(at, std::string::npos) << "missing or out of order: " << line << "\n" << out;
        }
    }

    std::string bin;
    testsupport::TempFolder dir{"zephlon-dialogs"};
};

TEST_F(DialogScripts, SaveUnderATypedNameResumeItAndRefuseToReplaceIt) {
    const auto first = Run("save-flight.simrun");
    ASSERT_EQ(first.status, 0) << first.out;
    InOrder(first.out, {"dialog Save Flight ended 1", "dialog Resume Flight ended 1",
                        "flight: resumed Flights\\MyFirst.Flt", "exit=0"});
    const std::string saved = dir.Read("Flights/MyFirst.Flt");
    ASSERT_FALSE(saved.empty());
    EXPECT_NE(saved.find("[Aircraft]"), std::string::npos) << saved.substr(0, 200);

    const auto second = Run("dialogs.simrun");
    ASSERT_EQ(second.status, 0) << second.out;
    InOrder(second.out, {"already exists.", "dialog GENERIC ended 7", "dialog Save Flight ended 0",
                         "dialog Resume Flight ended 1", "flight: resumed Flights\\C172Fly.Flt",
                         "Not yet implemented!", "screenshot ", "dialog GENERIC ended 6", "exit=0"});
    EXPECT_EQ(second.out.find("simrun:"), std::string::npos) << second.out;
    // Answering No kept the flight byte for byte.
    EXPECT_EQ(dir.Read("Flights/MyFirst.Flt"), saved);

    // The picture shows the box in the program's skin: its face in the middle of the screen
    // and the caption's blue above it.
    const Picture shot(dir.Read("message.bmp"));
    EXPECT_EQ(shot.At(250, 220), kSkinFace);
    EXPECT_EQ(shot.At(300, 187), kSkinCaption);
}

TEST_F(DialogScripts, FullScreenKeepsTheFrozenFrameUnderTheBox) {
    const auto run = Run("full-screen-dialog.simrun");
    ASSERT_EQ(run.status, 0) << run.out;
    InOrder(run.out, {"window: full screen", "Not yet implemented!", "dialog GENERIC ended 6", "exit=0"});
    const Picture shot(dir.Read("full-screen.bmp"));
    EXPECT_EQ(shot.At(250, 220), kSkinFace) << "no box over the full-screen picture";
    int red = 0;  // the frame's brakes readout beside the box
    for (int y = 150; y < 175; ++y)
        for (int x = 0; x < 60; ++x) red += shot.At(x, y) == 0xFF0000u ? 1 : 0;
    EXPECT_GT(red, 20) << "the frozen frame is gone";
}

}  // namespace

// The mean brightness (0 to 765) of the pixels the world draws: those that are not black and not
// a readout's pure red or white; -1 when there are too few to tell.
double MeanWorldLight(const Picture& p) {
    double sum = 0;
    int n = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const std::uint32_t c = p.At(x, y);
            if (c == 0 || c == 0xFF0000 || c == 0xFFFFFF || c == ~0u) continue;
            sum += (c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF);
            ++n;
        }
    return n < 1000 ? -1 : sum / n;
}

std::string IniValue(const std::string& ini, const std::string& section, const std::string& key) {
    const std::size_t s = ini.find("[" + section + "]");
    if (s == std::string::npos) return {};
    const std::size_t next = ini.find("\n[", s + 1);
    const std::size_t k = ini.find("\n" + key + "=", s);
    if (k == std::string::npos || (next != std::string::npos && k > next)) return {};
    const std::size_t from = k + key.size() + 2;
    return ini.substr(from, ini.find_first_of("\r\n", from) - from);
}

TEST_F(DialogScripts, OptionDialogsChangeWhatTheUserKeeps) {
    const auto run = Run("options.simrun");
    ASSERT_EQ(run.status, 0) << run.out;
    InOrder(run.out, {"dialog Brightness ended 1", "dialog TimeDate ended 1", "save ",
                      "dialog SETUPCAMS ended 1", "read 1789 ListBox", "rows=185",
                      "dialog ABOUTBOX ended 1", "dialog PAUSED ended 1", "exit=0"});
    EXPECT_EQ(run.out.find("simrun:"), std::string::npos) << run.out;
    const std::string ini = dir.Read("Zephlon.ini");
    EXPECT_EQ(IniValue(ini, "Settings", "GammaLevel"), "80") << ini;
    EXPECT_EQ(IniValue(ini, "Views", "sc0Dist"), "3000000");
    EXPECT_EQ(IniValue(ini, "Views", "sc0Head"), "-47123");
    // 07:30:00 UTC on 15 June 1999, give or take the simulated minute since.
    const long long cur = std::atoll(IniValue(dir.Read("clock.Flt"), "Time", "cur").c_str());
    EXPECT_GE(cur, 929431800LL);
    EXPECT_LT(cur, 929431800LL + 60);
    // Where the world draws a picture, the one after is brighter (a world that draws nothing
    // yet leaves nothing to compare).
    const double before = MeanWorldLight(Picture(dir.Read("before.bmp")));
    const double after = MeanWorldLight(Picture(dir.Read("after.bmp")));
    if (before >= 0) {
        EXPECT_GT(after, before);
    }
}

// Esc closes a help popup, and the next click lands where it is made: the box clicked after
// it is checked, and the settings keep it; the box whose help was shown is left as it was.
TEST_F(DialogScripts, AClickAfterEscClosesAHelpPopupIsAClick) {
    const auto run = Run("help-esc.simrun");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out.find("simrun:"), std::string::npos) << run.out;
    InOrder(run.out, {"help popup", "read 1705 Button \"Mute\"", "dialog SoundVolume ended 1"});
    const std::string ini = dir.Read("Zephlon.ini");
    EXPECT_EQ(IniValue(ini, "Sound", "atcMute"), "1") << ini;
    EXPECT_EQ(IniValue(ini, "Sound", "engMute"), "0") << ini;
}

// Resume Flight offers the flights a user flies (the start flight, the parked and ready pairs,
// the lessons' cruise) and none of the in-air starts kept for placing the aircraft.
TEST_F(DialogScripts, ResumeFlightOffersNoInAirStarts) {
    const auto run = Run("resume-list.simrun");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out.find("simrun:"), std::string::npos) << run.out;
    for (const char* offered : {"\"Startup.Flt\"", "\"C172Fly.Flt\"", "\"KingStop.Flt\"", "\"Cruise.Flt\""})
        EXPECT_NE(run.out.find(offered), std::string::npos) << offered << "\n" << run.out;
    for (const char* type : {"C172", "Bon", "Bar", "King", "Jet"})
        for (const char* leg : {"Air", "Pattern", "Final"}) {
            const std::string name = "\"" + std::string(type) + leg + ".Flt\"";
            EXPECT_EQ(run.out.find(name), std::string::npos) << name;
            EXPECT_TRUE(fs::exists(dir.Path("Flights/" + name.substr(1, name.size() - 2)))) << "still installed";
        }
}

// Save Flight offers the flights a user saved or may replace (the start flight, the lessons'
// cruise), none of the starts the program places aircraft with; such a name typed by hand is
// refused, and the start stays as shipped.
TEST_F(DialogScripts, SaveFlightNeitherOffersNorTakesThePlacementStarts) {
    const std::string shipped = dir.Read("Flights/C172Stop.Flt");
    const auto run = Run("save-list.simrun");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out.find("simrun:"), std::string::npos) << run.out;
    for (const char* offered : {"\"Startup.Flt\"", "\"Cruise.Flt\""})
        EXPECT_NE(run.out.find(offered), std::string::npos) << offered << "\n" << run.out;
    for (const char* type : {"C172", "Bon", "Bar", "King", "Jet"})
        for (const char* leg : {"Stop", "Fly", "Air", "Pattern", "Final"}) {
            const std::string name = "\"" + std::string(type) + leg + ".Flt\"";
            EXPECT_EQ(run.out.find(name), std::string::npos) << name;
        }
    EXPECT_NE(run.out.find("belongs to a start the program places aircraft with"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(dir.Read("Flights/C172Stop.Flt"), shipped);
}

// Under its message box a dialog takes no clicks: one box, no what's-this mode, no Cancel; the
// dialog goes on once the box is closed.
TEST_F(DialogScripts, ADialogUnderItsBoxTakesNoClicks) {
    const auto run = Run("box-over-dialog.simrun");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out.find("simrun:"), std::string::npos) << run.out;
    std::size_t boxes = 0;
    for (std::size_t at = 0; (at = run.out.find("dialog GENERIC \"Zephlon\": Enter the hours",
                                                at)) != std::string::npos;
         ++at)
        ++boxes;
    EXPECT_EQ(boxes, 1u) << run.out;
    EXPECT_EQ(run.out.find("help popup"), std::string::npos) << run.out;
    // Still open after the box, the Logbook took the hours (the script's expect) and ended by
    // its own Cancel.
    EXPECT_NE(run.out.find("expect 1976 \"1.0\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("dialog LOGBOOKS ended 0"), std::string::npos) << run.out;
}

TEST_F(DialogScripts, RightClicksShowTheIndexsTextsAndLinksOpenTopics) {
    const auto run = Run("help.simrun");
    ASSERT_EQ(run.status, 0) << run.out;
    ui::HelpPopup index;
    ASSERT_EQ(index.LoadIndexBytes(dir.Read("help/popups.bin")), 1);
    const std::string ok(index.FindText(0x752F0001, nullptr));
    const std::string slider(index.FindText(ui::RemapHelpId(0x4E2106A5), nullptr));
    InOrder(run.out, {("help popup 0x752F0001 (1966014465): " + ok).c_str(),
                      ("help popup 0x4E2106A5 (" + std::to_string(ui::RemapHelpId(0x4E2106A5)) +
                       "): " + slider)
                          .c_str(),
                      "dialog SoundVolume ended 0", "help topic 10460: Flying Basics",
                      "help index: ", "help popup 0x4E2007A7 (10448): ", "popups link",
                      "help popup link 10674", "help topic 10674: Options", "exit=0"});
    // The help window stands in the middle of the picture: white with green links.
    const Picture shot(dir.Read("help.bmp"));
    int white = 0, green = 0;
    for (int y = 100; y < 380; ++y)
        for (int x = 130; x < 500; ++x) {
            white += shot.At(x, y) == 0xFFFFFF ? 1 : 0;
            green += shot.At(x, y) == 0x008000 ? 1 : 0;
        }
    EXPECT_GT(white, 50000);
    EXPECT_GT(green, 200);
}

namespace {

// The distinct pictures of a clip as 0x00RRGGBB, top row first.
std::vector<std::vector<std::uint32_t>> DistinctFrames(const std::string& bytes, win::AviClip* clip) {
    std::string error;
    if (!win::ReadAviClip(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), clip, &error)) return {};
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(clip->width) * static_cast<std::size_t>(clip->height));
    std::vector<std::vector<std::uint32_t>> out;
    for (std::size_t i = 0; i < clip->FrameCount(); ++i) {
        if (!win::DecodeAviFrame(*clip, i, frame.data())) return {};
        std::vector<std::uint32_t> rgb(frame.size());
        for (std::size_t p = 0; p < frame.size(); ++p) rgb[p] = clip->palette[frame[p]];
        if (out.empty() || out.back() != rgb) out.push_back(std::move(rgb));
    }
    return out;
}

// Where one of the pictures shows whole in the screenshot; {-1, -1} when none does.
std::pair<int, int> FindPicture(const Picture& shot, const std::vector<std::vector<std::uint32_t>>& frames, int w, int h) {
    for (const auto& f : frames)
        for (int y = 0; y + h <= 480; ++y)
            for (int x = 0; x + w <= 640; ++x) {
                if (shot.At(x, y) != f[0] || shot.At(x + w - 1, y + h - 1) != f.back()) continue;
                bool all = true;
                for (int r = 0; r < h && all; ++r)
                    for (int c = 0; c < w && all; ++c) all = shot.At(x + c, y + r) == f[static_cast<std::size_t>(r * w + c)];
                if (all) return {x, y};
            }
    return {-1, -1};
}

// A 16-bit stereo PCM WAV's left channel at `rate` (every other sample at twice the rate);
// empty when it is not such a file.
std::vector<double> WavLeft(const std::string& wav, int rate) {
    const auto* b = reinterpret_cast<const unsigned char*>(wav.data());
    if (wav.size() < 44 || wav.compare(0, 4, "RIFF") != 0 || b[22] != 2 || b[34] != 16) return {};
    const int have = b[24] | (b[25] << 8) | (b[26] << 16);
    const std::size_t step = have == 2 * rate ? 8 : have == rate ? 4 : 0;
    std::vector<double> out;
    for (std::size_t at = 44; step != 0 && at + 1 < wav.size(); at += step)
        out.push_back(static_cast<std::int16_t>(b[at] | (b[at + 1] << 8)));
    return out;
}

// The best normalised correlation of `heard` with `played` started up to `maxLag` samples
// earlier.
double BestCorrelation(const std::vector<double>& heard, const std::vector<double>& played, std::size_t maxLag) {
    double best = 0;
    const std::size_t n = std::min<std::size_t>(heard.size(), 10000);
    for (std::size_t lag = 0; lag <= maxLag && lag + n <= played.size(); lag += 2) {
        double xy = 0, xx = 0, yy = 0;
        for (std::size_t i = 0; i < n; ++i) {
            xy += heard[i] * played[lag + i];
            xx += heard[i] * heard[i];
            yy += played[lag + i] * played[lag + i];
        }
        if (xx > 0 && yy > 0) best = std::max(best, xy / std::sqrt(xx * yy));
    }
    return best;
}

}  // namespace

TEST_F(DialogScripts, GroundSchoolPlaysTheChosenLessonWithItsSound) {
    const auto run = Run("ground-school.simrun");
    ASSERT_EQ(run.status, 0) << run.out;
    InOrder(run.out, {"video play ", "f03.avi", "screenshot ", "audio ", "dialog GroundInstruction ended 0", "exit=0"});
    EXPECT_EQ(run.out.find("simrun:"), std::string::npos) << run.out;

    // A picture of the lesson's own video shows whole on the screen.
    win::AviClip clip;
    const auto frames = DistinctFrames(dir.Read("train/f03.avi"), &clip);
    ASSERT_FALSE(frames.empty());
    const auto at = FindPicture(Picture(dir.Read("video.bmp")), frames, clip.width, clip.height);
    EXPECT_GE(at.first, 0) << "no picture of f03.avi on the screen";

    // What the card played while the picture showed is the lesson's narration (the effects
    // are shut down meanwhile), started within the first half second of the clip.
    ASSERT_GT(clip.soundRate, 0);
    std::vector<double> narration;
    for (std::uint8_t v : clip.sound) narration.push_back(v - 128.0);
    const std::vector<double> heard = WavLeft(dir.Read("video.wav"), clip.soundRate);
    ASSERT_GT(heard.size(), static_cast<std::size_t>(clip.soundRate) * 2);
    EXPECT_GT(BestCorrelation(heard, narration, static_cast<std::size_t>(clip.soundRate) / 2), 0.6);
}

namespace {

// The help ids of the dialog templates, as the help texts' source names them ("[20041 Loading]").
std::map<std::string, std::uint32_t> HelpIdsOfTemplates() {
    std::map<std::string, std::uint32_t> ids;
    std::ifstream in(std::string(ZEPHLON_SOURCE_DIR) + "/data/help/popups.txt");
    std::string line;
    while (std::getline(in, line)) {
        unsigned id = 0;
        char name[64] = {};
        if (std::sscanf(line.c_str(), "[%u %63[^]]]", &id, name) == 2) ids[name] = id;
    }
    return ids;
}

struct HelpAsked {
    int control;
    std::string templateName;
    std::uint32_t key;
    std::string text;
};

// Each "click ID right in TEMPLATE" of a sweep with the popup that answered it.
std::vector<HelpAsked> SweptPopups(const std::string& out) {
    std::vector<HelpAsked> asked;
    std::istringstream in(out);
    std::optional<HelpAsked> pending;
    for (std::string line; std::getline(in, line);) {
        const std::size_t click = line.find("] click ");
        const std::size_t within = line.find(" right in ");
        if (click != std::string::npos && within != std::string::npos) {
            pending = HelpAsked{std::atoi(line.c_str() + click + 8), line.substr(within + 10), 0, {}};
            continue;
        }
        const std::size_t popup = line.find("] help popup 0x");
        if (popup == std::string::npos || !pending) continue;
        pending->key = static_cast<std::uint32_t>(std::stoul(line.substr(popup + 13, 10), nullptr, 16));
        pending->text = line.substr(line.find("): ", popup) + 3);
        asked.push_back(*pending);
        pending.reset();
    }
    return asked;
}

}  // namespace

// Every control of every dialog a menu reaches answers a right click with the installed help's
// text for it: under the dialog's own help id (a sheet's page has its own), never the fallback.
TEST_F(DialogScripts, EveryControlOfEveryDialogShowsItsHelpText) {
    const auto sweep = Run("help-everywhere.simrun");
    ASSERT_EQ(sweep.status, 0) << sweep.out;
    const auto approach = Run("help-approach.simrun");
    ASSERT_EQ(approach.status, 0) << approach.out;
    ui::HelpPopup index;
    ASSERT_EQ(index.LoadIndexBytes(dir.Read("help/popups.bin")), 1);
    const std::map<std::string, std::uint32_t> ids = HelpIdsOfTemplates();
    ASSERT_GT(ids.size(), 50u);

    std::vector<HelpAsked> asked = SweptPopups(sweep.out);
    for (const HelpAsked& a : SweptPopups(approach.out))
        asked.push_back(a);
    std::set<std::string> templates;
    for (const HelpAsked& a : asked) {
        SCOPED_TRACE(a.templateName + " control " + std::to_string(a.control));
        templates.insert(a.templateName);
        EXPECT_NE(a.text, ui::kNoHelpText);
        const auto id = ids.find(a.templateName);
        ASSERT_NE(id, ids.end()) << "the help texts name no help id for this dialog";
        const std::uint32_t own = id->second << 16 | static_cast<std::uint32_t>(a.control);
        std::int32_t topic = 0;
        const std::string_view wanted = index.FindText(ui::RemapHelpId(own), &topic);
        if (a.key >> 16 == ui::kSharedButtonsHelpId) continue;  // OK, Cancel and "?" everywhere
        if ((a.key & 0xFFFF) == static_cast<std::uint32_t>(a.control)) {
            // The control answered: under its own dialog's help id, with that text.
            EXPECT_EQ(a.key, own);
            EXPECT_EQ(a.text, wanted);
        } else if ((a.key & 0xFFFF) == 0) {
            // A label: the click reached the dialog (or the page beneath a sheet's frame), so the
            // control must have no text of its own.
            EXPECT_EQ(wanted, ui::kNoHelpText) << "a text the user cannot reach";
        }
        // Any other key: the middle of the control lies under another one (a frame around its
        // fields), which answered for itself and is checked where it is clicked.
    }
    // Every dialog of the menus (and the sheets' pages) was asked.
    for (const char* t : {"SelectPilot", "PilotStatus", "LOGBOOKS", "Exit", "CopilotBox",
                          "ASSIGNMENTBKGND", "ASSIGNMENTPREFLIGHT", "ASSIGNMENTWXBRIEF", "ASSIGNPLANMAP",
                          "ASSIGNFLIGHTLOG", "LESSONPREFLIGHT", "GroundInstruction", "FlightManeuver",
                          "Checklists", "FlightModel", "Loading", "SystemReliability", "PartialPanel",
                          "AIRPORTS_WIZBKGND", "AIRPORTS_PAGE", "RUNWAY_PAGE", "TimeDate", "CLOUDS",
                          "WindAloft", "SurfaceConditions", "WxBrief", "Virtual_Airspace",
                          "FLIGHTPLANBKGNDSHEET", "FLIGHTPLANROUTEPG", "FLIGHTPLANDEPARTPG",
                          "FLIGHTPLANDESTPG", "FLIGHTPLANMAPPG", "FLIGHTPLANWEATHERPG", "FLIGHTPLANLOGPG",
                          "FLIGHTLOG", "NAVAIDSTABSHEET", "NAVAIDSVORFAKE", "NAVAIDSNDBFAKE",
                          "NAVAIDSILSFAKE", "NAVAIDSWPTFAKE", "VorSetup", "NDBSetup", "ILSSetup", "WPTSetup",
                          "RadioComm", "SETUPCAMS", "SoundVolume", "YokeSensitivityBox", "GRAPHICS",
                          "Brightness", "PositionAircraft", "MapRunway", "MapEnroute", "MapApproach"})
        EXPECT_EQ(templates.count(t), 1u) << t << " was not asked";
    EXPECT_GT(asked.size(), 700u);

    // F1 in the logbook's From field and the "?" button then a click, in the logbook and the
    // loading dialog, answer as the right click does; the dialogs stay open.
    const std::string from(index.FindText(ui::RemapHelpId(20011u << 16 | 1539), nullptr));
    const std::string hours(index.FindText(ui::RemapHelpId(20011u << 16 | 1964), nullptr));
    const std::string leftTank(index.FindText(ui::RemapHelpId(20041u << 16 | 1178), nullptr));
    InOrder(sweep.out, {"click 1539\n", ("help popup 0x4E2B0603 (" + std::to_string(ui::RemapHelpId(0x4E2B0603)) + "): " + from).c_str(),
                        "click 1816", ("): " + hours).c_str(), "dialog LOGBOOKS ended 0", "dialog Loading",
                        "click 1816", ("): " + leftTank).c_str(), "dialog Loading ended 0"});
}

// A user who flew with a stick, now without one: the Controls dialog shows the kept settings,
// OK keeps every stick key as it was, and a slider moved writes that one setting alone.
TEST_F(DialogScripts, TheControlsDialogWithoutAStickKeepsTheStickSettings) {
    const std::string stick =
        "[Joysticks]\r\nAilSens=2500\r\nElvSens=7000\r\nRudSend=3000\r\nDZone=4096\r\n"
        "AilSensMin=0\r\nAilSensMax=16000\r\nElvSensMin=0\r\nElvSensMax=14000\r\n";
    dir.Write("Zephlon.ini", stick);
    const auto opened = Run("controls-no-stick.simrun");
    ASSERT_EQ(opened.status, 0) << opened.out;
    // The percentages of the kept settings (2.0 of 0..16 is 12 %, 7 of 0..14 is 50 %, 3 of 0..12
    // is 25 %, 4096 of 0..16384 is 25 %), not the zeros of an absent stick.
    InOrder(opened.out, {"read 1618 ", "position=12\n", "read 1619 ", "position=50\n", "read 1621 ",
                         "position=25\n", "read 1623 ", "position=25\n", "dialog YokeSensitivityBox ended 1"});
    std::string ini = dir.Read("Zephlon.ini");
    for (const char* key : {"AilSens", "ElvSens", "RudSend", "DZone", "AilSensMax", "ElvSensMax"}) {
        const std::string line = std::string("\n") + key + "=";
        const std::size_t was = stick.find(line), is = ini.find(line);
        ASSERT_NE(is, std::string::npos) << key << "\n" << ini;
        EXPECT_EQ(ini.substr(is, ini.find('\n', is + 1) - is), stick.substr(was, stick.find('\n', was + 1) - was)) << key;
    }

    const auto moved = Run("controls-one-slider.simrun");
    ASSERT_EQ(moved.status, 0) << moved.out;
    ini = dir.Read("Zephlon.ini");
    EXPECT_EQ(IniValue(ini, "Joysticks", "AilSens"), "8000") << "the middle of 0..16000";
    EXPECT_EQ(IniValue(ini, "Joysticks", "ElvSens"), "7000");
    EXPECT_EQ(IniValue(ini, "Joysticks", "RudSend"), "3000");
    EXPECT_EQ(IniValue(ini, "Joysticks", "DZone"), "4096");
}

