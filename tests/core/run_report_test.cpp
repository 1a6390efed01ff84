// The report registry: fields from anywhere, printed sorted or as asked, values quoted when
// they hold spaces.
#include <gtest/gtest.h>

#include <cmath>

#include "core/run_report.h"

namespace {

TEST(RunReport, FieldsPrintSortedOrAsAskedAndReplaceEachOther) {
    core::RegisterReportField("zz_test_b", [] { return std::string("2"); });
    core::RegisterReportField("zz_test_a", [] { return std::string("one two"); });
    core::RegisterReportField("bad key", [] { return std::string("x"); });  // refused
    core::RegisterReportField("zz_test_c", [] { return std::string(); });
    EXPECT_FALSE(core::HasReportField("bad key"));
    const std::string all = core::FormatReport();
    EXPECT_NE(all.find("zz_test_a=\"one two\" zz_test_b=2 zz_test_c=\"\""), std::string::npos) << all;
    std::vector<std::string> unknown;
    EXPECT_EQ(core::FormatReport({"zz_test_b", "nope", "zz_test_a"}, &unknown),
              "zz_test_b=2 zz_test_a=\"one two\"");
    EXPECT_EQ(unknown, std::vector<std::string>{"nope"});
    core::RegisterReportField("zz_test_b", [] { return std::string("3"); });
    EXPECT_EQ(core::FormatReport({"zz_test_b"}), "zz_test_b=3");
    for (const char* k : {"zz_test_a", "zz_test_b", "zz_test_c"})
        core::UnregisterReportField(k);
    EXPECT_EQ(core::FormatReport({"zz_test_a"}, &unknown), "");
}

TEST(RunReport, NumbersAreDecimal) {
    EXPECT_EQ(core::ReportNumber(319.456), "319.46");
    EXPECT_EQ(core::ReportNumber(-0.001), "0.00");
    EXPECT_EQ(core::ReportNumber(1e20, 2), "100000000000000000000");
    EXPECT_EQ(core::ReportNumber(std::nan("")), "nan");
    EXPECT_EQ(core::ReportNumber(12.5, 0), "12");
}

}  // namespace
