// The program's dialog templates as a user reads them: a page that shows an airport's facilities
// as "Yes/No" says beside it what the two answers are about.
#include <gtest/gtest.h>

#include <string>

#include "ui_test_support.h"
#include "win/resource.h"

namespace {

using namespace win;

TEST(DialogTemplates, EveryAirportPageLabelsItsFacilities) {
    const HINSTANCE library =
        uitest::LoadDialogTemplates(false, {"navigation.rc", "planning_sheet.rc"});
    ASSERT_TRUE(library);
    for (const char* page : {"AIRPORTS_PAGE", "FLIGHTPLANDEPARTPG", "FLIGHTPLANDESTPG"}) {
        SCOPED_TRACE(page);
        const std::optional<DialogTemplate> t = LoadDialogTemplate(library, page);
        ASSERT_TRUE(t.has_value());
        const DialogItemTemplate* facilities = nullptr;
        for (const DialogItemTemplate& item : t->items)
            if (item.id == 1791) facilities = &item;
        ASSERT_NE(facilities, nullptr);
        // A text on the same row, ending where the answers begin, names both.
        bool labelled = false;
        for (const DialogItemTemplate& item : t->items)
            labelled |= item.id != 1791 && item.y == facilities->y &&
                        item.x + item.cx <= facilities->x &&
                        item.text.find("Unicom") != std::string::npos &&
                        item.text.find("paved") != std::string::npos;
        EXPECT_TRUE(labelled);
    }
    FreeResourceLibrary(library);
}

}  // namespace
