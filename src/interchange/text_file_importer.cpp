#include "interchange/text_file_importer.h"

#include "interchange/input_file.h"
#include "interchange/project_importer.h"
#include "interchange/utf8_text.h"
#include "model/entities.h"
#include "model/notification_center.h"
#include "model/store.h"
#include "model/task_helper.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

namespace mapolt {

namespace {

constexpr std::string_view kNoName = "No Name";

// Beyond this a duration is no number of working days but damage (and its hours would
// overflow a float).
constexpr double kMaxDays = 1.0e6;

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t begin = 0;
    while (true) {
        const std::size_t end = text.find(separator, begin);
        parts.push_back(text.substr(begin, end == std::string_view::npos ? std::string_view::npos
                                                                         : end - begin));
        if (end == std::string_view::npos)
            return parts;
        begin = end + 1;
    }
}

std::string orNoName(std::string_view field) {
    return std::string(field.empty() ? kNoName : field);
}

} // namespace

std::size_t TextFileImporter::importFromFile(const std::filesystem::path& path) {
    problem_.clear();
    std::string text;
    if (const std::string reason = readRegularFile(path, text); !reason.empty()) {
        problem_ = "Could not import \"" + path.string() + "\": " + reason;
        return 0;
    }
    const std::size_t added = importFromText(text);
    if (!problem_.empty())
        problem_ = "Could not import \"" + path.string() + "\": " + problem_;
    return added;
}

std::size_t TextFileImporter::importFromText(std::string_view text) {
    problem_.clear();
    if (const std::optional<Utf8Fault> fault = findUtf8Fault(text)) {
        problem_ = describe(*fault);
        return 0;
    }
    groups_.clear();
    std::vector<std::vector<std::string_view>> lines;
    std::size_t lineNumber = 0;
    for (std::string_view line : split(text, '\n')) {
        ++lineNumber;
        // A line with fewer than four fields names no task (the empty line after the last
        // line feed among them); it makes neither a task nor a group.
        std::vector<std::string_view> fields = split(line, '\t');
        if (fields.size() < 4)
            continue;
        if (std::abs(leadingNumber(fields[3])) > kMaxDays) {
            problem_ = "the duration at line " + std::to_string(lineNumber) + " is out of range";
            return 0;
        }
        lines.push_back(std::move(fields));
    }
    UndoCommandGroup command(helper_.context().undoManager());
    // One renumbering of the rows at the end, and the last tasks kept at hand: adding a
    // line costs the same however many came before it.
    TaskHelper::ReIndexBatch batch(helper_);
    std::unordered_map<ATask*, ATask*> lastChild;
    ATask* lastTop = helper_.getLastTask();
    std::size_t added = 0;
    for (const auto& fields : lines) {
        const std::string group = orNoName(fields[0]);
        if (groups_.count(group) != 0)
            continue;
        ATask* task = helper_.addEndTaskAfter(lastTop, -1.0f);
        lastTop = task;
        task->setName(group);
        groups_[group] = task;
        lastChild[task] = nullptr;
        ++added;
    }
    for (const auto& fields : lines) {
        ATask* parent = groups_.find(orNoName(fields[0]))->second;
        ATask*& previous = lastChild[parent];
        ATask* task = helper_.addTaskSuperTask2(parent, previous);
        previous = task;
        task->setName(orNoName(fields[1]));
        const auto days = static_cast<float>(leadingNumber(fields[3]));
        const float hours = days * 8.0f;
        task->set(&ATask::hours, hours == 0.0f ? 2.0f : hours);
        if (fields.size() > 4)
            task->setPrimitive(&ATask::percComp, static_cast<float>(std::clamp(
                                                     leadingNumber(fields[4]), 0.0, 100.0)));
        ++added;
    }
    NotificationCenter::defaultCenter().post(kProjectChanged, this, &helper_.context());
    return added;
}

} // namespace mapolt
