#include "interchange/text_file_importer.h"

#include "interchange/project_importer.h"
#include "model/entities.h"
#include "model/notification_center.h"
#include "model/store.h"
#include "model/task_helper.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

namespace mapolt {

namespace {

constexpr std::string_view kNoName = "No Name";

bool isUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        const int extra = c < 0x80           ? 0
                          : (c >> 5) == 0x6  ? 1
                          : (c >> 4) == 0xE  ? 2
                          : (c >> 3) == 0x1E ? 3
                                             : -1;
        if (extra < 0 || (extra == 1 && c < 0xC2) ||
            i + static_cast<std::size_t>(extra) >= s.size() + (extra == 0))
            return false;
        for (int k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]) & 0xC0) != 0x80)
                return false;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

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
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return 0;
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return importFromText(text);
}

std::size_t TextFileImporter::importFromText(std::string_view text) {
    if (!isUtf8(text))
        return 0;
    groups_.clear();
    std::vector<std::vector<std::string_view>> lines;
    for (std::string_view line : split(text, '\n')) {
        // A line with fewer than four fields names no task (the empty line after the last
        // line feed among them); it makes neither a task nor a group.
        std::vector<std::string_view> fields = split(line, '\t');
        if (fields.size() >= 4)
            lines.push_back(std::move(fields));
    }
    UndoCommandGroup command(helper_.context().undoManager());
    std::size_t added = 0;
    for (const auto& fields : lines) {
        const std::string group = orNoName(fields[0]);
        if (groups_.count(group) != 0)
            continue;
        ATask* task = helper_.addEndTask(-1.0f);
        task->setName(group);
        groups_[group] = task;
        ++added;
    }
    for (const auto& fields : lines) {
        ATask* parent = groups_[orNoName(fields[0])];
        ATask* task = helper_.addTaskSuperTask2(parent);
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
