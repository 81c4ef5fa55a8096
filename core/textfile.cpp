#include "textfile.h"

#include "knerror.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The host's error numbers tell "no such folder" from "no access" from "disk full", which only
// the system call's errno tells apart: files are opened and written through POSIX directly.

namespace kn {

namespace {
constexpr std::size_t kChunk = 1 << 16;

QByteArray nativePath(const QString& path)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        throw KNError(ErrorCode::BadFileNameOrNumber);
    return QFile::encodeName(path);
}

int createForWriting(const QString& path)
{
    const int fd = ::open(nativePath(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        throw fileError(errno, FileAccess::Write);
    return fd;
}

// Writes every byte or fails; `written` tells how far it got.
void writeAll(int fd, const char* data, std::size_t size, std::size_t& written)
{
    written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd, data + written, size - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw fileError(errno, FileAccess::Write);
        written += std::size_t(n);
    }
}

void closeWritten(int fd)
{
    if (::close(fd) != 0)
        throw fileError(errno, FileAccess::Write);
}
} // namespace

TextFileReader::TextFileReader(const QString& path, const CodePage& codePage) : codePage_(codePage)
{
    fd_ = ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        throw fileError(errno, FileAccess::Read);
    struct stat info {};
    if (::fstat(fd_, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        throw KNError(ErrorCode::PathFileAccessError);
    }
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
    buffer_.erase(0, position_);
    position_ = 0;
    const std::size_t kept = buffer_.size();
    buffer_.resize(kept + kChunk);
    ssize_t got = 0;
    do {
        got = ::read(fd_, buffer_.data() + kept, kChunk);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        const int error = errno;
        buffer_.resize(kept);
        throw fileError(error, FileAccess::Read);
    }
    buffer_.resize(kept + std::size_t(got));
    eof_ = got == 0;
    return got > 0;
}

bool TextFileReader::atEnd()
{
    return position_ >= buffer_.size() && !fill();
}

QString TextFileReader::readLine()
{
    if (atEnd())
        throw KNError(ErrorCode::InputPastEndOfFile);
    std::size_t scanFrom = position_;
    for (;;) {
        const std::size_t end = buffer_.find_first_of("\r\n", scanFrom);
        // A CR that ends the buffer may be the first half of a CR LF still unread.
        const bool crMayPair = end != std::string::npos && buffer_[end] == '\r' && end + 1 == buffer_.size() && !eof_;
        if (end != std::string::npos && !crMayPair) {
            QString line = codePage_.decode(std::string_view(buffer_).substr(position_, end - position_));
            position_ = end + 1;
            if (buffer_[end] == '\r' && position_ < buffer_.size() && buffer_[position_] == '\n')
                ++position_;
            return line;
        }
        if (end == std::string::npos && eof_) {
            QString line = codePage_.decode(std::string_view(buffer_).substr(position_));
            position_ = buffer_.size();
            return line;
        }
        const std::size_t offset = (end == std::string::npos ? buffer_.size() : end) - position_;
        fill();
        scanFrom = position_ + offset;
    }
}

TextFileWriter::TextFileWriter(const QString& path, const CodePage& codePage) : codePage_(codePage)
{
    fd_ = createForWriting(path);
    buffer_.reserve(kChunk + 1024);
}

TextFileWriter::~TextFileWriter()
{
    // A writer that failed part-way leaves what it wrote; the rest of the buffer goes out too.
    if (fd_ >= 0) {
        try {
            flush();
        } catch (const KNError&) {
        }
        ::close(fd_);
    }
}

void TextFileWriter::writeLine(QStringView line)
{
    codePage_.encodeAppend(line, buffer_);
    buffer_ += "\r\n";
    if (buffer_.size() >= kChunk)
        flush();
}

void TextFileWriter::flush()
{
    std::size_t written = 0;
    try {
        writeAll(fd_, buffer_.data(), buffer_.size(), written);
    } catch (const KNError&) {
        buffer_.erase(0, written);
        throw;
    }
    buffer_.clear();
}

void TextFileWriter::close()
{
    if (fd_ < 0)
        return;
    flush();
    const int fd = fd_;
    fd_ = -1;
    closeWritten(fd);
}

BinaryFileWriter::BinaryFileWriter(const QString& path) : fd_(createForWriting(path))
{
}

BinaryFileWriter::~BinaryFileWriter()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void BinaryFileWriter::write(QByteArrayView bytes)
{
    std::size_t written = 0;
    writeAll(fd_, bytes.data(), std::size_t(bytes.size()), written);
}

void BinaryFileWriter::close()
{
    if (fd_ < 0)
        return;
    const int fd = fd_;
    fd_ = -1;
    closeWritten(fd);
}

void removeFileIfExists(const QString& path)
{
    const QByteArray native = nativePath(path);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0)
        return;
    if (S_ISDIR(info.st_mode))
        throw KNError(ErrorCode::PathFileAccessError);
    if (::unlink(native.constData()) != 0)
        throw fileError(errno, FileAccess::Remove);
}

} // namespace kn
