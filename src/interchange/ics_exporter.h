#pragma once

#include "interchange/task_list_writer.h"

namespace mapolt {

// iCalendar task lists ("NAMETasks.ics"), one all-day event per task, as RFC 5545 wants them:
// CRLF line ends, lines folded at 75 octets, TEXT escaped, a PRODID, and per event a UID and
// a DTSTAMP.
class ICSExporter final : public TaskListWriter {
  public:
    static constexpr const char* kProdId = "-//Kestil//Mapolt//EN";

    using TaskListWriter::TaskListWriter;

    void startResource(const std::string& name, bool toFile, bool withContainer) override;
    void addColumnHeader(const std::string&) override {}
    void setTaskName(const std::string& text) override;
    void setStartDate(Date d) override;
    void setDuration(double days) override;
    void addColumnDetail(const std::string&) override {}
    void endColumn() override;
    void endResource() override;

    // The identity of the next event, the same for the same task and resource in every export.
    void setEventIdentity(const std::string& identity) { eventIdentity_ = identity; }

    static std::string escapeText(const std::string& text);
    // One content line, folded and ended with CRLF.
    static std::string contentLine(const std::string& line);

  private:
    void line(const std::string& text) { data_ += contentLine(text); }

    std::string name_;
    std::string eventIdentity_;
    std::string stamp_;
};

} // namespace mapolt
