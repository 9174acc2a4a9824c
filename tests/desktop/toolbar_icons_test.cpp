#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>
#include <QSize>
#include <QString>

#include <array>
#include <set>
#include <string>

namespace mapolt {
namespace {

// The window loads its toolbar images from its Qt resources by these names.
constexpr std::array<const char*, 10> kToolbarImages{
    "inndTsk2", "outTsk2",     "insbel2",   "insbef2",   "moveup2",
    "movedn2",  "inspect-but", "Resources", "charticon", "printicon"};

class ToolbarIconsTest : public ::testing::Test {
  protected:
    static QImage rendered(const QString& path, int size) {
        QImageReader reader(path);
        reader.setScaledSize(QSize(size, size));
        return reader.read().convertToFormat(QImage::Format_ARGB32);
    }
    static QString resource(const char* name) {
        return QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name));
    }
    // Pixels more opaque than not.
    static int inked(const QImage& image) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
        return count;
    }
};

TEST_F(ToolbarIconsTest, EveryToolbarImageIsADistinctLineIconOf24Pixels) {
    std::set<std::string> artwork;
    for (const char* name : kToolbarImages) {
        EXPECT_EQ(QImageReader(resource(name)).size(), QSize(24, 24)) << name;
        const QImage image = rendered(resource(name), 24);
        ASSERT_FALSE(image.isNull()) << name;
        // Drawn with lines: clearly visible, yet mostly open.
        EXPECT_GT(inked(image), 40) << name;
        EXPECT_LT(inked(image), 24 * 24 / 3) << name;
        artwork.insert(std::string(reinterpret_cast<const char*>(image.constBits()),
                                   static_cast<std::size_t>(image.sizeInBytes())));
    }
    EXPECT_EQ(artwork.size(), kToolbarImages.size());
}

TEST_F(ToolbarIconsTest, ApplicationAndPlanFileIconsRenderAtEverySize) {
    for (const int size : {16, 32, 48, 256}) {
        const QImage app = rendered(resource("mapolt"), size);
        ASSERT_EQ(app.size(), QSize(size, size));
        // A tile with a small margin.
        EXPECT_GT(inked(app), size * size * 2 / 3) << size;
        EXPECT_EQ(qAlpha(app.pixel(0, 0)), 0) << size;

        const QImage plan = rendered(QStringLiteral(MAPOLT_PLAN_ICON), size);
        ASSERT_EQ(plan.size(), QSize(size, size));
        EXPECT_GT(inked(plan), size * size / 2) << size;
    }
}

} // namespace
} // namespace mapolt
