#include "interchange/json_export.h"
#include "interchange/json_import.h"
#include "interchange/json_reader.h"
#include "interchange/json_writer.h"
#include "interchange/medium_date.h"
#include "model/diagnostic_log.h"
#include "model/entities.h"
#include "model/store.h"
#include "support/random_project.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace mapolt {
namespace {

using ::testing::ElementsAre;

std::string save(const Store& store) {
    return JSONExport().buildJSON(store);
}

JsonParseResult tree(std::string_view text) {
    JsonParseResult r = parseJson(text);
    EXPECT_TRUE(r) << r.error->message();
    return r;
}

// The UUID strings of a to-many reference.
std::vector<std::string_view> ids(const JsonValue& array) {
    std::vector<std::string_view> out;
    for (const JsonValue& v : array.elements())
        out.push_back(*v.asString());
    return out;
}

// The records of one entity member of a file, keyed by UUID.
std::map<std::string, const JsonValue*> recordsOf(const JsonValue& file, const char* entity) {
    std::map<std::string, const JsonValue*> out;
    const JsonValue* member = file.find(entity);
    if (member == nullptr)
        return out;
    const auto add = [&](const JsonValue& r) {
        out[std::string(*r.find("UUID")->asString())] = &r;
    };
    for (const JsonValue& r : member->elements())
        add(r);
    for (const JsonMember& m : member->members())
        add(m.value);
    return out;
}

// Every attribute value and relationship target of a record, as text.
std::string snapshot(const Record& r) {
    std::string out;
    for (const AttributeDesc& a : r.schema().attributes) {
        const Value v = a.read(r);
        out += a.name + "=" + (isAbsent(v) ? "-" : std::to_string(v.index())) + ";";
        if (const auto* s = std::get_if<std::string>(&v))
            out += *s;
        else if (const auto* f = std::get_if<float>(&v))
            out += std::to_string(*f);
        else if (const auto* d = std::get_if<Date>(&v))
            out += std::to_string(d->seconds);
    }
    auto& rec = const_cast<Record&>(r);
    for (const RelationshipDesc& rel : r.schema().relationships) {
        out += rel.name + "->";
        if (rel.toMany) {
            for (Record* m : *rel.many(rec))
                out += r.store().identityString(m) + ",";
        } else {
            out += r.store().identityString(rel.one(rec)->target());
        }
        out += ";";
    }
    return out;
}

// The two texts around the first byte where they differ; empty when they are equal.
std::string firstDifference(const std::string& a, const std::string& b) {
    if (a == b)
        return {};
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    const std::size_t from = i < 60 ? 0 : i - 60;
    return "at byte " + std::to_string(i) + ":\n  " + a.substr(from, 120) + "\n  " +
           b.substr(from, 120);
}

struct PlanFileTest : ::testing::Test {
    Store store;
    Project* project = store.insert<Project>();

    PlanFileTest() { project->set(&Project::startDate, civil::fromYmd(2026, 3, 2)); }

    ATask* task(const char* name, int viewOrder) {
        auto* t = store.insert<ATask>();
        t->setName(name != nullptr ? std::optional<std::string>(name) : std::nullopt);
        t->set(&ATask::viewOrder, viewOrder);
        t->set(&ATask::project, project);
        return t;
    }

    Style* styleTree(Project& owner, float taskRed) {
        Store& s = owner.store();
        auto* style = s.insert<Style>();
        style->set(&Style::barRounded, true);
        style->set(&Style::coverOpacity, 0.25f);
        auto* element = s.insert<StyleElement>();
        element->set(&StyleElement::font, std::string("DejaVu Sans"));
        element->set(&StyleElement::size, 11.5);
        style->set(&Style::taskLabels, element);
        auto* colours = s.insert<StyleColours>();
        style->set(&Style::colours, colours);
        auto* red = s.insert<Colour>();
        red->set(&Colour::red, taskRed);
        red->set(&Colour::alpha, 1.0f);
        colours->set(&StyleColours::task, red);
        auto* shadow = s.insert<StyleShadow>();
        shadow->set(&StyleShadow::x, 3.0f);
        shadow->set(&StyleShadow::colour, s.insert<Colour>());
        style->set(&Style::shadowStyle, shadow);
        auto* margins = s.insert<StyleMargin>();
        margins->set(&StyleMargin::height, 12.0f);
        style->set(&Style::margins, margins);
        owner.set(&Project::style, style);
        return style;
    }

