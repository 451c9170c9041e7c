// The ready-made world of `vktoken demo`.
#pragma once

#include <ostream>

#include "platform/token/TokenWorld.h"

// Builds the demo world; refuses a world that holds readers or tokens unless
// force is set, which replaces it.
void BuildDemo(vkstore::TokenWorld& world, bool force, std::ostream& out);
