#include "model/store.h"

#include <charconv>

namespace mapolt {

namespace {

constexpr std::string_view kIdentityPrefix = "x-mapolt://";

std::uint32_t observerKey(Entity e, std::size_t key) {
    return static_cast<std::uint32_t>(e) * 256u + static_cast<std::uint32_t>(key);
}

ToOneBase& toOne(Record& r, std::size_t rel) {
    return *r.schema().relationships[rel].one(r);
}
RecordSet& toMany(Record& r, std::size_t rel) {
    return *r.schema().relationships[rel].many(r);
}

} // namespace

Store::Store()
    : taskInvalidAttribute_(
          static_cast<std::size_t>(schemaOf(Entity::ATask).attributeIndex("invalid"))),
      undo_(*this) {}
Store::~Store() = default;

Record* Store::insert(Entity e) {
    std::unique_ptr<Record> rec = schemaOf(e).create();
    rec->store_ = this;
    rec->serial_ = nextSerial_++;
    Record* r = rec.get();
    records_[static_cast<std::size_t>(e)].push_back(std::move(rec));
    ++liveCount_[static_cast<std::size_t>(e)];
    touch(e);
    undo_.record(LifecycleChange{r, true});
    return r;
}

void Store::deleteRecord(Record* r) {
    if (r == nullptr || r->isDeleted())
        return;
    const EntitySchema& s = r->schema();
    for (std::size_t i = 0; i < s.relationships.size(); ++i) {
        if (s.relationships[i].toMany) {
            for (Record* m : toMany(*r, i).members())
                removeFromMany(*r, i, m);
        } else {
            setToOne(*r, i, nullptr);
        }
    }
    setDeleted(*r, true);
    undo_.record(LifecycleChange{r, false});
}

void Store::setDeleted(Record& r, bool deleted) {
    if (r.deleted_ == deleted)
        return;
    r.deleted_ = deleted;
    touch(r.entity());
    auto& live = liveCount_[static_cast<std::size_t>(r.entity())];
    if (deleted) {
        --live;
        hasDeadRecords_ = true;
    } else {
        ++live;
    }
}

std::vector<Record*> Store::fetchAll(Entity e) const {
    std::vector<Record*> out;
    out.reserve(count(e));
    for (const auto& rec : records_[static_cast<std::size_t>(e)])
        if (!rec->isDeleted())
            out.push_back(rec.get());
    return out;
}

void Store::flushPendingChanges() {
    undo_.closeGroup();
    if (!undo_.hasHistory())
        purgeDeletedRecords();
}

// Dead records can only be freed once no undo step can refer to them any more.
void Store::purgeDeletedRecords() {
    if (!hasDeadRecords_)
        return;
    for (auto& list : records_)
        std::erase_if(list, [](const std::unique_ptr<Record>& r) { return r->isDeleted(); });
    hasDeadRecords_ = false;
}

std::string Store::identityString(const Record* r) const {
    if (r == nullptr)
        return {};
    return std::string(kIdentityPrefix) + r->schema().name + "/" + std::to_string(r->serial());
}

Record* Store::recordForIdentity(std::string_view id) const {
    if (!id.starts_with(kIdentityPrefix))
        return nullptr;
    id.remove_prefix(kIdentityPrefix.size());
    const std::size_t slash = id.find('/');
    if (slash == std::string_view::npos)
        return nullptr;
    const EntitySchema* s = schemaNamed(id.substr(0, slash));
    if (s == nullptr)
        return nullptr;
    const std::string_view digits = id.substr(slash + 1);
    std::uint64_t serial = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), serial);
    if (ec != std::errc{} || end != digits.data() + digits.size())
        return nullptr;
    return liveRecord(s->entity, serial);
}

// Records are appended in serial order and purging keeps that order.
Record* Store::liveRecord(Entity e, std::uint64_t serial) const {
    const auto& list = records_[static_cast<std::size_t>(e)];
    const auto it = std::lower_bound(
        list.begin(), list.end(), serial,
        [](const std::unique_ptr<Record>& r, std::uint64_t v) { return r->serial() < v; });
    if (it == list.end() || (*it)->serial() != serial || (*it)->isDeleted())
        return nullptr;
    return it->get();
}

ObservationToken Store::observe(Entity e, std::string_view key, Observer observer) {
    const EntitySchema& s = schemaOf(e);
    std::size_t index = 0;
    if (const std::ptrdiff_t a = s.attributeIndex(key); a >= 0) {
        index = static_cast<std::size_t>(a);
    } else if (const std::ptrdiff_t r = s.relationshipIndex(key); r >= 0) {
        index = s.attributes.size() + static_cast<std::size_t>(r);
    } else {
        return 0;
    }
    const ObservationToken token = nextToken_++;
    observers_[observerKey(e, index)].push_back({token, std::move(observer)});
    return token;
}

void Store::stopObserving(ObservationToken token) {
    for (auto& [key, list] : observers_)
        std::erase_if(list, [&](const KeyObserver& o) { return o.token == token; });
}

