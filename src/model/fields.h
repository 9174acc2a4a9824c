#pragma once

#include "model/record_set.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace mapolt {

class Record;
struct FieldAccess;

// An optional attribute value. Reading an absent value gives the type's zero (0, NO, "");
// writes go through the owning record so that undo and observers see them.
template <class T> class Attribute {
  public:
    T operator()() const { return value_ ? *value_ : T{}; }
    bool absent() const { return !value_.has_value(); }
    const std::optional<T>& optional() const { return value_; }

  private:
    friend struct FieldAccess;
    std::optional<T> value_;
};

class ToOneBase {
  public:
    Record* target() const { return target_; }

  private:
    friend struct FieldAccess;
    Record* target_ = nullptr;
};

// A to-one end whose inverse is a to-many also holds this record's slot in the target's
// set. The set keeps it current, so it finds and removes members without an index.
class MemberEndBase : public ToOneBase {
  private:
    friend class RecordSet;
    std::uint32_t slotInTarget_ = 0;
};

// The member's end of a one-to-many relationship.
template <class T> class ToOne : public MemberEndBase {
  public:
    T* operator()() const { return static_cast<T*>(target()); }
};

// Either end of a one-to-one relationship: a target and nothing more.
template <class T> class OneToOne : public ToOneBase {
  public:
    T* operator()() const { return static_cast<T*>(target()); }
};

// Typed view over a to-many end; members iterate in insertion order.
template <class T> class ToMany : public RecordSet {
  public:
    class Iterator {
      public:
        explicit Iterator(RecordSet::Iterator it) : it_(it) {}
        T* operator*() const { return static_cast<T*>(*it_); }
        Iterator& operator++() {
            ++it_;
            return *this;
        }
        bool operator==(const Iterator& o) const { return it_ == o.it_; }

      private:
        RecordSet::Iterator it_;
    };
    Iterator begin() const { return Iterator(RecordSet::begin()); }
    Iterator end() const { return Iterator(RecordSet::end()); }
    std::vector<T*> operator()() const {
        std::vector<T*> out;
        out.reserve(size());
        for (T* r : *this)
            out.push_back(r);
        return out;
    }
};

} // namespace mapolt

namespace mapolt {

// The one door to raw field storage, for the store and the schema tables.
struct FieldAccess {
    template <class T> static std::optional<T>& raw(Attribute<T>& a) { return a.value_; }
    static Record*& raw(ToOneBase& r) { return r.target_; }
};

} // namespace mapolt
