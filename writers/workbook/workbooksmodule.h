#pragma once

// The workbook back ends (libgsf for Excel 97-2003, libxlsxwriter for Office Open XML) live in a
// module of their own, darodev-workbooks, loaded the first time a workbook is written, so that no
// other run maps those libraries and the GLib chain.
#include "workbook.h"

#include <QStringList>

#include <memory>

namespace kn {

// The module's one entry point, looked up by this name: a new sheet writer of the format, owned
// by the caller. It fails as the back ends do, with a KNError.
using BeginSheetWriter = SheetWriter* (*)(WorkbookFormat format, const QString& sheetName);
inline constexpr char kBeginSheetWriter[] = "darodev_workbooks_begin";
inline constexpr char kWorkbooksModuleName[] = "darodev-workbooks.so";

// Where the module is looked for: beside the executable or library that holds this code, then
// the installed module folder as seen from a program folder and from a library folder.
QStringList workbooksModuleFolders();

// The entry point of the first folder's module that loads; the module stays loaded for the rest
// of the process. None loads: File not found (53), with a detail naming the module and what the
// loader said about each folder.
BeginSheetWriter loadWorkbooksModule(const QStringList& folders);

// A sheet writer from the module in its usual folders, loaded once.
std::unique_ptr<SheetWriter> beginSheetWriter(WorkbookFormat format, const QString& sheetName);

} // namespace kn
