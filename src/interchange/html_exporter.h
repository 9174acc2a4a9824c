#pragma once

#include "interchange/task_list_writer.h"

namespace mapolt {

// HTML task lists ("NAMETasks.html"): a styled heading and table. Every text is escaped, so
// names holding markup show as typed.
class HTMLExporter final : public TaskListWriter {
  public:
    static constexpr const char* kPageHead =
        "<html><head> <meta http-equiv=\"content-type\" content=\"text/html;charset=utf-8\">";
    static const char* const kStyleBlock;

    using TaskListWriter::TaskListWriter;

    void startResource(const std::string& name, bool toFile, bool withContainer) override;
    void addColumnHeader(const std::string& text) override;
    void setTaskName(const std::string& text) override;
    void addColumnDetail(const std::string& text) override;
    void endColumn() override { data_ += "</tr>"; }
    void endResource() override;
    void cleanUp() override { data_.clear(); }

    static std::string escape(const std::string& text);

  private:
    bool container_ = false;
};

} // namespace mapolt
