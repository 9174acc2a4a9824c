#include "interchange/json_import.h"

#include "interchange/file_entities.h"
#include "interchange/json_reader.h"
#include "interchange/medium_date.h"
#include "model/diagnostic_log.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace mapolt {

namespace {

// The records of an entity member: array elements or the values of an object.
template <class F> void forEachRecord(const JsonValue& member, F&& f) {
    for (const JsonValue& v : member.elements())
        if (v.isObject())
            f(v);
    for (const JsonMember& m : member.members())
        if (m.value.isObject())
            f(m.value);
}

// A UUID is a string; a number is taken by its digits.
std::optional<std::string_view> idText(const JsonValue& v) {
    if (const auto s = v.asString())
        return s;
    if (const auto n = v.asNumber())
        return n->text();
    return std::nullopt;
}

std::optional<double> numberOf(const JsonValue& v) {
    if (const auto n = v.asNumber())
        return n->toDouble();
    if (const auto b = v.asBool())
        return *b ? 1.0 : 0.0;
    return std::nullopt;
}

// The value of a UUID written as a decimal number without leading zeros, when below `limit`.
std::optional<std::size_t> serialOf(std::string_view id, std::size_t limit) {
    if (id.empty() || id.size() > 9 || (id.size() > 1 && id[0] == '0'))
        return std::nullopt;
    std::size_t v = 0;
    for (const char c : id) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + static_cast<std::size_t>(c - '0');
    }
    if (v >= limit)
        return std::nullopt;
    return v;
}

// Files written by this program list names in schema order, so the next index is tried
// before a search.
template <class Desc>
std::ptrdiff_t indexOf(const std::vector<Desc>& list, std::string_view name, std::size_t& hint) {
    if (hint < list.size() && list[hint].name == name)
        return static_cast<std::ptrdiff_t>(hint++);
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].name == name) {
            hint = i + 1;
            return static_cast<std::ptrdiff_t>(i);
        }
    }
    return -1;
}

} // namespace

// A number outside the range of its attribute's type is refused before it is converted:
// clamped, it would overflow what is computed from it (a row number, a day count).
bool JSONImport::inRange(const AttributeDesc& a, const JsonNumber& n, const Record& r) {
    bool fits = n.fitsDouble();
    const double v = fits ? n.toDouble() : 0.0;
    if (a.type == AttrType::Int) {
        const double t = std::trunc(v);
        fits = fits && t >= std::numeric_limits<std::int32_t>::min() &&
               t <= std::numeric_limits<std::int32_t>::max();
    } else if (a.type == AttrType::Float) {
        // Below this every number rounds to a finite float.
        const double limit = std::ldexp(1.0, 128) - std::ldexp(1.0, 103);
        fits = fits && std::abs(v) < limit;
    }
    if (!fits && !problem_)
        problem_ = "the number " + std::string(n.text().substr(0, 40)) + " is out of range for \"" +
                   a.name + "\" of " + r.schema().name;
    return fits;
}

void JSONImport::setType(const AttributeDesc& a, const JsonValue& value, Record& r) {
    const std::optional<JsonNumber> number = value.asNumber();
    if (number && a.type != AttrType::Bool && !inRange(a, *number, r))
        return;
    switch (a.type) {
    case AttrType::String:
        if (const auto s = value.asString())
            a.write(r, std::string(*s));
        return;
    case AttrType::Int:
        if (number)
            a.write(r, number->toInt32());
        else if (const auto b = value.asBool())
            a.write(r, std::int32_t{*b});
        return;
    case AttrType::Bool:
        if (const auto b = value.asBool())
            a.write(r, *b);
        else if (const auto d = numberOf(value))
            a.write(r, *d != 0.0);
        return;
    case AttrType::Float:
        if (number)
            a.write(r, number->toFloat());
        else if (const auto b = value.asBool())
            a.write(r, *b ? 1.0f : 0.0f);
        return;
    case AttrType::Decimal:
        if (const auto d = numberOf(value))
            a.write(r, *d);
        return;
    case AttrType::Date:
        // An empty or unreadable date leaves the attribute as it was.
        if (const auto s = value.asString())
            if (const std::optional<Date> d = parseMediumDate(*s))
                a.write(r, *d);
        return;
    }
}

