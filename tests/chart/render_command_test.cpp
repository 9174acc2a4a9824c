#include "support/example_plan.h"
#include "support/temp_folder.h"

#include "chart/chart_image.h"
#include "document/plan_file.h"
#include "interchange/json_export.h"
#include "model/entities.h"
#include "schedule/calandar_access.h"
#include "schedule/task_length_calc.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace mapolt {
namespace {

const std::filesystem::path kExample =
    std::filesystem::path(MAPOLT_EXAMPLES_DIR) / "house-build.mapolt";

struct CommandRun {
    int status;
    std::string output;
};

CommandRun run(const std::string& command) {
    CommandRun r{-1, {}};
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return r;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        r.output += buffer;
    r.status = pclose(pipe);
    return r;
}

std::string cli(const std::string& arguments) {
    return std::string("\"") + MAPOLT_CLI_PATH + "\" render " + arguments;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(ExamplePlanTest, BundledFileIsTheGeneratedPlan) {
    const std::string generated = testing::houseBuildPlanText();
    if (std::getenv("MAPOLT_UPDATE_EXAMPLES") != nullptr)
        std::ofstream(kExample, std::ios::binary) << generated;
    EXPECT_EQ(readFile(kExample), generated)
        << "regenerate with MAPOLT_UPDATE_EXAMPLES=1 mapolt_chart_tests";
}

TEST(ExamplePlanTest, OpensAndHoldsWhatTheChartCanShow) {
    Store store;
    ASSERT_TRUE(readPlanFile(kExample, store));
    const auto tasks = store.fetch<ATask>();
    EXPECT_GE(tasks.size(), 40u);
    EXPECT_LE(tasks.size(), 80u);
    const auto resources = store.fetch<Resource>();
    ASSERT_EQ(resources.size(), 5u);
    for (const Resource* r : resources)
        EXPECT_NE(r->colour(), nullptr) << r->name();
    EXPECT_GE(store.fetch<MileStone>().size(), 2u);
    EXPECT_FALSE(store.fetch<Day>([](const Day& d) { return d.hours() == 0.0f; }).empty());
    EXPECT_FALSE(store.fetch<AResourceUsage>().empty());
    int lagged = 0;
    int plain = 0;
    for (const DepLink* l : store.fetch<DepLink>()) {
        (l->daysBetween() > 0 ? lagged : plain)++;
        // Every successor starts no earlier than its predecessor's end plus the lag.
        const ATask* p = l->dependTask();
        const ATask* s = l->dependeeTask();
        EXPECT_GE(s->daysFromStart() + 1e-4,
                  p->daysFromStart() + p->elapsedTime() + static_cast<float>(l->daysBetween()))
            << p->name() << " -> " << s->name();
    }
    EXPECT_GT(lagged, 0);
    EXPECT_GT(plain, 0);
    // Summaries span exactly their subtasks.
    for (const ATask* t : tasks) {
        if (t->subTasks.empty())
            continue;
        float first = 1e9f, last = -1e9f;
        for (const ATask* c : t->subTasks) {
            first = std::min(first, c->daysFromStart());
            last = std::max(last, c->daysFromStart() + c->elapsedTime());
        }
        EXPECT_FLOAT_EQ(t->daysFromStart(), first) << t->name();
        EXPECT_NEAR(t->elapsedTime(), last - first, 1e-3) << t->name();
    }
}

// The example is shown as it would be planned: Recalculate Project, or any edit that places
// a lagged task again, must not close the waits its lags stand for.
TEST(ExamplePlanTest, RecalculatingTheExampleMovesNothing) {
    Store store;
    ASSERT_TRUE(readPlanFile(kExample, store));
    std::vector<std::pair<float, float>> stored;
    for (const ATask* t : store.fetch<ATask>())
        stored.emplace_back(t->daysFromStart(), t->elapsedTime());
    CalandarAccess calendars(store);
    TaskLengthCalc engine(store, calendars);
    engine.recalcProject(store);
    std::size_t i = 0;
    for (const ATask* t : store.fetch<ATask>()) {
        EXPECT_NEAR(t->daysFromStart(), stored[i].first, 1e-4) << t->name();
        EXPECT_NEAR(t->elapsedTime(), stored[i].second, 1e-4) << t->name();
        ++i;
    }
}

TEST(RenderCommandTest, ExampleToPngShowsResourceColouredBars) {
    testing::TempFolder folder;
    const std::filesystem::path png = folder / "chart.png";
    const CommandRun r = run(cli("\"" + kExample.string() + "\" --png \"" + png.string() + "\""));
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("chart.png"), std::string::npos);
    const QImage image(QString::fromStdString(png.string()));
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(image.width(), 1000);
    // The preset's rows are 20 high; the collapsed outside works take one row.
    EXPECT_EQ(image.height(), 30 + 20 * 51);
    // The builder's bars, orange blended half-way to white.
    int builder = 0;
    for (int y = 30; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c(image.pixel(x, y));
            builder += std::abs(c.red() - 249) <= 1 && std::abs(c.green() - 198) <= 1 &&
                       std::abs(c.blue() - 140) <= 1;
        }
    EXPECT_GT(builder, 500);
}

TEST(RenderCommandTest, RowsAndDayWidthChooseThePicture) {
    testing::TempFolder folder;
    const std::filesystem::path png = folder / "part.png";
    const CommandRun r = run(cli("\"" + kExample.string() + "\" --png \"" + png.string() +
                                 "\" --rows 2:11 --day-width 9 --mono"));
    ASSERT_EQ(r.status, 0) << r.output;
    const QImage image(QString::fromStdString(png.string()));
    EXPECT_EQ(image.height(), 30 + 20 * 10);
    EXPECT_NE(r.output.find("rows 2 to 11"), std::string::npos) << r.output;
}

TEST(RenderCommandTest, ExampleToPdfOpensInPdftoppm) {
    testing::TempFolder folder;
    const std::filesystem::path pdf = folder / "chart.pdf";
    const CommandRun r = run(cli("\"" + kExample.string() + "\" --pdf \"" + pdf.string() + "\""));
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(readFile(pdf).substr(0, 5), "%PDF-");
    const CommandRun ppm = run("pdftoppm -r 30 -f 1 -l 1 -png \"" + pdf.string() + "\" \"" +
                               (folder / "page").string() + "\"");
    ASSERT_EQ(ppm.status, 0) << ppm.output;
    bool page = false;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        page = page || entry.path().filename().string().starts_with("page");
    EXPECT_TRUE(page);
}

TEST(RenderCommandTest, ChartTallerThanOneImageIsRefusedAndRowsChooseAPartOfIt) {
    // 2,000 rows of the default style's 19 points pass the largest image Qt draws.
    testing::TempFolder folder;
    const std::filesystem::path plan = folder / "tall.json";
    std::string tasks;
    for (int i = 0; i < 2000; ++i)
        tasks += std::string(i == 0 ? "" : ",") + R"({"UUID":"t)" + std::to_string(i) +
                 R"(","atttributes":{"name":"T","hours":8,"invalid":true,"viewOrder":)" +
                 std::to_string(i) + "}}";
    testing::TempFolder::write(
        plan, R"({"Project":[{"UUID":"p","atttributes":{"startDate":"Mar 2, 2026"}}],"ATask":[)" +
                  tasks + "]}");
    const std::filesystem::path png = folder / "tall.png";
    CommandRun r = run(cli("\"" + plan.string() + "\" --png \"" + png.string() + "\""));
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.output.find("tall.json\" is too large for one image"), std::string::npos)
        << r.output;
    EXPECT_FALSE(std::filesystem::exists(png));

    r = run(cli("\"" + plan.string() + "\" --png \"" + png.string() + "\" --rows 1:100"));
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(QImage(QString::fromStdString(png.string())).height(), 30 + 19 * 100);
}

