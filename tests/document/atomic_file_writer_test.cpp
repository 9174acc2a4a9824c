#include "document/atomic_file_writer.h"
#include "support/temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace mapolt {
namespace {

using ::testing::HasSubstr;
using Folder = testing::TempFolder;

struct AtomicFileWriterTest : ::testing::Test {
    Folder folder;
    std::filesystem::path file = folder / "plan.json";
    std::string error;
};

TEST_F(AtomicFileWriterTest, ReplacesTheFileKeepingItsPermissionsAndLeavesNothingElse) {
    Folder::write(file, "old");
    ::chmod(file.c_str(), 0640);
    ASSERT_TRUE(writeFileAtomically(file, std::string(100000, 'x'), error)) << error;
    EXPECT_EQ(Folder::read(file), std::string(100000, 'x'));
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(folder.entries(), std::set<std::string>{"plan.json"});
    std::filesystem::create_symlink(file, folder / "link.json");
    ASSERT_TRUE(writeFileAtomically(folder / "link.json", "through", error)) << error;
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.json"));
    EXPECT_EQ(Folder::read(file), "through");
}

TEST_F(AtomicFileWriterTest, SaveInterruptedBeforeTheRenameLeavesTheOldFile) {
    Folder::write(file, "old plan");
    bool newTextOnDisk = false;
    EXPECT_FALSE(writeFileAtomically(file, "new plan", error, [&] {
        for (const std::string& name : folder.entries())
            newTextOnDisk |= name != "plan.json" && Folder::read(folder / name) == "new plan";
        return false;
    }));
    EXPECT_TRUE(newTextOnDisk) << "the new text is complete before the rename";
    EXPECT_EQ(Folder::read(file), "old plan");
    EXPECT_EQ(folder.entries(), std::set<std::string>{"plan.json"});
    EXPECT_THAT(error, HasSubstr(file.string()));
    EXPECT_THAT(error, HasSubstr("interrupted"));
}

TEST_F(AtomicFileWriterTest, FailuresNameTheFileAndTheReasonAndHarmNothing) {
    const auto missing = folder / "no-such-folder" / "plan.json";
    EXPECT_FALSE(writeFileAtomically(missing, "text", error));
    EXPECT_THAT(error, HasSubstr(missing.string() + "\": No such file or directory"));
    std::filesystem::create_directory(file);
    Folder::write(file / "inside", "kept");
    EXPECT_FALSE(writeFileAtomically(file, "text", error));
    EXPECT_EQ(Folder::read(file / "inside"), "kept");
    EXPECT_EQ(folder.entries(), std::set<std::string>{"plan.json"});
}

TEST_F(AtomicFileWriterTest, ContentMadeWhileWritingArrivesWholeOrNotAtAll) {
    Folder::write(file, "old plan");
    const auto pieces = [](int count, bool complete) {
        return [count, complete](const ByteWriter& write) {
            for (int i = 0; i < count; ++i)
                if (!write(std::string(1000, static_cast<char>('a' + i % 26))))
                    return false;
            return complete;
        };
    };
    ASSERT_TRUE(writeFileAtomically(file, pieces(300, true), error)) << error;
    EXPECT_EQ(Folder::read(file).size(), 300'000u);
    EXPECT_EQ(Folder::read(file).substr(26'000, 3), "aaa");

    // A producer that gives up halfway leaves the previous file and no temporary.
    EXPECT_FALSE(writeFileAtomically(file, pieces(50, false), error));
    EXPECT_THAT(error, HasSubstr("plan.json"));
    EXPECT_THAT(error, HasSubstr("its content could not be made"));
    EXPECT_EQ(Folder::read(file).size(), 300'000u);
    EXPECT_EQ(folder.entries(), std::set<std::string>{"plan.json"});
}

TEST_F(AtomicFileWriterTest, TemporariesLeftByAKilledSaveAreRemovedByTheNextOne) {
    Folder::write(file, "old plan");
    const auto old = std::filesystem::file_time_type::clock::now() - kStaleTemporaryAge -
                     std::chrono::minutes(1);
    for (const std::string name :
         {".plan.json.saving-123", ".other.json.saving-7", ".plan.json.saving-9"}) {
        Folder::write(folder / name, std::string(1000, 'x'));
        std::filesystem::last_write_time(folder / name, old);
    }
    // A young one may belong to a save running now.
    Folder::write(folder / ".plan.json.saving-55", "running");
    ASSERT_TRUE(writeFileAtomically(file, "new plan", error)) << error;
    EXPECT_EQ(Folder::read(file), "new plan");
    EXPECT_EQ(folder.entries(),
              (std::set<std::string>{"plan.json", ".other.json.saving-7", ".plan.json.saving-55"}));
}

} // namespace
} // namespace mapolt
