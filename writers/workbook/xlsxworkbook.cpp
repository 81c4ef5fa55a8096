// The Office Open XML workbook, written by libxlsxwriter in its constant-memory mode: each row is
// written out as soon as the next one begins, with its texts inline rather than in a shared table.
// The library writes only to a named file, so the workbook is made in a scratch folder and copied
// in pieces to the export file, with the same file errors as every other output.
#include "workbooksmodule.h"

#include "core/knerror.h"
#include "core/textfile.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <cerrno>
#include <utility>

namespace kn {

namespace {

// The file operations fail for the system's reasons, left in errno: a full disk is Disk full.
KNError workbookError(lxw_error error, int errnoValue)
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
        if (const KNError fromSystem = fileError(errnoValue, FileAccess::Write); fromSystem.number() == int(ErrorCode::DiskFull))
            return fromSystem;
        return KNError(ErrorCode::DeviceIOError);
    default:
        // A sheet name or a text the format cannot hold.
        return KNError(ErrorCode::InvalidProcedureCall);
    }
}

template <typename Call>
void check(Call call)
{
    errno = 0;
    if (const lxw_error error = call(); error != LXW_NO_ERROR)
        throw workbookError(error, errno);
}

class OfficeOpenXmlSheetWriter final : public SheetWriter {
public:
    explicit OfficeOpenXmlSheetWriter(const QString& sheetName)
    {
        if (!scratch_.isValid())
            throw KNError(ErrorCode::DeviceIOError);
        path_ = scratch_.filePath(QStringLiteral("workbook.xlsx"));
        // The rows' temporary file goes in the scratch folder too, so that nothing outlives it.
        scratchFolder_ = QFile::encodeName(scratch_.path());
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.tmpdir = scratchFolder_.data();
        workbook_ = workbook_new_opt(QFile::encodeName(path_).constData(), &options);
        if (workbook_ == nullptr)
            throw KNError(ErrorCode::OutOfMemory);
        worksheet_ = workbook_add_worksheet(workbook_, sheetName.toUtf8().constData());
        if (worksheet_ == nullptr) {
            lxw_workbook_free(workbook_);
            throw KNError(ErrorCode::InvalidProcedureCall);
        }
    }

    ~OfficeOpenXmlSheetWriter() override
    {
        if (workbook_ != nullptr)
            lxw_workbook_free(workbook_);
    }

    void addRow(std::span<const SheetCell> row) override
    {
        for (std::size_t c = 0; c < row.size(); ++c) {
            const auto columnIndex = lxw_col_t(c);
            if (const auto* text = std::get_if<QString>(&row[c]); text != nullptr && !text->isEmpty())
                check([&] { return worksheet_write_string(worksheet_, row_, columnIndex, utf8(*text), nullptr); });
            else if (const auto* number = std::get_if<Money>(&row[c]))
                check([&] { return worksheet_write_number(worksheet_, row_, columnIndex, spreadsheetNumber(*number), nullptr); });
        }
        ++row_;
    }

    void finish(BinaryFileWriter& file) override
    {
        lxw_workbook* workbook = std::exchange(workbook_, nullptr);
        check([&] { return workbook_close(workbook); }); // frees the workbook whatever the outcome

        QFile made(path_);
        if (!made.open(QIODevice::ReadOnly))
            throw KNError(ErrorCode::DeviceIOError);
        QByteArray piece(1 << 20, Qt::Uninitialized);
        while (true) {
            const qint64 read = made.read(piece.data(), piece.size());
            if (read < 0)
                throw KNError(ErrorCode::DeviceIOError);
            if (read == 0)
                break;
            file.write(QByteArrayView(piece.constData(), read));
        }
    }

private:
    // The text as a terminated UTF-8 string, in storage kept from cell to cell.
    const char* utf8(const QString& text)
    {
        utf8_.resize(encoder_.requiredSpace(text.size()) + 1);
        char* end = encoder_.appendToBuffer(utf8_.data(), text);
        *end = '\0';
        return utf8_.constData();
    }

    QTemporaryDir scratch_;
    QByteArray scratchFolder_;
    QString path_;
    lxw_workbook* workbook_ = nullptr;
    lxw_worksheet* worksheet_ = nullptr;
    lxw_row_t row_ = 0;
    QStringEncoder encoder_{QStringEncoder::Utf8, QStringConverter::Flag::Stateless};
    QByteArray utf8_;
};

} // namespace

} // namespace kn

// The darodev-workbooks-xlsx module's entry point.
extern "C" Q_DECL_EXPORT kn::SheetWriter* darodev_workbooks_begin(const QString& sheetName)
{
    return new kn::OfficeOpenXmlSheetWriter(sheetName);
}
static_assert(std::is_same_v<decltype(&darodev_workbooks_begin), kn::BeginSheetWriter>);
