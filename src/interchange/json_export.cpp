#include "interchange/json_export.h"

#include "interchange/file_entities.h"
#include "interchange/json_writer.h"
#include "interchange/medium_date.h"
#include "model/filters.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <unordered_set>

namespace mapolt {

namespace {

constexpr std::string_view kCreator = "Kestil Mapolt";
constexpr std::string_view kCreatorVersion = "1.1.7";

bool isStyleEntity(Entity e) {
    const auto& all = styleFileEntityOrder();
    return std::find(all.begin(), all.end(), e) != all.end();
}

void writeId(JsonStreamWriter& out, std::uint32_t id) {
    char buf[16];
    const auto r = std::to_chars(buf, buf + sizeof buf, id);
    out.string(std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
}

// Values with no form in the file (non-finite numbers, dates beyond the years the date
// style writes) are left out like absent ones.
void writeAttribute(JsonStreamWriter& out, const AttributeDesc& a, const Value& v) {
    switch (a.type) {
    case AttrType::String:
        out.key(a.name);
        out.string(std::get<std::string>(v));
        return;
    case AttrType::Int:
        out.key(a.name);
        out.number(static_cast<std::int64_t>(std::get<std::int32_t>(v)));
        return;
    case AttrType::Bool:
        out.key(a.name);
        out.boolean(std::get<bool>(v));
        return;
    case AttrType::Float:
        if (std::isfinite(std::get<float>(v))) {
            out.key(a.name);
            out.number(std::get<float>(v));
        }
        return;
    case AttrType::Decimal:
        if (std::isfinite(std::get<double>(v))) {
            out.key(a.name);
            out.number(std::get<double>(v));
        }
        return;
    case AttrType::Date:
        if (const std::string text = formatMediumDate(std::get<Date>(v)); !text.empty()) {
            out.key(a.name);
            out.string(text);
        }
        return;
    }
}

// The style and every style record reached from it through relationships between style
// records; colour records are never shared, so this is exactly its tree.
std::unordered_set<const Record*> styleTree(const Style& style) {
    std::unordered_set<const Record*> seen{&style};
    std::vector<Record*> todo{const_cast<Style*>(&style)};
    while (!todo.empty()) {
        Record* r = todo.back();
        todo.pop_back();
        for (const RelationshipDesc& rel : r->schema().relationships) {
            if (!isStyleEntity(rel.target))
                continue;
            const auto visit = [&](Record* m) {
                if (m != nullptr && seen.insert(m).second)
                    todo.push_back(m);
            };
            if (rel.toMany) {
                for (Record* m : *rel.many(*r))
                    visit(m);
            } else {
                visit(rel.one(*r)->target());
            }
        }
    }
    return seen;
}

} // namespace

void JSONExport::buildObjectTable(const Store& context) {
    std::vector<std::vector<Record*>> lists;
    std::size_t total = 0;
    std::uint64_t maxSerial = 0;
    for (Entity e : fileEntityOrder()) {
        std::vector<Record*> records = context.fetchAll(e);
        // Tasks take their numbers in outline order, so the task array reads in ascending
        // numbers and a file read back writes the same text.
        if (e == Entity::ATask)
            std::stable_sort(records.begin(), records.end(), [](Record* a, Record* b) {
                return filters::byViewOrder(static_cast<ATask&>(*a), static_cast<ATask&>(*b));
            });
        for (Record* r : records)
            maxSerial = std::max(maxSerial, r->serial());
        total += records.size();
        lists.push_back(std::move(records));
    }
    dense_ = maxSerial <= 4 * total + 1024;
    if (dense_)
        denseIds_.assign(static_cast<std::size_t>(maxSerial) + 1, kNoId);
    else
        sparseIds_.reserve(total);
    std::uint32_t next = 0;
    for (const std::vector<Record*>& records : lists) {
        for (Record* r : records) {
            if (dense_)
                denseIds_[static_cast<std::size_t>(r->serial())] = next++;
            else
                sparseIds_[r->serial()] = next++;
        }
    }
}

std::optional<std::uint32_t> JSONExport::getIdForMO(const Record* r) const {
    if (r == nullptr)
        return std::nullopt;
    if (dense_) {
        const auto serial = static_cast<std::size_t>(r->serial());
        if (serial >= denseIds_.size() || denseIds_[serial] == kNoId)
            return std::nullopt;
        return denseIds_[serial];
    }
    const auto it = sparseIds_.find(r->serial());
    if (it == sparseIds_.end())
        return std::nullopt;
    return it->second;
}

void JSONExport::getInfoForType(JsonStreamWriter& out, std::string_view type) const {
    out.key("MapoltFileInfo");
    out.beginObject();
    out.key("Creator");
    out.string(kCreator);
    out.key("CreatorVersion");
    out.string(kCreatorVersion);
    out.key("Type");
    out.string(type);
    out.endObject();
}

void JSONExport::createFromMO(JsonStreamWriter& out, Record& r) const {
    const EntitySchema& schema = r.schema();
    out.beginObject();
    out.key("UUID");
    writeId(out, getIdForMO(&r).value_or(kNoId));
    out.key("atttributes");
    out.beginObject();
    for (const AttributeDesc& a : schema.attributes) {
        const Value v = a.read(r);
        if (!isAbsent(v))
            writeAttribute(out, a, v);
    }
    out.endObject();
    out.key("relations");
    out.beginObject();
    std::vector<std::uint32_t> ids;
    for (const RelationshipDesc& rel : schema.relationships) {
        if (rel.toMany) {
            // Sorted, so the same graph always writes the same text.
            ids.clear();
            for (Record* m : *rel.many(r))
                if (const auto id = getIdForMO(m))
                    ids.push_back(*id);
            std::sort(ids.begin(), ids.end());
            out.key(rel.name);
            out.beginArray();
            for (std::uint32_t id : ids)
                writeId(out, id);
            out.endArray();
        } else if (const auto id = getIdForMO(rel.one(r)->target())) {
            out.key(rel.name);
            writeId(out, *id);
        }
    }
    out.endObject();
    out.endObject();
}

void JSONExport::getTasks(JsonStreamWriter& out, const Store& context) const {
    out.key(schemaOf(Entity::ATask).name);
    out.beginArray();
    for (ATask* t : context.fetch<ATask>({}, filters::byViewOrder))
        createFromMO(out, *t);
    out.endArray();
}

void JSONExport::getData(JsonStreamWriter& out, const std::vector<Record*>& records,
                         bool ignoreOnTable) const {
    out.beginObject();
    for (Record* r : records) {
        const auto id = getIdForMO(r);
        if (!id && ignoreOnTable)
            continue;
        char buf[16];
        const auto end = std::to_chars(buf, buf + sizeof buf, id.value_or(kNoId)).ptr;
        out.key(std::string_view(buf, static_cast<std::size_t>(end - buf)));
        createFromMO(out, *r);
    }
    out.endObject();
}

std::string JSONExport::buildJSON(const Store& context) {
    buildObjectTable(context);
    std::string text;
    text.reserve(1024 + 800 * context.count(Entity::ATask));
    JsonStreamWriter out(text);
    out.beginObject();
    getInfoForType(out, "Plan");
    getTasks(out, context);
    for (Entity e : fileEntityOrder()) {
        if (e == Entity::ATask)
            continue;
        out.key(schemaOf(e).name);
        getData(out, context.fetchAll(e), false);
    }
    out.endObject();
    return text;
}

std::string JSONExport::exportJSONforStyle(const Style& style) {
    const Store& context = style.store();
    buildObjectTable(context);
    for (Record* p : context.fetchAll(Entity::Project)) {
        if (dense_)
            denseIds_[static_cast<std::size_t>(p->serial())] = kNoId;
        else
            sparseIds_.erase(p->serial());
    }
    const std::unordered_set<const Record*> tree = styleTree(style);
    std::string text;
    JsonStreamWriter out(text);
    out.beginObject();
    getInfoForType(out, "Style");
    for (Entity e : styleFileEntityOrder()) {
        std::vector<Record*> records = context.fetchAll(e);
        std::erase_if(records, [&](Record* r) { return !tree.contains(r); });
        out.key(schemaOf(e).name);
        getData(out, records, true);
    }
    out.endObject();
    return text;
}

} // namespace mapolt
