#include "workbookreaders.h"

#include "testsupport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <freexl.h>

namespace kn::testing {

namespace {

void readWithFreeXL(const QString& path, std::vector<ReadRow>& rows)
{
    const void* handle = nullptr;
    const char* name = nullptr;
    unsigned int sheets = 0, rowCount = 0;
    unsigned short columns = 0;
    ASSERT_EQ(freexl_open(QFile::encodeName(path).constData(), &handle), FREEXL_OK);
    ASSERT_TRUE(freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets) == FREEXL_OK && sheets == 1 &&
                freexl_get_worksheet_name(handle, 0, &name) == FREEXL_OK &&
                freexl_select_active_worksheet(handle, 0) == FREEXL_OK &&
                freexl_worksheet_dimensions(handle, &rowCount, &columns) == FREEXL_OK) << sheets << " sheets";
    EXPECT_STREQ(name, "Sheet1");
    rows.assign(rowCount, ReadRow(columns));
    for (unsigned int r = 0; r < rowCount; ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue value{};
            ASSERT_EQ(freexl_get_cell_value(handle, r, c, &value), FREEXL_OK) << r << "," << c;
            if (value.type == FREEXL_CELL_INT)
                rows[r][c] = double(value.value.int_value);
            else if (value.type == FREEXL_CELL_DOUBLE)
                rows[r][c] = value.value.double_value;
            else if (value.type == FREEXL_CELL_TEXT || value.type == FREEXL_CELL_SST_TEXT)
                rows[r][c] = QString::fromUtf8(value.value.text_value);
            else
                ASSERT_EQ(value.type, FREEXL_CELL_NULL) << r << "," << c;
        }
    }
    freexl_close(handle);
}

// Whatever read_workbook.py finds wrong, Python included, it writes to standard error.
void readWithOpenpyxl(const QString& path, std::vector<ReadRow>& rows)
{
    QProcess python;
    python.start(QStringLiteral(KN_PYTHON), {QStringLiteral(KN_WORKBOOK_READER), path});
    ASSERT_TRUE(python.waitForFinished(120000));
    ASSERT_EQ(python.readAllStandardError(), QByteArray());
    const QJsonObject json = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    EXPECT_EQ(json[u"sheets"].toVariant().toStringList(), QStringList{QStringLiteral("Sheet1")});
    for (const auto& cells : json[u"rows"].toArray()) {
        ReadRow& row = rows.emplace_back();
        for (const auto& cell : cells.toArray())
            row.push_back(cell.isString() ? ReadCell(cell.toString()) : cell.isDouble() ? ReadCell(cell.toDouble()) : ReadCell());
    }
}

} // namespace

std::vector<ReadRow> readWorkbook(const QString& path)
{
    std::vector<ReadRow> rows;
    (path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive) ? readWithOpenpyxl : readWithFreeXL)(path, rows);
    return rows;
}

void expectWorkbook(const QString& path, const std::vector<ReadRow>& expected)
{
    const std::vector<ReadRow> rows = readWorkbook(path);
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t r = 0; r < rows.size(); ++r)
        ASSERT_EQ(rows[r], expected[r]) << "row " << r; // the first difference is enough
}

} // namespace kn::testing
