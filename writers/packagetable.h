#pragma once

#include "../core/ledgerwriter.h"

#include <QString>

#include <memory>
#include <span>

namespace kn {

struct WriterArguments {
    QString packageFullTitle;
    QString variant;
};

// One row of the package-code table: the code the host passes, the target it selects and how
// to make that target's writer (with the row's variant, if it has one).
struct PackageRow {
    const char* code;
    const char* target;
    std::unique_ptr<LedgerWriter> (*make)(const WriterArguments&);
    const char* variant = "";
};

std::span<const PackageRow> packageRows();
// The row whose code equals packageCode exactly, or null: " 01" or "1" select nothing.
const PackageRow* findPackageRow(const QString& packageCode);

} // namespace kn
