// The import of payment files and the conversion driver: fields, events and every failure path.
#include "testsupport.h"

#include "writers/formatting.h"
#include "core/ledgerwriter.h"
#include "writers/packagetable.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>

using namespace kn;
using namespace kn::testing;
using namespace Qt::StringLiterals;

namespace {

// What a conversion told its host: its result, statuses and failure number.
struct Outcome {
    bool converted;
    QStringList events;
    std::optional<int> failure;
    bool operator==(const Outcome&) const = default;
};

Outcome convertAndTell(Harness& h, const QString& code, const QString& input, const QString& output)
{
    const bool converted = h.convert(code, input, output);
    return {converted, h.events, h.failure ? std::optional(h.failure->number()) : std::nullopt};
}

} // namespace

// Texts lose their blanks, not their tabs, but for the invoice number, which keeps all 27 of its
// columns, and the header's session number and entry source; the ledger field splits at its first
// comma; a line that ends early yields what it holds. A code no writer has, however near a
// writer's, imports the file and writes nothing. The currency code is trimmed and cut to three
// letters, "CAD" when blank.
TEST(Import, ReadsEveryFieldAndTheHeaderAsFarAsTheLinesGo)
{
    const std::tuple<const char*, const char*, const char*> ledgers[] = {
        {"5100-00, Office rent", "5100-00", "Office rent"},
        {"5100", "5100", ""},
        {",x", "", "x"},
        {"a,b,c", "a", "b,c"},
        {"5100,", "5100", ""},
        {"  5100 ,  details  ", "5100", "details"},
    };
    const Payment spaced{.payee = u"  City Hydro\t"_s, .amount = u"1,234.50"_s, .invoice = u" INV-7"_s,
                         .purpose = u" August "_s, .account = u" 1002 "_s};
    const QString endsInInvoice = paymentLine({.invoice = u"AB  "_s});
    QStringList lines{paymentLine(spaced), paymentWith(u"1"_s, u"-25.00"_s), endsInInvoice.left(102), endsInInvoice.left(97)};
    for (auto [ledger, account, details] : ledgers)
        lines << paymentWith(QString::fromLatin1(ledger));
    Harness h;
    const QString input = h.writePayments(lines, headerLine(u" 12"_s, u"AB "_s, u"  1060  "_s));
    const std::tuple<const char*, const char*, const char*> codes[] = {
        // code, currency code given, currency code kept
        {"99", "  usd  ", "usd"}, {"1", "EURO", "EUR"}, {" 05", "", "CAD"}, {"05 ", "   ", "CAD"}, {"5", "X", "X"}, {"", "CAD", "CAD"}};
    for (auto [code, currency, kept] : codes) {
        SCOPED_TRACE(code);
        ASSERT_TRUE(h.convert(QString::fromLatin1(code), input, h.path(u"out"_s), u"Package"_s, QString::fromLatin1(currency)));
        EXPECT_EQ(h.events, kImportEvents + QStringList{"<ProcessComplete>"});
        EXPECT_FALSE(QFile::exists(h.path(u"out"_s)));
        EXPECT_EQ(h.converter().CurrencyCode(), QString::fromLatin1(kept));
    }
    const TransRecords& records = h.converter().Records();
    ASSERT_EQ(records.Count(), 4 + int(std::size(ledgers)));
    const auto& r = records.Item(1);
    EXPECT_EQ(r->TransDate, CalDate::fromYmd(2014, 8, 25));
    EXPECT_EQ(r->KaprinAccount(), u"1002"_s);
    EXPECT_EQ(r->PaidTo(), u"City Hydro\t"_s);
    EXPECT_EQ(r->Amount, Money::fromUnits(12345000));
    EXPECT_EQ(r->InvoiceNo(), u" INV-7"_s.leftJustified(27));
    EXPECT_EQ(r->PaymentFor(), u"August"_s);
    EXPECT_EQ(records.Item(2)->Amount, Money::fromUnits(-250000));
    EXPECT_EQ(records.Item(3)->InvoiceNo(), u"AB  "_s);
    EXPECT_EQ(records.Item(4)->InvoiceNo(), QString());
    EXPECT_EQ(records.Item(4)->PaymentFor(), QString());
    int position = 5;
    for (auto [ledger, account, details] : ledgers) {
        const auto& record = records.Item(position++);
        EXPECT_EQ(record->GLAccount(), QString::fromLatin1(account)) << ledger;
        EXPECT_EQ(record->GLDetails(), QString::fromLatin1(details)) << ledger;
        EXPECT_EQ(record->GLAccount_Full(), trimBlanks(QString::fromLatin1(ledger))) << ledger;
    }
    EXPECT_EQ(h.converter().Header().sessionNumber, u" 12"_s);
    EXPECT_EQ(h.converter().Header().entrySource, u"AB "_s);
    EXPECT_EQ(h.converter().Header().balancingAccount, u"1060"_s);

    // A second conversion sees only its own file, whose header may end after the session number.
    ASSERT_TRUE(h.convert(u"99"_s, h.writePayments({paymentWith(u"3"_s)}, u"H 7"_s), h.path(u"out"_s)));
    ASSERT_EQ(records.Count(), 1);
    EXPECT_EQ(records.Item(1)->GLAccount(), u"3"_s);
    EXPECT_EQ(h.converter().Header().sessionNumber, u" 7"_s);
    EXPECT_EQ(h.converter().Header().entrySource, QString());
    EXPECT_EQ(h.converter().Header().balancingAccount, QString());
}

