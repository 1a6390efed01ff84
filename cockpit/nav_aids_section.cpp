// The "NavAids" section of a saved situation: the radios' frequencies, the course knobs, the
// heading bug, the ident, bearing and selection switches and the receivers' courses. Every value
// read is brought into what its radio can show; a value outside that (a hand-edited or damaged
// file, text, a number too large) takes the key's default, so a bad key never tunes a radio to a
// frequency it cannot have.
#include <cmath>

#include "cockpit/cockpit_services.h"
#include "cockpit/gauges.h"
#include "cockpit/nav_receivers.h"
#include "cockpit/panel_services.h"
#include "core/ini_file.h"
#include "nav/nav_database.h"

namespace cockpit {

namespace {

constexpr const char* kNavAids = "NavAids";

// A frequency key holds (first part) x 100 + (second part), the first part as the radio keeps
// it (NAV 8..17, COM 18..35, ADF 0..19, the transponder's first digit pair).
struct FrequencyRule {
    std::int32_t firstLow, firstHigh, secondHigh, step;
    bool octal;
    std::int32_t defaultValue;
};
constexpr FrequencyRule kNavRule{8, 17, 95, 5, false, 800};    // 108.00
constexpr FrequencyRule kComRule{18, 35, 95, 1, false, 2400};  // 124.00 (133.775 is 33 77)
constexpr FrequencyRule kAdfRule{0, 19, 99, 1, false, 0};
constexpr FrequencyRule kTransponderRule{0, 77, 77, 1, true, 1200};

bool OctalPair(std::int32_t v) {
    return v >= 0 && v <= 77 && v % 10 <= 7;
}

bool Fits(const FrequencyRule& r, std::int32_t first, std::int32_t second) {
    if (first < r.firstLow || first > r.firstHigh || second < 0 || second > r.secondHigh)
        return false;
    if (r.octal) return OctalPair(first) && OctalPair(second);
    return second % r.step == 0;
}

void ReadFrequency(core::IniFile& f, const char* key, const FrequencyRule& rule, bool active,
                   std::uint16_t* first, std::uint16_t* second) {
    std::int32_t v = f.GetInt(kNavAids, key, rule.defaultValue);
    std::int32_t a = v / 100;
    std::int32_t b = v % 100;
    // An active frequency may be stored with its whole megahertz (113.90 as 11390).
    if (active && a >= 100 && !rule.octal) a -= 100;
    if (v < 0 || !Fits(rule, a, b)) {
        a = rule.defaultValue / 100;
        b = rule.defaultValue % 100;
    }
    *first = static_cast<std::uint16_t>(a);
    *second = static_cast<std::uint16_t>(b);
}

std::int32_t ReadRange(core::IniFile& f, const char* key, std::int32_t def, std::int32_t lo,
                       std::int32_t hi) {
    const std::int32_t v = f.GetInt(kNavAids, key, def);
    return v < lo || v > hi ? def : v;
}

std::int32_t ReadFlag(core::IniFile& f, const char* key) {
    return ReadRange(f, key, 0, 0, 1);
}

// A bearing readout: -1 (none; 65535 as older files keep it) or 0..360.
std::int32_t ReadBearing(core::IniFile& f, const char* key) {
    const std::int32_t v = f.GetInt(kNavAids, key, 0);
    if (v == 65535) return -1;
    return v < -1 || v > 360 ? 0 : v;
}

std::int32_t Code(std::uint16_t first, std::uint16_t second) {
    return first * 100 + second;
}

struct NavRadioKeys {
    const char* active;
    const char* standby;
    const char* ident;
    const char* bearingLamp;
    const char* bearing;
    const char* showBearing;
    const char* selected;
};

void ReadNavRadio(core::IniFile& f, PanelGauge& radio, const NavRadioKeys& k) {
    ReadFrequency(f, k.active, kNavRule, true, &radio.activeMHz, &radio.activeKHz);
    ReadFrequency(f, k.standby, kNavRule, false, &radio.standbyMHz, &radio.standbyKHz);
    radio.buttons[0] = ReadFlag(f, k.ident);
    radio.buttons[1] = ReadFlag(f, k.bearingLamp);
    radio.bearing = ReadBearing(f, k.bearing);
    radio.bearingMode = ReadFlag(f, k.showBearing);
    radio.selected = ReadFlag(f, k.selected);
    radio.selectedChanged = 1;
    radio.dirty = 1;
}

int WriteNavRadio(core::IniFile& f, const PanelGauge& radio, const NavRadioKeys& k) {
    int ok = f.PutInt(kNavAids, k.active, Code(radio.activeMHz, radio.activeKHz));
    ok &= f.PutInt(kNavAids, k.standby, Code(radio.standbyMHz, radio.standbyKHz));
    ok &= f.PutInt(kNavAids, k.ident, radio.buttons[0]);
    ok &= f.PutInt(kNavAids, k.bearingLamp, radio.buttons[1]);
    ok &= f.PutInt(kNavAids, k.bearing, radio.bearing);
    ok &= f.PutInt(kNavAids, k.showBearing, radio.bearingMode);
    ok &= f.PutInt(kNavAids, k.selected, radio.selected);
    return ok;
}

constexpr NavRadioKeys kNav1Keys{"nav1",
                                 "nav1Standby",
                                 "nav1Ident",
                                 "nav1RadioBearing",
                                 "nav1RadioRadioBearing",
                                 "nav1RadioShowBearing",
                                 "nav1RadioSelectedFlag"};
constexpr NavRadioKeys kNav2Keys{"nav2",
                                 "nav2Standby",
                                 "nav2Ident",
                                 "nav2RadioBearing",
                                 "nav2RadioRadioBearing",
                                 "nav2RadioShowBearing",
                                 "nav2RadioSelectedFlag"};

}  // namespace

int ReadNavRadios(core::IniFile& f) {
    NavReceiverWords& w = theNavReceiverWords;
    ReadNavRadio(f, theNav1Radio, kNav1Keys);
    theNav1Indicator.courseDegrees =
        static_cast<std::int16_t>(ReadRange(f, "nav1SmallCompHeading", 360, 1, 360));
    theNav1Indicator.cardFrame =
        static_cast<std::int16_t>(ReadRange(f, "nav1SmallCompIconNum", 0, 0, 143));
    theHsiGauge.course =
        static_cast<std::int16_t>(ReadRange(f, "nav1HSIneedlePosition", 360, 1, 360));
    theHsiGauge.headingBug = static_cast<std::int16_t>(ReadRange(f, "nav1HSIbug", 0, 0, 359));
    w.nav1IdentGlobal = ReadFlag(f, "nav1IdentGlobal");
    w.vor1_obs_setting = static_cast<std::uint16_t>(ReadRange(f, "vor1_obs_setting", 360, 1, 360));
    // The angle is the setting's; a stored one that disagrees is not trusted.
    (void)f.GetInt(kNavAids, "vor1_obs_pd", 0);
    UpdateNav1CourseAngle();
    w.vor1_dir_flag = static_cast<std::uint16_t>(ReadRange(f, "vor1_dir_flag", 0, 0, 3));

    ReadNavRadio(f, theNav2Radio, kNav2Keys);
    theNav2Indicator.courseDegrees =
        static_cast<std::int16_t>(ReadRange(f, "nav2SmallCompHeading", 360, 1, 360));
    theNav2Indicator.cardFrame =
        static_cast<std::int16_t>(ReadRange(f, "nav2SmallCompIconNum", 0, 0, 143));
    theNav2Indicator.altFace = ReadFlag(f, "nav2ToggleADForNAV");
    w.nav2IdentGlobal = ReadFlag(f, "nav2IdentGlobal");
    w.vor2_obs_setting = static_cast<std::uint16_t>(ReadRange(f, "vor2_obs_setting", 360, 1, 360));
    (void)f.GetInt(kNavAids, "vor2_obs_pd", 0);
    w.vor2_obs_pd = static_cast<std::uint16_t>(std::trunc(w.vor2_obs_setting * 182.04 + 0.5));
    w.vor2_dir_flag = static_cast<std::uint16_t>(ReadRange(f, "vor2_dir_flag", 0, 0, 3));

    ReadFrequency(f, "com1", kComRule, true, &theCom1Radio.activeMHz, &theCom1Radio.activeKHz);
    ReadFrequency(f, "com1Standby", kComRule, false, &theCom1Radio.standbyMHz,
                  &theCom1Radio.standbyKHz);
    ReadFrequency(f, "com2", kComRule, true, &theCom2Radio.activeMHz, &theCom2Radio.activeKHz);
    ReadFrequency(f, "com2Standby", kComRule, false, &theCom2Radio.standbyMHz,
                  &theCom2Radio.standbyKHz);
    ReadFrequency(f, "xpndr", kTransponderRule, true, &theTransponder.activeMHz,
                  &theTransponder.activeKHz);
    theTransponder.buttons[0] = ReadFlag(f, "xpndrIdent");
    theTransponder.buttons[1] = ReadFlag(f, "xpndrVFR");
    theAdfIndicator.buttons[0] = ReadFlag(f, "rmiButtonOne");
    theAdfIndicator.buttons[1] = ReadFlag(f, "rmiButtonTwo");
    ReadFrequency(f, "adf", kAdfRule, true, &theAdfRadio.activeMHz, &theAdfRadio.activeKHz);
    ReadFrequency(f, "adfStandby", kAdfRule, false, &theAdfRadio.standbyMHz,
                  &theAdfRadio.standbyKHz);
    theAdfRadio.buttons[0] = ReadFlag(f, "adfIdent");
    theAdfRadio.mode = ReadFlag(f, "adfTimer");
    w.adfIdentGlobal = theAdfRadio.buttons[0];

    for (PanelGauge* g : {&theCom1Radio, &theCom2Radio, &theTransponder, &theAdfRadio,
                          &theAdfIndicator, &theNav1Indicator, &theNav2Indicator})
        g->dirty = 1;
    theHsiGauge.dirty = 1;
    // The stations of the new frequencies are heard at once; the DME starts over.
    theDmeHold = DmeHold{};
    for (NavReceiverOutput* o :
         {&theNavReceiverOutputs[0], &theNavReceiverOutputs[1], &theDmeHoldOutput})
        *o = NavReceiverOutput{};
    nav::CheckNavReception();
    nav::CheckAdfReception();
    return 1;
}

int WriteNavRadios(core::IniFile& f) {
    const NavReceiverWords& w = theNavReceiverWords;
    int ok = WriteNavRadio(f, theNav1Radio, kNav1Keys);
    ok &= f.PutInt(kNavAids, "nav1SmallCompHeading", theNav1Indicator.courseDegrees);
    ok &= f.PutInt(kNavAids, "nav1SmallCompIconNum", theNav1Indicator.cardFrame);
    ok &= f.PutInt(kNavAids, "nav1HSIneedlePosition", theHsiGauge.course);
    ok &= f.PutInt(kNavAids, "nav1HSIbug", theHsiGauge.headingBug);
    ok &= f.PutInt(kNavAids, "nav1IdentGlobal", w.nav1IdentGlobal);
    ok &= f.PutInt(kNavAids, "vor1_obs_setting", w.vor1_obs_setting);
    ok &= f.PutInt(kNavAids, "vor1_obs_pd", w.vor1_obs_pd);
    ok &= f.PutInt(kNavAids, "vor1_dir_flag", w.vor1_dir_flag);
    ok &= WriteNavRadio(f, theNav2Radio, kNav2Keys);
    ok &= f.PutInt(kNavAids, "nav2SmallCompHeading", theNav2Indicator.courseDegrees);
    ok &= f.PutInt(kNavAids, "nav2SmallCompIconNum", theNav2Indicator.cardFrame);
    ok &= f.PutInt(kNavAids, "nav2ToggleADForNAV", theNav2Indicator.altFace);
    ok &= f.PutInt(kNavAids, "nav2IdentGlobal", w.nav2IdentGlobal);
    ok &= f.PutInt(kNavAids, "vor2_obs_setting", w.vor2_obs_setting);
    ok &= f.PutInt(kNavAids, "vor2_obs_pd", w.vor2_obs_pd);
    ok &= f.PutInt(kNavAids, "vor2_dir_flag", w.vor2_dir_flag);
    ok &= f.PutInt(kNavAids, "com1", Code(theCom1Radio.activeMHz, theCom1Radio.activeKHz));
    ok &= f.PutInt(kNavAids, "com1Standby", Code(theCom1Radio.standbyMHz, theCom1Radio.standbyKHz));
    ok &= f.PutInt(kNavAids, "com2", Code(theCom2Radio.activeMHz, theCom2Radio.activeKHz));
    ok &= f.PutInt(kNavAids, "com2Standby", Code(theCom2Radio.standbyMHz, theCom2Radio.standbyKHz));
    ok &= f.PutInt(kNavAids, "xpndr", Code(theTransponder.activeMHz, theTransponder.activeKHz));
    ok &= f.PutInt(kNavAids, "xpndrIdent", theTransponder.buttons[0]);
    ok &= f.PutInt(kNavAids, "xpndrVFR", theTransponder.buttons[1]);
    ok &= f.PutInt(kNavAids, "rmiButtonOne", theAdfIndicator.buttons[0]);
    ok &= f.PutInt(kNavAids, "rmiButtonTwo", theAdfIndicator.buttons[1]);
    ok &= f.PutInt(kNavAids, "adf", Code(theAdfRadio.activeMHz, theAdfRadio.activeKHz));
    ok &= f.PutInt(kNavAids, "adfStandby", Code(theAdfRadio.standbyMHz, theAdfRadio.standbyKHz));
    ok &= f.PutInt(kNavAids, "adfIdent", theAdfRadio.buttons[0]);
    ok &= f.PutInt(kNavAids, "adfTimer", theAdfRadio.mode);
    return ok;
}

}  // namespace cockpit
