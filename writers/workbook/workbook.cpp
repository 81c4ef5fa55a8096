#include "workbook.h"

namespace kn {

WorkbookFormat workbookFormatFor(const QString& path)
{
    return path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive) ? WorkbookFormat::OfficeOpenXml
                                                                       : WorkbookFormat::Excel97;
}

std::size_t maxWorksheetRows(WorkbookFormat format)
{
    return format == WorkbookFormat::OfficeOpenXml ? 1048576 : 65536;
}

QByteArray workbookBytes(const Worksheet& sheet, WorkbookFormat format)
{
    return format == WorkbookFormat::OfficeOpenXml ? officeOpenXmlWorkbookBytes(sheet) : excel97WorkbookBytes(sheet);
}

double spreadsheetNumber(Money value)
{
    // One rounding: the unit count is exact as a double up to 2^53 units, and the division by
    // an exact 10000 is correctly rounded.
    return double(value.units()) / double(Money::UnitsPerWhole);
}

} // namespace kn