struct ImportCase {
    const char* name;
    QByteArray content; // empty and missing are told apart by `missing`
    bool missing;
    int number; // 0: the file converts
    int recordsKept;
};

// Every line ending is read, the last line's too. Column 1, the blanks between fields and what
// lies past column 171 are not read: a control byte there is no reason to fail.
TEST(Import, AFileConvertsOrFailsWithItsNumberAndTheImportAsSource)
{
    const QByteArray header = headerLine().toLatin1() + "\r\n";
    const QByteArray good = paymentWith(QStringLiteral("1")).toLatin1() + "\r\n";
    const QByteArray wide = paymentWith(QStringLiteral("1")).toLatin1().leftJustified(171, ' ');
    const auto endedBy = [](const QByteArray& ending, const QByteArray& last) {
        return headerLine().toLatin1() + ending + paymentWith(u"1"_s).toLatin1() + ending + paymentWith(u"2"_s).toLatin1() + last;
    };
    const ImportCase cases[] = {
        {"CR LF", endedBy("\r\n", "\r\n"), false, 0, 2},
        {"CR LF, the last line unended", endedBy("\r\n", {}), false, 0, 2},
        {"LF", endedBy("\n", "\n"), false, 0, 2},
        {"LF, the last line unended", endedBy("\n", {}), false, 0, 2},
        {"CR", endedBy("\r", "\r"), false, 0, 2},
        {"CR, the last line unended", endedBy("\r", {}), false, 0, 2},
        {"0x01 in column 1", header + QByteArray(wide).replace(0, 1, "\x01") + "\r\n", false, 0, 1},
        {"0x0C at column 175", header + wide + "abc\x0c\r\n", false, 0, 1},
        {"0x07 in column 12", header + QByteArray(wide).replace(11, 1, "\x07") + "\r\n", false, 0, 1},
        {"missing file", {}, true, 53, 0},
        {"empty file", {}, false, 62, 0},
        {"bad date", header + good + "D2014/02/30" + paymentWith(QStringLiteral("1")).mid(11).toLatin1() + "\r\n", false, 13, 1},
        {"bad amount", header + good + paymentWith(QStringLiteral("1"), QStringLiteral("12x")).toLatin1() + "\r\n", false, 13, 1},
        {"empty amount", header + paymentWith(QStringLiteral("1"), QString()).toLatin1() + "\r\n", false, 13, 0},
        {"line shorter than the amount", header + paymentWith(QStringLiteral("1")).left(81).toLatin1() + "\r\n", false, 13, 0},
        {"blank line at the end", header + good + "\r\n\r\n", false, 13, 1},
        {"amount out of range", header + paymentWith(QStringLiteral("1"), QStringLiteral("9999999999999999")).toLatin1(), false, 6, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        const QString input = h.path(QStringLiteral("in.txt"));
        if (!c.missing)
            writeBytes(input, c.content);
        const QString output = h.path(QStringLiteral("out.txt"));
        writeBytes(output, "keep");
        EXPECT_EQ(h.convert(QStringLiteral("05"), input, output), c.number == 0);
        EXPECT_EQ(h.converter().Records().Count(), c.recordsKept);
        if (c.number == 0)
            continue;
        ASSERT_TRUE(h.failure.has_value());
        EXPECT_EQ(h.failure->number(), c.number);
        EXPECT_EQ(h.failure->source(), QStringLiteral("KNExport.ImportKNFile"));
        EXPECT_FALSE(h.events.contains(QStringLiteral("<ProcessComplete>")));
        EXPECT_EQ(readBytes(output), QByteArray("keep"));
    }
}

TEST(Driver, NoRecordsRaisesErrorAndTouchesNoFile)
{
    Harness h;
    const QString output = h.path(QStringLiteral("out.txt"));
    writeBytes(output, "keep");
    EXPECT_TRUE(h.convert(QStringLiteral("05"), h.writePayments({}), output));
    EXPECT_EQ(h.events, kImportEvents + QStringList{"<Error 999 There are no import records to process KNExport.ConvertKNtoGLSpecific>"});
    EXPECT_EQ(readBytes(output), QByteArray("keep"));
}

TEST(Driver, ThePaymentFileIsNeverTheOutputByAnySpelling)
{
    const char* spellings[] = {"payments.txt", "sub/../payments.txt", "link.txt"};
    for (const char* spelling : spellings) {
        Harness h;
        QDir(h.path({})).mkdir(QStringLiteral("sub"));
        const QString input = h.writePayments({paymentWith(QStringLiteral("1"))});
        QFile::link(input, h.path(QStringLiteral("link.txt")));
        const QByteArray before = readBytes(input);
        EXPECT_FALSE(h.convert(QStringLiteral("05"), input, h.path(QLatin1String(spelling))));
        ASSERT_TRUE(h.failure) << spelling;
        EXPECT_EQ(h.failure->number(), 5) << spelling;
        EXPECT_EQ(h.failure->source(), QStringLiteral("KNExport.ConvertKNtoGLSpecific")) << spelling;
        EXPECT_EQ(readBytes(input), before) << spelling;
    }
}

TEST(Driver, FileexistsNeverFails)
{
    Harness h;
    const QString empty = h.path(QStringLiteral("empty"));
    writeBytes(empty, {});
    EXPECT_EQ(h.converter().Fileexists(empty), -1);
    EXPECT_EQ(h.converter().Fileexists(h.path(QStringLiteral("nothing"))), 0);
    EXPECT_EQ(h.converter().Fileexists(h.path(QString())), 0);
    EXPECT_EQ(h.converter().Fileexists(QString()), 0);
}

namespace {

// A package as the catalogue holds it, in the order of a host's description, "~" between: code,
// extension, base name, date (empty when it did not read), full and short title, then "home"
// where Kaprin Home may use it.
QString entryOf(const PackagePtr& package)
{
    const CalDate listed = package->LastUpdated;
    return QStringList{package->PackageCode, package->FileExtension, package->FileBaseName,
                       listed == CalDate() ? QString() : listed.toQDate().toString(u"yyyy/MM/dd"), package->PackageFullTitle,
                       package->PackageTitle.toString(), package->AllowKaprinHome ? u"home"_s : QString()}
        .join(u'~');
}

} // namespace

TEST(Catalogue, LoadsEveryElementButTheLast)
{
    Harness h;
    KNExport& k = h.converter();
    const QString momentum = QStringLiteral("05~txt~MOM~2014/08/25~Momentum Accounting~Momentum");
    EXPECT_FALSE(k.LoadAccountingPackageList({momentum}));
    EXPECT_EQ(k.AcctPackages().Count(), 0);

    EXPECT_TRUE(k.LoadAccountingPackageList({momentum,
                                             QStringLiteral("09~qif~Q~soon~ Quicken ~Quicken"),
                                             QStringLiteral(" 09~qif~Q~~Quicken~Quicken~extra"),
                                             QStringLiteral("10~qif~  ~x~Quicken~Quicken"),
                                             QStringLiteral("10~qif~Q~x~Quicken"),
                                             QStringLiteral("10~qif~Q~x~Quicken~Q")}));
    ASSERT_EQ(k.AcctPackages().Count(), 3);
    EXPECT_EQ(entryOf(k.AcctPackages().Item(1)), u"05~txt~MOM~2014/08/25~Momentum Accounting~Momentum~"_s);
    EXPECT_EQ(entryOf(k.AcctPackages().Item(2)), u"09~qif~Q~~ Quicken ~Quicken~home"_s);
    EXPECT_EQ(entryOf(k.AcctPackages().Item(3)), u" 09~qif~Q~~Quicken~Quicken~"_s); // " 09" is not "09"

    // A date keeps its time of day.
    k.LoadAccountingPackageList({u"05~txt~MOM~2014/08/25 18:00~Momentum Accounting~Momentum"_s, QString()});
    ASSERT_EQ(k.AcctPackages().Count(), 4);
    EXPECT_EQ(k.AcctPackages().Item(4)->LastUpdated.value(), 41876.75);
}

// Only codes 09 and 10 allow Kaprin Home, also on a converter made without the package table.
TEST(PackageTable, OneCompleteRowPerCodeAndTheHostCatalogueAgreesWithIt)
{
    const PackageTable table = packageTable();
    ASSERT_EQ(table.size(), 17u);
    KNExport k;
    ASSERT_TRUE(k.LoadAccountingPackageList(packageDescriptions(table)));
    ASSERT_EQ(k.AcctPackages().Count(), static_cast<int>(table.size()));
    for (std::size_t i = 0; i < table.size(); ++i) {
        const PackageRow& row = table[i];
        SCOPED_TRACE(row.code);
        EXPECT_EQ(row.codeText(), QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0')));
        for (const char* text : {row.fullTitle, row.shortTitle, row.fileExtension, row.fileBaseName, row.listed,
                                 row.operation, row.firstStatus, row.closingStatus})
            EXPECT_TRUE(text && *text);
        ASSERT_NE(row.makeWriter, nullptr);
        EXPECT_NE(row.makeWriter(row), nullptr);
        EXPECT_EQ(findPackageRow(table, row.codeText()), &row);
        const PackagePtr& package = k.AcctPackages().Item(static_cast<int>(i) + 1);
        EXPECT_EQ(entryOf(package), QStringList({row.code, row.fileExtension, row.fileBaseName, row.listed, row.fullTitle,
                                                 row.shortTitle, i == 8 || i == 9 ? "home" : ""}).join(u'~'));
    }
}

// A conversion from bytes to bytes writes what the same conversion writes to its file, with the
// same statuses and audit, and touches no file at the output path; a failure is the same too.
TEST(Driver, AConversionInMemoryWritesTheFilesBytes)
{
    const QByteArray example = readBytes(kExample);
    const QByteArray badAmount = crlfLines({headerLine(), paymentWith(u"1"_s), paymentWith(u"1"_s, u"12x"_s)});
    for (const QByteArray& input : {example, badAmount}) {
        for (const PackageRow& row : packageTable()) {
            if (!row.makeWriter(row)->writesTextFile())
                continue;
            const QString code = QString::fromLatin1(row.code);
            SCOPED_TRACE(code.toStdString() + " " + std::to_string(input.size()));
            Harness h;
            const QString inputPath = h.path(u"in.txt"_s);
            writeBytes(inputPath, input);
            const QString output = h.path(u"out.txt"_s);
            const Outcome onDisk = convertAndTell(h, code, inputPath, output);
            const QByteArray written = readBytes(output);
            QFile::remove(output);
            const ConversionAudit fileAudit = h.converter().LastAudit();
            KNExport::MemoryFiles files{std::string_view(input.constData(), std::size_t(input.size())), "stale"};
            h.converter().setMemoryFiles(&files);
            EXPECT_EQ(convertAndTell(h, code, h.path(u"missing.txt"_s), output), onDisk);
            EXPECT_EQ(h.converter().LastAudit().written, fileAudit.written);
            EXPECT_EQ(h.converter().LastAudit().changed, fileAudit.changed);
            if (onDisk.converted) {
                EXPECT_EQ(QByteArray::fromStdString(files.output), written);
            }
            EXPECT_FALSE(QFileInfo::exists(output));
        }
    }
}

namespace {

// Answers the institution number's question by writing the number's file, on the disk or among
// the memory files' companions, or refuses it; and counts the questions.
class NumberFilePrompter final : public Prompter {
public:
    NumberFilePrompter(std::optional<std::string> answer, CompanionFiles* memory) : answer_(std::move(answer)), memory_(memory) {}
    DateFormatAnswer PromptDateFormat(const DateFormatRequest&, const PromptEnvironment&) override { return {}; }
    FiscalPeriodAnswer PromptFiscalPeriod(const QString&, const PromptEnvironment&) override { return {}; }
    void PromptInstitutionNumber(const QString& path, const PromptEnvironment&) override
    {
        ++asked;
        if (!answer_)
            return;
        if (memory_ != nullptr)
            (*memory_)[path] = *answer_;
        else
            writeBytes(path, QByteArray::fromStdString(*answer_));
    }
    int asked = 0;

private:
    std::optional<std::string> answer_;
    CompanionFiles* memory_;
};

QStringList filesUnder(const QString& folder)
{
    QStringList found;
    for (QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        found << it.next();
    found.sort();
    return found;
}

} // namespace

// With its companion files in memory a conversion touches no file, and does what the same
// conversion does on the disk: FAS reads its institution number there, or asks and reads the
// answer put there, and fails alike without one; the workbook's bytes are the file's.
TEST(Driver, AConversionWithItsCompanionFilesInMemoryTouchesNoFile)
{
    const std::tuple<const char*, const char*, std::optional<std::string>, std::optional<std::string>, int, int> cases[] = {
        // code, file name, the number file already there, the answer to the question, error, questions
        {"17", "gl.txt", std::nullopt, "0042\r\n", 0, 1},
        {"17", "gl.txt", "  0042 \r\nsecond line\r\n", "7\r\n", 0, 0},
        {"17", "gl.txt", std::nullopt, std::nullopt, 53, 1},
        {"17", "gl.txt", "", "7\r\n", 62, 0},
        {"16", "aimsi.xls", std::nullopt, std::nullopt, 0, 0},
    };
    const QByteArray payments = readBytes(dataPath(u"payments-whole.txt"_s));
    for (const auto& [code, fileName, existing, answer, error, questions] : cases) {
        SCOPED_TRACE(::testing::Message() << code << " " << fileName << " " << error << " " << existing.value_or("none"));
        Harness h;
        QDir().mkpath(h.path(u"clinic/exports"_s));
        const QString output = h.path(u"clinic/exports/"_s + QString::fromLatin1(fileName));
        if (existing)
            writeBytes(h.path(u"clinic/FASINSTNUM"_s), QByteArray::fromStdString(*existing));
        auto onDisk = std::make_shared<NumberFilePrompter>(answer, nullptr);
        h.converter().setPrompter(onDisk);
        const Outcome onDiskOutcome = convertAndTell(h, QString::fromLatin1(code), dataPath(u"payments-whole.txt"_s), output);
        EXPECT_EQ(onDiskOutcome.failure.value_or(0), error);

        // The same conversion in memory, its paths in a folder that is not there.
        const QStringList before = filesUnder(h.path({}));
        const QString memoryOutput = h.path(u"absent/exports/"_s + QString::fromLatin1(fileName));
        const QString memoryNumber = h.path(u"absent/FASINSTNUM"_s);
        KNExport::MemoryFiles files{std::string_view(payments.constData(), std::size_t(payments.size())), "stale",
                                    CompanionFiles()};
        if (existing)
            (*files.companions)[memoryNumber] = *existing;
        auto inMemory = std::make_shared<NumberFilePrompter>(answer, &*files.companions);
        h.converter().setPrompter(inMemory);
        h.converter().setSettingsStore(makeMemorySettingsStore());
        h.converter().setMemoryFiles(&files);
        EXPECT_EQ(convertAndTell(h, QString::fromLatin1(code), h.path(u"absent/payments.txt"_s), memoryOutput), onDiskOutcome);
        EXPECT_EQ(onDisk->asked, questions);
        EXPECT_EQ(inMemory->asked, questions);
        if (onDiskOutcome.converted) {
            EXPECT_EQ(QByteArray::fromStdString(files.output), readBytes(output));
        }
        const bool numbered = existing || (questions > 0 && answer);
        EXPECT_EQ(files.companions->size(), numbered ? 1U : 0U);
        if (numbered) {
            EXPECT_EQ((*files.companions)[memoryNumber], existing ? *existing : *answer);
        }
        EXPECT_EQ(filesUnder(h.path({})), before);
    }
}
