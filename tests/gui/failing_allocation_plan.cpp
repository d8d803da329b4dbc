// The allocation plan of the GUI tests' failing variant: once 按钮2 has been clicked, the first
// request of at least FAILING_SIZE bytes fails as if memory had run out. Requests before that
// (start-up, opening a file) are met as usual.
#include "shell/win32/allocation.h"

namespace expscale {

namespace {

constexpr std::size_t FAILING_SIZE = 100'000;
bool armed = false;

}  // namespace

void beforeCommand(Control button) {
    if (button == Control::按钮2) armed = true;
}

bool allocationShouldFail(std::size_t size) {
    if (!armed || size < FAILING_SIZE) return false;
    armed = false;
    return true;
}

}  // namespace expscale
