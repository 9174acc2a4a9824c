#include "interchange/json_reader.h"
#include "interchange/json_writer.h"
#include "model/diagnostic_log.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace mapolt {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

// Messages of an error chain, outermost first.
std::vector<std::string> messages(const JsonError& e) {
    std::vector<std::string> out;
    for (const JsonError* x : e.chain())
        out.push_back(x->message());
    return out;
}

std::vector<std::string> parseFailure(std::string_view text) {
    const JsonParseResult r = parseJson(text);
    if (r)
        return {"(parsed)"};
    return messages(*r.error);
}

std::string nested(int depth) {
    return std::string(static_cast<std::size_t>(depth), '[') +
           std::string(static_cast<std::size_t>(depth), ']');
}

std::string write(const JsonValue& v) {
    const JsonWriteResult r = writeJson(v);
    EXPECT_TRUE(r) << r.error->message();
    return r.text;
}

// Parsed trees stay alive with their results.
struct Parsed {
    JsonParseResult result;
    const JsonValue& operator*() const { return result.value; }
    const JsonValue* operator->() const { return &result.value; }
};

Parsed parsed(std::string_view text) {
    JsonParseResult r = parseJson(text);
    EXPECT_TRUE(r) << text << ": " << r.error->message();
    return Parsed{std::move(r)};
}

std::string_view firstString(const Parsed& array) {
    return *array->elements().front().asString();
}

struct JsonWriter : ::testing::Test {
    JsonDocument doc;
    JsonValue array(std::string_view s) { return doc.array({doc.string(s)}); }
};

TEST_F(JsonWriter, EscapesOnlyWhatMustBeEscaped) {
    EXPECT_EQ(write(array("say \"hi\" \\ to\tcaf\xc3\xa9/x")),
              "[\"say \\\"hi\\\" \\\\ to\\tcaf\xc3\xa9/x\"]");
    EXPECT_EQ(write(array("\n\r\b\f\x1f")), R"(["\n\r\b\f\u001f"])");
}

TEST_F(JsonWriter, ControlCharacterTravelsAsLowercaseEscape) {
    const std::string text = write(array("a\x01z"));
    EXPECT_EQ(text, R"(["a\u0001z"])");
    EXPECT_EQ(firstString(parsed(text)), "a\x01z");
    EXPECT_EQ(write(array(std::string_view("\x1a", 1))), R"(["\u001a"])");
}

TEST_F(JsonWriter, CompactFormWithEveryKindOfValue) {
    const JsonValue o = doc.object({{"n", nullptr},
                                    {"t", true},
                                    {"f", false},
                                    {"i", doc.number(std::int64_t{-42})},
                                    {"x", doc.number(0.1f)},
                                    {"a", doc.array({doc.object({}), doc.array({})})},
                                    {"t", false}});
    EXPECT_EQ(write(o), R"({"n":null,"t":false,"f":false,"i":-42,"x":0.1,"a":[{},[]]})");
}

TEST_F(JsonWriter, RefusesWhatJsonCannotHold) {
    std::vector<std::string> log;
    const DiagnosticSink previous =
        setDiagnosticSink([&](std::string_view line) { log.emplace_back(line); });
    const JsonWriteResult top = writeJson(doc.string("text"));
    ASSERT_FALSE(top);
    EXPECT_EQ(top.error->code(), JsonErrorCode::Fragment);
    EXPECT_EQ(top.error->message(), "Not valid type for JSON");

    const JsonValue o =
        doc.object({{"hours", doc.number(std::numeric_limits<double>::infinity())}});
    const JsonWriteResult inf = writeJson(doc.array({o}));
    ASSERT_FALSE(inf);
    EXPECT_TRUE(inf.text.empty());
    EXPECT_THAT(messages(*inf.error),
                ElementsAre("Unsupported value for key hours in object",
                            "JSON serialisation not supported for non-finite number"));
    EXPECT_EQ(inf.error->cause()->code(), JsonErrorCode::Unsupported);
    setDiagnosticSink(previous);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1], "-JSONRepresentation failed. Error trace is: (\"JSON serialisation not "
                      "supported for non-finite number\", \"Unsupported value for key hours in "
                      "object\")");
}

