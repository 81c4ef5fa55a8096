#include "knerror.h"

#include <cerrno>

namespace kn {

QString errorDescription(ErrorCode code)
{
    switch (code) {
    case ErrorCode::InvalidProcedureCall: return QStringLiteral("Invalid procedure call or argument");
    case ErrorCode::Overflow: return QStringLiteral("Overflow");
    case ErrorCode::OutOfMemory: return QStringLiteral("Out of memory");
    case ErrorCode::TypeMismatch: return QStringLiteral("Type mismatch");
    case ErrorCode::BadFileNameOrNumber: return QStringLiteral("Bad file name or number");
    case ErrorCode::FileNotFound: return QStringLiteral("File not found");
    case ErrorCode::DeviceIOError: return QStringLiteral("Device I/O error");
    case ErrorCode::DiskFull: return QStringLiteral("Disk full");
    case ErrorCode::InputPastEndOfFile: return QStringLiteral("Input past end of file");
    case ErrorCode::PermissionDenied: return QStringLiteral("Permission denied");
    case ErrorCode::PathFileAccessError: return QStringLiteral("Path/File access error");
    case ErrorCode::PathNotFound: return QStringLiteral("Path not found");
    case ErrorCode::KeyAlreadyAssociated:
        return QStringLiteral("This key is already associated with an element of this collection");
    }
    return QStringLiteral("Application-defined or object-defined error");
}

KNError::KNError(int number, QString description, QString source)
    : std::runtime_error(description.toStdString()),
      number_(number), description_(std::move(description)), source_(std::move(source))
{
}

KNError::KNError(ErrorCode code, QString source)
    : KNError(static_cast<int>(code), errorDescription(code), std::move(source))
{
}

KNError KNError::withSource(const QString& source) const
{
    KNError error(number_, description_, source);
    error.detail_ = detail_;
    return error;
}

KNError KNError::withDetail(const QString& detail) const
{
    KNError error(*this);
    error.detail_ = detail;
    return error;
}

KNError fileError(int errnoValue, FileAccess access)
{
    switch (errnoValue) {
    case ENOENT:
        // A missing input is a missing file (the reader tells a missing folder apart first); a
        // missing place to write means the folder is missing.
        return KNError(access == FileAccess::Write ? ErrorCode::PathNotFound : ErrorCode::FileNotFound);
    case ENOTDIR:
        return KNError(ErrorCode::PathNotFound);
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return KNError(ErrorCode::DiskFull);
    case EACCES:
    case EROFS:
    case EISDIR:
        return KNError(ErrorCode::PathFileAccessError);
    case EPERM:
    case EBUSY:
    case ETXTBSY:
        return KNError(ErrorCode::PermissionDenied);
    case ENAMETOOLONG:
    case EINVAL:
        return KNError(ErrorCode::BadFileNameOrNumber);
    default:
        return KNError(ErrorCode::DeviceIOError);
    }
}

} // namespace kn
