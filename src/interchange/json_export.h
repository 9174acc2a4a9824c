#pragma once

#include "model/entities.h"
#include "model/store.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace mapolt {

class JsonStreamWriter;

// Turns a document's records into the text of a plan file or of a style file. One object
// serves one call: the serial numbers ("UUID"s) it hands out are valid inside one file only.
class JSONExport {
  public:
    // Every record of the document.
    std::string buildJSON(const Store& context);
    // The tree of `style` (its elements, colours, margins and shadow), numbered as in a plan
    // file of the same document, with no reference to the project.
    std::string exportJSONforStyle(const Style& style);

  protected:
    // Numbers every record, entity by entity in the file order.
    void buildObjectTable(const Store& context);
    std::optional<std::uint32_t> getIdForMO(const Record* r) const;

  private:
    void getInfoForType(JsonStreamWriter& out, std::string_view type) const;
    void createFromMO(JsonStreamWriter& out, Record& r) const;
    void getTasks(JsonStreamWriter& out, const Store& context) const;
    // The UUID-keyed object of `records`; with `ignoreOnTable`, records without a number
    // are left out.
    void getData(JsonStreamWriter& out, const std::vector<Record*>& records,
                 bool ignoreOnTable) const;

    // Record serials map to file numbers through a dense table when serials are compact,
    // else through a hash map.
    static constexpr std::uint32_t kNoId = UINT32_MAX;
    std::vector<std::uint32_t> denseIds_;
    std::unordered_map<std::uint64_t, std::uint32_t> sparseIds_;
    bool dense_ = true;
};

} // namespace mapolt
