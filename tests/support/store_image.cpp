#include "support/store_image.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <sstream>
#include <type_traits>
#include <vector>

namespace mapolt::testing {

namespace {

void writeValue(std::ostream& out, const Value& v) {
    std::visit(
        [&out](const auto& x) {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate>)
                out << "-";
            else if constexpr (std::is_same_v<T, float>)
                out << "f" << std::hex << std::bit_cast<std::uint32_t>(x) << std::dec;
            else if constexpr (std::is_same_v<T, double>)
                out << "d" << std::hex << std::bit_cast<std::uint64_t>(x) << std::dec;
            else if constexpr (std::is_same_v<T, Date>)
                out << "t" << std::hex << std::bit_cast<std::uint64_t>(x.seconds) << std::dec;
            else
                out << x;
        },
        v);
}

} // namespace

std::string storeImage(const Store& store) {
    std::ostringstream out;
    for (std::size_t e = 0; e < kEntityCount; ++e) {
        for (const Record* r : store.fetchAll(static_cast<Entity>(e))) {
            const EntitySchema& s = r->schema();
            out << s.name << "/" << r->serial();
            for (const AttributeDesc& a : s.attributes) {
                out << " " << a.name << "=";
                writeValue(out, a.read(*r));
            }
            for (const RelationshipDesc& rel : s.relationships) {
                out << " " << rel.name << "=";
                auto& self = const_cast<Record&>(*r);
                if (!rel.toMany) {
                    const Record* t = rel.one(self)->target();
                    out << (t != nullptr ? t->serial() : 0);
                    continue;
                }
                std::vector<std::uint64_t> members;
                for (const Record* m : *rel.many(self))
                    members.push_back(m->serial());
                std::sort(members.begin(), members.end());
                out << "{";
                for (const std::uint64_t m : members)
                    out << m << ",";
                out << "}";
            }
            out << "\n";
        }
    }
    return out.str();
}

} // namespace mapolt::testing