TEST(RenderCommandTest, ImageHeightIsTheRulerAndTheRows) {
    EXPECT_FLOAT_EQ(chartImageHeight(10, 20.0f), 230.0f);
    // A row is never thinner than a pixel.
    EXPECT_FLOAT_EQ(chartImageHeight(5, 0.0f), 35.0f);
    EXPECT_FLOAT_EQ(chartImageHeight(0, 20.0f), 30.0f);
    EXPECT_GT(chartImageHeight(kMaxImageSide, 1.0f), static_cast<float>(kMaxImageSide));
}

TEST(RenderCommandTest, BadInputNamesTheFileAndTheReason) {
    testing::TempFolder folder;
    const std::filesystem::path missing = folder / "missing.mapolt";
    CommandRun r =
        run(cli("\"" + missing.string() + "\" --png \"" + (folder / "x.png").string() + "\""));
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.output.find("missing.mapolt"), std::string::npos) << r.output;
    EXPECT_FALSE(std::filesystem::exists(folder / "x.png"));

    r = run(cli("\"" + kExample.string() + "\""));
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.output.find("--png"), std::string::npos) << r.output;
    r = run(cli("\"" + kExample.string() + "\" --png a.png --rows 5:2"));
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.output.find("--rows"), std::string::npos) << r.output;
}

} // namespace
} // namespace mapolt
