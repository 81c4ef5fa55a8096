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

} // namespace kn
