#pragma once

#include "core/clock.h"
#include "core/codepage.h"
#include "core/regional.h"

#include <memory>

namespace kn {

// What a prompter needs from the converter's world: the regional settings that read a typed
// number, the code page of the institution number file, and the clock that dates the fiscal
// year. A host gives its prompter the same ones it gives KNExport.
struct PromptEnvironment {
    RegionalSettings regional;
    CodePage codePage;
    std::shared_ptr<const Clock> clock = std::make_shared<SystemClock>();
};

} // namespace kn
