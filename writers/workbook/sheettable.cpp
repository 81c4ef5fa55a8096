#include "sheettable.h"

#include "core/conversions.h"
#include "writers/formatting.h"
#include "core/knerror.h"
#include "workbooksmodule.h"

#include <limits>

namespace kn {

namespace {

std::int64_t wholeHalfToEven(Money value)
{
    const std::int64_t units = value.units();
    std::int64_t whole = units / Money::UnitsPerWhole;
    const std::int64_t rest = units % Money::UnitsPerWhole; // carries the sign of units
    const std::int64_t twice = 2 * (rest < 0 ? -rest : rest);
    if (twice > Money::UnitsPerWhole || (twice == Money::UnitsPerWhole && whole % 2 != 0))
        whole += rest < 0 ? -1 : 1;
    return whole;
}

Money wholeNumber(Money value)
{
    const std::int64_t whole = wholeHalfToEven(value);
    if (whole < std::numeric_limits<std::int32_t>::min() || whole > std::numeric_limits<std::int32_t>::max())
        throw KNError(ErrorCode::Overflow);
    return Money::fromWhole(whole);
}

QString fittingText(const QString& text, const TableColumn& column)
{
    if (text.size() > column.size)
        throw KNError(ErrorCode::TypeMismatch);
    return text;
}

} // namespace

SheetTable::SheetTable(const QString& path, const QString& sheetName, std::span<const TableColumn> columns,
                       const RegionalSettings& regional, std::string* memory)
    : file_(path, memory), format_(workbookFormatFor(path)), columns_(columns.begin(), columns.end()),
      regional_(regional), sheet_(beginSheetWriter(format_, sheetName)), newRow_(columns_.size())
{
    for (std::size_t c = 0; c < columns_.size(); ++c)
        newRow_[c] = columns_[c].title;
    sheet_->addRow(newRow_);
    rows_ = 1;
}

// Released without close() (the writer failed part-way): the file is not replaced.
SheetTable::~SheetTable() = default;

void SheetTable::addNew()
{
    for (SheetCell& cell : newRow_)
        cell = std::monostate();
    adding_ = true;
}

const TableColumn& SheetTable::column(QStringView title, qsizetype& index) const
{
    for (index = 0; index < qsizetype(columns_.size()); ++index) {
        if (QStringView(columns_[std::size_t(index)].title) == title)
            return columns_[std::size_t(index)];
    }
    throw KNError(ErrorCode::InvalidProcedureCall);
}

SheetCell& SheetTable::newCell(qsizetype index)
{
    if (!adding_)
        throw KNError(ErrorCode::InvalidProcedureCall);
    return newRow_[std::size_t(index)];
}

void SheetTable::set(QStringView title, const QString& value)
{
    qsizetype index = 0;
    const TableColumn& c = column(title, index);
    SheetCell& cell = newCell(index);
    switch (c.type) {
    case ColumnType::Text:
        cell = fittingText(value, c);
        break;
    case ColumnType::Integer:
        cell = wholeNumber(parseMoneyText(value, regional_));
        break;
    case ColumnType::Numeric:
        cell = parseMoneyText(value, regional_);
        break;
    }
}

void SheetTable::set(QStringView title, Money value)
{
    qsizetype index = 0;
    const TableColumn& c = column(title, index);
    SheetCell& cell = newCell(index);
    switch (c.type) {
    case ColumnType::Text:
        cell = fittingText(plainDecimal(value, regional_), c);
        break;
    case ColumnType::Integer:
        cell = wholeNumber(value);
        break;
    case ColumnType::Numeric:
        cell = value;
        break;
    }
}

void SheetTable::update()
{
    if (!adding_)
        throw KNError(ErrorCode::InvalidProcedureCall);
    if (rows_ >= maxWorksheetRows(format_))
        throw KNError(ErrorCode::Overflow);
    sheet_->addRow(newRow_);
    ++rows_;
    adding_ = false;
}

void SheetTable::close()
{
    adding_ = false;
    writeWorkbook();
}

void SheetTable::writeWorkbook()
{
    closed_ = true;
    sheet_->finish(file_);
    file_.close();
}

} // namespace kn
