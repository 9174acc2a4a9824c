#include "interchange/xml_stream_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mapolt {
namespace {

struct XmlStreamWriterTest : ::testing::Test {
    std::vector<std::string> pieces;
    bool accept = true;
    XmlStreamWriter writer{[this](std::string_view bytes) {
        pieces.emplace_back(bytes);
        return accept;
    }};

    std::string all() const {
        std::string text;
        for (const std::string& p : pieces)
            text += p;
        return text;
    }
};

TEST_F(XmlStreamWriterTest, IndentsNestsAndClosesEmptyElementsAtOnce) {
    writer.open("Project", "urn:x");
    writer.text("Name", "Plan");
    writer.open("Tasks");
    writer.open("Task");
    writer.number("UID", -1);
    writer.close();
    writer.close();
    writer.open("Resources");
    ASSERT_TRUE(writer.finish());
    EXPECT_EQ(all(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<Project xmlns=\"urn:x\">\n"
                     "  <Name>Plan</Name>\n"
                     "  <Tasks>\n"
                     "    <Task>\n"
                     "      <UID>-1</UID>\n"
                     "    </Task>\n"
                     "  </Tasks>\n"
                     "  <Resources/>\n"
                     "</Project>\n");
}

TEST_F(XmlStreamWriterTest, EscapesMarkupAndCarriageReturns) {
    writer.text("Name", "a & <b> \"c\"\r\nd");
    ASSERT_TRUE(writer.finish());
    EXPECT_NE(all().find("<Name>a &amp; &lt;b&gt; &quot;c&quot;&#13;\nd</Name>"), std::string::npos)
        << all();
}

TEST_F(XmlStreamWriterTest, HandsOverBoundedPiecesWhileWriting) {
    writer.open("List");
    for (int i = 0; i < 20'000; ++i)
        writer.text("Item", "some text of an element");
    const std::size_t before = pieces.size();
    ASSERT_TRUE(writer.finish());
    EXPECT_GE(before, 8u);
    for (const std::string& p : pieces)
        EXPECT_LE(p.size(), 70'000u);
    EXPECT_EQ(all().size(), 39u + 7u + 20'000u * 39u + 8u);
}

TEST_F(XmlStreamWriterTest, ASinkThatFailsFailsTheWholeWrite) {
    accept = false;
    writer.open("List");
    for (int i = 0; i < 5'000; ++i)
        writer.text("Item", "some text of an element");
    EXPECT_FALSE(writer.finish());
}

} // namespace
} // namespace mapolt