    // Reads `text` into a fresh store.
    std::unique_ptr<Store> load(std::string_view text) {
        auto fresh = std::make_unique<Store>();
        EXPECT_TRUE(JSONImport().createModelFromJSON(text, *fresh));
        return fresh;
    }
};

TEST_F(PlanFileTest, EmptyProjectWritesHeaderEmptyTaskArrayAndEmptyEntities) {
    const std::string text = save(store);
    const JsonParseResult parsedFile = tree(text);
    const JsonValue& file = parsedFile.value;
    const JsonValue* info = file.find("MapoltFileInfo");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(*info->find("Creator")->asString(), "Kestil Mapolt");
    EXPECT_EQ(*info->find("CreatorVersion")->asString(), "1.1.7");
    EXPECT_EQ(*info->find("Type")->asString(), "Plan");
    ASSERT_TRUE(file.find("ATask")->isArray());
    EXPECT_TRUE(file.find("ATask")->elements().empty());
    EXPECT_EQ(file.members().size(), 20u);
    for (Entity e : fileEntityOrder()) {
        if (e == Entity::ATask || e == Entity::Project)
            continue;
        const JsonValue* member = file.find(schemaOf(e).name);
        ASSERT_NE(member, nullptr) << schemaOf(e).name;
        ASSERT_TRUE(member->isObject()) << schemaOf(e).name;
        EXPECT_TRUE(member->members().empty()) << schemaOf(e).name;
    }
    EXPECT_NE(text.find(R"("ATask":[])"), std::string::npos);
    // Compact: writing the parsed tree again (members in the order read) gives the same text.
    EXPECT_EQ(writeJson(file).text, text);
    const auto read = load(text);
    EXPECT_EQ(read->count(Entity::ATask), 0u);
    EXPECT_EQ(read->count(Entity::Project), 1u);
}

TEST_F(PlanFileTest, RecordsAreNumberedInFileOrderWithBothEndsWritten) {
    ATask* parent = task("Build", 0);
    ATask* child = task("Wire", 1);
    child->set(&ATask::superTask, parent);
    child->set(&ATask::resText, std::string("kept in the file only"));
    styleTree(*project, 1.0f);
    const JsonParseResult parsedFile = tree(save(store));
    const JsonValue& file = parsedFile.value;
    const auto tasks = recordsOf(file, "ATask");
    ASSERT_EQ(tasks.size(), 2u);
    const JsonValue& first = file.find("ATask")->elements().front();
    EXPECT_EQ(*first.find("UUID")->asString(), "0");
    EXPECT_EQ(first.members().size(), 3u);
    EXPECT_EQ(*first.find("atttributes")->find("name")->asString(), "Build");
    const JsonValue& rel0 = *first.find("relations");
    EXPECT_THAT(ids(*rel0.find("subTasks")), ElementsAre("1"));
    EXPECT_EQ(*rel0.find("project")->asString(), "2");
    EXPECT_TRUE(rel0.find("dependTasks")->elements().empty());
    EXPECT_EQ(rel0.find("superTask"), nullptr);
    EXPECT_EQ(*tasks.at("1")->find("relations")->find("superTask")->asString(), "0");
    EXPECT_EQ(*tasks.at("1")->find("atttributes")->find("resText")->asString(),
              "kept in the file only");

    const auto projects = recordsOf(file, "Project");
    ASSERT_EQ(projects.size(), 1u);
    const JsonValue& p = *projects.at("2");
    EXPECT_EQ(*p.find("atttributes")->find("startDate")->asString(), "Mar 2, 2026");
    EXPECT_THAT(ids(*p.find("relations")->find("tasks")), ElementsAre("0", "1"));
    const std::string styleId(*p.find("relations")->find("style")->asString());
    EXPECT_EQ(*recordsOf(file, "Style").at(styleId)->find("relations")->find("project")->asString(),
              "2");
    // Colours come before the style records: the two colours take 3 and 4, the style 5.
    EXPECT_EQ(styleId, "5");
    EXPECT_EQ(recordsOf(file, "Colour").size(), 2u);
}

TEST_F(PlanFileTest, DatesWriteTheDayAloneAndReadBackAsLocalMidnight) {
    project->set(&Project::startDate, civil::fromYmd(2026, 3, 8, 17, 45));
    auto* cal = store.insert<Calandar>();
    const std::vector<Date> written = {civil::fromYmd(2026, 11, 1, 17, 45),
                                       civil::fromYmd(2010, 1, 5, 23, 59),
                                       civil::fromYmd(2024, 2, 29, 0, 30)};
    for (Date d : written) {
        auto* day = store.insert<Day>();
        day->set(&Day::date, d);
        day->set(&Day::cal, cal);
    }
    const std::string text = save(store);
    EXPECT_NE(text.find(R"("startDate":"Mar 8, 2026")"), std::string::npos);
    EXPECT_NE(text.find(R"("date":"Jan 5, 2010")"), std::string::npos);
    EXPECT_NE(text.find(R"("date":"Feb 29, 2024")"), std::string::npos);
    const auto read = load(text);
    EXPECT_EQ(read->fetch<Project>().front()->startDate(), civil::fromYmd(2026, 3, 8));
    std::vector<Date> days;
    for (Day* d : read->fetch<Day>())
        days.push_back(d->date());
    EXPECT_THAT(days, ElementsAre(civil::fromYmd(2026, 11, 1), civil::fromYmd(2010, 1, 5),
                                  civil::fromYmd(2024, 2, 29)));
    // The fall-back day is 25 hours long: midnight is not 17:45 minus 17.75 hours.
    EXPECT_NE(days[0].seconds, written[0].seconds - 17.75 * 3600);
    EXPECT_EQ(days[0].seconds, written[0].seconds - 18.75 * 3600);
}

TEST_F(PlanFileTest, MediumDateStyleIsReadStrictly) {
    EXPECT_EQ(parseMediumDate("Jan 5, 2010"), civil::fromYmd(2010, 1, 5));
    EXPECT_EQ(parseMediumDate("dec 31, 1999"), civil::fromYmd(1999, 12, 31));
    EXPECT_EQ(parseMediumDate("Feb 30, 2010"), std::nullopt);
    EXPECT_EQ(parseMediumDate("Feb 29, 2023"), std::nullopt);
    EXPECT_EQ(parseMediumDate("2010-01-05"), std::nullopt);
    EXPECT_EQ(parseMediumDate("Jan 5 2010"), std::nullopt);
    EXPECT_EQ(parseMediumDate("Jan 5, 20100"), std::nullopt);
    EXPECT_EQ(parseMediumDate(""), std::nullopt);
    EXPECT_EQ(formatMediumDate(Date{1e300}), "");
    EXPECT_EQ(formatMediumDate(civil::fromYmd(987, 6, 7)), "Jun 7, 0987");
}

TEST_F(PlanFileTest, ReadingTaskKeepsStoredCompletionWorkAndBlankRows) {
    ATask* done = task("Paint", 0);
    done->set(&ATask::percComp, 37.5f);
    done->set(&ATask::hours, 12.25f);
    done->set(&ATask::invalid, false);
    ATask* blank = task(nullptr, 1);
    blank->set(&ATask::percComp, 10.0f);
    const std::string text = save(store);
    EXPECT_EQ((tree(text).value.find("ATask")->elements())[1].find("atttributes")->find("name"),
              nullptr);
    const auto read = load(text);
    const std::vector<ATask*> tasks = read->fetch<ATask>();
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_EQ(tasks[0]->name(), "Paint");
    EXPECT_EQ(tasks[0]->percComp(), 37.5f);
    EXPECT_EQ(tasks[0]->hours(), 12.25f);
    EXPECT_FALSE(tasks[0]->invalid());
    EXPECT_TRUE(tasks[1]->isBlank());
    EXPECT_TRUE(tasks[1]->hours.absent());
    EXPECT_EQ(tasks[1]->percComp(), 10.0f);
    EXPECT_EQ(save(*read), text);
}

TEST_F(PlanFileTest, NameSetterFillsOnlyWhatTheFileLeavesOut) {
    const auto read = load(R"({"ATask":[{"UUID":"0","atttributes":{"name":"Ship"}},
        {"UUID":"1","atttributes":{"percComp":50,"name":"Test","hours":3}}],
        "Resource":{"7":{"UUID":"7","atttributes":{"name":"Ada  King"}}}})");
    const std::vector<ATask*> tasks = read->fetch<ATask>();
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_EQ(tasks[0]->hours(), 8.0f);
    EXPECT_TRUE(tasks[0]->invalid());
    EXPECT_EQ(tasks[1]->percComp(), 50.0f);
    EXPECT_EQ(tasks[1]->hours(), 3.0f);
    EXPECT_EQ(read->fetch<Resource>().front()->initials(), "AK");
}

