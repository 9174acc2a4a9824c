#pragma once

#include <string>
#include <vector>

namespace mapolt {

class Store;

// A link taken out of a document because it closed a loop, named by its tasks' names.
struct RemovedLink {
    std::string predecessor;
    std::string successor;
    // "Removed the link from "C" to "A": it closed a loop"
    std::string message() const;
};

// Removes every link of the document that the link check would refuse to make: one that
// joins a task to itself, to its own summary or into its own subtree, or that closes a loop
// of links and summaries, directly or through a summary's roll-up. A file may hold such
// links although the program never makes them. Links are taken in store order and each is
// checked against the ones kept before it, so of a loop only the link that closes it goes
// and every other link stays. Returns the removed links in that order; none for a document
// without a loop, which is told apart in time linear in its tasks and links.
std::vector<RemovedLink> removeLoopingLinks(Store& store);

} // namespace mapolt
