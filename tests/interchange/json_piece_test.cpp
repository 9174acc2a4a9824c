// The record reader takes its input a piece at a time: whatever falls on the edge of a piece
// (a record, a string, an escape, a character, a number, a literal) reads as the whole text
// reads at once, with the same errors.
#include "interchange/json_import.h"
#include "interchange/json_reader.h"
#include "interchange/json_writer.h"
#include "model/entities.h"
#include "model/store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace mapolt {
namespace {

using ::testing::ElementsAre;
using namespace std::string_literals;

// A text handed over in reads of at most `most` bytes, however many the reader asks for.
class TrickleSource final : public ByteSource {
  public:
    TrickleSource(std::string_view text, std::size_t most) : rest_(text), most_(most) {}
    std::size_t read(char* into, std::size_t size) override {
        const std::size_t n = std::min({size, most_, rest_.size()});
        std::copy_n(rest_.data(), n, into);
        rest_.remove_prefix(n);
        delivered += n;
        return n;
    }
    const std::string& failure() const override { return failure_; }

    std::size_t delivered = 0;

  private:
    std::string_view rest_;
    std::size_t most_;
    std::string failure_;
};

// A source whose device gives up after `good` bytes.
class FailingSource final : public ByteSource {
  public:
    FailingSource(std::string_view text, std::size_t good) : text_(text.substr(0, good)) {}
    std::size_t read(char* into, std::size_t size) override {
        if (text_.empty()) {
            failure_ = "the disk went away";
            return 0;
        }
        const std::size_t n = std::min(size, text_.size());
        std::copy_n(text_.data(), n, into);
        text_.remove_prefix(n);
        return n;
    }
    const std::string& failure() const override { return failure_; }

  private:
    std::string_view text_;
    std::string failure_;
};

// Each record as "member|key|its JSON", and the member names as they begin.
struct Transcript : JsonRecordHandler {
    std::vector<std::string> lines;
    void member(std::string_view key) override { lines.push_back("member " + std::string(key)); }
    void record(std::string_view key, const JsonValue& value) override {
        JsonDocument doc;
        lines.push_back(std::string(key) + "|" + writeJson(doc.array({value})).text);
    }
};

struct JsonPieceTest : ::testing::Test {
    // What the record reader must hand on: the records of the tree the whole text gives.
    static std::vector<std::string> expectedTranscript(std::string_view text) {
        const JsonParseResult whole = parseJson(text);
        EXPECT_TRUE(whole) << whole.error->message();
        Transcript t;
        for (const JsonMember& m : whole.value.members()) {
            t.member(m.key);
            for (const JsonValue& v : m.value.elements())
                t.record({}, v);
            for (const JsonMember& r : m.value.members())
                t.record(r.key, r.value);
        }
        return t.lines;
    }

