#include "plan_generator.h"

#include "model/entities.h"
#include "model/preferences.h"
#include "model/task_helper.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace mapolt::bench {

namespace {

class Generator {
  public:
    Generator(Store& store, std::uint32_t seed) : store_(store), rng_(seed) {}

    void build(int taskCount) {
        project_ = store_.insert<Project>();
        project_->set(&Project::name, std::string("Generated plan"));
        project_->set(&Project::startDate, civil::fromYmd(2026, 1, 5));
        project_->set(&Project::dayWidth, 18.0f);
        project_->set(&Project::uid, taskCount);
        base_ = calendar("Base", nullptr);
        project_->set(&Project::cal, base_);
        buildTasks(taskCount);
        buildLinks();
        buildResources(std::max(10, taskCount / 100));
        buildMilestones(std::max(1, taskCount / 500));
        buildDocumentRecords();
        buildStyle();
    }

  private:
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    Colour* colour(float r, float g, float b) {
        auto* c = store_.insert<Colour>();
        c->set(&Colour::red, r);
        c->set(&Colour::green, g);
        c->set(&Colour::blue, b);
        c->set(&Colour::alpha, 1.0f);
        return c;
    }

    Calandar* calendar(const std::string& name, Calandar* parent) {
        static const char* const kDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};
        auto* cal = store_.insert<Calandar>();
        cal->set(&Calandar::name, name);
        cal->set(&Calandar::isBase, parent == nullptr);
        cal->set(&Calandar::superCalandar, parent);
        for (int d = 0; d < 7; ++d) {
            auto* w = store_.insert<Week>();
            w->set(&Week::viewOrder, d);
            w->set(&Week::day, std::string(kDays[d]));
            w->set(&Week::hours, d == 0 || d == 6 ? 0.0 : 8.0);
            w->set(&Week::cal, cal);
        }
        for (int i = parent == nullptr ? 10 : below(3); i > 0; --i) {
            auto* day = store_.insert<Day>();
            day->set(&Day::date, civil::addDays(project_->startDate(), below(365)));
            day->set(&Day::hours, 0.0f);
            day->set(&Day::reason, std::string("Holiday"));
            day->set(&Day::cal, cal);
        }
        return cal;
    }

    void buildTasks(int n) {
        const int groupSize = std::max(2, n / 100);
        ATask* summary = nullptr;
        ATask* previousChild = nullptr;
        float day = 0;
        for (int i = 0; i < n; ++i) {
            auto* t = store_.insert<ATask>();
            t->setName("Task " + std::to_string(i + 1) + " of the generated plan");
            t->set(&ATask::uid, i + 1);
            t->set(&ATask::project, project_);
            t->set(&ATask::lockedStart, false);
            t->set(&ATask::adjustElapsed, true);
            t->set(&ATask::adjustHours, false);
            t->set(&ATask::daysTillEnd, 1.0f);
            t->set(&ATask::endDisplayDays, 1.0f);
            if (i % groupSize == 0) {
                t->set(&ATask::prevSibling, summary);
                t->set(&ATask::isExpanded, true);
                summary = t;
                previousChild = nullptr;
            } else {
                const float elapsed = static_cast<float>(1 + below(5));
                t->set(&ATask::hours, elapsed * 8.0f);
                t->set(&ATask::elapsedTime, elapsed);
                t->set(&ATask::daysFromStart, day);
                t->set(&ATask::percComp, static_cast<float>(below(5) * 25));
                t->set(&ATask::superTask, summary);
                t->set(&ATask::prevSibling, previousChild);
                previousChild = t;
                day += 0.5f;
                leaves_.push_back(t);
            }
        }
        MemoryPreferences preferences;
        TaskHelper(store_, project_, preferences).reIndexProject();
    }

    // Predecessors come from the 50 tasks before, so the graph has no cycle.
    void buildLinks() {
        for (std::size_t i = 1; i < leaves_.size(); ++i) {
            const int count = below(4) == 0 ? 0 : 1 + below(2) + (below(4) == 0 ? 1 : 0);
            for (int k = 0; k < count; ++k) {
                const std::size_t back = 1 + static_cast<std::size_t>(below(50));
                if (back > i)
                    continue;
                auto* link = store_.insert<DepLink>();
                link->set(&DepLink::sticky, false);
                link->set(&DepLink::daysBetween, 0.0);
                link->set(&DepLink::dependTask, leaves_[i - back]);
                link->set(&DepLink::dependeeTask, leaves_[i]);
            }
        }
    }

