// A Qt host linking libdarodev: converts a payment file, printing every event and the result.
//   linked_host PACKAGE_CODE PAYMENT_FILE OUTPUT_FILE [ANSWER=VALUE ...]
#include <darodev/darodev.h>

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

static QTextStream out(stdout);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        QTextStream(stderr) << "usage: linked_host PACKAGE_CODE PAYMENT_FILE OUTPUT_FILE [ANSWER=VALUE ...]\n";
        return 2;
    }
    kn_export* converter = kn_export_create("en_US", nullptr, qgetenv("DARODEV_SETTINGS_INI").constData());
    kn_export_on_status(converter, [](void*, const char* text) { out << "Status: " << text << Qt::endl; }, nullptr);
    kn_export_on_complete(converter, [](void*) { out << "ProcessComplete" << Qt::endl; }, nullptr);
    kn_export_on_error(converter, [](void*, int number, const char* description, const char* location) {
        out << "Error: " << number << " " << description << " (" << location << ")" << Qt::endl;
    }, nullptr);
    for (const QString& answer : args.mid(4)) {
        const QByteArray name = answer.section(u'=', 0, 0).toUtf8();
        kn_export_set_answer(converter, name.constData(), answer.section(u'=', 1).toUtf8().constData());
    }

    const int result = kn_export_convert(converter, args[1].toUtf8().constData(), args[2].toUtf8().constData(),
                                         args[3].toUtf8().constData(), "Example", "CAD");
    out << "Result: " << result << Qt::endl;
    if (result == -1)
        out << "Failed: " << kn_export_error_number(converter) << " " << kn_export_error_description(converter)
            << " (" << kn_export_error_source(converter) << ")" << Qt::endl;
    else if (result == 0)
        out << "Not converted: " << kn_export_error_detail(converter) << Qt::endl;
    out << "Records: " << kn_export_record_count(converter) << Qt::endl;
    kn_export_destroy(converter);
    return result == -1 ? 1 : 0;
}