    static void expectSameError(const JsonParseResult& streamed, const JsonParseResult& whole,
                                const std::string& what) {
        ASSERT_EQ(bool(streamed), bool(whole)) << what;
        if (whole)
            return;
        EXPECT_EQ(streamed.error->message(), whole.error->message()) << what;
        EXPECT_EQ(streamed.error->offset(), whole.error->offset()) << what;
        EXPECT_EQ(streamed.error->traceDescription(), whole.error->traceDescription()) << what;
        EXPECT_EQ(streamed.errorLine, whole.errorLine) << what;
    }
};

// Long strings, escapes of every kind, raw characters of two to four bytes, numbers and
// literals, nested containers and members outside the records.
const std::string kDocument =
    "{\"MapoltFileInfo\":{\"Creator\":\"Mapolt\",\"Type\":\"Plan\"},\n"
    "  \"ATask\":[{\"UUID\":\"0\",\"atttributes\":{\"name\":\"" +
    std::string(300, 'a') +
    "\",\"hours\":-12.5e+3,\"lockedStart\":true,\"x\":null,\"y\":false}},\n"
    "    {\"UUID\":\"1\",\"atttributes\":{\"name\":\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 "
    "\\\"q\\\" \\\\ \\/ \\b\\f\\n\\r\\t \\u00e9\\u20AC \\ud83d\\ude00\"},"
    "\"relations\":{\"subTasks\":[\"2\",\"3\",[[],{}]]}}],\n"
    "  \"Resource\":{\"7\":{\"atttributes\":{\"name\":\"R\",\"n\":0.000125}},"
    "\"8\":[1,2.5,-0,1E9],\"9\":\"plain\",\"10\":123456789012345678901234567890},\n"
    "  \"Count\":42, \"Label\":\"outside \\u0041\", \"Flag\":false, \"Empty\":[], "
    "\"Nothing\":null}\n";

TEST_F(JsonPieceTest, EveryPieceSizeHandsOnTheRecordsOfTheWholeText) {
    const std::vector<std::string> expected = expectedTranscript(kDocument);
    ASSERT_EQ(expected.size(), 16u);
    for (std::size_t piece = 1; piece <= 40; ++piece) {
        Transcript t;
        const JsonParseResult r = parseJsonRecords(kDocument, t, piece);
        ASSERT_TRUE(r) << piece << ": " << r.error->message();
        EXPECT_EQ(t.lines, expected) << piece;
        // Members outside the records come back, read before the window moved on.
        EXPECT_EQ(r.value.find("Count")->asNumber()->text(), "42") << piece;
        EXPECT_EQ(*r.value.find("Label")->asString(), "outside A") << piece;
        EXPECT_EQ(r.value.find("Flag")->asBool(), false) << piece;
        EXPECT_TRUE(r.value.find("Nothing")->isNull()) << piece;
        EXPECT_TRUE(r.value.find("ATask")->elements().empty()) << piece;
    }
}

TEST_F(JsonPieceTest, ShortReadsOfTheInputReadAsTheWholeText) {
    const std::vector<std::string> expected = expectedTranscript(kDocument);
    for (const std::size_t most : {1u, 2u, 3u, 5u, 7u, 64u}) {
        for (const std::size_t piece : {1u, 6u, 4096u}) {
            TrickleSource source(kDocument, most);
            Transcript t;
            const JsonParseResult r = parseJsonRecords(source, t, piece);
            ASSERT_TRUE(r) << most << "/" << piece << ": " << r.error->message();
            EXPECT_EQ(t.lines, expected) << most << "/" << piece;
        }
    }
}

TEST_F(JsonPieceTest, AStringManyPiecesLongWidensTheWindowAndReadsWhole) {
    std::string longName;
    for (int i = 0; i < 20'000; ++i)
        longName += i % 7 == 0 ? "\\n" : (i % 11 == 0 ? "\xC3\xA9" : "x");
    const std::string text = R"({"ATask":[{"a":")" + std::string(70'000, 'y') + R"(","b":")" +
                             longName + R"(","c":[)" + std::string(5'000, '7') + "]}]}";
    const std::vector<std::string> expected = expectedTranscript(text);
    for (const std::size_t piece : {1u, 16u, 1000u}) {
        Transcript t;
        const JsonParseResult r = parseJsonRecords(text, t, piece);
        ASSERT_TRUE(r) << piece << ": " << r.error->message();
        EXPECT_EQ(t.lines, expected) << piece;
    }
}

