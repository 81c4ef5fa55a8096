#pragma once

#include "codepage.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QSaveFile;

namespace kn {

// While it lives, the bytes this thread reads from the file at its path (through TextFileReader)
// or writes to it (through AtomicFile) are handed to it as they pass, still in the cache, which
// spares reading the file again to fingerprint it.
class ByteWatch {
public:
    explicit ByteWatch(QString path);
    virtual ~ByteWatch();
    ByteWatch(const ByteWatch&) = delete;
    ByteWatch& operator=(const ByteWatch&) = delete;

    // For TextFileReader and AtomicFile: the newest watch of the path, restarted, or null.
    static ByteWatch* startFor(const QString& path);
    // The next bytes of the file.
    virtual void add(const char* bytes, std::size_t size) = 0;
    // The bytes no longer go out in order.
    void lose() { lost_ = true; }

protected:
    // The file is read or written again from its first byte.
    virtual void restart() = 0;
    bool lost() const { return lost_; }

private:
    QString path_;
    ByteWatch* outer_;
    bool lost_ = false;
};

// Reads a file line by line as bytes. CR LF, LF and CR all end a line, and the last line needs no
// terminator. Failures carry the file system's number (53, 76, 70, 75, 57, ...).
class TextFileReader {
public:
    explicit TextFileReader(const QString& path);
    // A file whose bytes are already in memory: its lines are cut from them.
    explicit TextFileReader(std::string_view bytes) : data_(bytes.data()), size_(bytes.size()), fileSize_(bytes.size()), eof_(true) {}
    ~TextFileReader();
    TextFileReader(const TextFileReader&) = delete;
    TextFileReader& operator=(const TextFileReader&) = delete;

    bool atEnd();
    // The next line's bytes without their end, valid until the next read; past the end it fails
    // with Input past end of file (62).
    std::string_view readLineBytes();
    // The file's size in bytes when it was opened.
    std::size_t fileSize() const { return fileSize_; }

private:
    bool fill();
    std::string_view buffered() const { return std::string_view(data_, size_); }

    int fd_ = -1;
    // The bytes read and not yet handed out start at position_; data_ is buffer_'s, or the bytes
    // in memory.
    std::string buffer_;
    const char* data_ = nullptr;
    // Sees the bytes as they are read when a watch is on this file.
    ByteWatch* watch_ = nullptr;
    std::size_t size_ = 0;
    std::size_t fileSize_ = 0;
    std::size_t position_ = 0;
    bool eof_ = false;
};

// The one way a file is written: bytes go to an unnamed file in the final file's folder, which
// takes the final name only when close() succeeds. A writer destroyed before that, or a process
// killed while writing, leaves the previous file as it was and nothing else behind. An existing
// file that is read-only is refused (75), as the classic platform refuses to delete one. Failures
// carry the file system's number (76 no folder, 75 no access, 61 disk full...).
class AtomicFile {
public:
    explicit AtomicFile(const QString& path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void write(const char* data, std::size_t size);
    // The next write goes at this byte of the file.
    void seek(std::int64_t position);
    // Writes through to the disk and gives the file its final name.
    void commit();

private:
    std::unique_ptr<QSaveFile> file_;
    // Sees the bytes as they go out when a watch is on this file.
    ByteWatch* watch_ = nullptr;
    bool committed_ = false;
};

// Writes bytes as they are given to a file that replaces the one there when closed; or, given
// `memory`, puts the file's bytes there (emptied first) and touches no file. A container that
// completes its header last goes back to it with seek().
class BinaryFileWriter {
public:
    explicit BinaryFileWriter(const QString& path, std::string* memory = nullptr);

    void write(QByteArrayView bytes);
    void seek(std::int64_t position);
    void close();

private:
    std::optional<AtomicFile> file_;
    std::string* memory_;
    // Where the next write goes in `memory`.
    std::size_t position_ = 0;
};

// Writes a text file's lines, each followed by CR LF, replacing the file there; or, given `memory`,
// puts the file's bytes there and touches no file.
class TextFileWriter {
public:
    explicit TextFileWriter(const QString& path, std::string* memory = nullptr) : file_(path, memory)
    {
        buffer_.reserve(kFlushSize + 1024);
    }

    void writeLine(std::string_view line)
    {
        buffer_ += line;
        buffer_ += "\r\n";
        if (buffer_.size() >= kFlushSize)
            flush();
    }
    // Writes what is buffered and gives the file its name; until then the previous file stands.
    void close()
    {
        flush();
        file_.close();
    }

private:
    // Bytes gathered before they are handed to the file.
    static constexpr std::size_t kFlushSize = std::size_t(1) << 16;
    void flush()
    {
        file_.write(buffer_);
        buffer_.clear();
    }

    BinaryFileWriter file_;
    std::string buffer_;
};

// While it lives, no file this thread writes may be the given input file, whatever its spelling
// or links: the write fails with Invalid procedure call (5) and the input is left alone.
class ProtectedInput {
public:
    explicit ProtectedInput(const QString& inputPath);
    ~ProtectedInput();
    ProtectedInput(const ProtectedInput&) = delete;
    ProtectedInput& operator=(const ProtectedInput&) = delete;

    // Fails as a write to it would.
    void refuseAsOutput(const QString& outputPath) const;

private:
    QString path_;
    const ProtectedInput* outer_;
};

} // namespace kn
