#pragma once

#include "model/entities.h"
#include "model/store.h"

#include <string>
#include <string_view>

// Named predicates for the fetches the system makes; each comment gives the filter's
// meaning in the store's predicate notation.
namespace mapolt::filters {

// "prevSibling = nil and superTask = nil"
bool rootTaskFilter(const ATask& t);
// "nextSibling = nil and superTask = nil"
bool lastTaskFilter(const ATask& t);
// "superTask == nil"
bool topLevelTaskFilter(const ATask& t);

// "viewOrder = %@" (tasks and column states)
template <class E> Predicate<E> viewOrderFilter(std::int32_t n) {
    return [n](const E& r) { return !r.viewOrder.absent() && r.viewOrder() == n; };
}
// "name = %@" (resources and column states)
template <class E> Predicate<E> nameFilter(std::string name) {
    return [name = std::move(name)](const E& r) { return r.name.optional() == name; };
}
// "initials = %@"
Predicate<Resource> initialsFilter(std::string initials);
// "resource = %@"
Predicate<ATaskResource> resourceFilter(const Resource* resource);
// "resource == nil or task == nil"
bool orphanAssignmentFilter(const ATaskResource& a);
// "resource == nil or taskResource == nil"
bool orphanUsageFilter(const AResourceUsage& u);
// "daysFromStart >= %@ && daysFromStart <= %@"
Predicate<AResourceUsage> usageDayRangeFilter(float first, float last);
// "date >= %@ && date < %@"
Predicate<Day> dayDateRangeFilter(Date from, Date before);
// "self == %@"
Predicate<Calandar> selfFilter(const Calandar* cal);
// "(viewOrder < %@) AND (name like[c] %@)"
Predicate<ATask> findBeforeFilter(std::int32_t viewOrder, std::string pattern);
// "(viewOrder > %@) AND (name like[c] %@)"
Predicate<ATask> findAfterFilter(std::int32_t viewOrder, std::string pattern);
// "name like[c] %@"
Predicate<ATask> findNameFilter(std::string pattern);

// `like[c]`: `*` matches any run of characters, `?` exactly one; case is ignored.
bool likeCaseInsensitive(std::string_view text, std::string_view pattern);

// Ascending viewOrder, the outline's sort.
bool byViewOrder(const ATask& a, const ATask& b);

} // namespace mapolt::filters
