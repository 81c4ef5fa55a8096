#include "display.h"

#include <QtGlobal>

namespace kn {

bool displayAvailable()
{
    for (const char* variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        if (!qEnvironmentVariableIsEmpty(variable))
            return true;
    }
    return false;
}

} // namespace kn
