#pragma once

#include "core/knerror.h"

#include <limits>

namespace kn {

// The next value of a line or journal counter. The counters are signed 16-bit numbers, so
// counting past 32767 fails with Overflow (6).
inline short nextCount(short count)
{
    if (count == std::numeric_limits<short>::max())
        throw KNError(ErrorCode::Overflow);
    return short(count + 1);
}

} // namespace kn
