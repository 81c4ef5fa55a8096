#include "dialogsmodule.h"

#include <QFile>
#include <QFileInfo>
#include <QLibrary>

namespace kn {

std::optional<DialogsModule> loadDialogsModule(QString& why)
{
    // The application object does not exist yet, so the executable's folder comes from the kernel.
    const QString folder = QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
    QStringList tried;
    for (const QString& candidate : {folder, folder + QStringLiteral("/" KN_DIALOGS_MODULE_DIR)}) {
        QLibrary library(candidate + QStringLiteral("/knexport-dialogs"));
        // Left loaded for the rest of the run: QLibrary unloads only when asked to.
        if (library.load()) {
            DialogsModule module{reinterpret_cast<MakeDialogApplication>(library.resolve(kMakeDialogApplication)),
                                 reinterpret_cast<MakeDialogPrompter>(library.resolve(kMakeDialogPrompter))};
            if (module.makeApplication && module.makePrompter)
                return module;
        }
        tried << library.errorString();
    }
    why = tried.join(QStringLiteral("; "));
    return std::nullopt;
}

} // namespace kn
