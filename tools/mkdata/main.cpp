// mkdata [--terrain-box=WEST,SOUTH,EAST,NORTH] [--cache=DIR] [--threads=N] DATA_DIR OUT_DIR:
// makes the starter installation in OUT_DIR from the public data in DATA_DIR and the program's
// own art, with the program's own writers. Two runs write the same bytes, on any number of
// threads (the terrain's tiles and the volumes' coding use N, by default one for each core).
// The terrain box limits the terrain and its magnetic grids to the tiles a box of degrees
// touches (tests make small worlds with it).
// With a cache folder, the speech module keeps its clips there and takes them from there while
// their inputs are unchanged (the other modules make their output on every run). mkdata --skin
// OUT_DIR: draws the skin and the map's pictures the resource pack takes in. mkdata --panel-layout:
// prints where each panel's art puts its texts and faces.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/volume_coding.h"
#include "tools/mkdata/installation.h"
#include "tools/mkdata/panel_faces.h"

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--skin") {
        std::string error;
        if (!mkdata::MakeSkinResources(argv[2], &error) || !mkdata::MakeMapArt(argv[2], &error) ||
            !mkdata::MakeStatusMarks(argv[2], &error) ||
            !mkdata::MakeAircraftDialogArt(argv[2], &error)) {
            std::fprintf(stderr, "mkdata: skin: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if (argc == 4 && std::string(argv[1]) == "--slides") {
        // The ground-school slides as raw pixels, for the tests that check the videos' frames.
        std::string error;
        const std::string out = argv[3];
        std::filesystem::create_directories(out);
        const int made = mkdata::MakeGroundSchoolInto(
            argv[2],
            [&](const std::string& name, mkdata::Bytes bytes) {
                std::ofstream(out + "/" + name, std::ios::binary)
                    .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            },
            true, &error);
        if (!made) {
            std::fprintf(stderr, "mkdata: slides: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "--panel-layout") {
        // What each panel's art puts where (texts and faces on the screen of its full view), for
        // the tests that compare it with the running program; exit status 1 when a layout is
        // refused.
        int status = 0;
        using mkdata::PanelView;
        const struct {
            int type;
            PanelView view;
            const char* name;
        } panels[] = {{0, PanelView::Full, ""},     {1, PanelView::Full, ""},
                      {2, PanelView::Full, ""},     {3, PanelView::Full, ""},
                      {4, PanelView::Full, ""},     {2, PanelView::Swapped, " swapped"},
                      {0, PanelView::Lower, " lower"}, {1, PanelView::Lower, " lower"}};
        for (const auto& panel : panels) {
            const mkdata::PanelArtLayout l = mkdata::PanelLayoutOf(panel.type, panel.view);
            std::printf("panel %d%s\n", panel.type, panel.name);
            // Text, mark (a dial's own numbers and words) and face lines give the owner and the
            // edges (inside); a disc line the owner, the centre and the radius.
            for (const mkdata::PanelLayoutBox& t : l.texts)
                std::printf("text %d %d %d %d %d %s\n", t.owner, t.left, t.top, t.right, t.bottom,
                            t.what.c_str());
            for (const mkdata::PanelLayoutBox& m : l.marks)
                std::printf("mark %d %d %d %d %d %s\n", m.owner, m.left, m.top, m.right, m.bottom,
                            m.what.c_str());
            for (const mkdata::PanelLayoutBox& f : l.faces) {
                if (f.radius > 0)
                    std::printf("disc %d %.2f %.2f %.2f %s\n", f.owner, f.cx, f.cy, f.radius,
                                f.what.c_str());
                else
                    std::printf("face %d %d %d %d %d %s\n", f.owner, f.left, f.top, f.right,
                                f.bottom, f.what.c_str());
            }
            if (!l.fault.empty()) {
                std::printf("fault %s\n", l.fault.c_str());
                status = 1;
            }
        }
        return status;
    }
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const std::size_t eq = a.find('=');
        const std::string name = eq != std::string::npos ? a.substr(2, eq - 2) : std::string();
        if (a.rfind("--", 0) == 0 &&
            (name == "terrain-box" || name == "cache" || name == "threads")) {
            options.emplace_back(a.substr(2, eq - 2), a.substr(eq + 1));
        } else if (a.rfind("--", 0) == 0) {
            std::fprintf(stderr, "mkdata: unknown option %s\n", a.c_str());
            return 2;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2) {
        std::fprintf(
            stderr,
            "usage: mkdata [--terrain-box=WEST,SOUTH,EAST,NORTH] [--cache=DIR] [--threads=N]\n"
            "              DATA_DIR OUT_DIR\n"
            "       mkdata --skin OUT_DIR\n"
            "       mkdata --slides DATA_DIR OUT_DIR\n"
            "       mkdata --panel-layout\n");
        return 2;
    }
    const auto started = std::chrono::steady_clock::now();
    // Coding the volumes' members (LZH codes a few megabytes a second) runs on every core; the
    // code of a member does not depend on which thread made it.
    core::SetVolumeCodingThreads(std::thread::hardware_concurrency());
    mkdata::Installation installation(positional[0], positional[1]);
    for (const auto& [name, value] : options) {
        if (name == "threads") {
            char* end = nullptr;
            const unsigned long n = std::strtoul(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || n < 1 || n > 1024) {
                std::fprintf(stderr, "mkdata: --threads must be a number from 1 to 1024: %s\n",
                             value.c_str());
                return 2;
            }
            core::SetVolumeCodingThreads(static_cast<unsigned>(n));
        }
        if (name == "cache")
            installation.SetCacheDir(value);
        else
            installation.SetOption(name, value);
    }
    std::string error;
    for (const mkdata::Module& m : mkdata::kModules) {
        const auto begun = std::chrono::steady_clock::now();
        if (!m.make(installation, &error)) {
            std::fprintf(stderr, "mkdata: %s: %s\n", m.name, error.c_str());
            return 1;
        }
        std::printf("mkdata: %s (%.2f s)\n", m.name,
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - begun)
                        .count());
    }
    if (!installation.Write(&error)) {
        std::fprintf(stderr, "mkdata: %s\n", error.c_str());
        return 1;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("mkdata: installation made in %s (%.1f s)\n", positional[1].c_str(), seconds);
    return 0;
}