void Store::notify(Record& r, std::size_t key) {
    if (observers_.empty())
        return;
    const auto it = observers_.find(observerKey(r.entity(), key));
    if (it == observers_.end() || it->second.empty())
        return;
    const EntitySchema& s = r.schema();
    const std::string_view name =
        key < s.attributes.size()
            ? std::string_view(s.attributes[key].name)
            : std::string_view(s.relationships[key - s.attributes.size()].name);
    const auto observers = it->second;
    for (const KeyObserver& o : observers)
        o.observer(r, name);
}

void Store::attributeChanged(Record& r, std::size_t attr, Value before) {
    if (r.entity() == Entity::ATask && attr == taskInvalidAttribute_)
        ++revisions_[static_cast<std::size_t>(Entity::ATask)];
    else
        touch(r.entity());
    undo_.record(AttributeChange{&r, attr, PackedValue(before)});
    notify(r, attr);
}

// The primitive one-sided writes; every inverse-maintaining operation is built from them,
// and each is recorded so that undo can replay it backwards.
void Store::writeToOne(Record& a, std::size_t rel, Record* b) {
    Record*& slot = FieldAccess::raw(toOne(a, rel));
    if (slot == b)
        return;
    undo_.record(ToOneChange{&a, rel, slot, b});
    slot = b;
    touch(a.entity());
    notify(a, a.schema().attributes.size() + rel);
}

void Store::writeToMany(Record& a, std::size_t rel, Record* m, bool add) {
    RecordSet& set = toMany(a, rel);
    if (!(add ? set.insert(m) : set.erase(m)))
        return;
    undo_.record(ToManyChange{&a, rel, m, add});
    touch(a.entity());
    notify(a, a.schema().attributes.size() + rel);
}

void Store::setToOne(Record& a, std::size_t rel, Record* b) {
    const RelationshipDesc& d = a.schema().relationships[rel];
    const std::size_t inv = d.inverseIndex;
    Record* old = toOne(a, rel).target();
    if (old == b)
        return;
    if (b != nullptr && b->entity() != d.target)
        return;
    if (schemaOf(d.target).relationships[inv].toMany) {
        if (old != nullptr)
            writeToMany(*old, inv, &a, false);
        writeToOne(a, rel, b);
        if (b != nullptr)
            writeToMany(*b, inv, &a, true);
        return;
    }
    // One-to-one: a's old partner and b's old partner both lose their links.
    if (old != nullptr)
        writeToOne(*old, inv, nullptr);
    if (b != nullptr) {
        Record* displaced = toOne(*b, inv).target();
        if (displaced != nullptr && displaced != &a)
            writeToOne(*displaced, rel, nullptr);
        writeToOne(*b, inv, &a);
    }
    writeToOne(a, rel, b);
}

void Store::addToMany(Record& a, std::size_t rel, Record* m) {
    const RelationshipDesc& d = a.schema().relationships[rel];
    if (m == nullptr || m->entity() != d.target)
        return;
    const std::size_t inv = d.inverseIndex;
    if (schemaOf(d.target).relationships[inv].toMany) {
        writeToMany(a, rel, m, true);
        writeToMany(*m, inv, &a, true);
        return;
    }
    Record* owner = toOne(*m, inv).target();
    if (owner != nullptr && owner != &a)
        writeToMany(*owner, rel, m, false);
    writeToOne(*m, inv, &a);
    writeToMany(a, rel, m, true);
}

void Store::removeFromMany(Record& a, std::size_t rel, Record* m) {
    const RelationshipDesc& d = a.schema().relationships[rel];
    if (m == nullptr || !toMany(a, rel).contains(m))
        return;
    const std::size_t inv = d.inverseIndex;
    writeToMany(a, rel, m, false);
    if (schemaOf(d.target).relationships[inv].toMany) {
        writeToMany(*m, inv, &a, false);
    } else if (toOne(*m, inv).target() == &a) {
        writeToOne(*m, inv, nullptr);
    }
}

void Store::replay(const UndoStep& step, bool forward, const Value* after) {
    if (const auto* c = std::get_if<AttributeChange>(&step)) {
        c->record->schema().attributes[c->attribute].write(
            *c->record, forward && after != nullptr ? *after : c->before.value());
        touch(c->record->entity());
        notify(*c->record, c->attribute);
    } else if (const auto* c = std::get_if<ToOneChange>(&step)) {
        writeToOne(*c->record, c->relationship, forward ? c->after : c->before);
    } else if (const auto* c = std::get_if<ToManyChange>(&step)) {
        writeToMany(*c->record, c->relationship, c->member, forward == c->added);
    } else if (const auto* c = std::get_if<LifecycleChange>(&step)) {
        setDeleted(*c->record, forward != c->inserted);
    }
}

void Record::notifyAttributeWrite(std::size_t attrIndex, Value before) {
    store_->attributeChanged(*this, attrIndex, std::move(before));
}

void Record::notePrimitiveWrite() {
    store_->touch(entity_);
}

void Record::setToOne(std::size_t relIndex, Record* target) {
    store_->setToOne(*this, relIndex, target);
}

void Record::changeToMany(std::size_t relIndex, Record* item, bool add) {
    if (add) {
        store_->addToMany(*this, relIndex, item);
    } else {
        store_->removeFromMany(*this, relIndex, item);
    }
}

} // namespace mapolt
