#pragma once

#include "core/caldate.h"

namespace kn {

// Walks records sorted by date the way the journals that make one entry a day see them: a record
// opens a new day when its date differs from the record's before it. The first record's "before"
// is 1 January 1900, so a first payment of that very day opens no day of its own.
// onRecord(record, opensDay) is called once per record, in order.
template <typename Records, typename OnRecord>
void forEachByDay(const Records& records, OnRecord onRecord)
{
    CalDate previous = CalDate::fromYmd(1900, 1, 1);
    for (const auto& record : records) {
        onRecord(record, record->TransDate != previous);
        previous = record->TransDate;
    }
}

} // namespace kn
