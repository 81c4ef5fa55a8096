#pragma once

// Reads a workbook back with a library that is not ours, so that a test sees what a spreadsheet
// program would: libfreexl for Excel 97-2003, openpyxl (through read_workbook.py) for Office Open
// XML.

#include <QString>

#include <variant>
#include <vector>

namespace kn::testing {

// An empty cell, a text or a number.
using ReadCell = std::variant<std::monostate, QString, double>;
using ReadRow = std::vector<ReadCell>;

// The rows of the file's one sheet, read as expectWorkbook below reads them.
std::vector<ReadRow> readWorkbook(const QString& path);

// Reads the file in the format its name asks for (".xlsx" in any case: Office Open XML, any other
// name: Excel 97-2003) and expects one sheet, "Sheet1", holding exactly these rows, each as wide
// as the sheet, and no complaint from the reader.
void expectWorkbook(const QString& path, const std::vector<ReadRow>& rows);

} // namespace kn::testing