TEST_F(PlanFileTest, EitherFormReadsAndOneEndLinksBoth) {
    const auto read = load(R"({
        "ATask":{"a":{"UUID":"t1","atttributes":{"name":"A","viewOrder":0},"relations":{}},
                 "b":{"UUID":"t2","atttributes":{"name":"B","viewOrder":1},
                      "relations":{"superTask":"t1","dependeeTasks":["L"]}}},
        "DepLink":[{"UUID":"L","atttributes":{"daysBetween":1.5,"sticky":true},
                    "relations":{"dependTask":"t1"}}],
        "MileStone":[{"UUID":"m","atttributes":{"name":"Done"},"relations":{"tasks":["t2"]}}]})");
    const std::vector<ATask*> tasks = read->fetch<ATask>();
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_EQ(tasks[1]->superTask(), tasks[0]);
    EXPECT_TRUE(tasks[0]->subTasks.contains(tasks[1]));
    DepLink* link = read->fetch<DepLink>().front();
    EXPECT_EQ(link->dependTask(), tasks[0]);
    EXPECT_EQ(link->dependeeTask(), tasks[1]);
    EXPECT_TRUE(tasks[0]->dependTasks.contains(link));
    EXPECT_EQ(link->daysBetween(), 1.5);
    EXPECT_TRUE(tasks[1]->milestone.contains(read->fetch<MileStone>().front()));
}

