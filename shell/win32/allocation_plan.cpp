// The real program's allocation plan: every request is tried for real.
#include "shell/win32/allocation.h"

namespace expscale {

void beforeCommand(Control) {}
bool allocationShouldFail(std::size_t) { return false; }

}  // namespace expscale
