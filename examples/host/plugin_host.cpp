// A Qt host that never links DARODEV: it loads the component, creates a KNExport through the
// factory, calls its members by name and connects to its events by name, then reads the records
// the conversion read, finds a payment with FindAPBank and builds a collection of its own.
//   plugin_host PACKAGE_CODE PAYMENT_FILE OUTPUT_FILE [PLUGIN]
#include <darodev/knexportfactory.h>

#include <QCoreApplication>
#include <QJsonObject>
#include <QPluginLoader>
#include <QTextStream>

static QTextStream out(stdout);

// Calls a member by name that hands out an object; the object is the caller's.
template <typename... Args>
static QObject* objectFrom(QObject* target, const char* member, Args... args)
{
    QObject* result = nullptr;
    QMetaObject::invokeMethod(target, member, Q_RETURN_ARG(QObject*, result), args...);
    return result;
}

static int countOf(QObject* collection)
{
    int count = 0;
    QMetaObject::invokeMethod(collection, "Count", Q_RETURN_ARG(int, count));
    return count;
}

static void showRecords(darodev::KNExportFactory& factory, QObject* knexport)
{
    QObject* read = objectFrom(knexport, "Records"); // the converter's own
    out << "Records: " << countOf(read) << Qt::endl;
    if (countOf(read) > 0) {
        QObject* first = objectFrom(read, "Item", Q_ARG(QVariant, 1));
        const QString payee = first->property("PaidTo").toString();
        out << "First: " << payee << " " << QString::number(first->property("Amount").toDouble(), 'f', 4) << Qt::endl;
        QObject* found = objectFrom(read, "FindAPBank", Q_ARG(QString, "paidto"),
                                    Q_ARG(double, first->property("TransDate").toDouble()), Q_ARG(QString, payee),
                                    Q_ARG(int, 0));
        if (found)
            out << "FindAPBank: " << found->property("PaidTo").toString() << " on day "
                << found->property("TransDate").toDouble() << Qt::endl;
        delete found;
        delete first;
    }

    // 3, 1, 3 and 2 March 2014 as records A, B, C and D; sorted by date: B, D, A, C.
    // B and D move and so lose their keys; A and C keep theirs, so a second "C" is refused.
    QObject* own = factory.createObject("TransRecords");
    const struct { double date; const char* payee; } rows[] = {{41701, "A"}, {41699, "B"}, {41701, "C"}, {41700, "D"}};
    for (const auto& row : rows)
        delete objectFrom(own, "Add", Q_ARG(double, row.date), Q_ARG(QString, ""), Q_ARG(QString, row.payee),
                          Q_ARG(QString, "5100"), Q_ARG(QString, ""), Q_ARG(double, 10), Q_ARG(QString, ""),
                          Q_ARG(QString, ""), Q_ARG(QString, "5100"), Q_ARG(QString, row.payee));
    bool sorted = false;
    QMetaObject::invokeMethod(own, "SortByDate", Q_RETURN_ARG(bool, sorted));
    QList<QObject*> records;
    QMetaObject::invokeMethod(own, "NewEnum", Q_RETURN_ARG(QList<QObject*>, records));
    out << "Own collection:";
    for (QObject* record : records)
        out << " " << record->property("PaidTo").toString();
    out << Qt::endl;
    qDeleteAll(records);
    if (!objectFrom(own, "Add", Q_ARG(double, 41700), Q_ARG(QString, ""), Q_ARG(QString, "E"), Q_ARG(QString, ""),
                    Q_ARG(QString, ""), Q_ARG(double, 0), Q_ARG(QString, ""), Q_ARG(QString, ""), Q_ARG(QString, ""),
                    Q_ARG(QString, "C")))
        out << "Duplicate key: " << own->property("ErrorNumber").toInt() << " "
            << own->property("ErrorDescription").toString() << " (" << own->property("ErrorSource").toString() << ")"
            << Qt::endl;
    delete own;
}

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
    QObject* packages = objectFrom(knexport, "AcctPackages"); // the converter's own, the same every time
    QList<QObject*> listed;
    QMetaObject::invokeMethod(packages, "NewEnum", Q_RETURN_ARG(QList<QObject*>, listed));
    for (QObject* package : listed)
        out << "Package: " << package->property("PackageCode").toString() << " "
            << package->property("PackageFullTitle").toString() << Qt::endl;
    qDeleteAll(listed);

    bool result = false;
    QMetaObject::invokeMethod(knexport, "ConvertKNtoGLSpecific", Q_RETURN_ARG(bool, result), Q_ARG(QString, args[1]),
                              Q_ARG(QString, args[2]), Q_ARG(QString, args[3]), Q_ARG(QString, "Example"),
                              Q_ARG(QString, "CAD"));
    out << "Result: " << (result ? "true" : "false") << Qt::endl;
    if (knexport->property("ErrorNumber").toInt() != 0)
        out << "Failed: " << knexport->property("ErrorNumber").toInt() << " "
            << knexport->property("ErrorDescription").toString() << " ("
            << knexport->property("ErrorSource").toString() << ")" << Qt::endl;

    showRecords(*factory, knexport);
    out << "Can unload with the object alive: " << (factory->canUnloadNow() ? "yes" : "no") << Qt::endl;
    delete knexport;
    out << "Can unload after deleting it: " << (factory->canUnloadNow() ? "yes" : "no") << Qt::endl;
    out << "Unloaded: " << (loader.unload() ? "yes" : "no") << Qt::endl;
    return result ? 0 : 1;
}

#include "plugin_host.moc"