TEST_F(JsonPieceTest, ErrorsAtEveryPieceSizeAreThoseOfTheWholeText) {
    const std::vector<std::string> texts = {
        R"({"A":[{"x":"\u12"}]})",
        R"({"A":[{"x":"\u12G4"}]})",
        R"({"A":[{"x":"\uDC00"}]})",
        R"({"A":[{"x":"\uD800\u0041"}]})",
        R"({"A":[{"x":"\uD800x"}]})",
        R"({"A":[{"x":"\uD800\"}]})",
        R"({"A":[{"x":"\q"}]})",
        "{\"A\":[{\"x\":\"ok\\n\xE2\x82\"}]}",
        "{\"A\":[{\"x\":\"\xE2\x82\"}]}",
        "{\"A\":[{\"x\":\"\xC0\xAF\"}]}",
        "{\"A\":[{\"x\":\"\xF4\x90\x80\x80\"}]}",
        "{\"A\":[{\"x\":\"tab\there\"}]}",
        "{\n\"A\":[{\"x\":\n\"cut",
        "{\"A\":[{\"x\":\"cut\\",
        R"({"A":[{"x":0123}]})",
        R"({"A":[{"x":-}]})",
        R"({"A":[{"x":1.}]})",
        R"({"A":[{"x":1e+}]})",
        R"({"A":[{"x":+1}]})",
        R"({"A":[{"x":1e99999999999}]})",
        R"({"A":[{"x":tru}]})",
        R"({"A":[{"x":nul)",
        R"({"A":[{"x":fals,"y":1}]})",
        R"({"A":[{"x":1,}]})",
        R"({"A":[1,2,]})",
        R"({"A":[{"x" 1}]})",
        R"({"A":[{1:2}]})",
        R"({"A":[1 2]})",
        R"({"A":[{"x":1}] "B":2})",
        R"({"A":[{"x":1}]} x)",
        "{\"A\":[{\"x\":1}]}\0\0x"s,
        "{\"A\":[{\"x\":1}]}\n\n\0\0\0"s,
        "{\"A\":[{\"x\":\"a\0b\"}]}"s,
        R"({"A":[{"x":1}]})",
        R"("fragment")",
        R"({"A":)",
        "",
        "  \n ",
        std::string(513, '[') + std::string(513, ']'),
        "{\"A\":" + std::string(511, '[') + std::string(511, ']') + "}",
        "{\"A\":" + std::string(512, '[') + std::string(512, ']') + "}",
    };
    for (const std::string& text : texts) {
        const JsonParseResult whole = parseJson(text);
        for (std::size_t piece = 1; piece <= 24; ++piece) {
            Transcript t;
            expectSameError(parseJsonRecords(text, t, piece), whole,
                            text.substr(0, 60) + " in pieces of " + std::to_string(piece));
        }
    }
}

TEST_F(JsonPieceTest, NulBytesEndTheTextAndOnlyNulBytesMayFollowInAnyPiece) {
    const std::string good = R"({"A":[{"x":1}]})";
    const std::string padded = good + std::string(100, '\0');
    const std::string smuggled = good + std::string(50, '\0') + "x" + std::string(49, '\0');
    for (std::size_t piece = 1; piece <= 30; ++piece) {
        Transcript t;
        EXPECT_TRUE(parseJsonRecords(padded, t, piece)) << piece;
        const JsonParseResult r = parseJsonRecords(smuggled, t, piece);
        ASSERT_FALSE(r) << piece;
        EXPECT_EQ(r.error->message(), "Garbage after JSON");
        EXPECT_EQ(r.error->offset(), good.size());
    }
}

TEST_F(JsonPieceTest, TheLineOfAnErrorCountsTheLinesOfEarlierPieces) {
    const std::string text = "{\"A\":[\n{\"x\":1},\n{\"x\":2},\n{\"x\":\"\\z\"}]}";
    for (const std::size_t piece : {1u, 4u, 9u, 1000u}) {
        Transcript t;
        const JsonParseResult r = parseJsonRecords(text, t, piece);
        ASSERT_FALSE(r);
        EXPECT_EQ(r.errorLine, 4u) << piece;
        EXPECT_EQ(r.error->offset(), text.find("\\z") + 1) << piece;
    }
}