TEST_F(JsonWriter, AppliesTheDepthLimit) {
    JsonValue deep = doc.array({});
    for (int i = 1; i < kJsonMaxDepth; ++i)
        deep = doc.array({deep});
    EXPECT_EQ(write(deep), nested(kJsonMaxDepth));
    const DiagnosticSink previous = setDiagnosticSink([](std::string_view) {});
    const JsonWriteResult tooDeep = writeJson(doc.array({deep}));
    setDiagnosticSink(previous);
    ASSERT_FALSE(tooDeep);
    EXPECT_EQ(tooDeep.error->code(), JsonErrorCode::Depth);
    EXPECT_EQ(tooDeep.error->message(), "Nested too deep");
}

TEST(JsonReader, DepthLimitIsFiveHundredAndTwelve) {
    EXPECT_TRUE(parseJson(nested(512)));
    const JsonParseResult r = parseJson(nested(513));
    ASSERT_FALSE(r);
    const std::vector<const JsonError*> chain = r.error->chain();
    EXPECT_EQ(chain.back()->message(), "Nested too deep");
    EXPECT_EQ(chain.back()->code(), JsonErrorCode::Depth);
    EXPECT_EQ(chain.size(), 513u);
    EXPECT_EQ(r.error->message(), "Expected value while parsing array");
    EXPECT_EQ(r.error->offset(), 513u);
    EXPECT_TRUE(parseJson(R"({"a":)" + nested(511) + "}"));
    std::string objects;
    for (int i = 0; i < 513; ++i)
        objects += R"({"k":)";
    const std::vector<std::string> deepObjects = parseFailure(objects);
    EXPECT_EQ(deepObjects.back(), "Nested too deep");
    EXPECT_EQ(deepObjects.front(), "Object value expected for key: k");
}

TEST(JsonReader, TopLevelMustBeObjectOrArray) {
    EXPECT_THAT(parseFailure(R"("just text")"), ElementsAre("Valid fragment, but not JSON"));
    EXPECT_THAT(parseFailure(" 12 "), ElementsAre("Valid fragment, but not JSON"));
    EXPECT_EQ(parseJson("\"x\"").error->code(), JsonErrorCode::Fragment);
    EXPECT_THAT(parseFailure(R"({"a":1} {"b":2})"), ElementsAre("Garbage after JSON"));
    EXPECT_EQ(parseJson("[] x").error->code(), JsonErrorCode::TrailingGarbage);
    EXPECT_EQ(parseJson("[] x").error->offset(), 3u);
    EXPECT_TRUE(parseJson(" \t\n\v\f\r[ ]\r\n"));
}

TEST(JsonReader, TrailingCommasAreRefused) {
    const JsonParseResult r = parseJson("[1,2,]");
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error->chain().size(), 1u);
    EXPECT_EQ(r.error->message(), "Trailing comma disallowed in array");
    EXPECT_EQ(r.error->code(), JsonErrorCode::TrailingComma);
    EXPECT_EQ(r.error->offset(), 5u);
    EXPECT_THAT(parseFailure(R"({"a":1 , })"), ElementsAre("Trailing comma disallowed in object"));
    EXPECT_THAT(parseFailure(R"({"k":[0,]})"), ElementsAre("Object value expected for key: k",
                                                           "Trailing comma disallowed in array"));
}

TEST(JsonReader, EachEnclosingContainerWrapsTheError) {
    EXPECT_THAT(parseFailure(R"([{"name":tru]})"),
                ElementsAre("Expected value while parsing array",
                            "Object value expected for key: name", "Expected 'true'"));
    EXPECT_THAT(parseFailure(R"([1,,2])"), ElementsAre("Expected value while parsing array",
                                                       "Unrecognised leading character"));
    EXPECT_THAT(parseFailure(R"({1:2})"), ElementsAre("Object key string expected"));
    EXPECT_THAT(parseFailure(R"({"a" 2})"), ElementsAre("Expected ':' separating key and value"));
    EXPECT_THAT(parseFailure(R"({"a\q":2})"),
                ElementsAre("Object key string expected", "Illegal escape sequence '0x71'"));
    EXPECT_THAT(parseFailure("[nul]"),
                ElementsAre("Expected value while parsing array", "Expected 'null'"));
    EXPECT_THAT(parseFailure("[fals]"),
                ElementsAre("Expected value while parsing array", "Expected 'false'"));
    EXPECT_THAT(parseFailure("[1 2]"), ElementsAre("Expected ',' or ']' after array element"));
    EXPECT_THAT(parseFailure(R"({"a":1 "b":2})"),
                ElementsAre("Expected ',' or '}' after object member"));
}

