// Pictures of the world at many places in one run of the program: the cruise flight saved once
// for each place (position, height, heading), every one resumed in turn in the plain view and
// shot, the camera's pitch reported with each picture. One session shows hundreds of places in
// seconds, since a resumed flight reuses the terrain already loaded.
#pragma once

#include <cmath>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "nav/independent_projection.h"
#include "support/screenshot.h"
#include "support/starter_run.h"

namespace worldtest {

inline constexpr int kPictureWidth = 640, kPictureHeight = 480;

struct FlownPlace {
    double lat = 0, lon = 0;
    double metres = 0;   // above the sea
    double heading = 0;  // degrees clockwise from the world plane's north
};

// The first row below the horizon, with one more for its rounding, from the camera's pitch.
inline int FirstRowBelowHorizon(double pitchDegrees) {
    const double horizon = 239.5 + 1024.0 * std::tan(pitchDegrees * navtest::kPi / 180.0);
    return std::max(1, static_cast<int>(std::ceil(horizon)) + 1);
}

// Flies `places` in one session of `run` (a starter run of "Cruise.Flt") with the given lines
// of the "Main Scenery Graphics" settings, handing each picture and the camera's pitch to
// `look` in order; the pictures are removed once looked at. Empty, or why there are none.
inline std::string FlyPlaces(
    const testsupport::StarterRun& run, const std::vector<FlownPlace>& places,
    const std::string& graphics,
    const std::function<void(std::size_t, const testsupport::IndexedImage&, double)>& look) {
    run.Dir().Write("Zephlon.ini",
                    "[Aircraft]\r\nAutoComplex=0\r\n[Main Scenery Graphics]\r\n" + graphics);
    const std::string cruise = run.Dir().Read("Flights/Cruise.Flt");
    std::string script = "frame-interval 20\nwait 300\n";
    for (std::size_t i = 0; i < places.size(); ++i) {
        const FlownPlace& p = places[i];
        std::string flight = cruise;
        double x = 0, z = 0;
        navtest::GeographicToWorld(p.lat, p.lon, &x, &z);
        testsupport::PutSavedValue(flight, "fmPosX", std::llround(x));
        testsupport::PutSavedValue(flight, "fmPosZ", std::llround(z));
        testsupport::PutSavedValue(flight, "fmPosY", std::llround(p.metres * 256.0));
        testsupport::PutSavedValue(flight, "fmHead",
                                   std::llround(p.heading / 360.0 * 65536.0) & 0xFFFF);
        const std::string name = "P" + std::to_string(i);
        run.Dir().Write("Flights/" + name + ".Flt", flight);
        script += "menu 109\ndialog \"Resume Flight\"\nset 1120 " + name +
                  ".Flt\nclick 1\nwait 60\nmenu 1666\nwait 40\nscreenshot " + run.Dir().Root() +
                  "/" + name + ".bmp\nreport cam_pitch\n";
    }
    const testsupport::CommandResult r = run.Play(script + "quit\n");
    std::vector<double> pitch;
    for (std::size_t at = r.out.find("cam_pitch="); at != std::string::npos;
         at = r.out.find("cam_pitch=", at + 1))
        pitch.push_back(std::stod(r.out.substr(at + 10)));
    if (r.status != 0 || pitch.size() != places.size())
        return r.out.substr(r.out.size() > 3000 ? r.out.size() - 3000 : 0);
    for (std::size_t i = 0; i < places.size(); ++i) {
        const std::string name = "P" + std::to_string(i) + ".bmp";
        const auto image =
            testsupport::ReadIndexedScreenshot(run.Dir().Read(name), kPictureWidth, kPictureHeight);
        std::filesystem::remove(run.Dir().Path(name));
        if (!image) return "no picture " + name;
        look(i, *image, pitch[i]);
    }
    return {};
}

}  // namespace worldtest