    void buildResources(int count) {
        std::vector<Resource*> resources;
        for (int i = 0; i < count; ++i) {
            auto* r = store_.insert<Resource>();
            r->setName("Person " + std::to_string(i + 1));
            r->set(&Resource::email, "person" + std::to_string(i + 1) + "@example.org");
            r->set(&Resource::hourlyRate, 40.0f + static_cast<float>(below(40)));
            r->set(&Resource::colour, colour(0.2f, 0.4f, 0.6f));
            auto* cal = calendar("Person " + std::to_string(i + 1), base_);
            cal->set(&Calandar::resource, r);
            resources.push_back(r);
        }
        for (ATask* t : leaves_) {
            for (int k = below(10) < 3 ? 2 : 1; k > 0; --k) {
                Resource* r = resources[static_cast<std::size_t>(below(count))];
                auto* a = store_.insert<ATaskResource>();
                a->set(&ATaskResource::perc, 100.0f);
                a->set(&ATaskResource::task, t);
                a->set(&ATaskResource::resource, r);
                for (int d = 0; d < static_cast<int>(t->elapsedTime()); ++d) {
                    auto* u = store_.insert<AResourceUsage>();
                    u->set(&AResourceUsage::daysFromStart,
                           t->daysFromStart() + static_cast<float>(d));
                    u->set(&AResourceUsage::hours, 8.0f);
                    u->set(&AResourceUsage::usedHours, 8.0f);
                    u->set(&AResourceUsage::taskResource, a);
                    u->set(&AResourceUsage::resource, r);
                }
            }
        }
    }

    void buildMilestones(int count) {
        for (int i = 0; i < count && !leaves_.empty(); ++i) {
            auto* m = store_.insert<MileStone>();
            m->set(&MileStone::name, "Milestone " + std::to_string(i + 1));
            m->set(&MileStone::project, project_);
            m->set(&MileStone::colour, colour(0.9f, 0.1f, 0.1f));
            for (int k = 0; k < 3; ++k)
                m->addTo(
                    &MileStone::tasks,
                    leaves_[static_cast<std::size_t>(below(static_cast<int>(leaves_.size())))]);
        }
    }

    void buildDocumentRecords() {
        static const char* const kColumns[] = {"No",    "Name",     "Hours",  "Elapsed",
                                               "Start", "End",      "Perc",   "Resources",
                                               "Cost",  "Critical", "Locked", "Notes"};
        int order = 0;
        for (const char* name : kColumns) {
            auto* c = store_.insert<ColumnStates>();
            c->set(&ColumnStates::name, std::string(name));
            c->set(&ColumnStates::viewOrder, order++);
            c->set(&ColumnStates::active, order < 8);
            c->set(&ColumnStates::width, 80.0f);
            c->set(&ColumnStates::project, project_);
        }
        auto* print = store_.insert<PrintSettings>();
        print->set(&PrintSettings::landscape, true);
        print->set(&PrintSettings::scale, 100.0f);
        print->set(&PrintSettings::project, project_);
        auto* baseline = store_.insert<Baseline>();
        baseline->set(&Baseline::baselineDate, civil::fromYmd(2026, 1, 2));
        baseline->set(&Baseline::startDate, project_->startDate());
        baseline->set(&Baseline::totalTaskTime, 12345.5f);
        baseline->set(&Baseline::project, project_);
    }

    void buildStyle() {
        auto* style = store_.insert<Style>();
        style->set(&Style::horizLines, true);
        style->set(&Style::barRounded, true);
        style->set(&Style::coverOpacity, 0.3f);
        for (auto member : {&Style::taskList, &Style::taskLabels, &Style::resourceLabels,
                            &Style::milestoneLabels}) {
            auto* e = store_.insert<StyleElement>();
            e->set(&StyleElement::font, std::string("DejaVu Sans"));
            e->set(&StyleElement::size, 11.0);
            e->set(&StyleElement::position, 1);
            style->set(member, e);
        }
        auto* colours = store_.insert<StyleColours>();
        const std::vector<RelationshipDesc>& slots = colours->schema().relationships;
        for (std::size_t i = 0; i < slots.size(); ++i)
            if (slots[i].target == Entity::Colour)
                colours->setRelationship(i, colour(0.8f, 0.8f, 0.8f));
        style->set(&Style::colours, colours);
        auto* shadow = store_.insert<StyleShadow>();
        shadow->set(&StyleShadow::x, 2.0f);
        shadow->set(&StyleShadow::y, -2.0f);
        shadow->set(&StyleShadow::blur, 3.0f);
        shadow->set(&StyleShadow::colour, colour(0, 0, 0));
        style->set(&Style::shadowStyle, shadow);
        auto* margins = store_.insert<StyleMargin>();
        margins->set(&StyleMargin::top, 3.0f);
        margins->set(&StyleMargin::bottom, 3.0f);
        margins->set(&StyleMargin::height, 13.0f);
        style->set(&Style::margins, margins);
        project_->set(&Project::style, style);
    }

    Store& store_;
    std::mt19937 rng_;
    Project* project_ = nullptr;
    Calandar* base_ = nullptr;
    std::vector<ATask*> leaves_;
};

} // namespace

std::unique_ptr<Store> generatePlan(int tasks, std::uint32_t seed) {
    auto store = std::make_unique<Store>();
    {
        UndoRegistrationPause pause(store->undoManager());
        Generator(*store, seed).build(tasks);
    }
    store->flushPendingChanges();
    store->undoManager().removeAllActions();
    return store;
}

} // namespace mapolt::bench
