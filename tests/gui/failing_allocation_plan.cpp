// The allocation plan of the GUI tests' failing variant: once 按钮2 has been clicked, the first
// request of at least FAILING_SIZE bytes fails as if memory had run out. Requests before that
// (start-up, opening a file) are met as usual, except that no request of a gigabyte or more is
// ever met, as on a machine without that much memory to spare.
#include "shell/win32/allocation.h"

namespace expscale {

namespace {

constexpr std::size_t FAILING_SIZE = 100'000;
constexpr std::size_t HUGE_SIZE = std::size_t{1} << 30;
bool armed = false;

}  // namespace

void beforeCommand(Control button) {
    if (button == Control::按钮2) armed = true;
}

bool allocationShouldFail(std::size_t size) {
    if (size >= HUGE_SIZE) return true;
    if (!armed || size < FAILING_SIZE) return false;
    armed = false;
    return true;
}

}  // namespace expscale
