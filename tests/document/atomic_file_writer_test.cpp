#include "document/atomic_file_writer.h"
#include "support/temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace mapolt {
namespace {

using ::testing::HasSubstr;

struct AtomicFileWriterTest : ::testing::Test {
    testing::TempFolder folder;
    std::filesystem::path file = folder / "plan.json";
    std::string error;
};

TEST_F(AtomicFileWriterTest, WritesANewFileAndReplacesAnOldOne) {
    ASSERT_TRUE(writeFileAtomically(file, "first", error)) << error;
    EXPECT_EQ(testing::TempFolder::read(file), "first");
    ASSERT_TRUE(writeFileAtomically(file, std::string(100000, 'x'), error)) << error;
    EXPECT_EQ(testing::TempFolder::read(file), std::string(100000, 'x'));
    EXPECT_EQ(folder.entries(), std::set<std::string>{"plan.json"});
}

TEST_F(AtomicFileWriterTest, SaveInterruptedBeforeTheRenameLeavesTheOldFile) {
    testing::TempFolder::write(file, "old plan");
    bool sawCompleteTemporary = false;
    const bool saved = writeFileAtomically(file, "new plan", error, [&] {
        for (const std::string& name : folder.entries())
            if (name != "plan.json")
                sawCompleteTemporary = testing::TempFolder::read(folder / name) == "new plan";
        EXPECT_EQ(testing::TempFolder::read(file), "old plan");
        return false;
    });
    EXPECT_FALSE(saved);
    EXPECT_TRUE(sawCompleteTemporary) << "the new text is on disk before the rename";
    EXPECT_EQ(testing::TempFolder::read(file), "old plan");
    EXPECT_EQ(folder.entries(), std::set<std::string>{"plan.json"});
    EXPECT_THAT(error, HasSubstr(file.string()));
    EXPECT_THAT(error, HasSubstr("interrupted"));
}

TEST_F(AtomicFileWriterTest, FailureNamesTheFileAndTheReason) {
    const auto missing = folder / "no-such-folder" / "plan.json";
    EXPECT_FALSE(writeFileAtomically(missing, "text", error));
    EXPECT_THAT(error, HasSubstr(missing.string()));
    EXPECT_THAT(error, HasSubstr("No such file or directory"));
}

TEST_F(AtomicFileWriterTest, AFolderInTheWayIsLeftAlone) {
    std::filesystem::create_directory(file);
    testing::TempFolder::write(file / "inside", "kept");
    EXPECT_FALSE(writeFileAtomically(file, "text", error));
    EXPECT_EQ(testing::TempFolder::read(file / "inside"), "kept");
    EXPECT_EQ(folder.entries(), std::set<std::string>{"plan.json"});
    EXPECT_THAT(error, HasSubstr(file.string()));
}

TEST_F(AtomicFileWriterTest, KeepsThePermissionsOfTheFileItReplaces) {
    testing::TempFolder::write(file, "old");
    ::chmod(file.c_str(), 0640);
    ASSERT_TRUE(writeFileAtomically(file, "new", error)) << error;
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(AtomicFileWriterTest, WritesThroughASymbolicLink) {
    const auto real = folder / "real.json";
    testing::TempFolder::write(real, "old");
    std::filesystem::create_symlink(real, file);
    ASSERT_TRUE(writeFileAtomically(file, "new", error)) << error;
    EXPECT_TRUE(std::filesystem::is_symlink(file));
    EXPECT_EQ(testing::TempFolder::read(real), "new");
}

} // namespace
} // namespace mapolt
