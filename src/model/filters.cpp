#include "model/filters.h"

#include <cwctype>
#include <vector>

namespace mapolt::filters {

namespace {

// Decodes UTF-8 leniently: a malformed byte stands for itself.
std::vector<char32_t> decodeUtf8(std::string_view s) {
    std::vector<char32_t> out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const auto lead = static_cast<unsigned char>(s[i]);
        std::size_t len = 1;
        char32_t cp = lead;
        if (lead >= 0xC0 && lead < 0xE0) {
            len = 2;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            len = 3;
            cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead < 0xF8) {
            len = 4;
            cp = lead & 0x07;
        }
        bool valid = len == 1 || i + len <= s.size();
        for (std::size_t k = 1; valid && k < len; ++k) {
            const auto cont = static_cast<unsigned char>(s[i + k]);
            valid = (cont & 0xC0) == 0x80;
            cp = (cp << 6) | (cont & 0x3F);
        }
        if (!valid) {
            len = 1;
            cp = lead;
        }
        out.push_back(cp);
        i += len;
    }
    return out;
}

// Case folding that does not depend on the process locale for the common alphabets.
char32_t foldCase(char32_t cp) {
    if (cp < 0x80)
        return static_cast<char32_t>(std::tolower(static_cast<int>(cp)));
    if ((cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) || (cp >= 0x391 && cp <= 0x3A9) ||
        (cp >= 0x410 && cp <= 0x42F))
        return cp + 0x20;
    if (cp >= 0x400 && cp <= 0x40F)
        return cp + 0x50;
    if (cp >= 0x100 && cp <= 0x17F && cp != 0x130 && cp != 0x131 && cp != 0x138 &&
        (cp < 0x139 || cp > 0x148) && cp < 0x179)
        return cp | 1u;
    return static_cast<char32_t>(std::towlower(static_cast<wint_t>(cp)));
}

bool nameLike(const ATask& t, const std::string& pattern) {
    return !t.name.absent() && likeCaseInsensitive(*t.name.optional(), pattern);
}

} // namespace

bool rootTaskFilter(const ATask& t) {
    return !t.prevSibling() && !t.superTask();
}
bool lastTaskFilter(const ATask& t) {
    return !t.nextSibling() && !t.superTask();
}
bool topLevelTaskFilter(const ATask& t) {
    return !t.superTask();
}

Predicate<Resource> initialsFilter(std::string initials) {
    return [initials = std::move(initials)](const Resource& r) {
        return r.initials.optional() == initials;
    };
}

Predicate<ATaskResource> resourceFilter(const Resource* resource) {
    return [resource](const ATaskResource& a) { return a.resource() == resource; };
}

bool orphanAssignmentFilter(const ATaskResource& a) {
    return !a.resource() || !a.task();
}
bool orphanUsageFilter(const AResourceUsage& u) {
    return !u.resource() || !u.taskResource();
}

Predicate<AResourceUsage> usageDayRangeFilter(float first, float last) {
    return [first, last](const AResourceUsage& u) {
        return !u.daysFromStart.absent() && u.daysFromStart() >= first && u.daysFromStart() <= last;
    };
}

Predicate<Day> dayDateRangeFilter(Date from, Date before) {
    return [from, before](const Day& d) {
        return !d.date.absent() && d.date() >= from && d.date() < before;
    };
}

Predicate<Calandar> selfFilter(const Calandar* cal) {
    return [cal](const Calandar& c) { return &c == cal; };
}

Predicate<ATask> findBeforeFilter(std::int32_t viewOrder, std::string pattern) {
    return [viewOrder, pattern = std::move(pattern)](const ATask& t) {
        return !t.viewOrder.absent() && t.viewOrder() < viewOrder && nameLike(t, pattern);
    };
}

Predicate<ATask> findAfterFilter(std::int32_t viewOrder, std::string pattern) {
    return [viewOrder, pattern = std::move(pattern)](const ATask& t) {
        return !t.viewOrder.absent() && t.viewOrder() > viewOrder && nameLike(t, pattern);
    };
}

Predicate<ATask> findNameFilter(std::string pattern) {
    return [pattern = std::move(pattern)](const ATask& t) { return nameLike(t, pattern); };
}

bool likeCaseInsensitive(std::string_view text, std::string_view pattern) {
    std::vector<char32_t> s = decodeUtf8(text);
    std::vector<char32_t> p = decodeUtf8(pattern);
    for (char32_t& c : s)
        c = foldCase(c);
    for (char32_t& c : p)
        c = foldCase(c);
    // Greedy wildcard matching with one backtrack point: linear in practice, never
    // exponential on patterns full of stars.
    std::size_t si = 0, pi = 0, starP = std::string_view::npos, starS = 0;
    while (si < s.size()) {
        if (pi < p.size() && (p[pi] == U'?' || (p[pi] != U'*' && p[pi] == s[si]))) {
            ++si;
            ++pi;
        } else if (pi < p.size() && p[pi] == U'*') {
            starP = pi++;
            starS = si;
        } else if (starP != std::string_view::npos) {
            pi = starP + 1;
            si = ++starS;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == U'*')
        ++pi;
    return pi == p.size();
}

bool byViewOrder(const ATask& a, const ATask& b) {
    return a.viewOrder() < b.viewOrder();
}

} // namespace mapolt::filters
