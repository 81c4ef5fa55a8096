#pragma once

// Reads a workbook back with libraries that are not ours, so that a test sees what a spreadsheet
// program would: libfreexl (in process) and xlrd for Excel 97-2003, openpyxl for Office Open XML.

#include <QString>
#include <QStringList>

#include <functional>
#include <ostream>
#include <vector>

namespace kn::testing {

struct ReadCell {
    enum class Kind { Empty, Text, Number, Other };
    Kind kind = Kind::Empty;
    QString text;
    double number = 0;

    bool operator==(const ReadCell&) const = default;
};

ReadCell emptyCell();
ReadCell textCell(const QString& text);
ReadCell numberCell(double number);
void PrintTo(const ReadCell& cell, std::ostream* out);

struct ReadWorkbook {
    QStringList sheetNames;
    std::vector<std::vector<ReadCell>> rows; // of the first sheet, each as wide as the sheet
    QString problems;                        // what the reader complained about, if anything
};

struct WorkbookReader {
    const char* name;
    std::function<ReadWorkbook(const QString& path)> read;
};

ReadWorkbook readWithFreeXL(const QString& path);
ReadWorkbook readWithPython(const QString& path);
// Every reader that understands the file's format (by its extension, as the writer chooses).
std::vector<WorkbookReader> readersFor(const QString& path);

} // namespace kn::testing
