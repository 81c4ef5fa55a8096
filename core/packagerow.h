#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <span>

namespace kn {

class LedgerWriter;
struct PackageRow;

using WriterFactory = std::unique_ptr<LedgerWriter> (*)(const PackageRow&);

// Most writers announce themselves and then prepare; one asks its question first, so that a
// refused question leaves no status behind.
enum class FirstStatusOrder { BeforePreparation, AfterPreparation };
enum class ClosingOrder { StatusThenClose, CloseThenStatus };
// The question a package's writer puts to the user before it writes.
enum class Question { None, DatePattern, FiscalPeriod, InstitutionNumber };

// Everything the product knows of one package code: what the host's catalogue lists for it, the
// operation that converts it and the texts that operation announces, and how to make its writer.
struct PackageRow {
    const char* code;
    const char* fullTitle;
    const char* shortTitle;
    const char* fileExtension;
    const char* fileBaseName;
    // The date of the package's description, as the host's catalogue gives it ("2014/08/25").
    const char* listed;
    // The operation's name ("ProcessMomentum"); a failure's source is "KNExport." and this name.
    const char* operation;
    const char* firstStatus;
    FirstStatusOrder firstStatusOrder = FirstStatusOrder::BeforePreparation;
    const char* closingStatus = "Closing the file...";
    ClosingOrder closing = ClosingOrder::StatusThenClose;
    // What the writer of a shared operation makes differently for this code ("5", "6").
    const char* variant = "";
    Question asks = Question::None;
    // The most payments the package's file can hold (a 16-bit counter, a sheet's rows), and what
    // it is called in the failure's detail ("QuickBooks journals"); 0 when there is no limit.
    int paymentLimit = 0;
    const char* limitedFile = "";
    WriterFactory makeWriter = nullptr;

    QString codeText() const { return QString::fromLatin1(code); }
    QString operationSource() const { return QStringLiteral("KNExport.") + QString::fromLatin1(operation); }
};

// The rows in code order, one per code.
using PackageTable = std::span<const PackageRow>;

// The host's catalogue of the table: one "~"-separated description per row (code, extension,
// base name, date, full title, short title), then the empty element that ends a host's list.
QStringList packageDescriptions(PackageTable table);

// The row whose code equals packageCode exactly, or null: " 01" or "1" select nothing.
const PackageRow* findPackageRow(PackageTable table, QStringView packageCode);

} // namespace kn
