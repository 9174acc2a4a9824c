#include "model/packed_value.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace mapolt {
namespace {

TEST(PackedValueTest, EveryKindOfValueComesBackAsItWent) {
    const std::vector<Value> values{Value{},
                                    Value{std::string()},
                                    Value{std::string(1000, 'x') + "\xC3\xA9"},
                                    Value{std::int32_t{-7}},
                                    Value{std::numeric_limits<std::int32_t>::max()},
                                    Value{true},
                                    Value{false},
                                    Value{1.5f},
                                    Value{-0.0f},
                                    Value{0.1},
                                    Value{Date{1'772'427'600.25}}};
    for (const Value& v : values) {
        const PackedValue packed(v);
        EXPECT_EQ(packed.value(), v) << "alternative " << v.index();
        EXPECT_TRUE(packed == v);
        const PackedValue copied(packed);
        EXPECT_EQ(copied.value(), v);
        PackedValue source(v);
        const PackedValue moved(std::move(source));
        EXPECT_EQ(moved.value(), v);
        PackedValue assigned(Value{3.0f});
        assigned = copied;
        EXPECT_EQ(assigned.value(), v);
    }
}

TEST(PackedValueTest, ValuesOfOtherKindsAreNotEqual) {
    EXPECT_FALSE(PackedValue(Value{1.0f}) == Value{1.0});
    EXPECT_FALSE(PackedValue(Value{}) == Value{0.0f});
    EXPECT_FALSE(PackedValue(Value{std::string("a")}) == Value{std::string("b")});
    EXPECT_FALSE(PackedValue(Value{Date{5.0}}) == Value{5.0});
}

} // namespace
} // namespace mapolt
