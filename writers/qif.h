#pragma once

#include "core/ledgerwriter.h"

#include <QString>
#include <QStringView>

namespace kn {

// The QIF bank register that Microsoft Money and Quicken import: "!Type:Bank", then six lines per
// payment, written as a withdrawal (its sign reversed) with "Mref#" and the reference as memo.
// Payees that begin with "BANK" in any case are left out.
void writeQifBankRegister(ExportFile& out, const WriterContext& context, QStringView datePattern,
                          const QString& reference);

} // namespace kn
