#pragma once

namespace kn {

// Whether Qt has somewhere to show a dialog: a platform named in QT_QPA_PLATFORM, an X display or
// a Wayland display. Ask before creating the QApplication, which ends the process without one.
bool displayAvailable();

} // namespace kn
