// The ground school's paths: the videos' folder joined the way the program names files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "planning/ground_school.h"
#include "win/file_api.h"

namespace {

TEST(GroundSchool, FullPathsJoinTheFolderAndTheName) {
    std::string here = win::GetCurrentDirectory();
    if (here.back() != '/' && here.back() != '\\') here += '\\';
    struct Case {
        const char* base;
        const char* name;
        std::string want;
    };
    const Case cases[] = {
        {"/zephlon/train", "f01.avi", "/zephlon/train\\f01.avi"},
        {"/zephlon/train\\", "f01.avi", "/zephlon/train\\f01.avi"},
        {"train", "f99.avi", here + "train\\f99.avi"},
        {"/zephlon/Zephlon.exe", "train", "/zephlon/Zephlon\\train"},  // a dot ends the base
        {"/zephlon.d/train", "f02.avi", "/zephlon.d/train\\f02.avi"},   // only in its last part
        {"/zephlon", "C:\\train\\f01.avi", "C:\\train\\f01.avi"},       // a drive stands alone
        {"/zephlon", "\\train\\f01.avi", "\\train\\f01.avi"},
        {"/zephlon", "/train/f01.avi", "/train/f01.avi"},
    };
    for (const Case& c : cases) EXPECT_EQ(planning::MakeFullPath(c.base, c.name), c.want) << c.base << " + " << c.name;
}

TEST(GroundSchool, EveryRowPlaysTheVideoMadeUnderItsTitle) {
    // The data maker's lessons: "video NN TITLE".
    std::ifstream in(std::string(ZEPHLON_SOURCE_DIR) + "/data/groundschool/lessons.txt");
    ASSERT_TRUE(in);
    std::map<int, std::string> made;
    for (std::string line; std::getline(in, line);)
        if (line.rfind("video ", 0) == 0) made[std::atoi(line.c_str() + 6)] = line.substr(9);
    ASSERT_EQ(made.size(), static_cast<std::size_t>(planning::kGroundLessonCount));
    for (const planning::GroundLesson& lesson : planning::theGroundLessons)
        EXPECT_EQ(made[lesson.video], lesson.title) << lesson.video;
}

}  // namespace
