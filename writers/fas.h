#pragma once

#include <QString>

namespace kn {

// Where FAS keeps the user's institution number: "FASINSTNUM" in the folder two levels above the
// output file ("/data/export/gl.csv" gives "/data/FASINSTNUM"), or the bare name, resolved against
// the current folder, when there is no such folder.
QString fasInstitutionNumberPath(const QString& exportPath);

} // namespace kn
