#include "cockpit/nav_course.h"

#include "cockpit/cockpit_switches.h"

namespace cockpit {

NavCourseWords theNav1Course;
NavCourseWords theNav2Course;
AdfCardWords theAdfCard;

namespace {

std::uint16_t CourseAngle(std::uint16_t degrees) {
    return static_cast<std::uint16_t>(static_cast<int>(degrees * 182.04 + 0.5));
}

// The selected course follows the card: the card is what the knob turned.
void Settle(NavCourseWords& w) {
    int course = (360 - w.obsCard) % 360;
    if (course <= 0) course += 360;
    w.selectedCourse = static_cast<std::uint16_t>(course);
    w.courseAngle = CourseAngle(w.selectedCourse);
    w.obsCardPosition = static_cast<std::int16_t>(w.obsCard * 0.4 + 0.5);
    w.courseRedraw = 1;
}

}  // namespace

void ClearNavRadioSelection() {
    theTuningTarget = TuningTarget::None;
}

void UpdateNav1CourseAngle() {
    theNav1Course.courseAngle = CourseAngle(theNav1Course.selectedCourse);
}

void UpdateObsCourses() {
    Settle(theNav1Course);
    Settle(theNav2Course);
}

void ResetNavCourses() {
    theNav1Course = NavCourseWords{};
    theNav2Course = NavCourseWords{};
    theAdfCard = AdfCardWords{};
}

}  // namespace cockpit
