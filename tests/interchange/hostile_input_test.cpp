#include "interchange/input_file.h"
#include "interchange/json_import.h"
#include "interchange/json_reader.h"
#include "interchange/json_writer.h"
#include "interchange/utf8_text.h"
#include "interchange/xml_tree.h"
#include "model/entities.h"
#include "model/store.h"
#include "support/temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <libxml/tree.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace mapolt {
namespace {

using ::testing::HasSubstr;
using Folder = testing::TempFolder;

// --- UTF-8 ---------------------------------------------------------------------------------

struct Utf8Test : ::testing::Test {
    static std::string reasonFor(std::string_view text) {
        const std::optional<Utf8Fault> fault = findUtf8Fault(text);
        return fault ? fault->reason : "valid";
    }
};

TEST_F(Utf8Test, WellFormedTextPasses) {
    EXPECT_EQ(reasonFor("plain"), "valid");
    EXPECT_EQ(reasonFor("\xC3\xA4 \xE2\x82\xAC \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF \xEF\xBF\xBF"),
              "valid");
}

TEST_F(Utf8Test, EachKindOfDamageIsNamed) {
    EXPECT_EQ(reasonFor("\xED\xA0\x80"), "an encoded surrogate");
    EXPECT_EQ(reasonFor("\xED\xBF\xBF"), "an encoded surrogate");
    EXPECT_EQ(reasonFor("\xC0\xAF"), "an overlong form");
    EXPECT_EQ(reasonFor("\xE0\x80\xAF"), "an overlong form");
    EXPECT_EQ(reasonFor("\xF0\x80\x80\xAF"), "an overlong form");
    EXPECT_EQ(reasonFor("\xF5\x80\x80\x80"), "a byte that starts no character");
    EXPECT_EQ(reasonFor("\xF7\xBF\xBF\xBF"), "a byte that starts no character");
    EXPECT_EQ(reasonFor("\xF4\x90\x80\x80"), "a character above U+10FFFF");
    EXPECT_EQ(reasonFor("\x80"), "a continuation byte without a lead byte");
    EXPECT_EQ(reasonFor("ab\xE2\x82"), "a character cut short");
}

TEST_F(Utf8Test, FaultGivesItsLineAndOffset) {
    const std::optional<Utf8Fault> fault = findUtf8Fault("one\ntwo\nthr\xED"
                                                         "ee");
    ASSERT_TRUE(fault);
    EXPECT_EQ(fault->line, 3u);
    EXPECT_EQ(fault->offset, 11u);
    EXPECT_EQ(describe(*fault), "invalid UTF-8 at line 3: a character cut short");
}

TEST_F(Utf8Test, ReplacementLeavesOnlyValidText) {
    std::string out;
    appendValidUtf8(out, "a\xED\xA0\x80z\xC3\xA4\xFF");
    EXPECT_EQ(out, "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDz\xC3\xA4\xEF\xBF\xBD");
    EXPECT_FALSE(findUtf8Fault(out));
}

// --- the JSON codec ------------------------------------------------------------------------

struct JsonHostileTest : ::testing::Test {
    static std::string errorOf(std::string_view text) {
        const JsonParseResult r = parseJson(text);
        return r ? "ok" : r.error->message();
    }
};

TEST_F(JsonHostileTest, GarbageBehindANulIsRefused) {
    using namespace std::string_literals;
    EXPECT_EQ(errorOf("{\"a\":1}\0{\"b\":2}"s), "Garbage after JSON");
    EXPECT_EQ(parseJson("{\"a\":1}\0xyz"s).error->offset(), 7u);
    // A C string's terminator, or padding of NUL bytes, is no garbage.
    EXPECT_EQ(errorOf("{\"a\":1}\0"s), "ok");
    EXPECT_EQ(errorOf("{\"a\":1}\n\0\0\0"s), "ok");
}

TEST_F(JsonHostileTest, WriterNeverWritesWhatTheReaderRefuses) {
    for (const std::string& hostile :
         std::vector<std::string>{"\xED\xA0\x80", "\xC0\xAF", "\xF5\x80\x80\x80", "x\xE2\x82",
                                  "\x80", std::string("nul\0in", 6), "\x01\x1F\"\\"}) {
        std::string text = "[";
        appendJsonString(text, hostile);
        text += "]";
        const JsonParseResult r = parseJson(text);
        ASSERT_TRUE(r) << r.error->message();
        EXPECT_FALSE(findUtf8Fault(*r.value.elements()[0].asString()));
    }
    std::string text = "[";
    appendJsonString(text, "\xC3\xA4\xFF");
    EXPECT_EQ(text, "[\"\xC3\xA4\xEF\xBF\xBD\"");
}

// --- numbers in a plan file ----------------------------------------------------------------

struct PlanNumberTest : ::testing::Test {
    Store store;
    JSONImport import;
    bool load(const std::string& records) {
        return import.createModelFromJSON(R"({"Project":[{"UUID":"p"}],)" + records + "}", store);
    }
};

TEST_F(PlanNumberTest, NumbersWithinTheirRangesAreRead) {
    ASSERT_TRUE(load(R"("ATask":[{"UUID":"t","atttributes":{"viewOrder":2147483647,
        "hours":3.4e38,"name":"T"}}],"Week":[{"UUID":"w","atttributes":{"hours":24}}])"));
    EXPECT_FALSE(import.problem());
    EXPECT_EQ(store.fetch<ATask>().front()->viewOrder(), 2'147'483'647);
    EXPECT_EQ(store.fetch<Week>().front()->hours(), 24.0);
}

