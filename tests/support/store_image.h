#pragma once

#include "model/store.h"

#include <string>

namespace mapolt::testing {

// Every live record of the store as text, one line each: entity, serial, every attribute with
// its exact bits and every relationship by its partners' serials. To-many ends are sets: an
// undone deletion puts its record back at the end of them.
// Two images are equal exactly when the stores hold the same records with the same values.
std::string storeImage(const Store& store);

} // namespace mapolt::testing
