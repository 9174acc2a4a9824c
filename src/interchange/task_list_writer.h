#pragma once

#include "model/date.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace mapolt {

// Writes `bytes` as the whole file at `path`; false, with `error` naming the file and the
// reason, when it cannot.
using FileWriter = std::function<bool(const std::filesystem::path& path, std::string_view bytes,
                                      std::string& error)>;
// Replaces the file with a plain write; the document layer passes an atomic writer instead.
bool writeWholeFile(const std::filesystem::path& path, std::string_view bytes, std::string& error);

// One format of task list. The exporter drives every writer through the same steps; a writer
// ignores the ones its format has no use for.
class TaskListWriter {
  public:
    explicit TaskListWriter(FileWriter fileWriter = writeWholeFile)
        : fileWriter_(std::move(fileWriter)) {}
    virtual ~TaskListWriter() = default;

    void setPath(std::filesystem::path folder) { path_ = std::move(folder); }
    virtual void setSeperator(std::string) {}
    virtual void startResource(const std::string& name, bool toFile, bool withContainer) = 0;
    virtual void addColumnHeader(const std::string& text) = 0;
    virtual void colSeperator() {}
    virtual void setTaskName(const std::string& text) = 0;
    virtual void setStartDate(Date) {}
    virtual void setDuration(double) {}
    virtual void setEndDate(Date) {}
    virtual void addColumnDetail(const std::string& text) = 0;
    virtual void endColumn() = 0;
    // Finishes the buffer and writes it to the file, if there is one; a file that cannot be
    // written is skipped.
    virtual void endResource();
    const std::filesystem::path& getFname() const { return fname_; }
    const std::string& getData() const { return data_; }
    virtual void cleanUp() {}

    // The file of a resource's list in the folder: "/" cannot be part of a file name, so a
    // resource named "a/b" writes "a_bTasks.csv" rather than a file in another folder.
    std::filesystem::path fileFor(const std::string& name, std::string_view suffix) const;

  protected:
    std::filesystem::path path_;
    std::filesystem::path fname_;
    std::string data_;
    FileWriter fileWriter_;
};

} // namespace mapolt
