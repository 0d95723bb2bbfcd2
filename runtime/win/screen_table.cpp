#include "runtime/win/display_scale.h"

namespace rt {

std::vector<Screen> Screens() { return MonitorScreens(); }

}  // namespace rt
