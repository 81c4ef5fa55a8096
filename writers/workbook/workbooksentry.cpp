// The darodev-workbooks module's entry point: a sheet writer of the format asked for.
#include "workbooksmodule.h"

extern "C" Q_DECL_EXPORT kn::SheetWriter* darodev_workbooks_begin(kn::WorkbookFormat format, const QString& sheetName)
{
    return (format == kn::WorkbookFormat::OfficeOpenXml ? kn::officeOpenXmlSheetWriter(sheetName)
                                                        : kn::excel97SheetWriter(sheetName))
        .release();
}

// The entry point's type is the one the loader looks it up as.
static_assert(std::is_same_v<decltype(&darodev_workbooks_begin), kn::BeginSheetWriter>);
