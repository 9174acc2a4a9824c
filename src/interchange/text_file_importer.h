#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace mapolt {

class ATask;
class Store;
class TaskHelper;

// Adds tasks from a tab-separated text file: field 0 the group, 1 the task, 3 the duration in
// working days, 4 (optional) the percent complete. Every group becomes a top-level task at
// the end of the outline holding its lines' tasks.
class TextFileImporter {
  public:
    explicit TextFileImporter(TaskHelper& helper) : helper_(helper) {}

    // The number of tasks added, groups included; 0 when the file cannot be read or is no
    // UTF-8 text.
    std::size_t importFromFile(const std::filesystem::path& path);
    std::size_t importFromText(std::string_view text);

  private:
    TaskHelper& helper_;
    std::map<std::string, ATask*, std::less<>> groups_;
};

} // namespace mapolt
