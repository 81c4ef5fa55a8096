// The Office Open XML workbook, written by libxlsxwriter. The library writes only to a named
// file, so the workbook is made in a scratch folder and handed back as bytes: the caller writes
// them to the export path with the same file errors as every other output.
#include "workbook.h"

#include "core/knerror.h"

#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

namespace kn {

namespace {

KNError workbookError(lxw_error error)
{
    switch (error) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED:
        return KNError(ErrorCode::OutOfMemory);
    case LXW_ERROR_CREATING_XLSX_FILE:
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_PARAMETER_ERROR:
    case LXW_ERROR_ZIP_BAD_ZIP_FILE:
    case LXW_ERROR_ZIP_INTERNAL_ERROR:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        return KNError(ErrorCode::DeviceIOError);
    default:
        // A sheet name or a text the format cannot hold.
        return KNError(ErrorCode::InvalidProcedureCall);
    }
}

void check(lxw_error error)
{
    if (error != LXW_NO_ERROR)
        throw workbookError(error);
}

void writeCells(lxw_worksheet* worksheet, const Worksheet& sheet)
{
    for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
        const SheetRow& row = sheet.rows[r];
        for (std::size_t c = 0; c < row.size(); ++c) {
            const auto rowIndex = lxw_row_t(r);
            const auto columnIndex = lxw_col_t(c);
            if (const auto* text = std::get_if<QString>(&row[c]); text != nullptr && !text->isEmpty())
                check(worksheet_write_string(worksheet, rowIndex, columnIndex, text->toUtf8().constData(), nullptr));
            else if (const auto* number = std::get_if<Money>(&row[c]))
                check(worksheet_write_number(worksheet, rowIndex, columnIndex, spreadsheetNumber(*number), nullptr));
        }
    }
}

} // namespace

QByteArray officeOpenXmlWorkbookBytes(const Worksheet& sheet)
{
    const QTemporaryDir scratch;
    if (!scratch.isValid())
        throw KNError(ErrorCode::DeviceIOError);
    const QString path = scratch.filePath(QStringLiteral("workbook.xlsx"));

    lxw_workbook* workbook = workbook_new(QFile::encodeName(path).constData());
    if (workbook == nullptr)
        throw KNError(ErrorCode::OutOfMemory);
    try {
        lxw_worksheet* worksheet = workbook_add_worksheet(workbook, sheet.name.toUtf8().constData());
        if (worksheet == nullptr)
            throw KNError(ErrorCode::InvalidProcedureCall);
        writeCells(worksheet, sheet);
    } catch (const KNError&) {
        lxw_workbook_free(workbook);
        throw;
    }
    check(workbook_close(workbook)); // frees the workbook whatever the outcome

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw KNError(ErrorCode::DeviceIOError);
    return file.readAll();
}

} // namespace kn