TEST_F(PlanNumberTest, IntegerBeyondItsRangeIsRefusedByName) {
    EXPECT_FALSE(load(R"("ATask":[{"UUID":"t","atttributes":{"viewOrder":1e308}}])"));
    ASSERT_TRUE(import.problem());
    EXPECT_THAT(*import.problem(), HasSubstr("\"viewOrder\" of ATask"));
    EXPECT_THAT(*import.problem(), HasSubstr("1e308"));
    Store other;
    JSONImport again;
    EXPECT_FALSE(again.createModelFromJSON(
        R"({"ATask":[{"UUID":"t","atttributes":{"viewOrder":2147483648}}]})", other));
    EXPECT_TRUE(again.problem());
}

TEST_F(PlanNumberTest, FloatAndDecimalOverflowsAreRefused) {
    EXPECT_FALSE(load(R"("ATask":[{"UUID":"t","atttributes":{"elapsedTime":-1e39}}])"));
    EXPECT_THAT(*import.problem(), HasSubstr("\"elapsedTime\""));
    Store other;
    JSONImport again;
    EXPECT_FALSE(again.createModelFromJSON(
        R"({"DepLink":[{"UUID":"l","atttributes":{"daysBetween":1e400}}]})", other));
    EXPECT_THAT(*again.problem(), HasSubstr("\"daysBetween\" of DepLink"));
}

// --- project XML ---------------------------------------------------------------------------

struct XmlHostileTest : ::testing::Test {
    std::string error;
    std::unique_ptr<XmlTree> parse(const std::string& text) {
        error.clear();
        return XmlTree::parseText(text, error);
    }
};

