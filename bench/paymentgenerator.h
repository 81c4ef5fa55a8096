#pragma once

#include <QString>

namespace kn::bench {

enum class DateOrder { Ascending, Reversed };

// Writes a payment file of `count` detail lines with realistic payees, accounts and amounts.
// Reversed dates make the file the worst case for writers that sort by date.
void writePaymentFile(const QString& path, int count, DateOrder order = DateOrder::Ascending);

} // namespace kn::bench
