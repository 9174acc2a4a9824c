#pragma once

#include "model/entities.h"
#include "model/store.h"

#include <cstdint>
#include <random>
#include <string>

namespace mapolt::testing {

// Fills a store with a random but well-formed document: an outline of `tasks` tasks created
// out of outline order, links, resources with calendars, assignments with usage, milestones,
// calendars, column states, print settings, a baseline and a complete style tree. Every
// attribute gets a random value or stays absent; strings hold quotes, backslashes, control
// characters and non-ASCII text, dates fall at any time of day. Tasks carry what the outline
// service gives every task (a completion, the invalid flag, and work when named) and no
// `resText`, which nothing in the program sets.
class RandomProject {
  public:
    RandomProject(Store& store, std::uint32_t seed) : store_(store), rng_(seed) {}
    Project* build(int tasks);
    // One random value for every attribute of `r`, each absent one time in four.
    void randomAttributes(Record& r);
    std::string randomString();

  private:
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool chance(int percent) { return below(100) < percent; }
    Value randomValue(AttrType type);
    Colour* colour();
    Calandar* calendar(Calandar* parent);

    Store& store_;
    std::mt19937 rng_;
};

} // namespace mapolt::testing
