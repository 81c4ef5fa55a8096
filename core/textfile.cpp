#include "textfile.h"

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
thread_local ByteWatch* newestWatch = nullptr;

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

namespace {
// Where the line at `from` ends: its first CR or LF, or the end of the bytes. Two memchr calls
// rather than a loop a byte at a time: the import's time to cut 1,000,000 lines fell by about a tenth.
std::size_t lineEnd(std::string_view bytes, std::size_t from)
{
    // A window at a time, so that a file whose lines all end in the other byte is not searched
    // to its end for every line.
    constexpr std::size_t kWindow = 512;
    for (; from < bytes.size(); from += kWindow) {
        const char* const start = bytes.data() + from;
        const std::size_t size = std::min(kWindow, bytes.size() - from);
        const void* lf = std::memchr(start, '\n', size);
        const std::size_t beforeLf = lf != nullptr ? std::size_t(static_cast<const char*>(lf) - start) : size;
        const void* cr = std::memchr(start, '\r', beforeLf);
        if (cr != nullptr)
            return from + std::size_t(static_cast<const char*>(cr) - start);
        if (lf != nullptr)
            return from + beforeLf;
    }
    return bytes.size();
}
} // namespace

ByteWatch::ByteWatch(QString path) : path_(std::move(path)), outer_(newestWatch)
{
    newestWatch = this;
}

ByteWatch::~ByteWatch()
{
    newestWatch = outer_;
}

ByteWatch* ByteWatch::startFor(const QString& path)
{
    for (ByteWatch* watch = newestWatch; watch != nullptr; watch = watch->outer_) {
        if (watch->path_ == path) {
            watch->lost_ = false;
            watch->restart();
            return watch;
        }
    }
    return nullptr;
}

TextFileReader::TextFileReader(const QString& path)
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
    fileSize_ = std::size_t(std::max<off_t>(info.st_size, 0));
    watch_ = ByteWatch::startFor(path);
}

TextFileReader::~TextFileReader()
{
    if (fd_ >= 0)
        ::close(fd_);
}

// Moves what is not yet handed out to the front and reads a piece after it.
bool TextFileReader::fill()
{
    if (eof_)
        return false;
    buffer_.erase(0, position_);
    size_ -= position_;
    position_ = 0;
    buffer_.resize(size_ + kReadChunk);
    data_ = buffer_.data();
    ssize_t got = 0;
    do {
        got = ::read(fd_, buffer_.data() + size_, kReadChunk);
    } while (got < 0 && errno == EINTR);
    if (got < 0)
        throw fileError(errno, FileAccess::Read);
    size_ += std::size_t(got);
    if (watch_)
        watch_->add(buffer_.data() + size_ - std::size_t(got), std::size_t(got));
    eof_ = got == 0;
    return got > 0;
}

bool TextFileReader::atEnd()
{
    return position_ >= size_ && !fill();
}

std::string_view TextFileReader::readLineBytes()
{
    if (atEnd())
        throw KNError(ErrorCode::InputPastEndOfFile);
    // What is searched of the line stays searched when the buffer is filled again.
    std::size_t searched = 0;
    for (;;) {
        const std::size_t end = lineEnd(buffered(), position_ + searched);
        const bool found = end < size_;
        // A CR that ends the buffer may be the first half of a CR LF still unread.
        const bool crMayPair = found && data_[end] == '\r' && end + 1 == size_ && !eof_;
        if (found && !crMayPair) {
            const std::string_view bytes = buffered().substr(position_, end - position_);
            position_ = end + 1;
            if (data_[end] == '\r' && position_ < size_ && data_[position_] == '\n')
                ++position_;
            return bytes;
        }
        if (!found && eof_) {
            const std::string_view bytes = buffered().substr(position_);
            position_ = size_;
            return bytes;
        }
        searched = end - position_;
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
    watch_ = ByteWatch::startFor(path);
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
    if (watch_)
        watch_->add(data, size);
}

void AtomicFile::seek(std::int64_t position)
{
    if (::lseek(file_->handle(), off_t(position), SEEK_SET) < 0)
        throw fileError(errno, FileAccess::Write);
    if (watch_)
        watch_->lose();
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

BinaryFileWriter::BinaryFileWriter(const QString& path, std::string* memory) : memory_(memory)
{
    if (memory_ == nullptr)
        file_.emplace(path);
    else
        memory_->clear();
}

void BinaryFileWriter::write(QByteArrayView bytes)
{
    if (file_) {
        file_->write(bytes.data(), std::size_t(bytes.size()));
        return;
    }
    const auto size = std::size_t(bytes.size());
    if (memory_->size() < position_ + size)
        memory_->resize(position_ + size);
    std::copy_n(bytes.data(), size, memory_->begin() + std::ptrdiff_t(position_));
    position_ += size;
}

void BinaryFileWriter::seek(std::int64_t position)
{
    if (file_)
        file_->seek(position);
    else
        position_ = std::size_t(position);
}

void BinaryFileWriter::close()
{
    if (file_)
        file_->commit();
}

} // namespace kn
