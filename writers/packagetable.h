#pragma once

#include "core/packagerow.h"

namespace kn {

// Every package the product converts, one row per code, in the order the driver compares codes.
PackageTable packageTable();

} // namespace kn
