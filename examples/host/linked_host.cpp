// A Qt host linking libdarodev: converts a payment file, printing every event and the result, then
// reads the records the conversion read, finds a payment with FindAPBank and builds a collection
// of its own.
//   linked_host PACKAGE_CODE PAYMENT_FILE OUTPUT_FILE [ANSWER=VALUE ...]
#include <darodev/darodev.h>
#include <darodev/records.h>

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

static QTextStream out(stdout);

// An amount of 1/10000 units as currency units with four decimals.
static QString units(long long amount)
{
    return QString::number(amount / 10000.0, 'f', 4);
}

static void showRecords(kn_export* converter)
{
    kn_records* read = kn_export_records(converter);
    out << "Records: " << kn_records_count(read) << Qt::endl;
    if (kn_records_count(read) > 0) {
        const QByteArray payee = kn_records_text(read, 1, "PaidTo");
        out << "First: " << payee << " " << units(kn_records_amount(read, 1)) << Qt::endl;
        out << "FindAPBank: " << kn_records_find_ap_bank(read, "paidto", kn_records_date(read, 1), payee.constData(), 0)
            << Qt::endl;
    }

    // 3, 1, 3 and 2 March 2014 as records A, B, C and D; sorted by date: B, D, A, C.
    // B and D move and so lose their keys; A and C keep theirs, so a second "C" is refused.
    kn_records* own = kn_records_create();
    const struct { double date; const char* payee; } rows[] = {{41701, "A"}, {41699, "B"}, {41701, "C"}, {41700, "D"}};
    for (const auto& row : rows)
        kn_records_add(own, row.date, "", row.payee, "5100", "", 100000, "", "", "5100", row.payee);
    kn_records_sort_by_date(own);
    out << "Own collection:";
    for (int position = 1; position <= kn_records_count(own); ++position)
        out << " " << kn_records_text(own, position, "PaidTo");
    out << Qt::endl;
    if (kn_records_add(own, 41700, "", "E", "", "", 0, "", "", "", "C") == -1)
        out << "Duplicate key: " << kn_records_error_number(own) << " " << kn_records_error_description(own) << " ("
            << kn_records_error_source(own) << ")" << Qt::endl;
    kn_records_destroy(own);
}

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
    showRecords(converter);
    kn_export_destroy(converter);
    return result == -1 ? 1 : 0;
}
