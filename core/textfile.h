#pragma once

#include "codepage.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class QSaveFile;

namespace kn {
class StreamFingerprint;
}

namespace kn {

// Reads a text file in a code page line by line. CR LF, LF and CR all end a line, and the last
// line needs no terminator. Failures carry the file system's number (53, 76, 70, 75, 57, ...).
class TextFileReader {
public:
    TextFileReader(const QString& path, const CodePage& codePage);
    ~TextFileReader();
    TextFileReader(const TextFileReader&) = delete;
    TextFileReader& operator=(const TextFileReader&) = delete;

    bool atEnd();
    // The next line without its terminator; past the end it fails with Input past end of file (62).
    QString readLine();
    // The same into `line`, whose storage is reused from line to line.
    void readLine(QString& line);
    struct LineBytes {
        // As they stand in the file, valid until the next read.
        std::string_view bytes;
        // Whether they read in the code page as printable Latin-1 characters of the same values.
        bool printableLatin1 = false;
    };
    // The next line's bytes, looked at once for both its end and what it holds.
    LineBytes readLineBytes();

private:
    bool fill();
    std::string_view buffered() const { return std::string_view(buffer_.get(), size_); }

    int fd_ = -1;
    const CodePage& codePage_;
    // Fingerprints the bytes as they are read when the history watches this file.
    StreamFingerprint* fingerprint_ = nullptr;
    // The bytes read and not yet handed out start at position_. The storage is never cleared:
    // every byte of it is read into before it is looked at.
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t size_ = 0;
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
    void startWriteBack(int fd);

    std::unique_ptr<QSaveFile> file_;
    // Fingerprints the bytes as they go out when the history watches this file.
    StreamFingerprint* fingerprint_ = nullptr;
    // Where the next write goes, and where the bytes not yet handed to the disk begin.
    std::int64_t position_ = 0;
    std::int64_t writeBackFrom_ = 0;
    bool committed_ = false;
};

// Writes a text file in a code page, each line followed by CR LF, replacing the file there.
class TextFileWriter {
public:
    TextFileWriter(const QString& path, const CodePage& codePage);

    // True when the code page holds every character of the line, so that it reads back unchanged.
    // A line the page holds, with room for it, is encoded one byte a character straight into the
    // buffer, and its room and CR LF are handled inline: a file is mostly such short lines.
    bool writeLine(QStringView line)
    {
        const auto size = std::size_t(line.size());
        if (size_ + size + 2 > capacity_ || !codePage_.encodeHeld(line, buffer_.get() + size_)) [[unlikely]]
            return writeOtherLine(line);
        endLine(size);
        return true;
    }
    // Writes what is buffered and gives the file its name; until then the previous file stands.
    void close();

private:
    // Bytes gathered before they are handed to the file.
    static constexpr std::size_t Chunk = std::size_t(1) << 16;

    // A line the page lacks a character of, whose bytes are not one a character, or one longer
    // than the room left.
    bool writeOtherLine(QStringView line);
    // Room for this many more bytes after those buffered.
    void makeRoom(std::size_t bytes);
    // Ends the line of this many bytes written at the end of the buffer.
    void endLine(std::size_t bytes)
    {
        char* const end = buffer_.get() + size_ + bytes;
        end[0] = '\r';
        end[1] = '\n';
        size_ += bytes + 2;
        if (size_ >= Chunk)
            flush();
    }
    void flush();

    AtomicFile file_;
    const CodePage& codePage_;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t size_ = 0;
    // The bytes of a line the page lacks a character of, kept from one such line to the next.
    std::string otherBytes_;
};

// Writes bytes as they are given to a file that replaces the one there when closed; a container
// that completes its header last goes back to it with seek().
class BinaryFileWriter {
public:
    explicit BinaryFileWriter(const QString& path) : file_(path) {}

    void write(QByteArrayView bytes) { file_.write(bytes.data(), std::size_t(bytes.size())); }
    void seek(std::int64_t position) { file_.seek(position); }
    void close() { file_.commit(); }

private:
    AtomicFile file_;
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
