#include "model/store.h"

#include <charconv>
#include <stdexcept>

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
      undo_(*this) {
    for (std::size_t e = 0; e < kEntityCount; ++e) {
        const EntitySchema& schema = schemaOf(static_cast<Entity>(e));
        keyRevisions_[e].assign(schema.attributes.size() + schema.relationships.size(), 0);
        arenas_.emplace_back(schema.recordSize);
    }
}
Store::~Store() = default;

void Store::RecordDisposal::operator()(Record* r) const {
    RecordArena& arena = r->store().arenas_[static_cast<std::size_t>(r->entity())];
    r->~Record();
    arena.release(r);
}

Record* Store::insert(Entity e) {
    const std::size_t entity = static_cast<std::size_t>(e);
    const EntitySchema& schema = schemaOf(e);
    OwnedRecord rec(schema.construct(arenas_[entity].allocate()));
    for (const EntitySchema::MemberSlotEnd& end : schema.memberSlotEnds) {
        const RelationshipDesc& d = schema.relationships[end.relationship];
        d.many(*rec)->keepSlotsInMembers(d.target, end.memberEndOffset);
    }
    rec->store_ = this;
    rec->serial_ = nextSerial_++;
    Record* r = rec.get();
    records_[entity].push_back(std::move(rec));
    ++liveCount_[entity];
    touchLifecycle(*r);
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
    touchLifecycle(r);
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
    letJournalGo();
    for (auto& list : records_)
        std::erase_if(list, [](const OwnedRecord& r) { return r->isDeleted(); });
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
    const auto it =
        std::lower_bound(list.begin(), list.end(), serial,
                         [](const OwnedRecord& r, std::uint64_t v) { return r->serial() < v; });
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

void Store::touch(Record& r, std::size_t key) {
    const auto e = static_cast<std::size_t>(r.entity());
    ++revisions_[e];
    ++keyRevisions_[e][key];
    // The invalid flag only marks a cached duration; it is no value a view shows.
    if (r.entity() != Entity::ATask || key != taskInvalidAttribute_)
        ++valueRevision_;
    journal(r);
}

void Store::touchLifecycle(Record& r) {
    const auto e = static_cast<std::size_t>(r.entity());
    ++revisions_[e];
    ++lifecycleRevisions_[e];
    ++valueRevision_;
    journal(r);
}

std::uint64_t Store::revision(Entity e, std::string_view key) const {
    const EntitySchema& s = schemaOf(e);
    std::size_t index = 0;
    if (const std::ptrdiff_t a = s.attributeIndex(key); a >= 0)
        index = static_cast<std::size_t>(a);
    else if (const std::ptrdiff_t r = s.relationshipIndex(key); r >= 0)
        index = s.attributes.size() + static_cast<std::size_t>(r);
    else
        throw std::logic_error(s.name + " has no key " + std::string(key));
    const auto entity = static_cast<std::size_t>(e);
    return keyRevisions_[entity][index] + lifecycleRevisions_[entity];
}

std::uint64_t Store::revision(Entity e, std::initializer_list<std::string_view> keys) const {
    std::uint64_t sum = 0;
    for (std::string_view key : keys)
        sum += revision(e, key);
    return sum;
}

// A record already waiting unread in the journal is not added again. The journal is let go
// once it holds about an eighth of the records: a reader that far behind rebuilds, which
// costs no more than going through that many changes, and a full recalculation does not
// grow the document's memory by a journal of every record.
void Store::journal(Record& r) {
    const std::uint64_t entry = r.journalEntry_;
    if (entry > journalBase_ && entry > journalRead_)
        return;
    if (journal_.size() >= journalLimit_)
        letJournalGo();
    journal_.push_back(&r);
    r.journalEntry_ = journalBase_ + journal_.size();
}

void Store::letJournalGo() {
    journalBase_ += journal_.size();
    journal_.clear();
    std::size_t live = 0;
    for (std::size_t n : liveCount_)
        live += n;
    journalLimit_ = kJournalFloor + live / 8;
}

std::optional<std::vector<Record*>> Store::changesSince(std::uint64_t& cursor) {
    const std::uint64_t end = journalBase_ + journal_.size();
    std::optional<std::vector<Record*>> changes;
    if (cursor >= journalBase_)
        changes.emplace(journal_.begin() + static_cast<std::ptrdiff_t>(cursor - journalBase_),
                        journal_.end());
    cursor = end;
    journalRead_ = std::max(journalRead_, end);
    return changes;
}

void Store::skipChanges(std::uint64_t& cursor) {
    cursor = journalBase_ + journal_.size();
    journalRead_ = std::max(journalRead_, cursor);
}

void Store::attributeChanged(Record& r, std::size_t attr, Value before) {
    touch(r, attr);
    if (undo_.isRecording())
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
    touch(a, a.schema().attributes.size() + rel);
    notify(a, a.schema().attributes.size() + rel);
}

void Store::writeToMany(Record& a, std::size_t rel, Record* m, bool add) {
    RecordSet& set = toMany(a, rel);
    if (!(add ? set.insert(m) : set.erase(m)))
        return;
    undo_.record(ToManyChange{&a, rel, m, add});
    touch(a, a.schema().attributes.size() + rel);
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

void Store::replay(UndoStep& step, bool forward, WordPool& snapshots, const Value* after) {
    if (const auto* c = std::get_if<AttributeChange>(&step)) {
        c->record->schema().attributes[c->attribute].write(
            *c->record, forward && after != nullptr ? *after : c->before.value());
        touch(*c->record, c->attribute);
        notify(*c->record, c->attribute);
    } else if (const auto* c = std::get_if<ToOneChange>(&step)) {
        writeToOne(*c->record, c->relationship, forward ? c->after : c->before);
    } else if (const auto* c = std::get_if<ToManyChange>(&step)) {
        writeToMany(*c->record, c->relationship, c->member, forward == c->added);
    } else if (const auto* c = std::get_if<LifecycleChange>(&step)) {
        setDeleted(*c->record, forward != c->inserted);
    } else if (auto* c = std::get_if<PlacementChange>(&step)) {
        const TaskPlacement now = TaskPlacement::of(*c->task);
        for (std::size_t k = 0; k < TaskPlacement::kCount; ++k) {
            const std::optional<float> v = c->other.value(k);
            if (TaskPlacement::same(v, now.value(k)))
                continue;
            const std::size_t attr = TaskPlacement::attributeAt(k);
            c->task->schema().attributes[attr].write(*c->task, v ? Value{*v} : Value{});
            touch(*c->task, attr);
            notify(*c->task, attr);
        }
        c->other = now;
    } else if (auto* c = std::get_if<UsageRewrite>(&step)) {
        c->other.exchange(*this, *c->assignment, snapshots);
    }
}

void Record::notifyAttributeWrite(std::size_t attrIndex, Value before) {
    store_->attributeChanged(*this, attrIndex, std::move(before));
}

void Record::notePrimitiveWrite(std::size_t attrIndex) {
    store_->touch(*this, attrIndex);
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