TEST_F(XmlHostileTest, EntitiesAreNeitherExpandedNorCostly) {
    // Six levels of ten: a million characters, were they expanded.
    std::string laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE p [\n<!ENTITY e0 \"aaaaaaaaaa\">\n";
    for (int level = 1; level < 6; ++level) {
        laughs += "<!ENTITY e" + std::to_string(level) + " \"";
        for (int i = 0; i < 10; ++i)
            laughs += "&e" + std::to_string(level - 1) + ";";
        laughs += "\">\n";
    }
    laughs += "]>\n<Project><Name>x&e5;y &amp; &lt;z&gt;</Name></Project>";
    const auto tree = parse(laughs);
    ASSERT_NE(tree, nullptr) << error;
    // The parser gives up on the nest and recovers what precedes it.
    const std::string name = nodeText(xmlDocGetRootElement(tree->doc()));
    EXPECT_EQ(name.substr(0, 1), "x");
    EXPECT_EQ(name.find('a'), std::string::npos);
    const auto single =
        parse("<!DOCTYPE p [<!ENTITY e \"expanded\">]><p>x&e;y &amp; &lt;z&gt;</p>");
    ASSERT_NE(single, nullptr) << error;
    EXPECT_EQ(nodeText(xmlDocGetRootElement(single->doc())), "xy & <z>");
}

TEST_F(XmlHostileTest, InvalidUtf8IsRefusedWithItsLine) {
    EXPECT_EQ(parse("<Project>\n<Name>\xED\xA0\x80</Name></Project>"), nullptr);
    EXPECT_EQ(error, "invalid UTF-8 at line 2: an encoded surrogate");
    EXPECT_EQ(parse("<?xml version=\"1.0\" encoding=\"UTF-8\"?><P>\xF5</P>"), nullptr);
    EXPECT_THAT(error, HasSubstr("starts no character"));
}

TEST_F(XmlHostileTest, DeclaredEightBitEncodingIsConvertedNotRefused) {
    const auto tree = parse("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><P>\xE4</P>");
    ASSERT_NE(tree, nullptr) << error;
    EXPECT_EQ(nodeText(xmlDocGetRootElement(tree->doc())), "\xC3\xA4");
}

TEST_F(XmlHostileTest, OverlongTextIsRefusedAndReadTextIsBounded) {
    const std::string name(kMaxXmlText + 1, 'n');
    EXPECT_EQ(parse("<Project>\n\n<Name>" + name + "</Name></Project>"), nullptr);
    EXPECT_EQ(error, "a text at line 3 is longer than 64 KiB");
    // Texts each within the bound but together above it are cut at the bound.
    const std::string half(kMaxXmlText / 2 + 1, 'h');
    const auto tree = parse("<P><A>" + half + "</A><B>" + half + "</B></P>");
    ASSERT_NE(tree, nullptr) << error;
    EXPECT_EQ(nodeText(xmlDocGetRootElement(tree->doc())).size(), kMaxXmlText);
}

TEST_F(XmlHostileTest, NodeTextJoinsNestedTextInDocumentOrder) {
    const auto tree = parse("<P>a<B>b<C>c</C></B><![CDATA[<d>]]>e</P>");
    ASSERT_NE(tree, nullptr) << error;
    EXPECT_EQ(nodeText(xmlDocGetRootElement(tree->doc())), "abc<d>e");
    const auto references = parse("<P><N>a&amp;b&#x1F600;</N></P>");
    ASSERT_NE(references, nullptr) << error;
    EXPECT_EQ(nodeText(xmlDocGetRootElement(references->doc())), "a&b\xF0\x9F\x98\x80");
}

// --- files that are not files --------------------------------------------------------------

struct InputFileTest : ::testing::Test {
    Folder folder;
    std::string bytes;
};

TEST_F(InputFileTest, RegularFileIsReadWhole) {
    Folder::write(folder / "a.txt", std::string(10'000, 'x'));
    EXPECT_EQ(readRegularFile(folder / "a.txt", bytes), "");
    EXPECT_EQ(bytes.size(), 10'000u);
    Folder::write(folder / "empty.txt", "");
    EXPECT_EQ(readRegularFile(folder / "empty.txt", bytes), "");
    EXPECT_TRUE(bytes.empty());
}

TEST_F(InputFileTest, FoldersPipesAndDevicesAreRefusedWithoutWaiting) {
    EXPECT_EQ(readRegularFile(folder.path(), bytes), "it is a folder, not a file");
    const std::filesystem::path pipe = folder / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    // No writer ever opens the pipe: a blocking open would never return.
    EXPECT_EQ(readRegularFile(pipe, bytes), "it is a pipe, not a file");
    EXPECT_EQ(readRegularFile("/dev/zero", bytes), "it is a device, not a file");
    EXPECT_EQ(readRegularFile("/dev/null", bytes), "it is a device, not a file");
    EXPECT_EQ(readRegularFile(folder / "missing", bytes), "No such file or directory");
}

TEST_F(InputFileTest, FileAboveTheBoundIsRefused) {
    Folder::write(folder / "big.txt", std::string(3 << 20, 'x'));
    EXPECT_EQ(readRegularFile(folder / "big.txt", bytes, 2 << 20), "it is larger than 2 MiB");
    EXPECT_EQ(readRegularFile(folder / "big.txt", bytes, 3 << 20), "");
}

TEST_F(InputFileTest, FileIsReadInPiecesToItsEnd) {
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += std::to_string(i) + ",";
    Folder::write(folder / "a.txt", text);
    InputFile file;
    ASSERT_EQ(file.open(folder / "a.txt"), "");
    EXPECT_EQ(file.size(), text.size());
    std::string got;
    char piece[1000];
    for (std::size_t n; (n = file.read(piece, sizeof piece)) != 0;)
        got.append(piece, n);
    EXPECT_EQ(got, text);
    EXPECT_EQ(file.failure(), "");
    EXPECT_EQ(file.read(piece, sizeof piece), 0u);
}

TEST_F(InputFileTest, FileCutShortGrownOrRewrittenWhileReadFails) {
    const std::filesystem::path path = folder / "a.txt";
    char piece[4096];
    const auto readAll = [&](InputFile& file) {
        while (file.read(piece, sizeof piece) != 0) {
        }
        return file.failure();
    };
    Folder::write(path, std::string(20'000, 'x'));
    InputFile cut;
    ASSERT_EQ(cut.open(path), "");
    ASSERT_EQ(cut.read(piece, sizeof piece), sizeof piece);
    ASSERT_EQ(::truncate(path.c_str(), 5000), 0);
    EXPECT_EQ(readAll(cut), "it changed while it was read");

    Folder::write(path, std::string(20'000, 'x'));
    InputFile grown;
    ASSERT_EQ(grown.open(path), "");
    ASSERT_EQ(grown.read(piece, sizeof piece), sizeof piece);
    std::ofstream(path, std::ios::binary | std::ios::app) << "more";
    EXPECT_EQ(readAll(grown), "it changed while it was read");

    // The same size written again in place: only the time of the write tells.
    Folder::write(path, std::string(20'000, 'x'));
    InputFile rewritten;
    ASSERT_EQ(rewritten.open(path), "");
    const timespec later[2] = {{0, UTIME_OMIT}, {1'000'000'000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), later, 0), 0);
    EXPECT_EQ(readAll(rewritten), "it changed while it was read");
    std::string whole;
    EXPECT_EQ(readRegularFile(path, whole), "");
    EXPECT_EQ(whole.size(), 20'000u);
}

TEST_F(InputFileTest, FileGrowingPastTheBoundWhileReadFails) {
    const std::filesystem::path path = folder / "big.txt";
    Folder::write(path, std::string(3 << 20, 'x'));
    InputFile file;
    ASSERT_EQ(file.open(path, 3 << 20), "");
    std::ofstream(path, std::ios::binary | std::ios::app) << std::string(2 << 20, 'y');
    std::vector<char> piece(1 << 20);
    std::size_t total = 0;
    for (std::size_t n; (n = file.read(piece.data(), piece.size())) != 0;)
        total += n;
    EXPECT_EQ(file.failure(), "it is larger than 3 MiB");
    EXPECT_LE(total, std::size_t{3} << 20);
}

// A file that another program changes after the reader took its first piece.
class MeddledSource final : public ByteSource {
  public:
    MeddledSource(InputFile& file, std::function<void()> meddle)
        : file_(file), meddle_(std::move(meddle)) {}
    std::size_t read(char* into, std::size_t size) override {
        const std::size_t n = file_.read(into, size);
        if (meddle_)
            std::exchange(meddle_, nullptr)();
        return n;
    }
    const std::string& failure() const override { return file_.failure(); }

  private:
    InputFile& file_;
    std::function<void()> meddle_;
};

TEST_F(InputFileTest, PlanChangedWhileReadMakesNoRecordsAndSaysWhy) {
    std::string plan = R"({"Project":[{"UUID":"p"}],"ATask":[)";
    for (int i = 0; i < 200; ++i)
        plan += std::string(i == 0 ? "" : ",") + R"({"UUID":"t)" + std::to_string(i) +
                R"(","atttributes":{"name":"Task"},"relations":{"project":"p"}})";
    plan += "]}    ";
    const std::filesystem::path path = folder / "plan.json";
    const auto cutTo = [&](off_t size) {
        return [&path, size] { ::truncate(path.c_str(), size); };
    };
    // Cut to nothing; cut where the text still parses to its end; rewritten in place with a
    // fault that stops the reader before the end, which only the time of the write shows.
    const std::vector<std::function<void()>> meddles = {
        cutTo(0), cutTo(static_cast<off_t>(plan.size() - 2)), [&path] {
            std::fstream(path, std::ios::binary | std::ios::in | std::ios::out).seekp(600).put('#');
            const timespec later[2] = {{0, UTIME_OMIT}, {1'000'000'000, 0}};
            ::utimensat(AT_FDCWD, path.c_str(), later, 0);
        }};
    for (std::size_t i = 0; i < meddles.size(); ++i) {
        Folder::write(path, plan);
        InputFile file;
        ASSERT_EQ(file.open(path), "");
        MeddledSource source(file, meddles[i]);
        Store store;
        JSONImport import;
        EXPECT_FALSE(import.createModelFromJSON(source, store, 512)) << i;
        // As opening a plan does when the reader stopped early.
        file.checkUnchanged();
        EXPECT_EQ(file.failure(), "it changed while it was read") << i;
        EXPECT_EQ(store.count(Entity::ATask), 0u) << i;
        EXPECT_EQ(store.count(Entity::Project), 0u) << i;
    }
}

} // namespace
} // namespace mapolt
