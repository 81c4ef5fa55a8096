#pragma once

#include <QString>

#include <map>
#include <string>

namespace kn {

// The files a writer keeps beside its import file (FAS's institution number), held by path for
// a conversion that touches no file: the prompter puts an answer's file here, the writer reads it.
using CompanionFiles = std::map<QString, std::string>;

// Whether the companion file at `path` is there: in `memory` when given, else on the disk.
bool companionFileExists(const QString& path, const CompanionFiles* memory);

// The companion file's first line without its end, from `memory` when given, else from the
// disk. A file that is not there fails with File not found (53), or on the disk with the system's
// number (Path not found (76) for a missing folder); an empty one with Input past end of file (62).
std::string companionFirstLine(const QString& path, const CompanionFiles* memory);

} // namespace kn
