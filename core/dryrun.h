#pragma once

#include "settingsstore.h"

#include <memory>

namespace kn {

// A settings store for a run that must save nothing: it reads the base store, and what the run
// writes is kept in memory and read back from there until the store is released.
std::unique_ptr<SettingsStore> makeDryRunSettingsStore(std::shared_ptr<SettingsStore> base);

} // namespace kn
