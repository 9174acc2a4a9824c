#include "support/temp_folder.h"

#include <gmock/gmock.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

using mapolt::testing::TempFolder;
using ::testing::HasSubstr;

const std::filesystem::path kCorpus = MAPOLT_TESTDATA_DIR "/mspdi";

// mapolt-cli is built next to the test executables.
std::filesystem::path cliPath() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "mapolt-cli";
}

struct CliRun {
    int status;
    std::string output;
};

// Standard error goes with the output unless `errors` names a file of its own.
CliRun cli(const std::string& arguments, const std::string& errors = "&1") {
    const std::string command = cliPath().string() + " " + arguments + " 2>" + errors;
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

struct InterchangeCommandsTest : ::testing::Test {
    TempFolder folder;
    std::filesystem::path plan = folder / "plan.json";

    void SetUp() override { ASSERT_TRUE(std::filesystem::exists(cliPath())) << cliPath(); }
};

TEST_F(InterchangeCommandsTest, ImportExportAndListsOfARealFile) {
    const CliRun imported =
        cli("import-xml " + quoted(kCorpus / "ta-one-sided-links.xml") + " " + quoted(plan));
    ASSERT_EQ(imported.status, 0) << imported.output;
    EXPECT_THAT(imported.output, HasSubstr("tasks"));
    const CliRun exported = cli("export-xml " + quoted(plan) + " " + quoted(folder / "out.xml"));
    ASSERT_EQ(exported.status, 0) << exported.output;
    EXPECT_THAT(TempFolder::read(folder / "out.xml"), HasSubstr("<SaveVersion>12</SaveVersion>"));
    std::filesystem::create_directory(folder / "lists");
    const CliRun lists = cli("export-tasks " + quoted(plan) + " " + quoted(folder / "lists") +
                             " --format html --order start --ancestors");
    ASSERT_EQ(lists.status, 0) << lists.output;
    bool any = false;
    for (const auto& e : std::filesystem::directory_iterator(folder / "lists"))
        any = any || e.path().string().ends_with("Tasks.html");
    EXPECT_TRUE(any);
}

TEST_F(InterchangeCommandsTest, TextImportBaselineAndStatus) {
    ASSERT_EQ(cli("import-xml " + quoted(kCorpus / "msp2007-assignments.xml") + " " + quoted(plan))
                  .status,
              0);
    TempFolder::write(folder / "tasks.txt", "Group\tOne\t\t2\t50\nGroup\tTwo\t\t1\n");
    const CliRun text = cli("import-text " + quoted(folder / "tasks.txt") + " " + quoted(plan));
    ASSERT_EQ(text.status, 0) << text.output;
    EXPECT_EQ(text.output, "3 tasks added\n");
    ASSERT_EQ(cli("baseline " + quoted(plan)).status, 0);
    const CliRun status =
        cli("status " + quoted(plan) + " " + quoted(folder / "status.csv") + " --times --dates");
    ASSERT_EQ(status.status, 0) << status.output;
    const std::string report = TempFolder::read(folder / "status.csv");
    EXPECT_EQ(report.rfind("Elapsed Times\n,Hours\n", 0), 0u);
    EXPECT_THAT(report, HasSubstr("\nDates\nStart Date,"));
    EXPECT_THAT(report, ::testing::Not(HasSubstr("Costings")));
}

TEST_F(InterchangeCommandsTest, ADamagedFileImportsAndSaysSoOnStandardError) {
    const std::string whole = TempFolder::read(kCorpus / "pl-new-product.xml");
    TempFolder::write(folder / "cut.xml", whole.substr(0, whole.size() / 2));
    const CliRun run = cli("import-xml " + quoted(folder / "cut.xml") + " " + quoted(plan),
                           quoted(folder / "errors.txt"));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_THAT(run.output, HasSubstr("tasks"));
    EXPECT_THAT(run.output, ::testing::Not(HasSubstr("damaged")));
    const std::string errors = TempFolder::read(folder / "errors.txt");
    EXPECT_THAT(errors,
                ::testing::MatchesRegex("mapolt-cli: cut\\.xml is damaged; read [0-9]+ tasks "
                                        "up to line [0-9,]+\\.\n(.|\n)*"));
    EXPECT_TRUE(std::filesystem::exists(plan));
}

TEST_F(InterchangeCommandsTest, BadArgumentsAndFilesAreNamed) {
    EXPECT_EQ(cli("export-tasks " + quoted(plan) + " " + quoted(folder.path())).status, 2);
    const CliRun missing = cli("import-xml " + quoted(folder / "none.xml") + " " + quoted(plan));
    EXPECT_EQ(missing.status, 1);
    EXPECT_THAT(missing.output, HasSubstr("none.xml"));
    EXPECT_FALSE(std::filesystem::exists(plan));
    TempFolder::write(folder / "junk.xml", "no xml here");
    const CliRun junk = cli("import-xml " + quoted(folder / "junk.xml") + " " + quoted(plan));
    EXPECT_EQ(junk.status, 1);
    EXPECT_THAT(junk.output, HasSubstr("junk.xml"));
    EXPECT_EQ(cli("baseline " + quoted(folder / "none.json")).status, 1);
}

} // namespace
