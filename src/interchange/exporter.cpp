#include "interchange/exporter.h"

#include "interchange/html_exporter.h"
#include "interchange/ics_exporter.h"
#include "interchange/mail_launcher.h"
#include "interchange/text_file_exporter.h"
#include "model/entities.h"
#include "model/filters.h"
#include "model/store.h"
#include "table/column_controller.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace mapolt {

namespace {

std::uint64_t fnv1a(std::uint64_t hash, std::string_view text) {
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ull;
    }
    return hash ^ 0xff;
}

Date plusWholeDays(Date start, float days) {
    if (!std::isfinite(days))
        return start;
    return civil::addDaysKeepingTime(
        start, static_cast<int>(std::trunc(std::clamp(days, -4.0e6f, 4.0e6f))));
}

} // namespace

Exporter::Exporter(Store& context, ColumnController* columns, FileWriter fileWriter)
    : context_(context), columns_(columns), fileWriter_(std::move(fileWriter)) {}

Project* Exporter::project() const {
    return context_.fetchFirst<Project>({}, {});
}

std::unique_ptr<TaskListWriter> Exporter::makeWriter(int type) const {
    switch (type) {
    case 1:
        return std::make_unique<ICSExporter>(fileWriter_);
    case 2:
        return std::make_unique<HTMLExporter>(fileWriter_);
    default:
        return std::make_unique<TextFileExporter>(fileWriter_);
    }
}

void Exporter::emailTaskList(MailLauncher& launcher, const std::filesystem::path& folder) {
    for (Resource* r : context_.fetch<Resource>())
        exportToMail(r, 1, launcher, folder);
}

Date Exporter::startDateForTask(const ATask* task) const {
    const Project* p = project();
    return plusWholeDays(p != nullptr ? p->startDate() : Date{}, task->daysFromStart());
}

Date Exporter::endDateForTask(const ATask* task) const {
    const Project* p = project();
    return plusWholeDays(p != nullptr ? p->startDate() : Date{},
                         task->daysFromStart() + task->elapsedTime());
}

std::string Exporter::taskText(const ATask* task) const {
    std::string text = task->name();
    if (options_.superNames) {
        std::size_t guard = context_.count(Entity::ATask);
        for (const ATask* p = task->superTask(); p != nullptr && guard-- > 0; p = p->superTask())
            text = p->name() + " - " + text;
    }
    return text;
}

std::string Exporter::eventIdentity(const ATask* task, const Resource* resource) const {
    const Project* p = project();
    std::uint64_t hash = 0xcbf29ce484222325ull;
    hash = fnv1a(hash, p != nullptr ? p->name() : std::string());
    hash = fnv1a(hash, std::to_string(p != nullptr ? p->startDate().seconds : 0.0));
    hash = fnv1a(hash, task->uid.absent() ? "name:" + task->name() : std::to_string(task->uid()));
    hash = fnv1a(hash, resource != nullptr ? resource->name() : std::string());
    char buf[32];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(hash));
    return std::string(buf) + "@mapolt";
}

std::string Exporter::exportTaskList(const std::optional<std::filesystem::path>& folder,
                                     Resource* forResource) {
    if (!exporter_)
        exporter_ = makeWriter(options_.expType);
    TaskListWriter& w = *exporter_;
    if (folder)
        w.setPath(*folder);
    w.startResource(forResource->name(), folder.has_value(), true);

    std::vector<ATaskResource*> assignments = context_.fetch<ATaskResource>(
        [forResource](const ATaskResource& a) {
            return a.resource() == forResource && a.task() != nullptr;
        },
        [this](const ATaskResource& a, const ATaskResource& b) {
            return options_.order == 0 ? a.task()->viewOrder() < b.task()->viewOrder()
                                       : a.task()->daysFromStart() < b.task()->daysFromStart();
        });
    const std::vector<TableColumn*> none;
    const std::vector<TableColumn*>& columns =
        columns_ != nullptr ? columns_->getActiveColumns() : none;

    w.addColumnHeader("Task");
    if (!columns.empty()) {
        w.colSeperator();
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (i > 0)
                w.colSeperator();
            w.addColumnHeader(columns[i]->description());
        }
    }
    if (dynamic_cast<TextFileExporter*>(&w) != nullptr)
        w.endColumn();

    auto* ics = dynamic_cast<ICSExporter*>(&w);
    for (ATaskResource* a : assignments) {
        ATask* task = a->task();
        if (task->name.absent())
            continue;
        if (ics != nullptr)
            ics->setEventIdentity(eventIdentity(task, forResource));
        w.setTaskName(taskText(task));
        w.setStartDate(startDateForTask(task));
        w.setDuration(task->elapsedTime());
        w.setEndDate(endDateForTask(task));
        if (!columns.empty()) {
            w.colSeperator();
            for (std::size_t i = 0; i < columns.size(); ++i) {
                if (i > 0)
                    w.colSeperator();
                w.addColumnDetail(columns[i]->stringValueForItem(task).value_or(""));
            }
        }
        w.endColumn();
    }
    w.endResource();
    return w.getData();
}

void Exporter::exportTaskList(const std::optional<std::filesystem::path>& folder) {
    for (Resource* r : context_.fetch<Resource>()) {
        exportTaskList(folder, r);
        exporter_->cleanUp();
    }
}

void Exporter::doExport(const std::filesystem::path& folder) {
    exporter_ = makeWriter(options_.expType);
    exportTaskList(folder);
    exporter_.reset();
}

std::string Exporter::exportToString(Resource* resource) {
    std::unique_ptr<TaskListWriter> previous = std::move(exporter_);
    exporter_ = makeWriter(2);
    std::string html = exportTaskList(std::nullopt, resource);
    exporter_ = std::move(previous);
    return html;
}

bool Exporter::exportToMail(Resource* resource, int type, MailLauncher& launcher,
                            const std::filesystem::path& folder) {
    std::unique_ptr<TaskListWriter> previous = std::move(exporter_);
    exporter_ = makeWriter(type);
    exporter_->setSeperator("\t");
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    exportTaskList(folder, resource);
    const std::filesystem::path file = exporter_->getFname();
    exporter_ = std::move(previous);
    if (!std::filesystem::exists(file, ec))
        return false;
    const bool composed =
        launcher.composeMessage("Task List", resource->name(), resource->email(), file);
    if (!launcher.readsAttachmentLater())
        std::filesystem::remove(file, ec);
    return composed;
}

} // namespace mapolt
