#include "cockpit/panel_help_hotspots.h"

namespace cockpit {

namespace {

constexpr PanelHelpHotspot kEnd = {-1, -1, -1, -1, -1, -1};

// The Cessna 172: the radio stack on the right, the flight instruments in the middle, the
// switches, levers and trim wheel along the bottom edge.
constexpr PanelHelpHotspot kC172[] = {
    {1, 10000, 485, 238, 560, 262},  // COM1
    {1, 10001, 486, 265, 560, 291},  // COM2
    {1, 10002, 563, 238, 638, 261},  // NAV1
    {1, 10003, 563, 265, 638, 290},  // NAV2
    {1, 10008, 484, 191, 637, 210},  // DME
    {1, 10005, 484, 291, 561, 318},  // ADF receiver
    {1, 10006, 562, 291, 631, 318},  // transponder
    {1, 10007, 485, 318, 639, 343},  // autopilot
    {1, 10004, 485, 213, 635, 233},  // audio panel
    {1, 10012, 247, 202, 352, 283},  // altimeter, with its knob at the lower left (two rows)
    {1, 10012, 240, 281, 352, 308},
    {1, 10013, 362, 202, 468, 307},  // NAV1 course indicator
    {1, 10014, 365, 322, 466, 426},  // NAV2 course indicator or ADF
    {1, 10045, 127, 319, 232, 404},  // heading indicator, with its two knobs below (two rows)
    {1, 10045, 117, 398, 237, 430},
    {1, 10026, 387, 439, 418, 478},  // elevator trim
    {1, 10027, 423, 431, 473, 479},  // flaps, with the position indicator above the lever
    {1, 10030, 0, 435, 33, 480},     // fuel selector
    {1, 10031, 35, 435, 72, 480},    // ignition
    {1, 10032, 79, 435, 91, 480},    // battery master
    {1, 10033, 101, 435, 113, 480},  // avionics master
    {1, 10034, 123, 435, 135, 480},  // pitot heat
    {1, 10035, 145, 435, 157, 480},  // strobe
    {1, 10036, 166, 435, 178, 480},  // beacon
    {1, 10037, 187, 435, 199, 480},  // navigation lights
    {1, 10038, 208, 435, 220, 480},  // taxi light
    {1, 10039, 229, 435, 241, 480},  // landing light
    {1, 10040, 242, 433, 294, 480},  // carburettor heat
    {1, 10041, 295, 433, 340, 480},  // throttle
    {1, 10042, 341, 433, 386, 480},  // mixture
    {1, 10009, 11, 204, 109, 302},   // airspeed
    {1, 10010, 124, 180, 236, 290},  // attitude indicator
    {1, 10011, 11, 322, 109, 420},   // turn coordinator
    {1, 10016, 249, 322, 347, 420},  // vertical speed
    {1, 10017, 490, 352, 564, 426},  // tachometer
    {1, 10018, 580, 347, 631, 364},  // clock
    {1, 10019, 583, 365, 621, 386},  // fuel quantity (two gauges)
    {1, 10019, 583, 388, 621, 415},
    {1, 10020, 509, 434, 546, 461},  // oil temperature
    {1, 10021, 584, 434, 621, 461},  // oil pressure
    kEnd,
};

// The Bonanza: the radio stack on the right, six flight instruments, the ADF and NAV2
// indicators, the engine gauges above the stack and the switch row and levers along the bottom.
// A knob that sets an instrument is that instrument's second row.
constexpr PanelHelpHotspot kBonanza[] = {
    {1, 10108, 484, 288, 639, 304},  // DME
    {1, 10104, 484, 305, 639, 328},  // audio panel
    {1, 10100, 484, 329, 559, 357},  // COM1
    {1, 10102, 560, 329, 639, 357},  // NAV1
    {1, 10101, 484, 358, 559, 385},  // COM2
    {1, 10103, 560, 358, 639, 385},  // NAV2
    {1, 10105, 484, 386, 559, 412},  // ADF receiver
    {1, 10106, 560, 386, 639, 412},  // transponder
    {1, 10107, 484, 413, 639, 437},  // autopilot
    {1, 10025, 397, 438, 435, 479},  // gear lever
    {1, 10027, 438, 436, 482, 479},  // flap lever
    {1, 10026, 370, 439, 396, 479},  // elevator trim
    {1, 10030, 0, 442, 28, 479},     // fuel selector
    {1, 10031, 29, 442, 65, 479},    // ignition
    {1, 10032, 68, 442, 85, 479},    // battery master
    {1, 10033, 86, 442, 110, 479},   // avionics master
    {1, 10034, 111, 442, 131, 479},  // pitot heat
    {1, 10035, 132, 442, 150, 479},  // strobe
    {1, 10036, 151, 442, 171, 479},  // beacon
    {1, 10037, 172, 442, 192, 479},  // navigation lights
    {1, 10038, 193, 442, 214, 479},  // taxi light
    {1, 10039, 215, 442, 235, 479},  // landing light
    {1, 10041, 270, 433, 303, 480},  // throttle
    {1, 10044, 304, 433, 337, 480},  // propeller
    {1, 10042, 338, 433, 369, 480},  // mixture
    {1, 10046, 241, 433, 271, 480},  // cowl flaps
    {1, 10063, 345, 322, 396, 339},  // clock
    {1, 10066, 487, 438, 527, 460},  // left fuel
    {1, 10066, 487, 449, 527, 475},  // right fuel
    {1, 10067, 541, 434, 580, 458},  // exhaust temperature
    {1, 10068, 544, 451, 583, 476},  // ammeter
    {1, 10069, 590, 434, 627, 458},  // oil temperature
    {1, 10070, 590, 452, 627, 476},  // oil pressure
    {1, 10051, 16, 217, 114, 315},   // airspeed
    {1, 10054, 16, 331, 114, 429},   // turn coordinator
    {1, 10052, 133, 213, 242, 322},  // attitude indicator
    {1, 10045, 139, 333, 235, 429},  // heading indicator
    {1, 10045, 134, 403, 238, 419},  // heading indicator knobs
    {1, 10055, 263, 216, 361, 314},  // altimeter
    {1, 10055, 261, 300, 279, 318},  // altimeter knob
    {1, 10057, 263, 331, 361, 429},  // vertical speed
    {1, 10058, 378, 220, 472, 314},  // ADF indicator
    {1, 10058, 379, 299, 397, 317},  // ADF card knob
    {1, 10059, 378, 332, 472, 426},  // NAV2 course indicator
    {1, 10059, 376, 411, 394, 429},  // NAV2 course knob
    {1, 10065, 564, 214, 636, 286},  // tachometer
    {1, 10064, 489, 214, 561, 286},  // manifold pressure and fuel flow
    kEnd,
};

// The Baron outside its radio stack.
constexpr PanelHelpHotspot kBaron[] = {
    {1, 10025, 419, 409, 446, 478},  // gear lever
    {1, 10026, 382, 409, 416, 456},  // elevator trim
    {1, 10028, 381, 457, 416, 479},  // rudder trim
    {1, 10027, 447, 408, 480, 478},  // flap lever
    {1, 10030, 0, 447, 25, 480},  // fuel selector
    {1, 10073, 26, 447, 51, 480},  // right fuel selector
    {1, 10031, 52, 447, 93, 480},  // ignition
    {1, 10074, 94, 447, 134, 480},  // right ignition
    {1, 10032, 4, 407, 24, 444},  // battery master
    {1, 10033, 25, 407, 46, 444},  // avionics master
    {1, 10034, 47, 407, 71, 444},  // pitot heat
    {1, 10035, 72, 407, 93, 444},  // strobe
    {1, 10036, 94, 407, 115, 444},  // beacon
    {1, 10037, 116, 407, 135, 444},  // navigation lights
    {1, 10038, 136, 407, 157, 444},  // taxi light
    {1, 10039, 158, 407, 180, 444},  // landing light
    {1, 10048, 181, 407, 204, 444},  // propeller synchronisation
    {1, 10047, 136, 446, 156, 480},  // left boost pump
    {1, 10047, 157, 446, 176, 480},  // right boost pump
    {1, 10046, 178, 446, 204, 480},  // cowl flaps
    {1, 10041, 210, 408, 241, 480},  // throttle
    {1, 10077, 242, 408, 280, 480},  // right throttle
    {1, 10044, 282, 408, 304, 480},  // propeller
    {1, 10078, 305, 408, 328, 480},  // right propeller
    {1, 10042, 330, 408, 354, 480},  // mixture
    {1, 10079, 355, 408, 379, 480},  // right mixture
    {1, 10063, 337, 287, 388, 304},  // clock
    {1, 10072, 544, 235, 572, 263},  // synchroscope
    {1, 10051, 12, 182, 110, 280},  // airspeed
    {1, 10054, 12, 297, 110, 395},  // turn coordinator
    {1, 10052, 121, 172, 236, 286},  // attitude indicator
    {1, 10045, 132, 297, 228, 393},  // heading indicator
    {1, 10045, 124, 368, 233, 389},  // heading indicator knobs
    {1, 10055, 252, 182, 350, 280},  // altimeter
    {1, 10055, 246, 260, 268, 282},  // altimeter knob
    {1, 10057, 252, 297, 350, 395},  // vertical speed
    {1, 10058, 372, 183, 466, 277},  // ADF indicator
    {1, 10058, 366, 261, 388, 283},  // ADF card knob
    {1, 10059, 372, 298, 466, 392},  // NAV2 course indicator
    {1, 10059, 366, 377, 388, 399},  // NAV2 course knob
    {1, 10064, 482, 174, 554, 246},  // manifold pressure and fuel flow
    {1, 10064, 562, 174, 634, 246},  // right manifold pressure and fuel flow
    {1, 10065, 482, 253, 554, 325},  // tachometer
    {1, 10065, 562, 253, 634, 325},  // right tachometer
    kEnd,
};

// The Baron's radio stack: with the radios shown, their nine units tile the stack (so the
// engine gauges hidden under them are never found); the swapped panel shows the engine gauges
// there. The two tables share their rows after the nine.
constexpr PanelHelpHotspot kBaronRadios[] = {
    {1, 10108, 478, 326, 639, 346},  // DME
    {1, 10104, 478, 347, 639, 369},  // audio panel
    {1, 10100, 478, 370, 559, 398},  // COM1
    {1, 10102, 560, 370, 639, 398},  // NAV1
    {1, 10101, 478, 399, 559, 425},  // COM2
    {1, 10103, 560, 399, 639, 425},  // NAV2
    {1, 10105, 478, 426, 559, 453},  // ADF receiver
    {1, 10106, 560, 426, 639, 453},  // transponder
    {1, 10107, 478, 454, 639, 479},  // autopilot
    {1, 10066, 494, 329, 551, 355},  // left fuel
    {1, 10066, 572, 329, 629, 355},  // right fuel
    {1, 10068, 499, 385, 538, 411},  // ammeter
    {1, 10068, 577, 385, 616, 411},  // right ammeter
    {1, 10069, 497, 412, 549, 441},  // oil temperature
    {1, 10069, 575, 412, 627, 441},  // right oil temperature
    {1, 10070, 496, 444, 533, 473},  // oil pressure
    {1, 10070, 574, 444, 611, 473},  // right oil pressure
    {1, 10067, 497, 357, 547, 383},  // exhaust temperature
    {1, 10067, 576, 357, 626, 383},  // right exhaust temperature
    kEnd,
};
constexpr int kBaronRadioRows = 9;

// The King Air: the attitude director and HSI, the RMI with its needle buttons, the engine
// dials in two rows, the switch blocks on the left and the lever quadrant.
constexpr PanelHelpHotspot kKingAir[] = {
    {1, 10108, 482, 327, 639, 347},  // DME
    {1, 10104, 482, 348, 639, 370},  // audio panel
    {1, 10100, 482, 371, 560, 399},  // COM1
    {1, 10102, 561, 371, 639, 399},  // NAV1
    {1, 10101, 482, 400, 560, 426},  // COM2
    {1, 10103, 561, 400, 639, 426},  // NAV2
    {1, 10105, 482, 427, 560, 454},  // ADF receiver
    {1, 10106, 561, 427, 639, 454},  // transponder
    {1, 10107, 482, 455, 639, 479},  // autopilot
    {1, 10049, 6, 357, 24, 375},  // RMI needle 1 button
    {1, 10049, 78, 357, 96, 375},  // RMI needle 2 button
    {1, 10025, 417, 390, 446, 479},  // gear lever
    {1, 10027, 447, 390, 481, 479},  // flap lever
    {1, 10026, 382, 390, 416, 437},  // elevator trim
    {1, 10028, 384, 439, 416, 457},  // rudder trim
    {1, 10029, 384, 458, 416, 479},  // aileron trim
    {1, 10032, 0, 402, 18, 441},  // battery master
    {1, 10033, 19, 402, 38, 441},  // avionics master
    {1, 10034, 39, 402, 58, 441},  // pitot heat
    {1, 10030, 59, 402, 77, 441},  // fuel selector
    {1, 10073, 78, 402, 103, 441},  // right fuel selector
    {1, 10075, 0, 442, 16, 479},  // left starter
    {1, 10076, 17, 442, 38, 479},  // right starter
    {1, 10035, 39, 442, 61, 479},  // strobe
    {1, 10036, 62, 442, 82, 479},  // beacon
    {1, 10037, 83, 442, 101, 479},  // navigation lights
    {1, 10038, 102, 442, 122, 479},  // taxi light
    {1, 10039, 123, 442, 145, 479},  // landing light
    {1, 10048, 146, 442, 169, 479},  // prop sync
    {1, 10047, 170, 442, 192, 479},  // left boost pump
    {1, 10047, 193, 442, 218, 479},  // right boost pump
    {1, 10041, 210, 408, 254, 480},  // throttle
    {1, 10077, 255, 408, 278, 480},  // right throttle
    {1, 10044, 280, 408, 303, 480},  // propeller
    {1, 10078, 304, 408, 328, 480},  // right propeller
    {1, 10042, 330, 408, 354, 480},  // mixture
    {1, 10079, 355, 408, 380, 480},  // right mixture
    {1, 10088, 493, 252, 565, 324},  // left oil
    {1, 10088, 568, 252, 640, 324},  // right oil
    {1, 10085, 343, 174, 415, 246},  // left torque
    {1, 10085, 418, 174, 490, 246},  // right torque
    {1, 10063, 39, 389, 90, 406},  // clock
    {1, 10072, 402, 235, 430, 263},  // synchroscope
    {1, 10066, 346, 326, 404, 354},  // left fuel
    {1, 10066, 416, 326, 474, 354},  // right fuel
    {1, 10068, 347, 355, 386, 383},  // ammeter
    {1, 10068, 417, 355, 456, 383},  // right ammeter
    {1, 10053, 115, 185, 225, 287},  // attitude director
    {1, 10051, 6, 183, 96, 273},  // airspeed
    {1, 10056, 244, 184, 334, 274},  // altimeter
    {1, 10056, 237, 256, 255, 274},  // altimeter knob
    {1, 10110, 135, 287, 203, 308},  // slip indicator
    {1, 10061, 124, 320, 216, 412},  // HSI
    {1, 10057, 244, 288, 334, 378},  // vertical speed
    {1, 10060, 8, 290, 94, 376},  // RMI
    {1, 10086, 343, 252, 415, 324},  // left turbine speed and temperature
    {1, 10086, 418, 252, 490, 324},  // right turbine speed and temperature
    {1, 10087, 493, 174, 565, 246},  // left fuel flow
    {1, 10087, 568, 174, 640, 246},  // right fuel flow
    {1, 10062, 254, 387, 322, 403},  // course and heading knobs
    kEnd,
};

// The CitationJet: the engines' tapes and readouts along the top, the audio knobs on the left.
constexpr PanelHelpHotspot kCitationJet[] = {
    {1, 10104, 0, 384, 107, 410},    // audio panel
    {1, 10108, 480, 310, 639, 333},  // DME
    {1, 10100, 480, 334, 639, 355},  // COM1
    {1, 10101, 480, 356, 639, 375},  // COM2
    {1, 10102, 480, 376, 639, 395},  // NAV1
    {1, 10103, 480, 396, 639, 415},  // NAV2
    {1, 10105, 480, 416, 639, 436},  // ADF receiver
    {1, 10106, 480, 437, 639, 458},  // transponder
    {1, 10107, 480, 459, 639, 479},  // autopilot
    {1, 10049, 6, 357, 24, 375},     // RMI needle 1 button
    {1, 10049, 78, 357, 96, 375},    // RMI needle 2 button
    {1, 10050, 446, 463, 474, 472},  // temperature unit buttons
    {1, 10025, 378, 395, 404, 479},  // gear lever
    {1, 10027, 406, 395, 437, 479},  // flap lever
    {1, 10026, 341, 395, 376, 439},  // elevator trim
    {1, 10028, 341, 440, 376, 458},  // rudder trim
    {1, 10029, 341, 459, 376, 479},  // aileron trim
    {1, 10032, 0, 409, 17, 448},     // battery master
    {1, 10033, 18, 409, 37, 448},    // avionics master
    {1, 10034, 38, 409, 57, 448},    // pitot heat
    {1, 10030, 58, 409, 79, 448},    // fuel selector
    {1, 10073, 80, 409, 103, 448},   // right fuel selector
    {1, 10075, 0, 449, 19, 479},     // left starter
    {1, 10076, 20, 449, 46, 479},    // right starter
    {1, 10035, 47, 449, 70, 479},    // strobe
    {1, 10036, 71, 449, 93, 479},    // beacon
    {1, 10037, 94, 449, 116, 479},   // navigation lights
    {1, 10038, 117, 449, 139, 479},  // taxi light
    {1, 10039, 140, 449, 167, 479},  // landing light
    {1, 10109, 168, 449, 196, 479},  // speed brake
    {1, 10047, 197, 449, 220, 479},  // left boost pump
    {1, 10047, 221, 449, 248, 479},  // right boost pump
    {1, 10041, 256, 408, 299, 479},  // throttle (the clock's buttons stand above)
    {1, 10077, 300, 408, 339, 479},  // right throttle
    {1, 10094, 585, 178, 603, 194},  // left fuel flow
    {1, 10094, 606, 178, 624, 194},  // right fuel flow
    {1, 10111, 423, 190, 431, 197},  // left engine's run lamp (before the readout beside it)
    {1, 10112, 469, 190, 477, 197},  // right engine's run lamp
    {1, 10095, 424, 178, 449, 198},  // left ITT readout
    {1, 10095, 453, 178, 478, 198},  // right ITT readout
    {1, 10093, 381, 178, 399, 194},  // left turbine speed
    {1, 10093, 403, 178, 421, 194},  // right turbine speed
    {1, 10090, 425, 207, 434, 293},  // left ITT
    {1, 10090, 459, 207, 468, 293},  // right ITT
    {1, 10066, 588, 223, 597, 299},  // left fuel
    {1, 10066, 619, 223, 628, 299},  // right fuel
    {1, 10069, 528, 232, 537, 299},  // oil temperature
    {1, 10069, 557, 232, 566, 299},  // right oil temperature
    {1, 10070, 490, 249, 499, 299},  // oil pressure
    {1, 10070, 520, 249, 529, 299},  // right oil pressure
    {1, 10096, 449, 407, 470, 424},  // angle of attack
    {1, 10063, 291, 390, 342, 407},  // clock
    {1, 10050, 446, 447, 474, 464},  // outside air temperature
    {1, 10068, 380, 347, 413, 377},  // left ammeter
    {1, 10068, 436, 347, 469, 377},  // right ammeter
    {1, 10053, 129, 180, 239, 282},  // attitude director
    {1, 10098, 6, 175, 96, 265},     // airspeed and Mach
    {1, 10057, 268, 283, 358, 373},  // vertical speed
    {1, 10056, 269, 176, 359, 266},  // altimeter
    {1, 10056, 267, 250, 283, 266},  // altimeter knob
    {1, 10060, 10, 286, 96, 372},    // RMI
    {1, 10061, 137, 326, 229, 418},  // HSI
    {1, 10110, 149, 284, 217, 305},  // slip indicator
    {1, 10089, 383, 207, 392, 293},  // left fan speed
    {1, 10089, 413, 207, 422, 293},  // right fan speed
    {1, 10062, 381, 328, 467, 345},  // course and heading knobs
    kEnd,
};

}  // namespace

// The end row is not tested: with all its fields -1 it would hold the point (-1, -1), which a
// captured mouse outside the window can report, and give the popup id -1.
std::int32_t ScanHotspots(const PanelHelpHotspot* row, std::int32_t x, std::int32_t y) {
    for (; row->popupId != -1; ++row)
        if (row->enabled != 0 && row->left <= x && x <= row->right && row->top <= y &&
            y <= row->bottom)
            return row->popupId;
    return 0;
}

const PanelHelpHotspot* HotspotTable(int aircraftType) {
    static constexpr const PanelHelpHotspot* kTables[5] = {kC172, kBonanza, kBaron, kKingAir,
                                                           kCitationJet};
    return aircraftType >= 0 && aircraftType < 5 ? kTables[aircraftType] : nullptr;
}

const PanelHelpHotspot* BaronRadioHotspots(bool swapped) {
    return swapped ? kBaronRadios + kBaronRadioRows : kBaronRadios;
}

std::int32_t FindHotspot(int aircraftType, int panelVariant, std::int32_t x, std::int32_t y,
                         std::int32_t swapPanel) {
    if ((panelVariant != 0 && panelVariant != 1) || aircraftType < 0 || aircraftType > 4) return 0;
    if (panelVariant == 1) {
        if (aircraftType == 0) y -= 44;
        if (aircraftType == 1) y -= 42;
    }
    std::int32_t id = ScanHotspots(HotspotTable(aircraftType), x, y);
    if (id == 0 && aircraftType == 2) id = ScanHotspots(BaronRadioHotspots(swapPanel != 0), x, y);
    return id;
}

}  // namespace cockpit
