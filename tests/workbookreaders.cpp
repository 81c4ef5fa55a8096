#include "workbookreaders.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <freexl.h>

namespace kn::testing {

ReadCell emptyCell()
{
    return {};
}

ReadCell textCell(const QString& text)
{
    return {ReadCell::Kind::Text, text, 0};
}

ReadCell numberCell(double number)
{
    return {ReadCell::Kind::Number, {}, number};
}

void PrintTo(const ReadCell& cell, std::ostream* out)
{
    switch (cell.kind) {
    case ReadCell::Kind::Empty: *out << "<empty>"; break;
    case ReadCell::Kind::Text: *out << "text '" << cell.text.toStdString() << "'"; break;
    case ReadCell::Kind::Number: *out << "number " << cell.number; break;
    case ReadCell::Kind::Other: *out << "other '" << cell.text.toStdString() << "'"; break;
    }
}

ReadWorkbook readWithFreeXL(const QString& path)
{
    ReadWorkbook book;
    const void* handle = nullptr;
    if (freexl_open(QFile::encodeName(path).constData(), &handle) != FREEXL_OK) {
        book.problems = QStringLiteral("freexl cannot open the file");
        freexl_close(handle);
        return book;
    }
    unsigned int sheets = 0;
    freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets);
    for (unsigned short i = 0; i < sheets; ++i) {
        const char* name = nullptr;
        freexl_get_worksheet_name(handle, i, &name);
        book.sheetNames << QString::fromUtf8(name);
    }
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (sheets == 0 || freexl_select_active_worksheet(handle, 0) != FREEXL_OK ||
        freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK) {
        book.problems = QStringLiteral("freexl cannot read the first sheet");
        freexl_close(handle);
        return book;
    }
    for (unsigned int r = 0; r < rows; ++r) {
        auto& row = book.rows.emplace_back();
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue value{};
            if (freexl_get_cell_value(handle, r, c, &value) != FREEXL_OK)
                book.problems += QStringLiteral("cell %1,%2 unreadable; ").arg(r).arg(c);
            switch (value.type) {
            case FREEXL_CELL_NULL: row.push_back(emptyCell()); break;
            case FREEXL_CELL_INT: row.push_back(numberCell(value.value.int_value)); break;
            case FREEXL_CELL_DOUBLE: row.push_back(numberCell(value.value.double_value)); break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT: row.push_back(textCell(QString::fromUtf8(value.value.text_value))); break;
            default: row.push_back({ReadCell::Kind::Other, QString::number(value.type), 0}); break;
            }
        }
    }
    freexl_close(handle);
    return book;
}

ReadWorkbook readWithPython(const QString& path)
{
    ReadWorkbook book;
    QProcess python;
    python.start(QStringLiteral(KN_PYTHON), {QStringLiteral(KN_WORKBOOK_READER), path});
    python.waitForFinished(120000);
    const QByteArray output = python.readAllStandardOutput();
    if (python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0) {
        book.problems = QString::fromUtf8(python.readAllStandardError());
        return book;
    }
    const QJsonObject json = QJsonDocument::fromJson(output).object();
    for (const auto& name : json[u"sheets"].toArray())
        book.sheetNames << name.toString();
    for (const auto& rowValue : json[u"rows"].toArray()) {
        auto& row = book.rows.emplace_back();
        for (const auto& cellValue : rowValue.toArray()) {
            const QJsonObject cell = cellValue.toObject();
            const QString type = cell[u"type"].toString();
            if (type == u"empty")
                row.push_back(emptyCell());
            else if (type == u"text")
                row.push_back(textCell(cell[u"value"].toString()));
            else if (type == u"number")
                row.push_back(numberCell(cell[u"value"].toDouble()));
            else
                row.push_back({ReadCell::Kind::Other, type, 0});
        }
    }
    book.problems = json[u"warnings"].toString();
    return book;
}

std::vector<WorkbookReader> readersFor(const QString& path)
{
    if (path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        return {{"openpyxl", readWithPython}};
    return {{"freexl", readWithFreeXL}, {"xlrd", readWithPython}};
}

} // namespace kn::testing
