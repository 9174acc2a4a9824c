#pragma once

#include "interchange/task_list_writer.h"

namespace mapolt {

// Comma-separated task lists ("NAMETasks.csv"). A field holding the separator, a quote or a
// line break is quoted as RFC 4180 does; any other field is written as it stands.
class TextFileExporter final : public TaskListWriter {
  public:
    using TaskListWriter::TaskListWriter;

    void setSeperator(std::string separator) override { separator_ = std::move(separator); }
    void startResource(const std::string& name, bool toFile, bool withContainer) override;
    void addColumnHeader(const std::string& text) override { data_ += field(text); }
    void colSeperator() override { data_ += separator_; }
    void setTaskName(const std::string& text) override { data_ += field(text); }
    void addColumnDetail(const std::string& text) override { data_ += field(text); }
    void endColumn() override { data_ += "\n"; }

    std::string field(const std::string& text) const { return csvField(text, separator_); }

    // `text` as one field: quoted, with its quotes doubled, when it holds the separator, a
    // quote or a line break; else as it stands.
    static std::string csvField(const std::string& text, const std::string& separator);

  private:
    std::string separator_ = ",";
};

} // namespace mapolt
