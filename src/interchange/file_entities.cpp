#include "interchange/file_entities.h"

namespace mapolt {

const std::vector<Entity>& styleFileEntityOrder() {
    static const std::vector<Entity> order = {Entity::Style,        Entity::StyleMargin,
                                              Entity::StyleElement, Entity::StyleShadow,
                                              Entity::StyleColours, Entity::Colour};
    return order;
}

} // namespace mapolt
