// Opening a token database costs a fraction of a millisecond (the journal and its index are
// opened, the schema read); a program that reads every token at start can have that done on a
// helper thread meanwhile.
#pragma once

namespace vkstore {

// Opens the connections to the world and to the database of every inserted token, and hands them
// over to whichever threads read those files next. Failures are left to those readings.
void PrepareConnectionsForAnotherThread();

}  // namespace vkstore
