#include "workbooksmodule.h"

#include "core/knerror.h"

#include <QFileInfo>

#include <dlfcn.h>
#include <link.h>

#include <mutex>

namespace kn {

QStringList workbooksModuleFolders()
{
    // The object that holds this function: the executable (its link map has no name) or the
    // library or plugin it was linked into.
    Dl_info info{};
    link_map* object = nullptr;
    QString path = QStringLiteral("/proc/self/exe");
    if (dladdr1(reinterpret_cast<void*>(&workbooksModuleFolders), &info, reinterpret_cast<void**>(&object),
                RTLD_DL_LINKMAP) != 0 &&
        object != nullptr && object->l_name != nullptr && object->l_name[0] != '\0')
        path = QFile::decodeName(object->l_name);
    const QString folder = QFileInfo(QFileInfo(path).canonicalFilePath()).absolutePath();
    return {folder, folder + QStringLiteral("/" KN_WORKBOOKS_MODULE_FROM_BIN),
            folder + QStringLiteral("/" KN_WORKBOOKS_MODULE_FROM_LIB)};
}

QLatin1StringView workbooksModuleName(WorkbookFormat format)
{
    return format == WorkbookFormat::OfficeOpenXml ? QLatin1StringView("darodev-workbooks-xlsx.so")
                                                   : QLatin1StringView("darodev-workbooks-xls.so");
}

BeginSheetWriter loadWorkbooksModule(WorkbookFormat format, const QStringList& folders)
{
    QStringList tried;
    for (const QString& folder : folders) {
        const QByteArray path = QFile::encodeName(folder + u'/' + workbooksModuleName(format));
        // Never closed: the sheet writers it makes run its code.
        if (void* module = dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL)) {
            if (void* entry = dlsym(module, kBeginSheetWriter))
                return reinterpret_cast<BeginSheetWriter>(entry);
        }
        tried << QString::fromLocal8Bit(dlerror());
    }
    throw KNError(ErrorCode::FileNotFound)
        .withDetail(QStringLiteral("the workbooks module %1 could not be loaded: %2")
                        .arg(workbooksModuleName(format), tried.join(QStringLiteral("; "))));
}

std::unique_ptr<SheetWriter> beginSheetWriter(WorkbookFormat format, const QString& sheetName)
{
    // Hosts may convert on more than one thread, each with its own converter.
    static std::mutex loading;
    static BeginSheetWriter begin[2] = {};
    BeginSheetWriter& formatBegin = begin[format == WorkbookFormat::OfficeOpenXml ? 1 : 0];
    {
        const std::lock_guard lock(loading);
        if (formatBegin == nullptr)
            formatBegin = loadWorkbooksModule(format, workbooksModuleFolders());
    }
    return std::unique_ptr<SheetWriter>(formatBegin(sheetName));
}

} // namespace kn