TEST_F(PlanFileTest, UnknownReferencesAndOddMembersAreSkipped) {
    const auto read = load(R"({"MapoltFileInfo":{"Type":"Something else"},"Unknown":{"x":1},
        "ATask":[{"UUID":"0","atttributes":{"name":"A","resText":"R","bogus":1,"hours":null,
                  "viewOrder":"7","isExpanded":1,"daysFromStart":1e-60,"uid":-9.9},
                  "relations":{"superTask":"99","subTasks":["98",5,null,"1"],"project":"0",
                  "colour":["0"],"nothing":"0"}},
                 17, "text", {"UUID":"1"}],
        "Day":{"d":{"UUID":"2","atttributes":{"date":"Feb 30, 2010","reason":"X"}},
               "e":{"UUID":"3","atttributes":{"date":"","hours":4}}},
        "Project":[]})");
    const std::vector<ATask*> tasks = read->fetch<ATask>();
    ASSERT_EQ(tasks.size(), 2u);
    ATask* a = tasks[0];
    EXPECT_EQ(a->name(), "A");
    EXPECT_TRUE(a->resText.absent());
    EXPECT_EQ(a->hours(), 8.0f);
    EXPECT_TRUE(a->viewOrder.absent());
    EXPECT_TRUE(a->isExpanded());
    EXPECT_EQ(a->daysFromStart(), 0.0f);
    EXPECT_EQ(a->uid(), -9);
    EXPECT_EQ(a->superTask(), nullptr);
    EXPECT_THAT(a->subTasks(), ElementsAre(tasks[1]));
    EXPECT_EQ(a->project(), nullptr);
    EXPECT_EQ(a->colour(), nullptr);
    EXPECT_TRUE(tasks[1]->name.absent());
    const std::vector<Day*> days = read->fetch<Day>();
    ASSERT_EQ(days.size(), 2u);
    EXPECT_TRUE(days[0]->date.absent());
    EXPECT_EQ(days[0]->reason(), "X");
    EXPECT_TRUE(days[1]->date.absent());
    EXPECT_EQ(days[1]->hours(), 4.0f);
    EXPECT_EQ(read->count(Entity::Project), 0u);
}

