// The link-time seam of the GUI program's allocator. allocation_plan.cpp gives the real plan
// (never fail); the GUI tests link a plan that fails one chosen request instead.
#pragma once

#include <cstddef>

#include "commands/controls.h"

namespace expscale {

// Called right before a button's command runs.
void beforeCommand(Control button);
// Whether the request of `size` bytes is to fail as if memory had run out.
bool allocationShouldFail(std::size_t size);

}  // namespace expscale
