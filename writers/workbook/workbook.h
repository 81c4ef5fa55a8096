#pragma once

#include "core/money.h"

#include <QString>

#include <cstddef>
#include <memory>
#include <span>
#include <variant>

namespace kn {

// One cell of a worksheet: empty, a text, or a number kept exact to 1/10000 until it is written.
// An empty text is an empty cell, as spreadsheets have no other kind of blank.
using SheetCell = std::variant<std::monostate, QString, Money>;

enum class WorkbookFormat {
    Excel97,        // BIFF8 in an OLE2 compound document (".xls")
    OfficeOpenXml,  // ".xlsx"
};

// ".xlsx" in any case gives an Office Open XML workbook; every other name an Excel 97-2003 one.
WorkbookFormat workbookFormatFor(const QString& path);
// How many rows a worksheet of the format holds.
std::size_t maxWorksheetRows(WorkbookFormat format);

class BinaryFileWriter;

// A workbook of one sheet, written as its rows come: each row goes to the format's back end as it
// is made, and finish() writes the whole workbook to the file. Cells carry no formatting of their
// own. The caller keeps to the format's row limit.
class SheetWriter {
public:
    virtual ~SheetWriter() = default;
    virtual void addRow(std::span<const SheetCell> row) = 0;
    // No row may follow. The file is left for the caller to close.
    virtual void finish(BinaryFileWriter& file) = 0;
};

// A number cell's value. Both formats store numbers as IEEE doubles, so this is the one place
// where an exact amount becomes a double: the nearest double to the decimal value. One rounding:
// the unit count is exact as a double up to 2^53 units, and the division by an exact 10000 is
// correctly rounded.
inline double spreadsheetNumber(Money value)
{
    return double(value.units()) / double(Money::UnitsPerWhole);
}

} // namespace kn