TEST_F(PlanFileTest, LaterRecordWithARepeatedUuidTakesTheReferences) {
    const auto read = load(R"({"ATask":[
        {"UUID":"5","atttributes":{"name":"first"}},
        {"UUID":"5","atttributes":{"name":"second"}},
        {"UUID":"6","atttributes":{"name":"child"},"relations":{"superTask":"5"}}]})");
    const std::vector<ATask*> tasks = read->fetch<ATask>();
    ASSERT_EQ(tasks.size(), 3u);
    EXPECT_EQ(tasks[2]->superTask(), tasks[1]);
    EXPECT_TRUE(tasks[0]->subTasks.empty());
}

TEST_F(PlanFileTest, TextThatDoesNotParseCreatesNothingAndReportsWhy) {
    std::vector<std::string> log;
    const DiagnosticSink previous =
        setDiagnosticSink([&](std::string_view line) { log.emplace_back(line); });
    Store fresh;
    JSONImport importer;
    EXPECT_FALSE(importer.createModelFromJSON(R"({"ATask":[{"UUID":"0",}]})", fresh));
    setDiagnosticSink(previous);
    for (Entity e : fileEntityOrder())
        EXPECT_EQ(fresh.count(e), 0u);
    ASSERT_TRUE(importer.error().has_value());
    EXPECT_EQ(importer.error()->message(), "Object value expected for key: ATask");
    EXPECT_EQ(importer.error()->chain().back()->message(), "Trailing comma disallowed in object");
    EXPECT_EQ(importer.error()->offset(), 22u);
    EXPECT_THAT(log, ElementsAre("Object value expected for key: ATask (at byte 22)"));
}

TEST_F(PlanFileTest, LargeRandomProjectWritesTheSameTextAfterARoundTrip) {
    for (std::uint32_t seed : {1u, 2u, 3u}) {
        Store original;
        testing::RandomProject(original, seed).build(seed == 1 ? 600 : 40);
        const std::string first = save(original);
        const auto read = load(first);
        for (Entity e : fileEntityOrder())
            EXPECT_EQ(read->count(e), original.count(e)) << schemaOf(e).name;
        const std::string second = save(*read);
        EXPECT_EQ(firstDifference(first, second), "") << "seed " << seed;
    }
}

struct StyleFileTest : PlanFileTest {
    Store other;
    Project* otherProject = other.insert<Project>();
};

TEST_F(StyleFileTest, StyleFileHoldsTheStyleTreeAndNoProject) {
    ATask* t = task("Paint", 0);
    t->set(&ATask::colour, store.insert<Colour>());
    Style* style = styleTree(*project, 0.75f);
    const JsonParseResult parsedFile = tree(JSONExport().exportJSONforStyle(*style));
    const JsonValue& file = parsedFile.value;
    EXPECT_EQ(*file.find("MapoltFileInfo")->find("Type")->asString(), "Style");
    EXPECT_EQ(file.find("ATask"), nullptr);
    EXPECT_EQ(file.find("Project"), nullptr);
    EXPECT_EQ(recordsOf(file, "Style").size(), 1u);
    EXPECT_EQ(recordsOf(file, "StyleElement").size(), 1u);
    // The shadow and the task slot, not the task's own colour.
    EXPECT_EQ(recordsOf(file, "Colour").size(), 2u);
    const JsonValue& s = *recordsOf(file, "Style").begin()->second;
    EXPECT_EQ(s.find("relations")->find("project"), nullptr);
    EXPECT_EQ(s.find("atttributes")->find("coverOpacity")->asNumber()->text(), "0.25");
    // Numbered as in a plan file: the task 0, the project 1, the task's own colour 2.
    EXPECT_EQ(recordsOf(file, "Colour").begin()->first, "3");
}

