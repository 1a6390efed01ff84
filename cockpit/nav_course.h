// The NAV radios' course words and the ADF card as the positioning dialogs set them: each NAV
// radio's course-set flags, OBS card (360 less the course) and its knob position, the selected
// course in degrees and as a binary angle, and the ADF card. Plain words until the radio gauges
// own them; the course needles read the selected courses. The HSI's course is its gauge's word
// (theHsiGauge.course).
#pragma once

#include <cstdint>

namespace cockpit {

struct NavCourseWords {
    std::int32_t courseSet = 0;     // the course was set from outside the radio
    std::int32_t courseRedraw = 0;  // its gauge must be drawn again
    std::int16_t obsCard = 0;       // 360 - course
    std::int16_t obsCardPosition = 0;  // truncate(obsCard x 0.4 + 0.5)
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

// The radio the tuning keys act on is forgotten, so no key keeps turning a course just set.
void ClearNavRadioSelection();
// NAV1's binary-angle course from its selected course.
void UpdateNav1CourseAngle();
// Both NAV radios' courses and cards agree with their selected courses again.
void UpdateObsCourses();

// Puts every word back to its start (tests).
void ResetNavCourses();

}  // namespace cockpit
