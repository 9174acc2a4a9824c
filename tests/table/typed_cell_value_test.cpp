#include "support/planner_fixture.h"
#include "table/column_controller.h"
#include "table/number_formats.h"
#include "table/typed_cell_value.h"

#include <gtest/gtest.h>

#include <clocale>

namespace mapolt {
namespace {

struct TypedCellValue : ::testing::Test {
    testing::PlannerFixture plan;
    ColumnController columns{plan.store, plan.project};

    void SetUp() override { std::setlocale(LC_ALL, "en_US.UTF-8"); }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }

    std::optional<Value> typed(const std::string& title, const std::string& text) {
        return valueFromTypedText(*columns.getColumn(title), text);
    }
};

TEST_F(TypedCellValue, NumbersAreReadAsTheTableWritesThem) {
    EXPECT_EQ(typed("Hours", "1,234.50"), Value{1234.5});
    EXPECT_EQ(typed("Days", "(2.00)"), Value{-2.0});
    EXPECT_EQ(typed("Elapsed", " 3 "), Value{3.0});
    EXPECT_EQ(typed("Hours", "lots"), std::nullopt);
    EXPECT_EQ(typed("Hours", ""), std::nullopt);
}

TEST_F(TypedCellValue, TextColumnsTakeTheTextAndPercentReadsItsOwn) {
    EXPECT_EQ(typed("Task Name", "Survey"), Value{std::string("Survey")});
    EXPECT_EQ(typed("DependTasks", "3, 5"), Value{std::string("3, 5")});
    EXPECT_EQ(typed("%", "abc"), Value{std::string("abc")});
}

TEST_F(TypedCellValue, DatesInTheShortStyleOrAsIsoDates) {
    // Local midnight of the day, also on the day the clocks go forward.
    EXPECT_EQ(typed("Start Date", "3/8/26"), Value{civil::fromYmd(2026, 3, 8)});
    EXPECT_EQ(typed("End Date", "2026-11-01"), Value{civil::fromYmd(2026, 11, 1)});
    EXPECT_EQ(typed("Start Date", "1/5/2010"), Value{civil::fromYmd(2010, 1, 5)});
    EXPECT_EQ(typed("Start Date", "2/30/26"), std::nullopt);
    EXPECT_EQ(typed("Start Date", "13/1/26"), std::nullopt);
    EXPECT_EQ(typed("Start Date", "soon"), std::nullopt);
}

TEST(ShortDates, TheCLocaleReadsWhatItWrites) {
    std::setlocale(LC_ALL, "C");
    // The C locale's short style is month first (%m/%d/%y).
    EXPECT_EQ(formats::parseShortDate("03/08/26"), civil::fromYmd(2026, 3, 8));
    EXPECT_EQ(formats::parseShortDate(formats::shortDate(civil::fromYmd(1999, 12, 31))),
              civil::fromYmd(1999, 12, 31));
}

} // namespace
} // namespace mapolt
