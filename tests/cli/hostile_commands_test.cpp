#include "support/temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/stat.h>

namespace {

using mapolt::testing::TempFolder;
using ::testing::HasSubstr;
using ::testing::Not;

std::filesystem::path cliPath() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "mapolt-cli";
}

struct CliRun {
    int status;
    std::string output;
};

// Runs the command with a time limit, so that a hang fails the test instead of stopping it.
CliRun cli(const std::string& arguments) {
    const std::string command = "timeout 60 " + cliPath().string() + " " + arguments + " 2>&1";
    CliRun run{-1, ""};
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buf[512];
        while (std::fgets(buf, sizeof buf, pipe) != nullptr)
            run.output += buf;
        const int status = pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return run;
}

std::string quoted(const std::filesystem::path& p) {
    return "'" + p.string() + "'";
}

std::string plan(const std::string& tasks) {
    return R"({"Project":[{"UUID":"p","atttributes":{"startDate":"Mar 2, 2026"}}],"ATask":[)" +
           tasks + "]}";
}

struct HostileCommandsTest : ::testing::Test {
    TempFolder folder;
    std::filesystem::path file = folder / "plan.json";

    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(cliPath())) << cliPath();
        TempFolder::write(file, plan(R"({"UUID":"a","atttributes":{"name":"A","hours":8}})"));
    }
};

TEST_F(HostileCommandsTest, TextImportOfInvalidUtf8FailsAndLeavesThePlan) {
    const std::string before = TempFolder::read(file);
    TempFolder::write(folder / "in.txt", "G\tok\tx\t1\nG\tbad \xED\xA0\x80\tx\t1\n");
    const CliRun run = cli("import-text " + quoted(folder / "in.txt") + " " + quoted(file));
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.output, HasSubstr("in.txt"));
    EXPECT_THAT(run.output, HasSubstr("invalid UTF-8 at line 2: an encoded surrogate"));
    EXPECT_THAT(run.output, Not(HasSubstr("tasks added")));
    EXPECT_EQ(TempFolder::read(file), before);
}

TEST_F(HostileCommandsTest, TextImportOfAMissingFileGivesTheReason) {
    const CliRun run = cli("import-text " + quoted(folder / "none.txt") + " " + quoted(file));
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.output, HasSubstr("No such file or directory"));
}

TEST_F(HostileCommandsTest, FolderPipeAndDeviceAreRefusedByEveryReader) {
    const std::filesystem::path pipe = folder / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const std::filesystem::path& odd :
         {folder.path(), pipe, std::filesystem::path("/dev/zero")}) {
        for (const std::string& command :
             {"info " + quoted(odd), "import-xml " + quoted(odd) + " " + quoted(folder / "x.json"),
              "import-text " + quoted(odd) + " " + quoted(file)}) {
            const CliRun run = cli(command);
            EXPECT_EQ(run.status, 1) << command << "\n" << run.output;
            EXPECT_THAT(run.output, HasSubstr("not a file")) << command;
        }
    }
}

TEST_F(HostileCommandsTest, PlanWithGarbageBehindANulIsRefused) {
    TempFolder::write(file, plan(R"({"UUID":"a"})") + std::string(1, '\0') + "garbage");
    const CliRun run = cli("check " + quoted(file));
    EXPECT_NE(run.status, 0);
    EXPECT_THAT(run.output, HasSubstr("Garbage after JSON"));
}

TEST_F(HostileCommandsTest, OutlineLoopsAreRepairedAndEveryRowIsScheduled) {
    std::string tasks;
    // T0 is its own parent, T1 and T2 each other's; the top-level chain is a ring.
    for (int i = 0; i < 6; ++i) {
        const std::string id = "\"t" + std::to_string(i) + "\"";
        std::string relations = "\"nextSibling\":\"t" + std::to_string((i + 1) % 6) + "\"";
        if (i == 0)
            relations = "\"superTask\":\"t0\"";
        if (i == 1)
            relations = "\"superTask\":\"t2\"";
        if (i == 2)
            relations = "\"superTask\":\"t1\"";
        tasks += std::string(i == 0 ? "" : ",") + "{\"UUID\":" + id +
                 ",\"atttributes\":{\"name\":\"T" + std::to_string(i) +
                 "\",\"hours\":8,\"viewOrder\":" + std::to_string(i) + "},\"relations\":{" +
                 relations + "}}";
    }
    TempFolder::write(file, plan(tasks));
    const CliRun scheduled = cli("schedule " + quoted(file));
    EXPECT_EQ(scheduled.status, 0) << scheduled.output;
    EXPECT_THAT(scheduled.output, HasSubstr("inside itself"));
    for (int i = 0; i < 6; ++i)
        EXPECT_THAT(scheduled.output, HasSubstr("\tT" + std::to_string(i) + "\t"));
    const CliRun exported = cli("export-xml " + quoted(file) + " " + quoted(folder / "out.xml"));
    EXPECT_EQ(exported.status, 0) << exported.output;
}

TEST_F(HostileCommandsTest, CalendarWithoutWorkingTimeNamesTheTaskAndStaysSmall) {
    TempFolder::write(file, R"({"Project":[{"UUID":"p","atttributes":{"startDate":"Mar 2, 2026"}}],
        "ATask":[{"UUID":"t","atttributes":{"name":"Stuck","hours":8,"invalid":true}}],
        "Resource":[{"UUID":"r","atttributes":{"name":"Idle"},"relations":{"cal":"c"}}],
        "Calandar":[{"UUID":"c"}],
        "Week":[{"UUID":"w0","atttributes":{"viewOrder":0,"hours":0},"relations":{"cal":"c"}},
                {"UUID":"w1","atttributes":{"viewOrder":1,"hours":0},"relations":{"cal":"c"}},
                {"UUID":"w2","atttributes":{"viewOrder":2,"hours":0},"relations":{"cal":"c"}},
                {"UUID":"w3","atttributes":{"viewOrder":3,"hours":0},"relations":{"cal":"c"}},
                {"UUID":"w4","atttributes":{"viewOrder":4,"hours":0},"relations":{"cal":"c"}},
                {"UUID":"w5","atttributes":{"viewOrder":5,"hours":0},"relations":{"cal":"c"}},
                {"UUID":"w6","atttributes":{"viewOrder":6,"hours":0},"relations":{"cal":"c"}}],
        "ATaskResource":[{"UUID":"a","atttributes":{"perc":100},
                          "relations":{"task":"t","resource":"r"}}]})");
    const CliRun run = cli("schedule " + quoted(file) + " -o " + quoted(folder / "out.json"));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_THAT(run.output, HasSubstr("task \"Stuck\" cannot finish"));
    EXPECT_LT(std::filesystem::file_size(folder / "out.json"), 200'000u);
}

TEST_F(HostileCommandsTest, NumberOutOfRangeIsRefusedByName) {
    TempFolder::write(file, plan(R"({"UUID":"a","atttributes":{"name":"A","viewOrder":1e308}})"));
    const CliRun run = cli("schedule " + quoted(file));
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.output, HasSubstr("\"viewOrder\" of ATask"));
}

} // namespace
