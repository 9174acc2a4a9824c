#pragma once

#include "interchange/json_error.h"
#include "interchange/json_reader.h"
#include "interchange/json_value.h"
#include "model/entities.h"
#include "model/store.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <memory_resource>
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
class JSONImport : private JsonRecordHandler {
  public:
    // Creates the records of a plan file in `context`. False when the text does not parse:
    // nothing is created, the outermost message goes to the diagnostic log and error()
    // holds the whole error. False too when a number lies outside its attribute's range:
    // problem() then names the attribute, and the records made are not to be used.
    bool createModelFromJSON(std::string_view text, Store& context);
    // The same for a text read a piece at a time. Records are made as the text is read, so
    // neither a tree nor the text of the whole file is ever held beside them. False too when
    // the input fails; error() then holds its reason.
    bool createModelFromJSON(ByteSource& input, Store& context,
                             std::size_t pieceBytes = kJsonPieceBytes);
    // Creates the records of a style file in the project's store and makes its Style the
    // project's style; the caller deletes the previous style. False, with nothing changed,
    // when the text does not parse or holds no Style record.
    bool setStyleFromJSON(std::string_view text, Project& project);

    // Why the last call failed to parse; none when it parsed.
    const std::optional<JsonError>& error() const { return error_; }
    // The line, from 1, of the error's offset.
    std::size_t errorLine() const { return errorLine_; }
    // Why the last call refused a text that parsed; none when it did not.
    const std::optional<std::string>& problem() const { return problem_; }

  private:
    // A relationship of a record read, set once every record exists: sixteen bytes, as a
    // large plan holds several for each record. The target's UUID is its serial when it has
    // the form of one, else an index into `pendingTexts_`.
    struct PendingRelation {
        Record* from;
        std::uint32_t target;
        std::uint16_t relationship;
        bool element;
        bool byText;
    };
    static_assert(sizeof(PendingRelation) == 16);

    // JsonRecordHandler: records of a plan file as they are read.
    void member(std::string_view key) override;
    void record(std::string_view key, const JsonValue& value) override;

    // Pass 1 for one entity member: creates and fills its records; returns the last one.
    Record* createMOForJSON(const JsonValue& member, Store& context, Entity entity);
    Record* createOne(const JsonValue& json, Store& context, Entity entity);
    void keepRelations(const JsonValue& json, Record* r);
    // Pass 2: links every record created in pass 1.
    void createRelationsForJSON();
    static constexpr std::uint32_t kNoSerial = UINT32_MAX;
    Record* getObjectForId(std::uint32_t serial, std::string_view text) const;
    std::size_t denseLimit() const;
    void setType(const AttributeDesc& a, const JsonValue& value, Record& r);
    void readAttributes(const JsonValue& attributes, Record& r);
    bool inRange(const AttributeDesc& a, const JsonNumber& n, const Record& r);
    void enterId(const JsonValue& id, Record* r);
    std::string_view keepText(std::string_view text);
    // Records repeated under one key of an entity's object: the later one stands.
    void replaceRepeated(std::string_view key, Record* r);
    void forget();

    // UUIDs as this program writes them (small decimal numbers) index a vector; any other
    // string goes to the map.
    std::vector<Record*> serialIds_;
    std::unordered_map<std::string_view, Record*> otherIds_;
    // Deques grow without copying what they hold, so a large file never needs the room of
    // two copies of these lists at once.
    std::deque<Record*> created_;
    std::deque<PendingRelation> pending_;
    std::deque<std::string_view> pendingTexts_;
    std::unique_ptr<std::pmr::monotonic_buffer_resource> texts_;
    // While a plan file streams in: the entity of the member being read, the entities seen,
    // and the records of the member by their keys.
    Store* context_ = nullptr;
    std::optional<Entity> entity_;
    std::vector<bool> entitySeen_;
    std::vector<Record*> serialKeys_;
    std::unordered_map<std::string_view, Record*> otherKeys_;
    std::optional<JsonError> error_;
    std::size_t errorLine_ = 0;
    std::optional<std::string> problem_;
};

} // namespace mapolt
