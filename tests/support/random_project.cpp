#include "support/random_project.h"

#include "model/preferences.h"
#include "model/task_helper.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <vector>

namespace mapolt::testing {

std::string RandomProject::randomString() {
    static const std::array<std::string, 12> pieces = {"Task",
                                                       " ",
                                                       "\"",
                                                       "\\",
                                                       "\t",
                                                       "\n",
                                                       "\x01",
                                                       std::string(1, '\0'),
                                                       "\xc3\xa9",
                                                       "\xe2\x82\xac",
                                                       "\xf0\x9f\x98\x80",
                                                       "/"};
    std::string s;
    const int n = below(6);
    for (int i = 0; i < n; ++i)
        s += pieces[static_cast<std::size_t>(below(static_cast<int>(pieces.size())))];
    return s;
}

Value RandomProject::randomValue(AttrType type) {
    switch (type) {
    case AttrType::String:
        return randomString();
    case AttrType::Int:
        return static_cast<std::int32_t>(rng_());
    case AttrType::Bool:
        return chance(50);
    case AttrType::Float: {
        if (chance(50))
            return static_cast<float>(below(4000)) / 8.0f;
        float f = std::bit_cast<float>(static_cast<std::uint32_t>(rng_()));
        return std::isfinite(f) ? f : 1.5f;
    }
    case AttrType::Decimal: {
        if (chance(50))
            return static_cast<double>(below(200) - 100) / 4.0;
        const std::uint64_t bits = (static_cast<std::uint64_t>(rng_()) << 32) | rng_();
        const double d = std::bit_cast<double>(bits);
        return std::isfinite(d) ? d : 0.1;
    }
    case AttrType::Date:
        return civil::fromYmd(1990 + below(60), 1 + below(12), 1 + below(28), below(24), below(60));
    }
    return {};
}

void RandomProject::randomAttributes(Record& r) {
    for (const AttributeDesc& a : r.schema().attributes)
        if (!chance(25))
            a.write(r, randomValue(a.type));
}

Colour* RandomProject::colour() {
    auto* c = store_.insert<Colour>();
    randomAttributes(*c);
    return c;
}

Calandar* RandomProject::calendar(Calandar* parent) {
    auto* cal = store_.insert<Calandar>();
    randomAttributes(*cal);
    cal->set(&Calandar::superCalandar, parent);
    for (int d = 0; d < 7; ++d) {
        auto* w = store_.insert<Week>();
        randomAttributes(*w);
        w->set(&Week::cal, cal);
    }
    for (int i = below(4); i > 0; --i) {
        auto* day = store_.insert<Day>();
        randomAttributes(*day);
        day->set(&Day::cal, cal);
    }
    return cal;
}

Project* RandomProject::build(int taskCount) {
    auto* project = store_.insert<Project>();
    randomAttributes(*project);

    std::vector<ATask*> tasks;
    for (int i = 0; i < taskCount; ++i) {
        auto* t = store_.insert<ATask>();
        randomAttributes(*t);
        // The name setter never stores an empty name: that is a blank row.
        if (chance(15) || t->name().empty())
            t->setPrimitive(&ATask::name, std::nullopt);
        else if (t->hours.absent())
            t->setPrimitive(&ATask::hours, 8.0f);
        // Written to the file but never read back, so nothing sets it.
        t->setPrimitive(&ATask::resText, std::nullopt);
        t->setPrimitive(&ATask::percComp, static_cast<float>(below(101)));
        t->setPrimitive(&ATask::invalid, chance(50));
        t->set(&ATask::project, project);
        if (chance(20))
            t->set(&ATask::colour, colour());
        tasks.push_back(t);
    }
    // The outline: a random forest over a shuffled order, each parent's children chained.
    std::vector<ATask*> order = tasks;
    std::shuffle(order.begin(), order.end(), rng_);
    std::vector<ATask*> lastChild(order.size(), nullptr);
    ATask* lastTop = nullptr;
    for (std::size_t i = 0; i < order.size(); ++i) {
        ATask* t = order[i];
        if (i > 0 && chance(60)) {
            const auto p = static_cast<std::size_t>(below(static_cast<int>(i)));
            t->set(&ATask::superTask, order[p]);
            t->set(&ATask::prevSibling, lastChild[p]);
            lastChild[p] = t;
        } else {
            t->set(&ATask::prevSibling, lastTop);
            lastTop = t;
        }
    }
    MemoryPreferences preferences;
    TaskHelper(store_, project, preferences).reIndexProject();

    for (int i = taskCount > 1 ? taskCount : 0; i > 0; --i) {
        if (!chance(70))
            continue;
        auto* link = store_.insert<DepLink>();
        randomAttributes(*link);
        link->set(&DepLink::dependTask, tasks[static_cast<std::size_t>(below(taskCount))]);
        link->set(&DepLink::dependeeTask, tasks[static_cast<std::size_t>(below(taskCount))]);
    }

    Calandar* base = calendar(nullptr);
    project->set(&Project::cal, base);
    std::vector<Resource*> resources;
    for (int i = 0; i < 3 + taskCount / 20; ++i) {
        auto* res = store_.insert<Resource>();
        randomAttributes(*res);
        res->setPrimitive(&Resource::initials, Resource::initialsFor(res->name()));
        res->set(&Resource::cal, calendar(base));
        if (chance(50))
            res->set(&Resource::colour, colour());
        resources.push_back(res);
    }
    for (ATask* t : tasks) {
        for (int k = below(3); k > 0; --k) {
            auto* a = store_.insert<ATaskResource>();
            randomAttributes(*a);
            Resource* res =
                resources[static_cast<std::size_t>(below(static_cast<int>(resources.size())))];
            a->set(&ATaskResource::task, t);
            a->set(&ATaskResource::resource, res);
            for (int d = below(4); d > 0; --d) {
                auto* u = store_.insert<AResourceUsage>();
                randomAttributes(*u);
                u->set(&AResourceUsage::taskResource, a);
                u->set(&AResourceUsage::resource, res);
            }
        }
    }
    for (int i = taskCount > 0 ? 1 + below(4) : 0; i > 0; --i) {
        auto* m = store_.insert<MileStone>();
        randomAttributes(*m);
        m->set(&MileStone::project, project);
        m->set(&MileStone::colour, colour());
        for (int k = below(4); k > 0; --k)
            m->addTo(&MileStone::tasks, tasks[static_cast<std::size_t>(below(taskCount))]);
    }
    for (int i = 0; i < 4; ++i) {
        auto* c = store_.insert<ColumnStates>();
        randomAttributes(*c);
        c->set(&ColumnStates::project, project);
    }
    auto* print = store_.insert<PrintSettings>();
    randomAttributes(*print);
    print->set(&PrintSettings::project, project);
    auto* baseline = store_.insert<Baseline>();
    randomAttributes(*baseline);
    baseline->set(&Baseline::project, project);

    auto* style = store_.insert<Style>();
    randomAttributes(*style);
    project->set(&Project::style, style);
    const auto element = [&]() {
        auto* e = store_.insert<StyleElement>();
        randomAttributes(*e);
        return e;
    };
    style->set(&Style::taskList, element());
    style->set(&Style::taskLabels, element());
    style->set(&Style::resourceLabels, element());
    style->set(&Style::milestoneLabels, element());
    auto* colours = store_.insert<StyleColours>();
    style->set(&Style::colours, colours);
    const std::vector<RelationshipDesc>& slots = colours->schema().relationships;
    for (std::size_t i = 0; i < slots.size(); ++i)
        if (slots[i].target == Entity::Colour)
            colours->setRelationship(i, colour());
    auto* shadow = store_.insert<StyleShadow>();
    randomAttributes(*shadow);
    shadow->set(&StyleShadow::colour, colour());
    style->set(&Style::shadowStyle, shadow);
    auto* margins = store_.insert<StyleMargin>();
    randomAttributes(*margins);
    style->set(&Style::margins, margins);
    return project;
}

} // namespace mapolt::testing
