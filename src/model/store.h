#pragma once

#include "model/record.h"
#include "model/record_arena.h"
#include "model/undo_manager.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace mapolt {

template <class E> using Predicate = std::function<bool(const E&)>;
template <class E> using Ordering = std::function<bool(const E&, const E&)>;

using ObservationToken = std::uint64_t;

// One store per document: owns every record, keeps inverses, records undo.
class Store {
  public:
    Store();
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    template <class E> E* insert() { return static_cast<E*>(insert(E::kEntity)); }
    Record* insert(Entity e);
    // Clears the record from every partner, then removes it from fetches. The record stays
    // in memory while the undo history can bring it back.
    void deleteRecord(Record* r);

    template <class E>
    std::vector<E*> fetch(const Predicate<E>& filter = {}, const Ordering<E>& order = {}) const;
    // The first record of `fetch(filter, order)` without sorting the rest.
    template <class E> E* fetchFirst(const Predicate<E>& filter, const Ordering<E>& order) const;
    std::vector<Record*> fetchAll(Entity e) const;
    // Calls `f` with every live record of the entity in serial order, for passes over large
    // plans that would otherwise read each record once to fetch it and again to use it.
    template <class E, class F> void forEachLive(const F& f) const {
        for (const auto& rec : records_[static_cast<std::size_t>(E::kEntity)])
            if (!rec->isDeleted())
                f(static_cast<E*>(rec.get()));
    }
    std::size_t count(Entity e) const { return liveCount_[static_cast<std::size_t>(e)]; }

    // Closes the current undo group.
    void flushPendingChanges();

    std::string identityString(const Record* r) const;
    Record* recordForIdentity(std::string_view identity) const;

    UndoManager& undoManager() { return undo_; }
    const UndoManager& undoManager() const { return undo_; }

    // Grows on every change to a record of the entity (insertion, deletion, undo, any write,
    // silent ones included), so derived indexes know when to rebuild.
    std::uint64_t revision(Entity e) const { return revisions_[static_cast<std::size_t>(e)]; }
    // Grows on every change like `revision`, in every entity, except writes of the tasks'
    // `invalid` flag, which only marks a cached duration.
    std::uint64_t valueRevision() const { return valueRevision_; }
    // Grows on every change of that attribute or relationship in any record of the entity,
    // and on every insertion or deletion of one of its records, so that an index reading a
    // few keys (the outline's order, the links) need not be rebuilt when only dates moved.
    // An unknown key is a programming error.
    std::uint64_t revision(Entity e, std::string_view key) const;
    // The sum of the keys' revisions: it grows when any of them does.
    std::uint64_t revision(Entity e, std::initializer_list<std::string_view> keys) const;

    // The records changed since `cursor` (inserted, deleted, written, undone or redone),
    // each at least once, in no particular order; moves the cursor to now. Empty when the
    // changes since the cursor were let go (too many of them, or dead records were freed):
    // the reader then rebuilds from every record. A cursor of 0 starts with the first record.
    std::optional<std::vector<Record*>> changesSince(std::uint64_t& cursor);
    // Moves the cursor to now, for a reader that already knows what changed since.
    void skipChanges(std::uint64_t& cursor);

    // The live record of the entity with that serial, or null.
    Record* liveRecord(Entity e, std::uint64_t serial) const;

    // Attribute and relationship observation by key; called after each notifying change.
    using Observer = std::function<void(Record&, std::string_view key)>;
    ObservationToken observe(Entity e, std::string_view key, Observer observer);
    void stopObserving(ObservationToken token);

  private:
    friend class Record;
    friend class UndoManager;
    friend class UsageSnapshot;

    void attributeChanged(Record& r, std::size_t attr, Value before);
    void setToOne(Record& a, std::size_t rel, Record* b);
    void addToMany(Record& a, std::size_t rel, Record* m);
    void removeFromMany(Record& a, std::size_t rel, Record* m);
    void writeToOne(Record& a, std::size_t rel, Record* b);
    void writeToMany(Record& a, std::size_t rel, Record* m, bool add);
    // `after` is the value an attribute change takes going forward.
    // Usage snapshots the replay takes anew come from `snapshots`.
    void replay(UndoStep& step, bool forward, WordPool& snapshots, const Value* after = nullptr);
    void setDeleted(Record& r, bool deleted);
    void purgeDeletedRecords();
    void notify(Record& r, std::size_t key);
    // A write of attribute or relationship `key` (relationships after the attributes).
    void touch(Record& r, std::size_t key);
    void touchLifecycle(Record& r);
    void journal(Record& r);
    void letJournalGo();

    // Destroys a record and gives its room back to its entity's arena.
    struct RecordDisposal {
        void operator()(Record* r) const;
    };
    using OwnedRecord = std::unique_ptr<Record, RecordDisposal>;

    // One per entity; outlives the records it holds.
    std::deque<RecordArena> arenas_;
    std::array<std::vector<OwnedRecord>, kEntityCount> records_;
    std::array<std::size_t, kEntityCount> liveCount_{};
    std::array<std::uint64_t, kEntityCount> revisions_{};
    std::array<std::vector<std::uint64_t>, kEntityCount> keyRevisions_;
    std::array<std::uint64_t, kEntityCount> lifecycleRevisions_{};
    std::uint64_t valueRevision_ = 0;
    // Changed records since position journalBase_; a record appears again only once some
    // reader has read past its last entry.
    std::vector<Record*> journal_;
    std::uint64_t journalBase_ = 0;
    std::uint64_t journalRead_ = 0;
    // Set each time the journal is let go, from the records then live.
    static constexpr std::size_t kJournalFloor = 4096;
    std::size_t journalLimit_ = kJournalFloor;
    std::size_t taskInvalidAttribute_;
    std::uint64_t nextSerial_ = 1;
    UndoManager undo_;

    struct KeyObserver {
        ObservationToken token;
        Observer observer;
    };
    // Keyed by entity * 256 + key index (attributes first, then relationships).
    std::unordered_map<std::uint32_t, std::vector<KeyObserver>> observers_;
    ObservationToken nextToken_ = 1;
    bool hasDeadRecords_ = false;
};

template <class E>
std::vector<E*> Store::fetch(const Predicate<E>& filter, const Ordering<E>& order) const {
    std::vector<E*> out;
    for (const auto& rec : records_[static_cast<std::size_t>(E::kEntity)]) {
        if (rec->isDeleted())
            continue;
        auto* e = static_cast<E*>(rec.get());
        if (!filter || filter(*e))
            out.push_back(e);
    }
    if (order)
        std::stable_sort(out.begin(), out.end(), [&](E* a, E* b) { return order(*a, *b); });
    return out;
}

template <class E>
E* Store::fetchFirst(const Predicate<E>& filter, const Ordering<E>& order) const {
    E* best = nullptr;
    for (const auto& rec : records_[static_cast<std::size_t>(E::kEntity)]) {
        if (rec->isDeleted())
            continue;
        auto* e = static_cast<E*>(rec.get());
        if (filter && !filter(*e))
            continue;
        if (best == nullptr || (order && order(*e, *best)))
            best = e;
    }
    return best;
}

} // namespace mapolt