TEST(JsonReader, EndOfInputIsNamedByWhereItHappened) {
    EXPECT_THAT(parseFailure(""), ElementsAre("Unexpected end of string"));
    EXPECT_THAT(parseFailure("   "), ElementsAre("Unexpected end of string"));
    EXPECT_THAT(parseFailure("[1,"), ElementsAre("End of input while parsing array"));
    EXPECT_THAT(parseFailure("[1"), ElementsAre("End of input while parsing array"));
    EXPECT_THAT(parseFailure("{"), ElementsAre("End of input while parsing object"));
    EXPECT_THAT(parseFailure(R"({"a":1,)"), ElementsAre("End of input while parsing object"));
    EXPECT_THAT(parseFailure(R"({"a":)"),
                ElementsAre("Object value expected for key: a", "Unexpected end of string"));
    EXPECT_THAT(parseFailure(R"(["abc)"), ElementsAre("Expected value while parsing array",
                                                      "Unexpected EOF while parsing string"));
    EXPECT_THAT(parseFailure("[\"ab\\"), ElementsAre("Expected value while parsing array",
                                                     "Unexpected EOF while parsing string"));
    EXPECT_EQ(parseJson("[1,").error->code(), JsonErrorCode::EndOfInput);
}

TEST(JsonReader, NoTextAtAllAndTheFirstNulEndsTheText) {
    const JsonParseResult nil = parseJson(nullptr, 0);
    ASSERT_FALSE(nil);
    EXPECT_EQ(nil.error->code(), JsonErrorCode::Input);
    EXPECT_EQ(nil.error->message(), "Input was 'nil'");
    const std::string withNul("[1]\0garbage", 11);
    EXPECT_THAT(parseFailure(withNul), ElementsAre("Garbage after JSON"));
    EXPECT_TRUE(parseJson(std::string("[1]\0\0", 5)));
    const std::string cut("[1,\0 2]", 7);
    EXPECT_THAT(parseFailure(cut), ElementsAre("End of input while parsing array"));
}

TEST(JsonReader, StringsAndTheirEscapes) {
    EXPECT_EQ(firstString(parsed(R"(["\"\\\/\b\f\n\r\t"])")), "\"\\/\b\f\n\r\t");
    EXPECT_EQ(firstString(parsed(R"(["\u00e9\u00C9\u20ac"])")), "\xc3\xa9\xc3\x89\xe2\x82\xac");
    EXPECT_EQ(firstString(parsed("[\"caf\xc3\xa9 \xf0\x9f\x98\x80\"]")),
              "caf\xc3\xa9 \xf0\x9f\x98\x80");
    EXPECT_EQ(firstString(parsed(R"(["\u0000"])")), std::string_view("\0", 1));
    EXPECT_THAT(parseFailure("[\"a\tb\"]"), ElementsAre("Expected value while parsing array",
                                                        "Unescaped control character '0x9'"));
    EXPECT_EQ(parseJson("[\"\x1f\"]").error->cause()->code(), JsonErrorCode::ControlCharacter);
    EXPECT_EQ(parseJson(R"(["\x"])").error->cause()->code(), JsonErrorCode::Escape);
    EXPECT_EQ(parseJson(R"(["\x"])").error->cause()->message(), "Illegal escape sequence '0x78'");
}

// Strings are scanned a word at a time; every stop byte must be found wherever it falls
// in a word, and a string may end right at the end of the text.
TEST(JsonReader, EveryStopByteIsFoundAtEveryPositionOfAWord) {
    for (std::size_t before = 0; before < 20; ++before) {
        const std::string run(before, 'x');
        EXPECT_EQ(firstString(parsed("[\"" + run + "\\n" + run + "\"]")), run + "\n" + run);
        EXPECT_EQ(firstString(parsed("[\"" + run + "\xc3\xa9\"]")), run + "\xc3\xa9");
        EXPECT_EQ(parseJson("[\"" + run + "\x01" + run + "\"]").error->cause()->code(),
                  JsonErrorCode::ControlCharacter);
        const JsonParseResult open = parseJson("[\"" + run);
        ASSERT_FALSE(open);
        EXPECT_EQ(open.error->cause()->message(), "Unexpected EOF while parsing string");
        EXPECT_EQ(open.error->offset(), before + 2);
        EXPECT_EQ(parseFailure("\"" + run + "\""),
                  std::vector<std::string>{"Valid fragment, but not JSON"});
    }
}

