#include "textfile.h"

#include "controltext.h"
#include "growstorage.h"
#include "history.h"
#include "knerror.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The host's error numbers tell "no such folder" from "no access" from "disk full", which only
// the system call's errno tells apart: files are opened and written through POSIX directly.

namespace kn {

namespace {
// Reads go by larger pieces: fewer calls into the kernel, and a piece still stays in the cache.
constexpr std::size_t kReadChunk = 1 << 18;
// Every this many bytes written, the disk is asked to start writing them out.
constexpr std::int64_t kWriteBackStep = std::int64_t(8) << 20;

QByteArray nativePath(const QString& path)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        throw KNError(ErrorCode::BadFileNameOrNumber);
    return QFile::encodeName(path);
}

// Refuses to replace a folder, or a file nobody may write: the mode is looked at rather than
// access(), because a process running as root may write any file.
void refuseUnreplaceable(const QByteArray& native)
{
    struct stat info {};
    if (::stat(native.constData(), &info) != 0)
        return;
    if (S_ISDIR(info.st_mode) || (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        throw KNError(ErrorCode::PathFileAccessError);
    if (::access(native.constData(), W_OK) != 0)
        throw fileError(errno, FileAccess::Write);
}

// Why the file could not be created, from the folder it goes in: QSaveFile reports its own
// error kinds, which do not tell a missing folder from a refused one.
KNError creationError(const QString& path, int openErrno)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    struct stat info {};
    if (::stat(folder.constData(), &info) != 0)
        return fileError(errno, FileAccess::Write);
    if (!S_ISDIR(info.st_mode))
        return KNError(ErrorCode::PathNotFound);
    if (::access(folder.constData(), W_OK | X_OK) != 0)
        return fileError(errno, FileAccess::Write);
    return fileError(openErrno != 0 ? openErrno : EACCES, FileAccess::Write);
}
thread_local const ProtectedInput* protectedInput = nullptr;

bool sameFile(const QByteArray& first, const QByteArray& second)
{
    struct stat a {};
    struct stat b {};
    return ::stat(first.constData(), &a) == 0 && ::stat(second.constData(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}
} // namespace

ProtectedInput::ProtectedInput(const QString& inputPath) : path_(inputPath), outer_(protectedInput)
{
    protectedInput = this;
}

ProtectedInput::~ProtectedInput()
{
    protectedInput = outer_;
}

void ProtectedInput::refuseAsOutput(const QString& outputPath) const
{
    for (const ProtectedInput* input = this; input != nullptr; input = input->outer_) {
        if (!input->path_.isEmpty() && !outputPath.isEmpty() &&
            sameFile(QFile::encodeName(input->path_), QFile::encodeName(outputPath)))
            throw KNError(ErrorCode::InvalidProcedureCall)
                .withDetail(QStringLiteral("%1 is the payment file being read (%2); it is never written over")
                                .arg(outputPath, input->path_));
    }
}

TextFileReader::TextFileReader(const QString& path, const CodePage& codePage) : codePage_(codePage)
{
    fd_ = ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        const int openErrno = errno;
        // A file in a folder that is not there is a path not found, as the desktop reports it.
        if (openErrno == ENOENT && !QFileInfo(QFileInfo(path).absolutePath()).isDir())
            throw KNError(ErrorCode::PathNotFound);
        throw fileError(openErrno, FileAccess::Read);
    }
    struct stat info {};
    if (::fstat(fd_, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        throw KNError(ErrorCode::PathFileAccessError);
    }
    fingerprint_ = StreamFingerprint::startFor(path);
}

TextFileReader::~TextFileReader()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool TextFileReader::fill()
{
    if (eof_)
        return false;
    const std::size_t kept = size_ - position_;
    if (kept + kReadChunk > capacity_) {
        capacity_ = growStorage(buffer_, capacity_, kept + kReadChunk, position_, kept);
    } else if (kept > 0) {
        std::memmove(buffer_.get(), buffer_.get() + position_, kept);
    }
    position_ = 0;
    size_ = kept;
    ssize_t got = 0;
    do {
        got = ::read(fd_, buffer_.get() + kept, kReadChunk);
    } while (got < 0 && errno == EINTR);
    if (got < 0)
        throw fileError(errno, FileAccess::Read);
    size_ = kept + std::size_t(got);
    if (fingerprint_)
        fingerprint_->add(buffer_.get() + kept, std::size_t(got));
    eof_ = got == 0;
    return got > 0;
}

bool TextFileReader::atEnd()
{
    return position_ >= size_ && !fill();
}

QString TextFileReader::readLine()
{
    QString line;
    readLine(line);
    return line;
}

void TextFileReader::readLine(QString& line)
{
    codePage_.decode(readLineBytes().bytes, line);
}

TextFileReader::LineBytes TextFileReader::readLineBytes()
{
    if (atEnd())
        throw KNError(ErrorCode::InputPastEndOfFile);
    // What is scanned of the line stays scanned when the buffer is filled again.
    std::size_t scanned = 0;
    bool printable = true;
    for (;;) {
        const LineScan scan = scanLine(buffered().substr(position_ + scanned), codePage_);
        printable = printable && scan.printableLatin1;
        const std::size_t end = position_ + scanned + scan.end;
        const bool found = end < size_;
        // A CR that ends the buffer may be the first half of a CR LF still unread.
        const bool crMayPair = found && buffer_[end] == '\r' && end + 1 == size_ && !eof_;
        if (found && !crMayPair) {
            const std::string_view bytes = buffered().substr(position_, end - position_);
            position_ = end + 1;
            if (buffer_[end] == '\r' && position_ < size_ && buffer_[position_] == '\n')
                ++position_;
            return {bytes, printable};
        }
        if (!found && eof_) {
            const std::string_view bytes = buffered().substr(position_);
            position_ = size_;
            return {bytes, printable};
        }
        scanned = end - position_;
        fill();
    }
}

AtomicFile::AtomicFile(const QString& path) : file_(std::make_unique<QSaveFile>(path))
{
    const QByteArray native = nativePath(path);
    if (protectedInput != nullptr)
        protectedInput->refuseAsOutput(path);
    refuseUnreplaceable(native);
    errno = 0;
    if (!file_->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw creationError(path, errno);
    fingerprint_ = StreamFingerprint::startFor(path);
}

// Without a commit the unnamed file is dropped and the previous file stands.
AtomicFile::~AtomicFile() = default;

void AtomicFile::write(const char* data, std::size_t size)
{
    // Written through the descriptor, so that the system's own errno tells a full disk apart.
    const int fd = file_->handle();
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd, data + written, size - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw fileError(errno, FileAccess::Write);
        written += std::size_t(n);
    }
    position_ += std::int64_t(size);
    if (fingerprint_)
        fingerprint_->add(data, size);
    startWriteBack(fd);
}

// The commit waits until the whole file is on the disk. Pieces handed to the disk while later
// ones are still being made leave only the last few to wait for. A hint only: a failure to
// start shows again, and is reported, when the commit writes the file through.
void AtomicFile::startWriteBack(int fd)
{
#ifdef SYNC_FILE_RANGE_WRITE
    if (position_ - writeBackFrom_ < kWriteBackStep)
        return;
    ::sync_file_range(fd, off_t(writeBackFrom_), off_t(position_ - writeBackFrom_), SYNC_FILE_RANGE_WRITE);
    writeBackFrom_ = position_;
#else
    Q_UNUSED(fd);
#endif
}

void AtomicFile::seek(std::int64_t position)
{
    if (::lseek(file_->handle(), off_t(position), SEEK_SET) < 0)
        throw fileError(errno, FileAccess::Write);
    if (fingerprint_)
        fingerprint_->lose();
    position_ = position;
    writeBackFrom_ = std::min(writeBackFrom_, position);
}

void AtomicFile::commit()
{
    if (committed_)
        return;
    committed_ = true;
    errno = 0;
    if (!file_->commit())
        throw fileError(errno != 0 ? errno : EIO, FileAccess::Write);
}

TextFileWriter::TextFileWriter(const QString& path, const CodePage& codePage)
    : file_(path), codePage_(codePage), buffer_(std::make_unique_for_overwrite<char[]>(Chunk + 1024)),
      capacity_(Chunk + 1024)
{
}

// The buffer grows for a line longer than the room left; a line the page lacks a character of is
// encoded apart, as it may take more or fewer bytes than characters.
bool TextFileWriter::writeOtherLine(QStringView line)
{
    const auto size = std::size_t(line.size());
    makeRoom(size + 2);
    if (codePage_.encodeHeld(line, buffer_.get() + size_)) {
        endLine(size);
        return true;
    }
    otherBytes_.clear();
    codePage_.encodeAppend(line, otherBytes_);
    makeRoom(otherBytes_.size() + 2);
    std::copy_n(otherBytes_.data(), otherBytes_.size(), buffer_.get() + size_);
    endLine(otherBytes_.size());
    return false;
}

void TextFileWriter::makeRoom(std::size_t bytes)
{
    if (size_ + bytes > capacity_)
        capacity_ = growStorage(buffer_, capacity_, size_ + bytes, 0, size_);
}

// Whole chunks go out, and the bytes after them wait for the next: every write then starts and
// ends on a chunk's boundary in the file, where the system takes the pages it caches in larger
// pieces (copying a file in writes that straddle them took about 40% longer here).
void TextFileWriter::flush()
{
    const std::size_t whole = size_ - size_ % Chunk;
    file_.write(buffer_.get(), whole);
    std::memmove(buffer_.get(), buffer_.get() + whole, size_ - whole);
    size_ -= whole;
}

void TextFileWriter::close()
{
    file_.write(buffer_.get(), size_);
    size_ = 0;
    file_.commit();
}

} // namespace kn
