#pragma once

// Each workbook format's back end lives in a module of its own, loaded the first time a workbook
// of that format is written: darodev-workbooks-xls (libgsf and the GLib chain) for Excel 97-2003,
// darodev-workbooks-xlsx (libxlsxwriter) for Office Open XML. No other run maps those libraries,
// and a run of one format maps only its own.
#include "workbook.h"

#include <QStringList>

#include <memory>

namespace kn {

// A module's one entry point, looked up by this name: a new sheet writer of the module's format,
// owned by the caller. It fails as the back ends do, with a KNError.
using BeginSheetWriter = SheetWriter* (*)(const QString& sheetName);
inline constexpr char kBeginSheetWriter[] = "darodev_workbooks_begin";

// The file name of the format's module.
QLatin1StringView workbooksModuleName(WorkbookFormat format);

// Where the module is looked for: beside the executable or library that holds this code, then
// the installed module folder as seen from a program folder and from a library folder.
QStringList workbooksModuleFolders();

// The entry point of the first folder's module of the format that loads; the module stays loaded
// for the rest of the process. None loads: File not found (53), with a detail naming the module
// and what the loader said about each folder.
BeginSheetWriter loadWorkbooksModule(WorkbookFormat format, const QStringList& folders);

// A sheet writer from the format's module in its usual folders, loaded once.
std::unique_ptr<SheetWriter> beginSheetWriter(WorkbookFormat format, const QString& sheetName);

} // namespace kn
