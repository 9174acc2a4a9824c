#include "appearance/preset_styles.h"
#include "document/kestil_planner_document.h"
#include "interchange/medium_date.h"
#include "model/entities.h"
#include "model/preferences.h"
#include "support/temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace mapolt {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;
using Folder = testing::TempFolder;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the built mapolt-cli with `arguments`, collecting its output in files.
struct CliTest : ::testing::Test {
    Folder folder;
    MemoryPreferences preferences;

    CliRun cli(const std::vector<std::string>& arguments) {
        const std::string outFile = (folder / ".stdout").string();
        const std::string errFile = (folder / ".stderr").string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        std::vector<std::string> all{MAPOLT_CLI};
        all.insert(all.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        CliRun run;
        pid_t pid = 0;
        if (posix_spawn(&pid, MAPOLT_CLI, &actions, nullptr, argv.data(), environ) == 0) {
            int wstatus = 0;
            ::waitpid(pid, &wstatus, 0);
            run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        run.out = Folder::read(outFile);
        run.err = Folder::read(errFile);
        return run;
    }

    // A plan with a chain of three tasks, a milestone and a resource, saved to `name`.
    std::filesystem::path savedPlan(const std::string& name) {
        KestilPlannerDocument doc(preferences);
        Store& s = doc.store();
        doc.project()->set(&Project::name, std::string("Garage"));
        doc.project()->set(&Project::startDate, civil::fromYmd(2026, 3, 2));
        ATask* previous = nullptr;
        for (int i = 0; i < 3; ++i) {
            ATask* t = doc.taskHelper().addEndTask(static_cast<float>(i * 2));
            t->setName("Step " + std::to_string(i));
            t->set(&ATask::elapsedTime, i == 2 ? 2.5f : 2.0f);
            if (previous != nullptr) {
                auto* link = s.insert<DepLink>();
                link->set(&DepLink::dependTask, previous);
                link->set(&DepLink::dependeeTask, t);
            }
            previous = t;
        }
        s.insert<MileStone>()->set(&MileStone::project, doc.project());
        s.insert<Resource>()->setName("Ana Lima");
        const std::filesystem::path file = folder / name;
        std::string error;
        EXPECT_TRUE(doc.writeToURL(file, error)) << error;
        return file;
    }

    std::unique_ptr<KestilPlannerDocument> open(const std::filesystem::path& file) {
        PlanReadResult result;
        return KestilPlannerDocument::initWithContentsOfURL(file, preferences, result);
    }

    static std::size_t lines(const std::string& text) {
        return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    }
};

TEST_F(CliTest, HelpPrintsTheUsageToStdoutAndNoCommandIsAUsageError) {
    const std::vector<std::string> usageLines{
        "usage:",
        "  mapolt-cli info FILE",
        "  mapolt-cli normalize IN OUT",
        "  mapolt-cli schedule PLAN",
        "  mapolt-cli export-xml IN OUT.xml",
    };
    for (const std::string flag : {"--help", "-h"}) {
        const CliRun run = cli({flag});
        EXPECT_EQ(run.status, 0) << flag;
        EXPECT_EQ(run.err, "") << flag;
        for (const std::string& line : usageLines)
            EXPECT_THAT(run.out, HasSubstr(line)) << flag;
        EXPECT_THAT(run.out, Not(HasSubstr("unknown command"))) << flag;
    }

    const CliRun bare = cli({});
    EXPECT_EQ(bare.status, 2);
    EXPECT_EQ(bare.out, "");
    EXPECT_EQ(bare.err, cli({"--help"}).out);

    // The old built-in example command is gone, like any other unknown name.
    const CliRun summary = cli({"summary"});
    EXPECT_EQ(summary.status, 2);
    EXPECT_EQ(summary.out, "");
    EXPECT_THAT(summary.err, StartsWith("mapolt-cli: unknown command \"summary\"\nusage:\n"));
    EXPECT_THAT(summary.err, Not(HasSubstr("mapolt-cli summary")));
}

TEST_F(CliTest, NewWritesAnEmptyPlanDatedTodayWithTheChosenPreset) {
    const std::filesystem::path file = folder / "new.json";
    const CliRun run = cli({"new", file.string(), "--style", "school"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const auto doc = open(file);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->store().count(Entity::ATask), 0u);
    EXPECT_EQ(doc->project()->startDate(), civil::localMidnight(civil::now()));

    KestilPlannerDocument school(preferences);
    ASSERT_TRUE(applyPresetStyle(*school.project(), *presetForResource("school")));
    KestilPlannerDocument clean(preferences);
    ASSERT_TRUE(applyPresetStyle(*clean.project(), *presetForResource("clean")));
    const auto background = [](KestilPlannerDocument& d) {
        const Colour* c = d.styleObject()->colours()->background();
        return std::vector<float>{c->red(), c->green(), c->blue()};
    };
    EXPECT_EQ(background(*doc), background(school));
    EXPECT_NE(background(*doc), background(clean));
}

TEST_F(CliTest, NewRefusesAnUnknownStyleAndNeverReplacesAFile) {
    const std::filesystem::path file = folder / "plan.json";
    CliRun run = cli({"new", file.string(), "--style", "Gothic"});
    EXPECT_NE(run.status, 0);
    EXPECT_THAT(run.err, HasSubstr("Gothic"));
    EXPECT_FALSE(std::filesystem::exists(file));

    Folder::write(file, "precious");
    run = cli({"new", file.string()});
    EXPECT_NE(run.status, 0);
    EXPECT_THAT(run.err, HasSubstr(file.string()));
    EXPECT_THAT(run.err, HasSubstr("already exists"));
    EXPECT_EQ(lines(run.err), 1u);
    EXPECT_EQ(Folder::read(file), "precious");
}

TEST_F(CliTest, InfoCountsTheRecordsAndGivesTheProjectEnd) {
    const CliRun run = cli({"info", savedPlan("garage.json").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("name: Garage\n"));
    EXPECT_THAT(run.out, HasSubstr("start: Mar 2, 2026\n"));
    EXPECT_THAT(run.out, HasSubstr("tasks: 3\n"));
    EXPECT_THAT(run.out, HasSubstr("links: 2\n"));
    EXPECT_THAT(run.out, HasSubstr("resources: 1\n"));
    EXPECT_THAT(run.out, HasSubstr("milestones: 1\n"));
    // The resource's own calendar; the base calendar is made on first use only.
    EXPECT_THAT(run.out, HasSubstr("calendars: 0\n"));
    // The last task runs from day 4 for 2.5 days: its work ends on day 6, across the
    // clock change of Sunday 8 March.
    EXPECT_THAT(run.out, HasSubstr("end: day 6.5, finishing Mar 8, 2026\n"));
}

TEST_F(CliTest, CheckSaysOkOrGivesTheWholeErrorChainAndTheOffset) {
    CliRun run = cli({"check", savedPlan("good.json").string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "ok\n");

    const std::filesystem::path bad = folder / "bad.json";
    Folder::write(bad, R"({"ATask":[1,2,]})");
    run = cli({"check", bad.string()});
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(run.out, "Object value expected for key: ATask\n"
                       "Trailing comma disallowed in array\n"
                       "at byte 14\n");
    EXPECT_THAT(run.err, StartsWith("mapolt-cli check: "));
    EXPECT_THAT(run.err, HasSubstr(bad.string()));
    EXPECT_EQ(lines(run.err), 1u);
}

TEST_F(CliTest, CheckRefusesAFileWithoutAProject) {
    const std::filesystem::path style = folder / "look.zqstyle";
    Folder::write(style, *readPresetText(*presetForResource("Autumn")));
    const CliRun run = cli({"check", style.string()});
    EXPECT_NE(run.status, 0);
    EXPECT_THAT(run.out, HasSubstr("holds no project"));
    EXPECT_THAT(run.err, HasSubstr(style.string()));
}

TEST_F(CliTest, NormalizeWritesThePlanBackAsThisProgramWritesIt) {
    const std::filesystem::path in = savedPlan("in.json");
    const std::string compact = Folder::read(in);
    // Line breaks and indents between the tokens, none inside strings (dates hold commas).
    std::string spaced;
    bool inString = false;
    bool escaped = false;
    for (char c : compact) {
        spaced += c;
        if (inString) {
            inString = escaped || c != '"';
            escaped = !escaped && c == '\\';
        } else if (c == '"') {
            inString = true;
        } else if (c == ',' || c == '{') {
            spaced += "\n  ";
        }
    }
    Folder::write(in, spaced);
    const std::filesystem::path out = folder / "out.json";
    const CliRun run = cli({"normalize", in.string(), out.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Folder::read(out), compact);
    EXPECT_EQ(Folder::read(in), spaced);
}

TEST_F(CliTest, FailuresNameTheFileAndLeaveTheOutputAlone) {
    const std::filesystem::path missing = folder / "missing.json";
    const std::filesystem::path out = folder / "out.json";
    Folder::write(out, "keep me");
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"info", missing.string()},
          std::vector<std::string>{"normalize", missing.string(), out.string()}}) {
        const CliRun run = cli(command);
        EXPECT_NE(run.status, 0) << command[0];
        EXPECT_THAT(run.err, HasSubstr(missing.string())) << command[0];
        EXPECT_THAT(run.err, HasSubstr("No such file or directory")) << command[0];
        EXPECT_EQ(lines(run.err), 1u) << command[0];
    }
    EXPECT_EQ(Folder::read(out), "keep me");

    const std::filesystem::path into = folder / "no-such-folder" / "out.json";
    const CliRun run = cli({"normalize", savedPlan("in.json").string(), into.string()});
    EXPECT_NE(run.status, 0);
    EXPECT_THAT(run.err, HasSubstr(into.string()));

    const CliRun wrong = cli({"info"});
    EXPECT_NE(wrong.status, 0);
    EXPECT_THAT(wrong.err, HasSubstr("usage: info FILE"));
}

// Three tasks of 16, 8 and 4 hours chained by links, all stored at day 0 with no length, so
// only a full recalculation places them; the first is 40 % done and its name holds a tab.
// Their stored row numbers are all wrong.
struct ScheduleCliTest : CliTest {
    std::filesystem::path unscheduledChain(const std::string& name, bool markLast) {
        KestilPlannerDocument doc(preferences);
        Store& s = doc.store();
        doc.project()->set(&Project::startDate, civil::fromYmd(2026, 3, 2));
        const std::vector<std::pair<std::string, float>> steps{
            {"Dig\there", 16.0f}, {"Pour", 8.0f}, {"Cure", 4.0f}};
        ATask* previous = nullptr;
        for (const auto& [taskName, hours] : steps) {
            ATask* t = doc.taskHelper().addEndTask(0.0f);
            t->setName(taskName);
            t->set(&ATask::hours, hours);
            t->set(&ATask::elapsedTime, 0.0f);
            t->set(&ATask::daysFromStart, 0.0f);
            if (previous != nullptr) {
                auto* link = s.insert<DepLink>();
                link->set(&DepLink::dependTask, previous);
                link->set(&DepLink::dependeeTask, t);
            } else {
                t->set(&ATask::percComp, 40.0f);
            }
            if (markLast && taskName == "Pour")
                t->set(&ATask::isCritical, true);
            previous = t;
        }
        for (ATask* t : s.fetch<ATask>())
            t->set(&ATask::viewOrder, 7);
        const std::filesystem::path file = folder / name;
        std::string error;
        EXPECT_TRUE(doc.writeToURL(file, error)) << error;
        return file;
    }

    static constexpr const char* kHeader = "no\tdepth\tname\tstart\telapsed\thours\tperc\tlevel\n";
};

TEST_F(ScheduleCliTest, PrintsEveryTaskPlacedByAFullRecalculation) {
    const std::filesystem::path plan = unscheduledChain("chain.json", false);
    const std::string before = Folder::read(plan);
    const CliRun run = cli({"schedule", plan.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, std::string(kHeader) +
                           "1\t0\tDig here\t0.0000\t2.0000\t16.0000\t40.0000\t0\n"
                           "2\t0\tPour\t2.0000\t1.0000\t8.0000\t0.0000\t0\n"
                           "3\t0\tCure\t3.0000\t0.5000\t4.0000\t0.0000\t0\n");
    EXPECT_EQ(Folder::read(plan), before);
}

TEST_F(ScheduleCliTest, GivesTheLevelsOfTheChosenCriticalPath) {
    const std::filesystem::path plan = unscheduledChain("chain.json", true);
    const auto levels = [&](const std::string& roots) {
        const CliRun run = cli({"schedule", plan.string(), "--critical", roots});
        EXPECT_EQ(run.status, 0) << run.err;
        std::string last;
        std::istringstream lines(run.out);
        std::string line;
        std::getline(lines, line);
        while (std::getline(lines, line))
            last += line.substr(line.rfind('\t') + 1);
        return last;
    };
    EXPECT_EQ(levels("end"), "223");
    EXPECT_EQ(levels("marked"), "230");
    EXPECT_EQ(levels("both"), "233");

    const CliRun wrong = cli({"schedule", plan.string(), "--critical", "late"});
    EXPECT_NE(wrong.status, 0);
    EXPECT_THAT(wrong.err, HasSubstr("late"));
    EXPECT_EQ(wrong.out, "");
}

TEST_F(ScheduleCliTest, SavesTheRescheduledPlanOnlyWhenAsked) {
    const std::filesystem::path plan = unscheduledChain("chain.json", false);
    const std::filesystem::path out = folder / "scheduled.json";
    const CliRun run = cli({"schedule", plan.string(), "-o", out.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto doc = open(out);
    ASSERT_NE(doc, nullptr);
    std::vector<float> starts;
    for (const ATask* t : doc->taskHelper().outlineOrder())
        starts.push_back(t->daysFromStart());
    EXPECT_EQ(starts, (std::vector<float>{0.0f, 2.0f, 3.0f}));

    const std::filesystem::path into = folder / "no-such-folder" / "out.json";
    const CliRun failed = cli({"schedule", plan.string(), "-o", into.string()});
    EXPECT_NE(failed.status, 0);
    EXPECT_THAT(failed.err, HasSubstr(into.string()));
    EXPECT_EQ(lines(failed.err), 1u);
}

// A file may hold links that close a loop: check names them and fails; schedule removes
// them, says so on the standard error and schedules the rest.
TEST_F(ScheduleCliTest, LinksClosingALoopAreNamedRemovedAndTheRestScheduled) {
    KestilPlannerDocument doc(preferences);
    Store& s = doc.store();
    doc.project()->set(&Project::startDate, civil::fromYmd(2026, 3, 2));
    std::vector<ATask*> tasks;
    for (const char* taskName : {"A", "B", "C"}) {
        tasks.push_back(doc.taskHelper().addEndTask(0.0f));
        tasks.back()->setName(taskName);
        tasks.back()->set(&ATask::hours, 8.0f);
    }
    for (std::size_t i = 0; i < 3; ++i) {
        auto* link = s.insert<DepLink>();
        link->set(&DepLink::dependTask, tasks[i]);
        link->set(&DepLink::dependeeTask, tasks[(i + 1) % 3]);
    }
    const std::filesystem::path plan = folder / "loop.json";
    std::string error;
    ASSERT_TRUE(doc.writeToURL(plan, error)) << error;
    const std::string before = Folder::read(plan);
    const std::string message = "Removed the link from \"C\" to \"A\": it closed a loop";

    const CliRun checked = cli({"check", plan.string()});
    EXPECT_NE(checked.status, 0);
    EXPECT_EQ(checked.out, message + "\n");
    EXPECT_THAT(checked.err, StartsWith("mapolt-cli check: 1 link"));

    const CliRun run = cli({"schedule", plan.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "mapolt-cli schedule: " + plan.string() + ": " + message + "\n");
    EXPECT_EQ(run.out, std::string(kHeader) + "1\t0\tA\t0.0000\t1.0000\t8.0000\t0.0000\t0\n" +
                           "2\t0\tB\t1.0000\t1.0000\t8.0000\t0.0000\t0\n" +
                           "3\t0\tC\t2.0000\t1.0000\t8.0000\t0.0000\t0\n");
    EXPECT_EQ(Folder::read(plan), before);
}

TEST_F(ScheduleCliTest, RunsOnTheHouseExample) {
    const CliRun run =
        cli({"schedule", MAPOLT_EXAMPLES "/house-build.mapolt", "--critical", "end"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::istringstream lines(run.out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line + "\n", kHeader);
    int row = 0;
    int roots = 0;
    while (std::getline(lines, line)) {
        ++row;
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 7) << line;
        EXPECT_EQ(line.substr(0, line.find('\t')), std::to_string(row));
        roots += line.back() == '3' ? 1 : 0;
    }
    EXPECT_GT(row, 30);
    EXPECT_GE(roots, 1);
}

} // namespace
} // namespace mapolt