void JSONImport::readAttributes(const JsonValue& attributes, Record& r) {
    const EntitySchema& schema = r.schema();
    const bool isTask = r.entity() == Entity::ATask;
    // The task's name setter runs first, so its side effects (work, completion, the invalid
    // flag) give way to the values the file holds.
    if (isTask) {
        auto& task = static_cast<ATask&>(r);
        task.setName(std::nullopt);
        if (const JsonValue* name = attributes.find("name"))
            if (const auto s = name->asString())
                task.setName(std::string(*s));
    }
    std::size_t hint = 0;
    for (const JsonMember& m : attributes.members()) {
        if (m.key == "resText" || (isTask && m.key == "name"))
            continue;
        const std::ptrdiff_t i = indexOf(schema.attributes, m.key, hint);
        if (i >= 0)
            setType(schema.attributes[static_cast<std::size_t>(i)], m.value, r);
    }
    if (r.entity() == Entity::Resource) {
        auto& resource = static_cast<Resource&>(r);
        if (resource.initials.absent() && !resource.name.absent())
            resource.setPrimitive(&Resource::initials, Resource::initialsFor(resource.name()));
    }
}

Record* JSONImport::createOne(const JsonValue& json, Store& context, Entity entity) {
    Record* r = context.insert(entity);
    if (const JsonValue* id = json.find("UUID"))
        enterId(*id, r);
    const JsonValue* attributes = json.find("atttributes");
    readAttributes(attributes != nullptr ? *attributes : JsonValue(), *r);
    keepRelations(json, r);
    created_.push_back(r);
    return r;
}

Record* JSONImport::createMOForJSON(const JsonValue& member, Store& context, Entity entity) {
    Record* last = nullptr;
    forEachRecord(member, [&](const JsonValue& json) { last = createOne(json, context, entity); });
    return last;
}

std::string_view JSONImport::keepText(std::string_view text) {
    if (text.empty())
        return {};
    auto* p = static_cast<char*>(texts_->allocate(text.size(), 1));
    std::copy(text.begin(), text.end(), p);
    return {p, text.size()};
}

// Serials below this index the vectors; the bound grows with the records read, so a file
// cannot make a vector larger than its own records justify.
std::size_t JSONImport::denseLimit() const {
    return 4 * created_.size() + 1024;
}

// A UUID seen twice points at the later record.
void JSONImport::enterId(const JsonValue& id, Record* r) {
    const auto text = idText(id);
    if (!text)
        return;
    if (const auto serial = serialOf(*text, denseLimit())) {
        if (serialIds_.size() <= *serial)
            serialIds_.resize(*serial + 1, nullptr);
        serialIds_[*serial] = r;
    } else {
        otherIds_[keepText(*text)] = r;
    }
}

// The relationships wait in a compact list for pass 2, so nothing of the text is needed
// once its record is made.
void JSONImport::keepRelations(const JsonValue& json, Record* r) {
    const JsonValue* relations = json.find("relations");
    if (relations == nullptr)
        return;
    const auto wait = [&](std::size_t index, bool element, const JsonValue& id) {
        const auto text = idText(id);
        if (!text)
            return;
        const auto serial = serialOf(*text, kNoSerial);
        std::uint32_t target = 0;
        if (serial) {
            target = static_cast<std::uint32_t>(*serial);
        } else {
            target = static_cast<std::uint32_t>(pendingTexts_.size());
            pendingTexts_.push_back(keepText(*text));
        }
        pending_.push_back(
            PendingRelation{r, target, static_cast<std::uint16_t>(index), element, !serial});
    };
    const std::vector<RelationshipDesc>& rels = r->schema().relationships;
    std::size_t hint = 0;
    for (const JsonMember& m : relations->members()) {
        const std::ptrdiff_t i = indexOf(rels, m.key, hint);
        if (i < 0)
            continue;
        const auto index = static_cast<std::size_t>(i);
        if (m.value.isArray()) {
            for (const JsonValue& id : m.value.elements())
                wait(index, true, id);
        } else {
            wait(index, false, m.value);
        }
    }
}

void JSONImport::forget() {
    serialIds_ = {};
    otherIds_ = {};
    created_ = {};
    pending_ = {};
    pendingTexts_ = {};
    serialKeys_ = {};
    otherKeys_ = {};
    entitySeen_ = {};
    entity_.reset();
    context_ = nullptr;
    texts_.reset();
}

Record* JSONImport::getObjectForId(std::uint32_t serial, std::string_view text) const {
    if (serial != kNoSerial) {
        if (serial < serialIds_.size() && serialIds_[serial] != nullptr)
            return serialIds_[serial];
        const auto it = otherIds_.find(std::to_string(serial));
        return it == otherIds_.end() ? nullptr : it->second;
    }
    const auto it = otherIds_.find(text);
    return it == otherIds_.end() ? nullptr : it->second;
}

