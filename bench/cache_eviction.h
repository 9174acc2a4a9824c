#pragma once

namespace mapolt::bench {

// Writes over a buffer twice the size of this machine's last-level cache, so the next timed
// run reads the plan from memory, as a recalculation after other work in the window does,
// instead of from caches warmed by the run before.
void evictCaches();

} // namespace mapolt::bench
