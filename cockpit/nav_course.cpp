#include "cockpit/nav_course.h"

namespace cockpit {

NavCourseWords theNav1Course;
NavCourseWords theNav2Course;
AdfCardWords theAdfCard;
AdfCardWords theAdfCardTaken;

void ResetNavCourses() {
    theNav1Course = NavCourseWords{};
    theNav2Course = NavCourseWords{};
    theAdfCard = theAdfCardTaken = AdfCardWords{};
}

}  // namespace cockpit