TEST_F(JsonPieceTest, RecordsAreHandedOnBeforeTheRestOfTheInputIsRead) {
    std::string text = R"({"ATask":[)";
    for (int i = 0; i < 10'000; ++i)
        text += std::string(i == 0 ? "" : ",") + R"({"UUID":")" + std::to_string(i) + R"("})";
    text += "]}";
    struct FirstRecord : JsonRecordHandler {
        TrickleSource* source = nullptr;
        std::size_t deliveredAtFirst = 0;
        std::size_t records = 0;
        void member(std::string_view) override {}
        void record(std::string_view, const JsonValue&) override {
            if (records++ == 0)
                deliveredAtFirst = source->delivered;
        }
    } handler;
    TrickleSource source(text, text.size());
    handler.source = &source;
    ASSERT_TRUE(parseJsonRecords(source, handler, 64));
    EXPECT_EQ(handler.records, 10'000u);
    EXPECT_LE(handler.deliveredAtFirst, 64u);
    EXPECT_EQ(source.delivered, text.size());
}

TEST_F(JsonPieceTest, AnInputThatFailsIsAnInputErrorWithItsReason) {
    for (const std::size_t good : {std::size_t{0}, std::size_t{20}, kDocument.size() - 2}) {
        FailingSource source(kDocument, good);
        Transcript t;
        const JsonParseResult r = parseJsonRecords(source, t, 8);
        ASSERT_FALSE(r) << good;
        EXPECT_EQ(r.error->code(), JsonErrorCode::Input);
        EXPECT_EQ(r.error->message(), "the disk went away");
        EXPECT_EQ(r.error->offset(), good);
    }
    // Even a text that ends well there is refused: the rest of it never came.
    FailingSource whole(kDocument, kDocument.size());
    Transcript t;
    EXPECT_FALSE(parseJsonRecords(whole, t, 8));
}

TEST_F(JsonPieceTest, APlanReadInTinyPiecesMakesTheSameRecordsAndAFailedOneMakesNone) {
    const std::string plan =
        R"({"Project":{"1":{"UUID":"1","atttributes":{"startDate":"Mar 8, 2026"}}},
            "ATask":[{"UUID":"0","atttributes":{"name":"D\u00e9sign \ud83d\ude00","hours":12.5},
                      "relations":{"project":"1"}},
                     {"UUID":"2","atttributes":{"name":")" +
        std::string(200, 'n') + R"("},"relations":{"project":"1"}}],
            "DepLink":[{"UUID":"3","atttributes":{"daysBetween":2},
                        "relations":{"dependTask":"0","dependeeTask":"2"}}]})";
    for (const std::size_t piece : {1u, 3u, 17u}) {
        Store store;
        JSONImport import;
        TrickleSource source(plan, 5);
        ASSERT_TRUE(import.createModelFromJSON(source, store, piece)) << piece;
        const std::vector<ATask*> tasks = store.fetch<ATask>();
        ASSERT_EQ(tasks.size(), 2u);
        EXPECT_EQ(tasks[0]->name(), "D\xC3\xA9sign \xF0\x9F\x98\x80");
        EXPECT_EQ(tasks[0]->hours(), 12.5f);
        EXPECT_EQ(tasks[1]->name(), std::string(200, 'n'));
        const std::vector<DepLink*> links = store.fetch<DepLink>();
        ASSERT_EQ(links.size(), 1u);
        EXPECT_EQ(links[0]->dependTask(), tasks[0]);
        EXPECT_EQ(links[0]->dependeeTask(), tasks[1]);
        EXPECT_THAT(tasks[0]->dependTasks(), ElementsAre(links[0]));
    }
    Store store;
    JSONImport import;
    FailingSource cut(plan, plan.size() / 2);
    EXPECT_FALSE(import.createModelFromJSON(cut, store, 16));
    ASSERT_TRUE(import.error());
    EXPECT_EQ(import.error()->message(), "the disk went away");
    EXPECT_EQ(store.count(Entity::ATask), 0u);
    EXPECT_EQ(store.count(Entity::Project), 0u);
}

} // namespace
} // namespace mapolt