TEST(JsonReader, SurrogatePairsStandForOneCharacter) {
    EXPECT_EQ(firstString(parsed(R"(["\ud83d\ude00"])")), "\xf0\x9f\x98\x80");
    // The highest pair, U+10FFFF, ends in DFFF.
    EXPECT_EQ(firstString(parsed(R"(["\uDBFF\uDFFF"])")), "\xf4\x8f\xbf\xbf");
    const auto inner = [](std::string_view text) {
        std::vector<std::string> m = parseFailure(text);
        m.erase(m.begin());
        return m;
    };
    EXPECT_THAT(inner(R"(["\ude00"])"), ElementsAre("Broken unicode character",
                                                    "Invalid high character in surrogate pair"));
    EXPECT_THAT(inner(R"(["\ud83dx"])"),
                ElementsAre("Broken unicode character", "Missing low character in surrogate pair"));
    EXPECT_THAT(inner(R"(["\ud83d\u0041"])"),
                ElementsAre("Broken unicode character", "Invalid low surrogate char"));
    EXPECT_THAT(inner(R"(["\ud83d\uzz00"])"),
                ElementsAre("Broken unicode character", "Missing low character in surrogate pair",
                            "Missing hex digit in quad"));
    EXPECT_THAT(inner(R"(["\u12g4"])"), ElementsAre("Broken unicode character", "Missing hex quad",
                                                    "Missing hex digit in quad"));
    EXPECT_THAT(inner("[\"\\u12"), ElementsAre("Broken unicode character", "Missing hex quad",
                                               "Missing hex digit in quad"));
    EXPECT_EQ(parseJson(R"(["\ude00"])").error->cause()->code(), JsonErrorCode::Unicode);
}

TEST(JsonReader, MalformedUtf8InAStringIsRefused) {
    for (const char* bad : {"[\"\xc3\"]", "[\"\xc0\xaf\"]", "[\"\xed\xa0\x80\"]",
                            "[\"\xf4\x90\x80\x80\"]", "[\"\xff\"]", "[\"\xe2\x82\"]"}) {
        const JsonParseResult r = parseJson(bad);
        ASSERT_FALSE(r) << bad;
        EXPECT_EQ(r.error->cause()->message(), "Broken unicode character");
    }
}

TEST(JsonReader, NumbersStayExactDecimals) {
    const Parsed v = parsed("[0, -0.5, 12.250, 1E+2, 3e-7, 0.1000000000000000000000001, "
                            "123456789012345678901234567890]");
    std::vector<std::string_view> texts;
    for (const JsonValue& n : v->elements())
        texts.push_back(n.asNumber()->text());
    EXPECT_THAT(
        texts, ElementsAreArray({"0", "-0.5", "12.250", "1E+2", "3e-7",
                                 "0.1000000000000000000000001", "123456789012345678901234567890"}));
    EXPECT_EQ(write(*v), "[0,-0.5,12.250,1E+2,3e-7,0.1000000000000000000000001,"
                         "123456789012345678901234567890]");
    EXPECT_DOUBLE_EQ((v->elements())[2].asNumber()->toDouble(), 12.25);
    EXPECT_DOUBLE_EQ((v->elements())[3].asNumber()->toDouble(), 100.0);
}

TEST(JsonReader, MalformedNumbers) {
    const auto inner = [](std::string_view text) { return parseFailure(text).back(); };
    EXPECT_EQ(inner("[01]"), "Leading 0 disallowed in number");
    EXPECT_EQ(inner("[-01]"), "Leading 0 disallowed in number");
    EXPECT_EQ(inner("[-]"), "No digits after initial minus");
    EXPECT_EQ(inner("[-a]"), "No digits after initial minus");
    EXPECT_EQ(inner("[1.]"), "No digits after decimal point");
    EXPECT_EQ(inner("[1.e3]"), "No digits after decimal point");
    EXPECT_EQ(inner("[1e]"), "No digits after exponent");
    EXPECT_EQ(inner("[1e+]"), "No digits after exponent");
    EXPECT_EQ(inner("[+1]"), "Leading + disallowed in number");
    EXPECT_EQ(inner("[1e99999999999]"), "Failed creating decimal instance");
    EXPECT_EQ(parseJson("[+1]").error->cause()->code(), JsonErrorCode::ParseNumber);
    EXPECT_EQ(inner("[.5]"), "Unrecognised leading character");
    EXPECT_TRUE(parseJson("[1e0000000000000000000009]"));
}

