#include "interchange/exporter.h"
#include "interchange/html_exporter.h"
#include "interchange/ics_exporter.h"
#include "interchange/mail_launcher.h"
#include "interchange/text_file_exporter.h"
#include "support/planner_fixture.h"
#include "support/temp_folder.h"
#include "table/column_controller.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <libxml/HTMLparser.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace mapolt {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using testing::TempFolder;

std::string shellQuoted(const std::string& s) {
    std::string out = "'";
    for (const char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Runs Debian's Python (which has python3-icalendar) on a script with the given arguments;
// returns what it printed, or a note when it failed.
std::string runPython(const std::string& script, const std::vector<std::string>& args) {
    TempFolder scratch;
    TempFolder::write(scratch / "check.py", script);
    std::string command = "/usr/bin/python3 " + (scratch / "check.py").string();
    for (const std::string& a : args)
        command += " " + shellQuoted(a);
    command += " 2>&1";
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buf[512];
        while (std::fgets(buf, sizeof buf, pipe) != nullptr)
            out += buf;
        if (pclose(pipe) != 0)
            out = "python failed: " + out;
    }
    return out;
}

// The HTML parser's error code for `html`; 0 when the page is well-formed.
int htmlErrors(const std::string& html) {
    htmlParserCtxtPtr ctx = htmlNewParserCtxt();
    htmlDocPtr doc = htmlCtxtReadMemory(ctx, html.data(), static_cast<int>(html.size()), nullptr,
                                        "UTF-8", HTML_PARSE_NONET | HTML_PARSE_NOERROR);
    const int errors = doc == nullptr ? -1 : ctx->errNo;
    xmlFreeDoc(doc);
    htmlFreeParserCtxt(ctx);
    return errors;
}

class RecordingLauncher : public MailLauncher {
  public:
    bool composeMessage(const std::string& subject, const std::string& name,
                        const std::string& email, const std::filesystem::path& file) override {
        calls.push_back(subject + "|" + name + "|" + email);
        attachment = TempFolder::read(file);
        attachmentPath = file;
        return true;
    }
    bool readsAttachmentLater() const override { return later; }
    std::vector<std::string> calls;
    std::string attachment;
    std::filesystem::path attachmentPath;
    bool later = false;
};

struct TaskListTest : ::testing::Test {
    testing::PlannerFixture plan;
    ColumnController columns{plan.store, plan.project};
    Exporter exporter{plan.store, &columns};
    TempFolder folder;
    Resource* ann = nullptr;

    // Only the given columns shown, in that order.
    void show(const std::vector<std::string>& titles) {
        columns.rebuildActiveColumns();
        for (const auto& column : columns.catalogue())
            columns.createIfNeededColumnWithName(column->description(), 0, true)
                ->set(&ColumnStates::active, false);
        std::int32_t order = 0;
        for (const auto& title : titles) {
            ColumnStates* s = columns.createIfNeededColumnWithName(title, 0, true);
            s->set(&ColumnStates::viewOrder, order++);
            s->set(&ColumnStates::active, true);
        }
    }
    void buildOutline() {
        ATask* alpha = plan.task("Alpha", 0.0f);
        ATask* beta = plan.task("Beta", 0.0f);
        ATask* gamma = plan.task("Gamma, \"the\" <b>last</b>", 16.0f, 3.9f, 2.4f);
        plan.indent({beta, gamma});
        plan.indent({gamma});
        ATask* early = plan.task("Early & first", 8.0f, 0.0f, 1.0f);
        ann = plan.resource("Ann & <Co>");
        ann->set(&Resource::email, std::string("ann@example.com"));
        plan.assign(gamma, ann);
        plan.assign(early, ann);
        plan.task("Unassigned", 8.0f);
        (void)alpha;
    }
    std::string exportAs(int type) {
        exporter.setWriter(exporter.makeWriter(type));
        return exporter.exportTaskList(folder.path(), ann);
    }
};

TEST_F(TaskListTest, CsvQuotesOnlyTheFieldsThatNeedIt) {
    buildOutline();
    show({"Task Name", "Hours", "Locked Start"});
    const std::string csv = exportAs(0);
    EXPECT_EQ(csv, "Task,Task Name,Hours,Locked Start\n"
                   "\"Gamma, \"\"the\"\" <b>last</b>\",\"Gamma, \"\"the\"\" <b>last</b>\",16.00,N\n"
                   "Early & first,Early & first,8.00,N\n");
    EXPECT_EQ(TempFolder::read(folder / "Ann & <Co>Tasks.csv"), csv);
    const std::string parsed = runPython("import csv, sys\n"
                                         "rows = list(csv.reader(open(sys.argv[1], newline='')))\n"
                                         "print(len(rows), [len(r) for r in rows], rows[1][0])\n",
                                         {folder / "Ann & <Co>Tasks.csv"});
    EXPECT_EQ(parsed, "3 [4, 4, 4] Gamma, \"the\" <b>last</b>\n");
}

TEST_F(TaskListTest, AncestorNamesAndStartOrder) {
    buildOutline();
    show({});
    exporter.options().superNames = true;
    EXPECT_EQ(exportAs(0),
              "Task\n\"Alpha - Beta - Gamma, \"\"the\"\" <b>last</b>\"\nEarly & first\n");
    exporter.options().superNames = false;
    exporter.options().order = 1;
    TextFileExporter plain;
    EXPECT_EQ(exportAs(0),
              "Task\nEarly & first\n" + plain.field("Gamma, \"the\" <b>last</b>") + "\n");
}

TEST_F(TaskListTest, NoAssignmentsStillWritesTheHeaderAndEmptyLists) {
    Resource* idle = plan.resource("Idle");
    plan.task("Unassigned", 8.0f);
    show({"Task Name"});
    exporter.setWriter(exporter.makeWriter(0));
    EXPECT_EQ(exporter.exportTaskList(folder.path(), idle), "Task,Task Name\n");
    exporter.setWriter(exporter.makeWriter(1));
    EXPECT_THAT(exporter.exportTaskList(folder.path(), idle), Not(HasSubstr("VEVENT")));
    exporter.setWriter(exporter.makeWriter(2));
    EXPECT_THAT(exporter.exportTaskList(folder.path(), idle),
                HasSubstr("<table class=\"ZQStyles\"><th>Task</th><th>Task Name</th></table>"));
}

TEST_F(TaskListTest, ICalendarFollowsTheStandardAndParses) {
    buildOutline();
    const std::string first = exportAs(1);
    EXPECT_THAT(
        first, HasSubstr("BEGIN:VCALENDAR\r\nCALSCALE:GREGORIAN\r\nPRODID:-//Kestil//Mapolt//EN\r\n"
                         "VERSION:2.0\r\n"));
    // Day 3.9 of a project starting on 2 March is the 5th (three whole days later).
    EXPECT_THAT(first, HasSubstr("DTSTART;VALUE=DATE:20260305\r\n"));
    EXPECT_THAT(first, HasSubstr("DURATION:P2D\r\n"));
    EXPECT_THAT(first, HasSubstr("SUMMARY:Gamma\\, \"the\" <b>last</b>\r\n"));
    EXPECT_THAT(first, Not(HasSubstr("\n\n")));
    for (std::size_t at = first.find('\n'); at != std::string::npos; at = first.find('\n', at + 1))
        ASSERT_EQ(first[at - 1], '\r');
    // The same task and resource keep their UID from one export to the next.
    const auto uids = [](const std::string& ics) {
        std::vector<std::string> out;
        for (std::size_t at = ics.find("\nUID:"); at != std::string::npos;
             at = ics.find("\nUID:", at + 1))
            out.push_back(ics.substr(at + 5, ics.find('\r', at) - at - 5));
        return out;
    };
    EXPECT_EQ(uids(first).size(), 2u);
    EXPECT_NE(uids(first)[0], uids(first)[1]);
    EXPECT_EQ(uids(exportAs(1)), uids(first));
    const std::string parsed =
        runPython("import sys, icalendar\n"
                  "cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())\n"
                  "for e in cal.walk('VEVENT'):\n"
                  "    print(e['SUMMARY'], e['DTSTART'].dt, e['DURATION'].dt.days, bool(e['UID']),"
                  " bool(e['DTSTAMP']))\n",
                  {folder / "Ann & <Co>Tasks.ics"});
    EXPECT_EQ(parsed, "Gamma, \"the\" <b>last</b> 2026-03-05 2 True True\n"
                      "Early & first 2026-03-02 1 True True\n");
}

TEST_F(TaskListTest, AStartOnDayThreePointNineOfAMonthStartingOnTheFirstIsTheFourth) {
    plan.project->set(&Project::startDate, civil::fromYmd(2026, 11, 1));
    Resource* r = plan.resource("R");
    plan.assign(plan.task("T", 16.0f, 3.9f, 2.4f), r);
    exporter.setWriter(exporter.makeWriter(1));
    const std::string ics = exporter.exportTaskList(std::nullopt, r);
    // The 1st of November 2026 is the day New York's clocks go back.
    EXPECT_THAT(ics, HasSubstr("\r\nDTSTART;VALUE=DATE:20261104\r\nSUMMARY:T\r\nDURATION:P2D\r\n"));
    EXPECT_TRUE(folder.entries().empty());
}

TEST_F(TaskListTest, ICalendarFoldsLongLinesWithoutSplittingCharacters) {
    const std::string name = "Ünïcödé " + std::string(120, 'x') + " ☃☃☃☃☃☃☃☃☃☃☃☃☃☃☃☃☃☃☃☃☃☃☃☃☃☃☃☃☃☃";
    const std::string folded = ICSExporter::contentLine("SUMMARY:" + ICSExporter::escapeText(name));
    std::string unfolded;
    std::size_t begin = 0;
    for (std::size_t at = folded.find("\r\n"); at != std::string::npos;
         at = folded.find("\r\n", begin)) {
        const std::string piece = folded.substr(begin, at - begin);
        EXPECT_LE(piece.size(), 75u);
        unfolded += begin == 0 ? piece : piece.substr(1);
        begin = at + 2;
        if (begin < folded.size()) {
            EXPECT_EQ(folded[begin], ' ');
        }
    }
    EXPECT_EQ(unfolded, "SUMMARY:" + name);
    EXPECT_EQ(ICSExporter::escapeText("a;b,c\\d\ne"), "a\\;b\\,c\\\\d\\ne");
    Resource* r = plan.resource("Long");
    ATask* t = plan.task(name, 8.0f);
    plan.assign(t, r);
    exporter.setWriter(exporter.makeWriter(1));
    exporter.exportTaskList(folder.path(), r);
    EXPECT_EQ(runPython("import sys, icalendar\n"
                        "cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())\n"
                        "print(cal.walk('VEVENT')[0]['SUMMARY'] == sys.argv[2])\n",
                        {folder / "LongTasks.ics", name}),
              "True\n");
}

TEST_F(TaskListTest, HtmlEscapesEveryTextAndIsWellFormed) {
    buildOutline();
    show({"Task Name", "%"});
    const std::string html = exportAs(2);
    EXPECT_EQ(html.rfind(std::string(HTMLExporter::kPageHead) + HTMLExporter::kStyleBlock +
                             "</head><body>\n<h2 class=\"ZQStyles\">Ann &amp; &lt;Co&gt;</h2>\n",
                         0),
              0u);
    EXPECT_THAT(html, HasSubstr("<tr><td>Gamma, &quot;the&quot; &lt;b&gt;last&lt;/b&gt;</td>"));
    EXPECT_THAT(html, Not(HasSubstr("<b>")));
    EXPECT_THAT(html, HasSubstr("<td>0%</td></tr>"));
    EXPECT_EQ(html.substr(html.size() - 24), "</table>\n</body></html>\n");
    EXPECT_EQ(std::string(HTMLExporter::kStyleBlock).size(), 550u);
    EXPECT_EQ(htmlErrors(html), 0);
    // The check itself notices markup that a name could have broken.
    EXPECT_GT(htmlErrors("<html><body><table><tr><td>a</b></td></tr></table></body></html>"), 0);
}

TEST_F(TaskListTest, OneFilePerResourceReplacingOldOnes) {
    buildOutline();
    Resource* bob = plan.resource("Bob/../x");
    plan.assign(plan.named("Unassigned"), bob);
    TempFolder::write(folder / "BobTasks.csv", "stale");
    TempFolder::write(folder / "Ann & <Co>Tasks.csv", "stale");
    exporter.options().expType = 0;
    exporter.doExport(folder.path());
    EXPECT_EQ(folder.entries(),
              (std::set<std::string>{"Ann & <Co>Tasks.csv", "BobTasks.csv", "Bob_.._xTasks.csv"}));
    EXPECT_THAT(TempFolder::read(folder / "Ann & <Co>Tasks.csv"), HasSubstr("Early & first"));
    EXPECT_THAT(TempFolder::read(folder / "Bob_.._xTasks.csv"), HasSubstr("Unassigned"));
}

TEST_F(TaskListTest, ThePaletteGetsHtmlWithoutAFile) {
    buildOutline();
    exporter.options().expType = 0;
    const std::string html = exporter.exportToString(ann);
    EXPECT_THAT(html, HasSubstr("<h2 class=\"ZQStyles\">"));
    EXPECT_TRUE(folder.entries().empty());
}

TEST_F(TaskListTest, MailingHandsTheTabSeparatedFileToTheMailProgram) {
    buildOutline();
    show({"Task Name"});
    RecordingLauncher launcher;
    ASSERT_TRUE(exporter.exportToMail(ann, 0, launcher, folder / "Mapolt"));
    EXPECT_EQ(launcher.calls, (std::vector<std::string>{"Task List|Ann & <Co>|ann@example.com"}));
    EXPECT_THAT(launcher.attachment, HasSubstr("Task\tTask Name\n"));
    EXPECT_THAT(launcher.attachment, HasSubstr("Early & first\tEarly & first\n"));
    // A launcher done with the file lets it go; one whose mail program reads it later keeps it.
    EXPECT_FALSE(std::filesystem::exists(launcher.attachmentPath));
    launcher.later = true;
    ASSERT_TRUE(exporter.exportToMail(ann, 1, launcher, folder / "Mapolt"));
    EXPECT_TRUE(std::filesystem::exists(folder / "Mapolt" / "Ann & <Co>Tasks.ics"));
}

TEST_F(TaskListTest, TheMailCommandSendsEveryResourceItsCalendar) {
    buildOutline();
    plan.resource("Bob")->set(&Resource::email, std::string("bob@example.com"));
    RecordingLauncher launcher;
    exporter.emailTaskList(launcher, folder / "Mapolt");
    EXPECT_EQ(launcher.calls, (std::vector<std::string>{"Task List|Ann & <Co>|ann@example.com",
                                                        "Task List|Bob|bob@example.com"}));
    EXPECT_THAT(launcher.attachment, HasSubstr("BEGIN:VCALENDAR"));
}

TEST(MailLauncherTest, XdgEmailGetsTheSubjectAttachmentAndRecipient) {
    EXPECT_EQ(XdgEmailLauncher::arguments("Task List", "Ann Lee", "ann@example.com", "/tmp/a.ics"),
              (std::vector<std::string>{"--subject", "Task List", "--attach", "/tmp/a.ics",
                                        "Ann Lee <ann@example.com>"}));
    EXPECT_EQ(XdgEmailLauncher::recipient("Lee, Ann \"AL\"", "a@b"),
              "\"Lee, Ann \\\"AL\\\"\" <a@b>");
    EXPECT_EQ(XdgEmailLauncher::recipient("--utf8", "a@b"), "\"--utf8\" <a@b>");
    EXPECT_EQ(XdgEmailLauncher::arguments("Task List", "Ann", "", "/tmp/a.ics").size(), 4u);

    TempFolder folder;
    const auto script = folder / "fake-xdg-email";
    const auto log = folder / "args.txt";
    TempFolder::write(script, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > " +
                                  log.string() + ".part && mv " + log.string() + ".part " +
                                  log.string() + "\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    XdgEmailLauncher launcher(script.string());
    ASSERT_TRUE(
        launcher.composeMessage("Task List", "Ann; rm -rf /", "ann@example.com", "/tmp/x y.ics"));
    for (int i = 0; i < 200 && !std::filesystem::exists(log); ++i)
        usleep(10000);
    EXPECT_EQ(
        TempFolder::read(log),
        "--subject\nTask List\n--attach\n/tmp/x y.ics\n\"Ann; rm -rf /\" <ann@example.com>\n");
}

TEST(MailLauncherTest, TheMailFolderIsTheUsersDataFolder) {
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string keep = saved != nullptr ? saved : "";
    setenv("XDG_DATA_HOME", "/data/home", 1);
    EXPECT_EQ(mailFolder(), std::filesystem::path("/data/home/Mapolt"));
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(mailFolder(), std::filesystem::path(std::getenv("HOME")) / ".local/share/Mapolt");
    if (saved != nullptr)
        setenv("XDG_DATA_HOME", keep.c_str(), 1);
}

} // namespace
} // namespace mapolt
