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

    // The number of tasks added, groups included; 0, with problem() saying why, when the
    // file cannot be read, is no valid UTF-8 text or holds a duration out of range.
    std::size_t importFromFile(const std::filesystem::path& path);
    std::size_t importFromText(std::string_view text);
    // Why the last import added nothing (the file and the reason); empty after one that ran.
    const std::string& problem() const { return problem_; }

  private:
    TaskHelper& helper_;
    std::map<std::string, ATask*, std::less<>> groups_;
    std::string problem_;
};

} // namespace mapolt
