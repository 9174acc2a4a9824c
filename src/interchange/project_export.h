#pragma once

#include "interchange/json_export.h"
#include "interchange/xml_stream_writer.h"
#include "model/date.h"

#include <string>

namespace mapolt {

class TaskLengthCalc;

// Writes a document as a project XML file (Microsoft Project's interchange schema). Record
// numbers come from the plan file's numbering; the project summary task takes UID 0, so every
// record's UID is its number plus one.
class ProjectExport : public JSONExport {
  public:
    static constexpr const char* kNamespace = "http://schemas.microsoft.com/project";

    // The whole file as text; task lengths come from the engine.
    std::string exportProject(Store& context, TaskLengthCalc& engine);
    // The same, handed to `sink` piece by piece as it is made; false when the sink failed.
    bool exportProject(Store& context, TaskLengthCalc& engine, const XmlStreamWriter::Sink& sink);

    // "yyyy-MM-dd'T'HH:mm:ss" in local time.
    static std::string formatDateTime(Date d);
    // Work hours in the schema's duration form, PT16H0M0S.
    static std::string formatDuration(float hours);
};

} // namespace mapolt
