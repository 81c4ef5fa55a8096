#include "companionfiles.h"

#include "knerror.h"
#include "textfile.h"

#include <QFileInfo>

namespace kn {

bool companionFileExists(const QString& path, const CompanionFiles* memory)
{
    return memory != nullptr ? memory->contains(path) : QFileInfo(path).isFile();
}

std::string companionFirstLine(const QString& path, const CompanionFiles* memory)
{
    if (memory == nullptr) {
        TextFileReader file(path);
        return std::string(file.readLineBytes());
    }
    const auto found = memory->find(path);
    if (found == memory->end())
        throw KNError(ErrorCode::FileNotFound);
    if (found->second.empty())
        throw KNError(ErrorCode::InputPastEndOfFile);
    std::size_t at = 0;
    return std::string(nextLine(found->second, at));
}

} // namespace kn
