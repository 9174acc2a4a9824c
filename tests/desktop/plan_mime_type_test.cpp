#include "document/kestil_planner_document.h"
#include "model/entities.h"
#include "model/preferences.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QMimeDatabase>
#include <QMimeType>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace mapolt {
namespace {

using Folder = testing::TempFolder;

constexpr const char* kPlanType = "application/x-mapolt-plan";

// Qt reads the type definitions of every XDG data folder; a data folder that holds only our
// package, put before the system's, shows what a desktop with Mapolt installed decides.
class PlanMimeTypeTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        data_ = new Folder;
        const std::filesystem::path packages = data_->path() / "mime" / "packages";
        std::filesystem::create_directories(packages);
        std::filesystem::copy_file(MAPOLT_MIME_PACKAGE, packages / "io.github.mapolt.Mapolt.xml");
        std::filesystem::create_directories(data_->path() / "home");
        ::setenv("XDG_DATA_HOME", (data_->path() / "home").c_str(), 1);
        ::setenv("XDG_DATA_DIRS", (data_->path().string() + ":/usr/local/share:/usr/share").c_str(),
                 1);
    }
    static void TearDownTestSuite() {
        delete data_;
        data_ = nullptr;
    }

    std::filesystem::path writtenPlan(const std::string& name) {
        KestilPlannerDocument doc(preferences);
        doc.project()->set(&Project::name, std::string("Kitchen"));
        doc.taskHelper().addEndTask(0.0f)->setName("Order the units");
        const std::filesystem::path file = folder / name;
        std::string error;
        EXPECT_TRUE(doc.writeToURL(file, error)) << error;
        return file;
    }

    static std::string byContent(const std::filesystem::path& file) {
        return QMimeDatabase()
            .mimeTypeForFile(QString::fromStdString(file.string()), QMimeDatabase::MatchContent)
            .name()
            .toStdString();
    }
    static std::string byContent(const std::string& bytes) {
        return QMimeDatabase()
            .mimeTypeForData(QByteArray::fromStdString(bytes))
            .name()
            .toStdString();
    }

    MemoryPreferences preferences;
    Folder folder;
    static Folder* data_;
};

Folder* PlanMimeTypeTest::data_ = nullptr;

TEST_F(PlanMimeTypeTest, PlanFilesAreKnownByNameAndByContent) {
    const std::filesystem::path named = writtenPlan("kitchen.mapolt");
    const QMimeType type = QMimeDatabase().mimeTypeForFile(QString::fromStdString(named.string()));
    EXPECT_EQ(type.name().toStdString(), kPlanType);
    EXPECT_TRUE(type.inherits("application/json"));
    const QMimeType byName =
        QMimeDatabase().mimeTypeForFile("elsewhere.mapolt", QMimeDatabase::MatchExtension);
    EXPECT_EQ(byName.name().toStdString(), kPlanType);

    // Without the extension the header alone decides.
    EXPECT_EQ(byContent(writtenPlan("kitchen")), kPlanType);
    EXPECT_EQ(byContent(std::filesystem::path(MAPOLT_EXAMPLES) / "house-build.mapolt"), kPlanType);
}

TEST_F(PlanMimeTypeTest, StyleFilesAndOtherJsonAreNotPlans) {
    KestilPlannerDocument doc(preferences);
    const std::filesystem::path style = folder / "look";
    std::string error;
    ASSERT_TRUE(doc.exportStyle(style, error)) << error;
    EXPECT_EQ(Folder::read(style).rfind("{\"MapoltFileInfo\":{", 0), 0u);
    EXPECT_NE(byContent(style), kPlanType);

    EXPECT_NE(byContent(std::string("{\"MapoltFileInfo\":{}}")), kPlanType);
    EXPECT_NE(byContent(std::string("{\"Type\":\"Plan\"}")), kPlanType);
    EXPECT_NE(byContent(std::string("")), kPlanType);
}

} // namespace
} // namespace mapolt
