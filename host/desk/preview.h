#pragma once

#include "core/audit.h"
#include "core/knerror.h"
#include "safety/safetychecks.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kn {

struct PackageRow;

// What the window wants to see of a conversion before it writes anything.
struct PreviewRequest {
    const PackageRow* package = nullptr;
    QString paymentFile;
    QString outputPath; // where Convert would write: FAS reads its institution number beside it
    QString localeName;
    QString codePage;
    QString currency;
    int lines = 20;
    // The history to look in and the accounts the package knows; nothing is recorded.
    SafetyOptions safety;
};

// The first lines of a text file, or the rows of a workbook, and the conversion's audit.
struct Preview {
    QStringList lines;
    bool workbook = false;
    std::vector<QStringList> rows;
    ConversionAudit audit;
    std::optional<KNError> failure;
    bool noRecords = false;
    // What the preview answered in place of the user, said for the window ("the fiscal period of
    // today, 2026 period 12").
    QStringList assumptions;
};

// Runs the conversion where it writes nothing the user has: into a scratch folder, with a
// settings store that keeps its writes in memory, and the prompts answered with what their
// dialogs would propose. Only this function knows how a preview is made.
Preview makePreview(const PreviewRequest& request);

} // namespace kn