TEST(JsonNumber, ConversionsStayInRange) {
    const auto number = [](std::string_view text) { return *JsonNumber::fromText(text); };
    EXPECT_EQ(number("1e400").toDouble(), std::numeric_limits<double>::max());
    EXPECT_EQ(number("-1e400").toDouble(), std::numeric_limits<double>::lowest());
    EXPECT_EQ(number("1e-400").toDouble(), 0.0);
    EXPECT_EQ(number("0.000000001e-400").toDouble(), 0.0);
    EXPECT_EQ(number("1000e-2").toDouble(), 10.0);
    EXPECT_EQ(number("1e39").toFloat(), std::numeric_limits<float>::max());
    EXPECT_EQ(number("-1e-50").toFloat(), 0.0f);
    EXPECT_EQ(number("1e-45").toFloat(), std::numeric_limits<float>::denorm_min());
    EXPECT_EQ(number("-7.9").toInt32(), -7);
    EXPECT_EQ(number("1e12").toInt32(), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(number("-1e400").toInt32(), std::numeric_limits<std::int32_t>::min());
    EXPECT_FALSE(JsonNumber::fromText("1.").has_value());
    EXPECT_FALSE(JsonNumber::fromText("12 ").has_value());
    EXPECT_EQ(number(shortestText(16777217.0f)).toFloat(), 16777216.0f);
    EXPECT_EQ(number(shortestText(16777218.0f)).toFloat(), 16777218.0f);
    EXPECT_EQ(number(shortestText(1234.5677f)).toFloat(), 1234.5677f);
    EXPECT_EQ(shortestText(0.3f), "0.3");
    EXPECT_EQ(shortestText(0.1), "0.1");
    EXPECT_EQ(shortestText(std::nan("")), "nan");
}

TEST(JsonReader, RepeatedKeyKeepsTheLaterValue) {
    const Parsed small = parsed(R"({"a":1,"b":2,"a":3})");
    ASSERT_EQ(small->members().size(), 2u);
    EXPECT_EQ(small->find("a")->asNumber()->text(), "3");
    EXPECT_EQ(small->members()[0].key, "a");
    std::string big = "{";
    for (int i = 0; i < 100; ++i)
        big += "\"k" + std::to_string(i) + "\":" + std::to_string(i) + ",";
    big += R"("k7":"late","k99":[])";
    // Keys that agree in length and in their first and last eight bytes.
    for (char c = 'a'; c <= 'j'; ++c)
        big += std::string(",\"prefix__") + c + "__suffix\":\"" + c + "\"";
    big += R"(,"prefix__c__suffix":"again"})";
    const Parsed large = parsed(big);
    EXPECT_EQ(large->members().size(), 110u);
    EXPECT_EQ(*large->find("prefix__c__suffix")->asString(), "again");
    EXPECT_EQ(*large->find("prefix__d__suffix")->asString(), "d");
    EXPECT_EQ(*large->find("k7")->asString(), "late");
    EXPECT_TRUE(large->find("k99")->isArray());
    EXPECT_EQ(large->find("k98")->asNumber()->text(), "98");
}

TEST(JsonReader, NestedObjectsKeepTheirOwnKeys) {
    const Parsed v = parsed(R"({"a":{"a":1,"b":{"a":2}},"b":3,"a":{"c":4}})");
    EXPECT_EQ(v->members().size(), 2u);
    EXPECT_EQ(v->find("a")->find("c")->asNumber()->text(), "4");
    EXPECT_EQ(v->find("a")->find("a"), nullptr);
    EXPECT_EQ(*v, *parsed(R"({"b":3,"a":{"c":4}})"));
    EXPECT_FALSE(*v == *parsed(R"({"b":3,"a":{"c":5}})"));
}

TEST(JsonCodec, TreeSurvivesWriteAndRead) {
    const char* text = R"({"UUID":"7","atttributes":{"name":"R\u00e9sum\u00e9 \"draft\"",)"
                       R"("hours":12.5,"isExpanded":true,"v":null},"relations":{"subTasks":)"
                       R"(["1","2"],"project":"9","x":[[],{},[{"y":[-1e-5]}]]}})";
    const Parsed once = parsed(text);
    const std::string written = write(*once);
    EXPECT_EQ(*parsed(written), *once);
    EXPECT_EQ(write(*parsed(written)), written);
}

} // namespace
} // namespace mapolt