// A reference to a UUID the file does not define, or to a record of the wrong entity, is
// skipped; so is a record that a later one of the same key replaced.
void JSONImport::createRelationsForJSON() {
    // Each one is let go once made, so the list shrinks as the links grow.
    for (; !pending_.empty(); pending_.pop_front()) {
        const PendingRelation& p = pending_.front();
        if (p.from->isDeleted())
            continue;
        Record* target = p.byText ? getObjectForId(kNoSerial, pendingTexts_[p.target])
                                  : getObjectForId(p.target, {});
        if (target == nullptr || target->isDeleted())
            continue;
        if (p.element)
            p.from->addToRelationship(p.relationship, target);
        else
            p.from->setRelationship(p.relationship, target);
    }
}

// A member repeated in the top-level object replaces the earlier one, as a repeated key of
// any object does.
void JSONImport::member(std::string_view key) {
    entity_.reset();
    serialKeys_.clear();
    otherKeys_.clear();
    for (Entity e : fileEntityOrder()) {
        if (schemaOf(e).name != key)
            continue;
        const auto index = static_cast<std::size_t>(e);
        if (entitySeen_.size() <= index)
            entitySeen_.resize(index + 1, false);
        if (entitySeen_[index])
            for (Record* r : created_)
                if (r->entity() == e)
                    context_->deleteRecord(r);
        entitySeen_[index] = true;
        entity_ = e;
        return;
    }
}

void JSONImport::record(std::string_view key, const JsonValue& value) {
    if (!entity_ || !value.isObject())
        return;
    Record* r = createOne(value, *context_, *entity_);
    if (!key.empty())
        replaceRepeated(key, r);
}

void JSONImport::replaceRepeated(std::string_view key, Record* r) {
    const auto serial = serialOf(key, kNoSerial);
    Record* earlier = nullptr;
    if (serial && *serial < serialKeys_.size())
        earlier = serialKeys_[*serial];
    if (earlier == nullptr)
        if (const auto it = otherKeys_.find(key); it != otherKeys_.end())
            earlier = it->second;
    if (earlier != nullptr)
        context_->deleteRecord(earlier);
    if (serial && *serial < denseLimit()) {
        if (serialKeys_.size() <= *serial)
            serialKeys_.resize(*serial + 1, nullptr);
        serialKeys_[*serial] = r;
    } else {
        otherKeys_[keepText(key)] = r;
    }
}

bool JSONImport::createModelFromJSON(std::string_view text, Store& context) {
    TextSource input(text);
    return createModelFromJSON(input, context);
}

bool JSONImport::createModelFromJSON(ByteSource& input, Store& context, std::size_t pieceBytes) {
    error_.reset();
    problem_.reset();
    context_ = &context;
    texts_ = std::make_unique<std::pmr::monotonic_buffer_resource>();
    auto parsed = std::make_unique<JsonParseResult>(parseJsonRecords(input, *this, pieceBytes));
    if (*parsed) {
        // The reader is done with before the links are made, which need room of their own.
        parsed.reset();
        createRelationsForJSON();
        forget();
        return !problem_;
    }
    logDiagnostic(parsed->error->message() + " (at byte " +
                  std::to_string(parsed->error->offset()) + ")");
    errorLine_ = parsed->errorLine;
    error_ = std::move(parsed->error);
    // What was made before the fault is taken back: a text that does not parse adds
    // nothing, and its numbers are not what failed.
    for (Record* r : created_)
        context.deleteRecord(r);
    problem_.reset();
    forget();
    return false;
}

bool JSONImport::setStyleFromJSON(std::string_view text, Project& project) {
    JsonParseResult parsed = parseJson(text);
    if (!parsed) {
        error_ = std::move(parsed.error);
        return false;
    }
    error_.reset();
    const JsonValue& root = parsed.value;
    const JsonValue* styles = root.find(schemaOf(Entity::Style).name);
    bool holdsStyle = false;
    if (styles != nullptr)
        forEachRecord(*styles, [&](const JsonValue&) { holdsStyle = true; });
    // Without a Style the caller would delete the current style and leave none.
    if (!holdsStyle)
        return false;
    Store& context = project.store();
    texts_ = std::make_unique<std::pmr::monotonic_buffer_resource>();
    Record* style = nullptr;
    for (Entity e : styleFileEntityOrder()) {
        if (const JsonValue* member = root.find(schemaOf(e).name)) {
            Record* last = createMOForJSON(*member, context, e);
            if (e == Entity::Style)
                style = last;
        }
    }
    createRelationsForJSON();
    forget();
    project.set(&Project::style, static_cast<Style*>(style));
    return true;
}

} // namespace mapolt
