#pragma once

#include "interchange/json_error.h"
#include "interchange/json_value.h"
#include "model/entities.h"
#include "model/store.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace mapolt {

// Turns the text of a plan file or a style file into new records of a store and links
// them. One object serves one call. Records are created with primitive attribute writes
// (a task's name goes through its setter first), so values read back win over setter side
// effects; relationships are set through the store and so keep both ends. The caller
// decides whether the work is undoable (a document that opens a file pauses undo).
class JSONImport {
  public:
    // Creates the records of a plan file in `context`. False when the text does not parse:
    // nothing is created, the outermost message goes to the diagnostic log and error()
    // holds the whole error. False too when a number lies outside its attribute's range:
    // problem() then names the attribute, and the records made are not to be used.
    bool createModelFromJSON(std::string_view text, Store& context);
    // Creates the records of a style file in the project's store and makes its Style the
    // project's style; the caller deletes the previous style. False, with nothing changed,
    // when the text does not parse or holds no Style record.
    bool setStyleFromJSON(std::string_view text, Project& project);

    // Why the last call failed to parse; none when it parsed.
    const std::optional<JsonError>& error() const { return error_; }
    // Why the last call refused a text that parsed; none when it did not.
    const std::optional<std::string>& problem() const { return problem_; }

  private:
    // Pass 1 for one entity member: creates and fills its records; returns the last one.
    Record* createMOForJSON(const JsonValue& member, Store& context, Entity entity);
    // Pass 2: links every record created in pass 1.
    void createRelationsForJSON();
    Record* getObjectForId(const JsonValue& id) const;
    void setType(const AttributeDesc& a, const JsonValue& value, Record& r);
    void readAttributes(const JsonValue& attributes, Record& r);
    bool inRange(const AttributeDesc& a, const JsonNumber& n, const Record& r);
    void enterId(const JsonValue& id, Record* r);
    // Sizes the table for the records of `entities` in `root`.
    void prepareTable(const JsonValue& root, const std::vector<Entity>& entities);
    void forget();

    // UUIDs as this program writes them (small decimal numbers) index a vector; any other
    // string goes to the map.
    std::vector<Record*> serialIds_;
    std::unordered_map<std::string_view, Record*> otherIds_;
    std::vector<std::pair<const JsonValue*, Record*>> created_;
    std::optional<JsonError> error_;
    std::optional<std::string> problem_;
};

} // namespace mapolt
