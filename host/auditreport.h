#pragma once

#include "core/audit.h"

#include <QByteArray>
#include <QString>

namespace kn {

// The audit in a few lines for a person: what was read and written, and up to `listed` payments
// left out or changed with their lines, then how many more:
// "12 payments read, 11 written to MOMGL.txt, 1 left out (line 9: zero amount)".
QString auditSummary(const ConversionAudit& audit, int listed = 10);

// The whole audit as one JSON object in UTF-8; amounts are decimal texts.
QByteArray auditJson(const ConversionAudit& audit);

} // namespace kn
