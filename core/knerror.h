#pragma once

#include <QString>

#include <stdexcept>

namespace kn {

// The classic error numbers of this platform family; hosts test them, so they never change.
enum class ErrorCode : int {
    InvalidProcedureCall = 5,
    Overflow = 6,
    OutOfMemory = 7,
    TypeMismatch = 13,
    BadFileNameOrNumber = 52,
    FileNotFound = 53,
    DeviceIOError = 57,
    DiskFull = 61,
    InputPastEndOfFile = 62,
    PermissionDenied = 70,
    PathFileAccessError = 75,
    PathNotFound = 76,
    KeyAlreadyAssociated = 457,
};

// The description the platform gives each number ("Overflow", "File not found", ...).
QString errorDescription(ErrorCode code);

// A failed call: number, description and the operation it came from ("KNExport.ImportKNFile").
// The source stays empty until an operation of KNExport passes the error on.
class KNError : public std::runtime_error {
public:
    KNError(int number, QString description, QString source = {});
    explicit KNError(ErrorCode code, QString source = {});

    int number() const { return number_; }
    const QString& description() const { return description_; }
    const QString& source() const { return source_; }
    // Where in the user's data the failure happened ("payment file line 3: ..."); hosts may show
    // it beside the number, description and source. Empty when there is nothing to add.
    const QString& detail() const { return detail_; }

    KNError withSource(const QString& source) const;
    KNError withDetail(const QString& detail) const;

private:
    int number_;
    QString description_;
    QString source_;
    QString detail_;
};

// Maps a failed system call's errno to the number a host expects for a file operation.
enum class FileAccess { Read, Write, Remove };
KNError fileError(int errnoValue, FileAccess access);

} // namespace kn
