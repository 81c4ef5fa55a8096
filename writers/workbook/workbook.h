#pragma once

#include "core/money.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <variant>
#include <vector>

namespace kn {

// One cell of a worksheet: empty, a text, or a number kept exact to 1/10000 until it is written.
// An empty text is an empty cell, as spreadsheets have no other kind of blank.
using SheetCell = std::variant<std::monostate, QString, Money>;
using SheetRow = std::vector<SheetCell>;

struct Worksheet {
    QString name;
    std::vector<SheetRow> rows;
};

enum class WorkbookFormat {
    Excel97,        // BIFF8 in an OLE2 compound document (".xls")
    OfficeOpenXml,  // ".xlsx"
};

// ".xlsx" in any case gives an Office Open XML workbook; every other name an Excel 97-2003 one.
WorkbookFormat workbookFormatFor(const QString& path);
// How many rows a worksheet of the format holds.
std::size_t maxWorksheetRows(WorkbookFormat format);

// The whole file of a workbook that holds one worksheet. Cells carry no formatting of their own.
QByteArray workbookBytes(const Worksheet& sheet, WorkbookFormat format);
QByteArray excel97WorkbookBytes(const Worksheet& sheet);
QByteArray officeOpenXmlWorkbookBytes(const Worksheet& sheet);

// A number cell's value. Both formats store numbers as IEEE doubles, so this is the one place
// where an exact amount becomes a double: the nearest double to the decimal value.
double spreadsheetNumber(Money value);

} // namespace kn
