// The NAV radios' course words and the ADF card as the positioning dialogs set them: each NAV
// radio's course-set flags, OBS card (360 less the course) and its knob position, the selected
// course in degrees and as a binary angle, and the ADF card. They are the dialogs' side of the
// course gauges: `UpdateObsCourses` (radio_commands.h) turns the gauges to a course set here
// (`courseRedraw`) or to a changed ADF card, then copies the gauges' courses back. The HSI's
// course is its gauge's word (theHsiGauge.course).
#pragma once

#include <cstdint>

#include "cockpit/nav_receivers.h"
#include "cockpit/radio_commands.h"

namespace cockpit {

struct NavCourseWords {
    std::int32_t courseSet = 0;          // the course was set from outside the radio
    std::int32_t courseRedraw = 0;       // its gauge must be drawn again
    std::int16_t obsCard = 0;            // 360 - course
    std::int16_t obsCardPosition = 0;    // truncate(obsCard x 0.4 + 0.5)
    std::uint16_t selectedCourse = 360;  // degrees, 1..360
    std::uint16_t courseAngle = 0;       // the selected course as a binary angle
};
extern NavCourseWords theNav1Course;
extern NavCourseWords theNav2Course;

struct AdfCardWords {
    std::int16_t card = 0;      // 360 - the heading the card was turned to
    std::int16_t position = 0;  // truncate(card x 0.4 + 0.5)
};
extern AdfCardWords theAdfCard;
// The card as the panel last took it from the dialogs; a change since turns the panel's card.
extern AdfCardWords theAdfCardTaken;

// Puts every word back to its start (tests).
void ResetNavCourses();

}  // namespace cockpit
