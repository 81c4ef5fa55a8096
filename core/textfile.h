#pragma once

#include "codepage.h"

#include <QByteArrayView>
#include <QString>

#include <string>

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

private:
    bool fill();

    int fd_ = -1;
    const CodePage& codePage_;
    std::string buffer_;
    std::size_t position_ = 0;
    bool eof_ = false;
};

// Writes a new text file in a code page, each line followed by CR LF. The file is replaced when
// it exists. Failures carry the file system's number (76 no folder, 75 no access, 61 disk full...).
class TextFileWriter {
public:
    TextFileWriter(const QString& path, const CodePage& codePage);
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    void writeLine(QStringView line);
    // Writes what is buffered and closes the file; a failure to do so is reported.
    void close();

private:
    void flush();

    int fd_ = -1;
    const CodePage& codePage_;
    std::string buffer_;
};

// Creates (or empties) a file and writes bytes to it as they are given. Failures carry the file
// system's number, as for TextFileWriter.
class BinaryFileWriter {
public:
    explicit BinaryFileWriter(const QString& path);
    ~BinaryFileWriter();
    BinaryFileWriter(const BinaryFileWriter&) = delete;
    BinaryFileWriter& operator=(const BinaryFileWriter&) = delete;

    void write(QByteArrayView bytes);
    void close();

private:
    int fd_ = -1;
};

// Removes the file at the path if there is one.
void removeFileIfExists(const QString& path);

} // namespace kn
