#include "model/resource.h"

#include "model/notification_center.h"

namespace mapolt {

namespace {

// Length of the UTF-8 sequence that starts with `lead` (1 for a stray byte).
std::size_t sequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead < 0xF8)
        return 4;
    if (lead >= 0xE0)
        return lead < 0xF0 ? 3 : 1;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

} // namespace

std::string Resource::initialsFor(const std::string& name) {
    std::string out;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t blank = name.find(' ', start);
        if (blank == std::string::npos)
            blank = name.size();
        if (blank > start) {
            const std::size_t len =
                std::min(sequenceLength(static_cast<unsigned char>(name[start])), blank - start);
            out.append(name, start, len);
        }
        start = blank + 1;
    }
    return out;
}

void Resource::setName(std::optional<std::string> v) {
    const Value nameBefore = name.absent() ? Value{} : Value{*name.optional()};
    const Value initialsBefore = initials.absent() ? Value{} : Value{*initials.optional()};
    const std::string derived = initialsFor(v.value_or(std::string{}));
    setPrimitive(&Resource::name, std::move(v));
    setPrimitive(&Resource::initials, derived);
    didChange(&Resource::name, nameBefore);
    didChange(&Resource::initials, initialsBefore);
    NotificationCenter::defaultCenter().post(kProjectChanged, this, &store());
}

} // namespace mapolt
