#pragma once

#include "document/pasteboard.h"

namespace mapolt {

// The desktop clipboard: the tasks' private form under our own MIME type, the text form as
// plain text, so tasks paste into spreadsheets and between documents and processes.
class ClipboardPasteboard final : public Pasteboard {
  public:
    static constexpr char kTasksMimeType[] = "application/x-mapolt-projectmpboardtype";

    void setContents(std::vector<std::pair<std::string, std::string>> items) override;
    std::optional<std::string> dataForType(std::string_view type) const override;
};

} // namespace mapolt
