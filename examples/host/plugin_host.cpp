// A Qt host that never links DARODEV: it loads the component, creates a KNExport through the
// factory, calls its members by name and connects to its events by name.
//   plugin_host PACKAGE_CODE PAYMENT_FILE OUTPUT_FILE [PLUGIN]
#include <darodev/knexportfactory.h>

#include <QCoreApplication>
#include <QJsonObject>
#include <QPluginLoader>
#include <QTextStream>
#include <QVariantMap>

static QTextStream out(stdout);

class EventPrinter : public QObject {
    Q_OBJECT
public slots:
    void status(const QString& text) { out << "Status: " << text << Qt::endl; }
    void complete() { out << "ProcessComplete" << Qt::endl; }
    void error(int number, const QString& description, const QString& location)
    {
        out << "Error: " << number << " " << description << " (" << location << ")" << Qt::endl;
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        QTextStream(stderr) << "usage: plugin_host PACKAGE_CODE PAYMENT_FILE OUTPUT_FILE [PLUGIN]\n";
        return 2;
    }
    QPluginLoader loader(args.value(4, QStringLiteral(DARODEV_COMPONENT_PLUGIN)));
    auto* factory = qobject_cast<darodev::KNExportFactory*>(loader.instance());
    if (!factory) {
        QTextStream(stderr) << loader.errorString() << "\n";
        return 2;
    }
    out << "Loaded: " << loader.metaData().value("MetaData").toObject().value("ClassName").toString() << Qt::endl;

    QObject* knexport = factory->createKNExport("en_US", {}, qEnvironmentVariable("DARODEV_SETTINGS_INI"));
    EventPrinter printer;
    QObject::connect(knexport, SIGNAL(Status(QString)), &printer, SLOT(status(QString)));
    QObject::connect(knexport, SIGNAL(ProcessComplete()), &printer, SLOT(complete()));
    QObject::connect(knexport, SIGNAL(Error(int, QString, QString)), &printer, SLOT(error(int, QString, QString)));

    bool loaded = false;
    const QStringList packageList{"05~txt~MOMGL~2014/09/02~Momentum~Momentum", ""};
    QMetaObject::invokeMethod(knexport, "LoadAccountingPackageList", Q_RETURN_ARG(bool, loaded),
                              Q_ARG(QStringList, packageList));
    QVariantList packages;
    QMetaObject::invokeMethod(knexport, "AcctPackages", Q_RETURN_ARG(QVariantList, packages));
    for (const QVariant& package : packages)
        out << "Package: " << package.toMap().value("PackageCode").toString() << " "
            << package.toMap().value("PackageFullTitle").toString() << Qt::endl;

    bool result = false;
    QMetaObject::invokeMethod(knexport, "ConvertKNtoGLSpecific", Q_RETURN_ARG(bool, result), Q_ARG(QString, args[1]),
                              Q_ARG(QString, args[2]), Q_ARG(QString, args[3]), Q_ARG(QString, "Example"),
                              Q_ARG(QString, "CAD"));
    out << "Result: " << (result ? "true" : "false") << Qt::endl;
    if (knexport->property("ErrorNumber").toInt() != 0)
        out << "Failed: " << knexport->property("ErrorNumber").toInt() << " "
            << knexport->property("ErrorDescription").toString() << " ("
            << knexport->property("ErrorSource").toString() << ")" << Qt::endl;

    out << "Can unload with the object alive: " << (factory->canUnloadNow() ? "yes" : "no") << Qt::endl;
    delete knexport;
    out << "Can unload after deleting it: " << (factory->canUnloadNow() ? "yes" : "no") << Qt::endl;
    out << "Unloaded: " << (loader.unload() ? "yes" : "no") << Qt::endl;
    return result ? 0 : 1;
}

#include "plugin_host.moc"
