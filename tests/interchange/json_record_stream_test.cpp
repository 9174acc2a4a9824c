#include "interchange/json_import.h"
#include "interchange/json_reader.h"
#include "model/entities.h"
#include "model/store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mapolt {
namespace {

using ::testing::ElementsAre;

// Writes down what the reader hands on, as "member/key:first member of the record".
struct Recorder : JsonRecordHandler {
    std::vector<std::string> seen;
    void member(std::string_view key) override { seen.push_back("member " + std::string(key)); }
    void record(std::string_view key, const JsonValue& value) override {
        std::string first;
        if (!value.members().empty())
            first = std::string(value.members().front().key);
        else if (const auto s = value.asString())
            first = "\"" + std::string(*s) + "\"";
        seen.push_back(std::string(key) + ":" + first);
    }
};

struct JsonRecordStreamTest : ::testing::Test {
    Recorder recorder;
};

TEST_F(JsonRecordStreamTest, RecordsOfArraysAndObjectsAreHandedOnInOrderAndNotKept) {
    const JsonParseResult r = parseJsonRecords(
        R"({"A":[{"x":1},{"y":{"deep":["a\n"]}}],"B":{"7":{"z":true},"8":"plain\tescaped"},
            "C":5,"D":[]})",
        recorder);
    ASSERT_TRUE(r) << r.error->message();
    EXPECT_THAT(recorder.seen, ElementsAre("member A", ":x", ":y", "member B", "7:z",
                                           "8:\"plain\tescaped\"", "member C", "member D"));
    ASSERT_TRUE(r.value.isObject());
    EXPECT_TRUE(r.value.find("A")->elements().empty());
    EXPECT_TRUE(r.value.find("B")->members().empty());
    EXPECT_EQ(r.value.find("C")->asNumber()->text(), "5");
}

TEST_F(JsonRecordStreamTest, ErrorsAreThoseOfTheWholeTreeReader) {
    for (const std::string& text :
         {std::string(R"({"ATask":[{"UUID":"0",}]})"), std::string(R"({"A":[{"x":1}],})"),
          std::string(R"({"A":[{"x":"\uD800"}]})"), std::string("{\"A\":[\"\xF5\x80\"]}"),
          std::string(R"({"A":[1]} [])"), std::string("{\"A\":[1]}\0\0x", 13),
          std::string("{\"A\":[1]}\0\0", 11), std::string(R"([{"A":[1]}])"),
          std::string(R"("fragment")"), std::string(600, '[') + std::string(600, ']'),
          std::string()}) {
        Recorder r;
        const JsonParseResult streamed = parseJsonRecords(std::string(text), r);
        const JsonParseResult whole = parseJson(text);
        ASSERT_EQ(bool(streamed), bool(whole)) << text;
        if (whole)
            continue;
        EXPECT_EQ(streamed.error->traceDescription(), whole.error->traceDescription()) << text;
        EXPECT_EQ(streamed.error->offset(), whole.error->offset()) << text;
        EXPECT_EQ(streamed.error->message(), whole.error->message()) << text;
    }
}

TEST_F(JsonRecordStreamTest, ARepeatedMemberOrRecordKeyKeepsTheLaterAsTheTreeDid) {
    Store store;
    JSONImport import;
    ASSERT_TRUE(import.createModelFromJSON(
        R"({"Project":[{"UUID":"p"}],
            "ATask":{"1":{"UUID":"1","atttributes":{"name":"first"}},
                     "2":{"UUID":"2","atttributes":{"name":"second"}}},
            "Resource":[{"UUID":"r","atttributes":{"name":"early"}}],
            "ATask":{"3":{"UUID":"3","atttributes":{"name":"old"},"relations":{"project":"p"}},
                     "3":{"UUID":"3","atttributes":{"name":"new"},"relations":{"project":"p"}}},
            "DepLink":[{"UUID":"l","relations":{"dependTask":"1","dependeeTask":"3"}}]})",
        store));
    const std::vector<ATask*> tasks = store.fetch<ATask>();
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0]->name(), "new");
    EXPECT_NE(tasks[0]->project(), nullptr);
    // The link's predecessor was in the replaced member: it is left out.
    const std::vector<DepLink*> links = store.fetch<DepLink>();
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0]->dependTask(), nullptr);
    EXPECT_EQ(links[0]->dependeeTask(), tasks[0]);
    EXPECT_EQ(store.count(Entity::Resource), 1u);
}

TEST_F(JsonRecordStreamTest, UuidsOfEveryFormFindTheirRecords) {
    Store store;
    JSONImport import;
    ASSERT_TRUE(import.createModelFromJSON(
        R"({"Project":[{"UUID":"p"}],"ATask":[
            {"UUID":"0","relations":{"project":"p","nextSibling":"9999999"}},
            {"UUID":"9999999","relations":{"project":"p","prevSibling":0,"superTask":"x\u0079"}},
            {"UUID":"xy","relations":{"project":"p","subTasks":["9999999","007"]}},
            {"UUID":"007","relations":{"project":"p","superTask":"xy"}}]})",
        store));
    std::vector<ATask*> tasks = store.fetch<ATask>();
    ASSERT_EQ(tasks.size(), 4u);
    EXPECT_EQ(tasks[0]->nextSibling(), tasks[1]);
    EXPECT_EQ(tasks[1]->prevSibling(), tasks[0]);
    EXPECT_EQ(tasks[1]->superTask(), tasks[2]);
    EXPECT_THAT(tasks[2]->subTasks(), ElementsAre(tasks[1], tasks[3]));
}

} // namespace
} // namespace mapolt