TEST_F(StyleFileTest, StyleMovedIntoAnotherDocumentLeavesEverythingElseUntouched) {
    styleTree(*project, 0.75f);
    const std::string text = JSONExport().exportJSONforStyle(*project->style());

    testing::RandomProject(other, 9).build(30);
    Project* target = other.fetch<Project>().back();
    Style* previous = target->style();
    std::map<const Record*, std::string> before;
    for (Entity e : {Entity::ATask, Entity::Resource, Entity::Project, Entity::Calandar})
        for (Record* r : other.fetchAll(e))
            before[r] = snapshot(*r);
    const std::size_t colours = other.count(Entity::Colour);

    ASSERT_TRUE(JSONImport().setStyleFromJSON(text, *target));
    other.deleteRecord(previous);
    Style* moved = target->style();
    ASSERT_NE(moved, nullptr);
    EXPECT_NE(moved, previous);
    EXPECT_EQ(moved->project(), target);
    EXPECT_TRUE(moved->barRounded());
    EXPECT_EQ(moved->valueAtPath("colours.task.red"), Value{0.75f});
    EXPECT_EQ(moved->valueAtPath("taskLabels.font"), Value{std::string("DejaVu Sans")});
    EXPECT_EQ(moved->valueAtPath("shadowStyle.x"), Value{3.0f});
    EXPECT_EQ(other.count(Entity::Colour), colours + 2);
    for (const auto& [record, snap] : before) {
        if (record == target)
            continue;
        EXPECT_EQ(snapshot(*record), snap) << record->schema().name;
    }
}

TEST_F(StyleFileTest, StyleThatDoesNotParseOrHoldsNoStyleChangesNothing) {
    Style* style = styleTree(*otherProject, 0.5f);
    const std::string before = save(other);
    JSONImport importer;
    EXPECT_FALSE(importer.setStyleFromJSON(R"({"Style":{"1":{"UUID":"1"}})", *otherProject));
    EXPECT_EQ(importer.error()->message(), "End of input while parsing object");
    EXPECT_FALSE(
        importer.setStyleFromJSON(R"({"Colour":{"1":{"UUID":"1"}},"Style":[]})", *otherProject));
    EXPECT_FALSE(importer.error().has_value());
    EXPECT_FALSE(importer.setStyleFromJSON("[]", *otherProject));
    EXPECT_EQ(otherProject->style(), style);
    EXPECT_EQ(save(other), before);
}

TEST_F(StyleFileTest, ColourReferencesToTheExportingDocumentAreSkipped) {
    const std::string text = R"({"Style":{"4":{"UUID":"4","atttributes":{"horizLines":true},
        "relations":{"colours":"5","project":"0"}}},
        "StyleColours":{"5":{"UUID":"5","relations":{"task":"6","background":"0"}}},
        "Colour":{"6":{"UUID":"6","atttributes":{"red":1},"relations":{"task":"0"}},
                  "7":{"UUID":"7","relations":{"task":"4","resource":"1"}}}})";
    ATask* t = task("Keep", 0);
    ASSERT_TRUE(JSONImport().setStyleFromJSON(text, *project));
    EXPECT_EQ(t->colour(), nullptr);
    const Style* style = project->style();
    EXPECT_TRUE(style->horizLines());
    EXPECT_EQ(style->valueAtPath("colours.task.red"), Value{1.0f});
    EXPECT_EQ(style->recordAtPath("colours.background"), nullptr);
    for (Colour* c : store.fetch<Colour>())
        EXPECT_EQ(c->task(), nullptr);
}

} // namespace
} // namespace mapolt
