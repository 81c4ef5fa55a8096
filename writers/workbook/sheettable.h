#pragma once

#include "core/money.h"
#include "core/regional.h"
#include "core/textfile.h"
#include "workbook.h"

#include <QString>
#include <QStringView>

#include <memory>
#include <span>
#include <string>
#include <vector>

namespace kn {

enum class ColumnType {
    Text,    // at most `size` characters
    Integer, // a 32-bit whole number
    Numeric, // an exact number (four decimals)
};

struct TableColumn {
    QString title;
    ColumnType type;
    int size = 0; // text columns: 1 to 255
};

// A worksheet filled as a database table is: its first row holds the column titles, and each
// row is started with addNew(), given its values with set() and committed with update(). A value
// is converted to its column's declared type or refused: a text that is not a number for a
// number column fails with Type mismatch (13), and so does a text longer than its column; a
// whole number beyond 32 bits fails with Overflow (6), as does a row past the format's last.
// Columns left unset are empty cells.
//
// The workbook's file is created with the table, so a path that cannot be written fails before
// any row; given `memory`, the workbook's bytes go there instead of the path's file (libxlsxwriter
// still makes an Office Open XML workbook in a scratch folder first). Each committed row goes to
// the workbook's back end at once; the file is completed by close() and only then replaces the one
// at the path. A table released without close() (its writer failed part-way) leaves that file as
// it was.
class SheetTable {
public:
    // ".xlsx" gives an Office Open XML workbook, any other name an Excel 97-2003 one.
    SheetTable(const QString& path, const QString& sheetName, std::span<const TableColumn> columns,
               const RegionalSettings& regional, std::string* memory = nullptr);
    ~SheetTable();
    SheetTable(const SheetTable&) = delete;
    SheetTable& operator=(const SheetTable&) = delete;

    void addNew();
    // Numbers in text are read under the regional settings; a fraction given to a whole-number
    // column is rounded half to even.
    void set(QStringView column, const QString& value);
    void set(QStringView column, Money value);
    void update();
    // Writes the workbook with the committed rows; a row not committed is dropped.
    void close();

private:
    const TableColumn& column(QStringView title, qsizetype& index) const;
    SheetCell& newCell(qsizetype index);
    void writeWorkbook();

    BinaryFileWriter file_;
    WorkbookFormat format_;
    std::vector<TableColumn> columns_;
    const RegionalSettings& regional_;
    std::unique_ptr<SheetWriter> sheet_;
    std::vector<SheetCell> newRow_; // kept from row to row
    bool adding_ = false;
    std::size_t rows_ = 0;
    bool closed_ = false;
};

} // namespace kn
