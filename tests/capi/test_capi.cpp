// The C interface of libdarodev, driven as a host in another language drives it: only darodev.h,
// UTF-8 texts, results and error numbers.
#include "darodev/darodev.h"
#include "darodev/prompts.h"
#include "darodev/records.h"

#include "bench/paymentfilebuilder.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using kn::payments::headerLine;
using kn::payments::paymentWith;

namespace {

struct ConverterDeleter {
    void operator()(kn_export* converter) const { kn_export_destroy(converter); }
};
using Converter = std::unique_ptr<kn_export, ConverterDeleter>;

Converter create(const char* locale = "en_US", const char* codepage = nullptr, const char* settings = nullptr)
{
    return Converter(kn_export_create(locale, codepage, settings));
}

class CInterface : public ::testing::Test {
protected:
    std::string path(const char* name) const { return dir.filePath(QString::fromUtf8(name)).toStdString(); }
    std::string writePayments(const QStringList& lines, const char* name = "payments.txt") const
    {
        QFile file(QString::fromStdString(path(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        for (const QString& line : lines)
            file.write(line.toLatin1() + "\r\n");
        return path(name);
    }
    std::string settings() const { return path("settings.ini"); }
    // An output file in a folder of its own inside the scratch folder: FAS keeps its institution
    // number beside the output folder, so that is <folder>/FASINSTNUM.
    std::string outputIn(const std::string& folder) const
    {
        const QString outputFolder = dir.filePath(QString::fromStdString(folder) + "/out");
        QDir().mkpath(outputFolder);
        return QDir(outputFolder).filePath("out.txt").toStdString();
    }

    QTemporaryDir dir;
};

const char* const kInvalidArgument = "Invalid procedure call or argument";

} // namespace

// The events of a conversion, of a file without payments and of a prompt refused and then answered
// through the scripted answers are compared, byte for byte, by the installed example hosts.

// A failure's description, source and detail as a host reads them are compared by the example
// hosts. A callback set to NULL is not called, whatever was set before it: neither conversion here
// has one.
TEST_F(CInterface, AFailureKeepsTheRecordsReadTheNextCallClearsItAndNullCallbacksAreLeftOut)
{
    const Converter converter = create();
    int events = 0;
    kn_export_on_status(converter.get(), [](void* user, const char*) { ++*static_cast<int*>(user); }, &events);
    kn_export_on_complete(converter.get(), [](void* user) { ++*static_cast<int*>(user); }, &events);
    kn_export_on_error(converter.get(), [](void* user, int, const char*, const char*) { ++*static_cast<int*>(user); }, &events);
    kn_export_on_status(converter.get(), nullptr, &events);
    kn_export_on_complete(converter.get(), nullptr, nullptr);
    kn_export_on_error(converter.get(), nullptr, nullptr);
    const std::string input = writePayments({headerLine(), paymentWith("5100"), paymentWith("5100", "12x")});
    EXPECT_EQ(kn_export_convert(converter.get(), "05", input.c_str(), path("out.txt").c_str(), "", ""), -1);
    EXPECT_EQ(kn_export_error_number(converter.get()), 13);
    // The records read before the failure stay, and the next good call clears the error.
    EXPECT_EQ(kn_export_record_count(converter.get()), 1);
    const std::string good = writePayments({headerLine(), paymentWith("5100")}, "good.txt");
    EXPECT_EQ(kn_export_convert(converter.get(), "99", good.c_str(), path("out.txt").c_str(), "", ""), 1);
    EXPECT_EQ(kn_export_error_number(converter.get()), 0);
    EXPECT_STREQ(kn_export_error_source(converter.get()), "");
    EXPECT_EQ(events, 0);
}

TEST(CInterfaceCreation, DefaultsForNullOrEmptyAndNullForAnUnknownCodePage)
{
    const char* const accepted[][2] = {
        {nullptr, nullptr}, {"", ""}, {"fr_CA", "windows-1250"}, {"not a locale", "ISO-8859-15"},
    };
    for (const auto& [locale, codepage] : accepted)
        EXPECT_TRUE(create(locale, codepage)) << (locale ? locale : "NULL") << " " << (codepage ? codepage : "NULL");
    for (const char* codepage : {"no-such-code-page", "UTF-16", "windows-1252x"})
        EXPECT_FALSE(create("en_US", codepage)) << codepage;
}

// Answers take the option names only, exactly as spelt.
TEST_F(CInterface, NullTextsAndUnknownAnswerNamesFailWithInvalidProcedureCall)
{
    const Converter converter = create();
    const std::string input = writePayments({headerLine(), paymentWith("5100")});
    const char* in = input.c_str();
    const std::string outputText = path("out.txt");
    const char* out = outputText.c_str();
    const char* const one[] = {"01~MYOB 11~0", nullptr};
    kn_export* c = converter.get();
    std::vector<std::function<int()>> calls = {
        [&] { return kn_export_convert(c, nullptr, in, out, "t", "CAD"); },
        [&] { return kn_export_convert(c, "05", nullptr, out, "t", "CAD"); },
        [&] { return kn_export_convert(c, "05", in, nullptr, "t", "CAD"); },
        [&] { return kn_export_convert(c, "05", in, out, nullptr, "CAD"); },
        [&] { return kn_export_convert(c, "05", in, out, "t", nullptr); },
        [&] { return kn_export_set_answer(c, nullptr, "1"); },
        [&] { return kn_export_set_answer(c, "fiscal-year", nullptr); },
        [&] { return kn_export_load_packages(c, nullptr, 1); },
        [&] { return kn_export_load_packages(c, one, 2); },
        [&] { return kn_export_load_packages(c, one, -1); },
    };
    for (const char* name : {"", "Date-Format", "dateformat", "--date-format", "currency"})
        calls.push_back([c, name] { return kn_export_set_answer(c, name, "1"); });
    for (std::size_t index = 0; index < calls.size(); ++index) {
        EXPECT_EQ(calls[index](), -1) << "call " << index;
        EXPECT_EQ(kn_export_error_number(c), 5) << "call " << index;
        EXPECT_STREQ(kn_export_error_description(c), kInvalidArgument) << "call " << index;
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(outputText)));
    EXPECT_EQ(kn_export_load_packages(c, one, 1), 0);
    EXPECT_EQ(kn_export_load_packages(c, nullptr, 0), 0);
    for (const char* name : {"date-format", "fiscal-year", "fiscal-period", "institution-number"})
        EXPECT_EQ(kn_export_set_answer(c, name, "1"), 0) << name;
}

// A C host reads back what its list stored, in the list's order after what it added itself, and
// learns whether anything was; the converter's own records and its helpers.
TEST_F(CInterface, TheCatalogueReadsBackWhatTheListStoredAndTheHelpersAnswer)
{
    const Converter converter = create();
    kn_export* c = converter.get();
    const char* const incomplete[] = {"05~txt~MOMGL~2014/08/25~~Momentum", ""};
    EXPECT_EQ(kn_export_load_packages(c, incomplete, 2), 0);
    EXPECT_EQ(kn_export_package_count(c), 0);
    EXPECT_EQ(kn_export_package_add(c, "Mine", "99", 41876, "csv", "MINE", "Mine", "mine"), 0);
    const char* const list[] = {"05~txt~MOMGL~08/25/2014~Momentum Accounting~Momentum", "09~qif~QKN~10:30~Quicken 2000~Quicken", ""};
    EXPECT_EQ(kn_export_load_packages(c, list, 3), 1);
    ASSERT_EQ(kn_export_package_count(c), 3);
    const std::tuple<int, const char*, const char*> texts[] = {
        {0, "code", "99"},          {0, "last-updated", "2014-08-25"},        {1, "code", "05"},
        {1, "full-title", "Momentum Accounting"},                             {1, "title", "Momentum"},
        {1, "extension", "txt"},    {1, "base-name", "MOMGL"},                {1, "last-updated", "2014-08-25"},
        {1, "allow-kaprin-home", "0"}, {2, "code", "09"},                     {2, "last-updated", ""},
        {2, "allow-kaprin-home", "1"},
    };
    for (const auto& [index, name, expected] : texts) {
        const char* value = kn_export_package_text(c, index, name);
        ASSERT_NE(value, nullptr) << index << " " << name;
        EXPECT_STREQ(value, expected) << index << " " << name;
        EXPECT_EQ(kn_export_error_number(c), 0);
    }
    for (const auto& [index, name] : {std::pair<int, const char*>{3, "code"}, {-1, "code"}, {0, "Code"}, {0, nullptr}}) {
        EXPECT_EQ(kn_export_package_text(c, index, name), nullptr) << index;
        EXPECT_EQ(kn_export_error_number(c), 5) << index;
        EXPECT_STREQ(kn_export_error_source(c), "KNExport.AcctPackages") << index;
    }
    EXPECT_EQ(kn_export_package_add(c, "x", "x", 0, "x", "x", "x", "mine"), -1);
    EXPECT_EQ(kn_export_error_number(c), 457);
    EXPECT_EQ(kn_export_package_remove(c, 0), 0);
    EXPECT_STREQ(kn_export_package_text(c, 0, "code"), "05");
    EXPECT_EQ(kn_export_package_remove(c, 2), -1);
    EXPECT_EQ(kn_export_error_number(c), 5);

    EXPECT_EQ(kn_export_records(c), kn_export_records(c));
    EXPECT_EQ(kn_records_count(kn_export_records(c)), 0);
    kn_records_destroy(kn_export_records(c)); // does nothing: the converter owns it
    QFile(QString::fromStdString(path("here"))).open(QIODevice::WriteOnly);
    EXPECT_EQ(kn_export_file_exists(c, path("here").c_str()), -1);
    EXPECT_EQ(kn_export_file_exists(c, dir.path().toUtf8()), 0);
    EXPECT_STRNE(kn_export_qb_date_format(c, 41876), "");
    EXPECT_STRNE(kn_export_jonas_date_format(c, 41876), "");
}

// A record's texts, amount and date as a C host reads and changes them.
TEST(CInterfaceRecords, TextsAmountsAndDatesByPosition)
{
    kn_records* records = kn_records_create();
    EXPECT_EQ(kn_records_add(records, 41876, "K", "Acme", "5100", "Rent", 1234567, "INV", "For", "5100,Rent", nullptr), 1);
    EXPECT_EQ(kn_records_set_text(records, 1, "PaidTo", "Ünïcode"), 0);
    const std::pair<const char*, const char*> texts[] = {{"PaidTo", "Ünïcode"}, {"InvoiceNo", "INV"},
                                                         {"PaymentFor", "For"}, {"GLAccount_Full", "5100,Rent"}};
    for (const auto& [name, expected] : texts)
        EXPECT_STREQ(kn_records_text(records, 1, name), expected) << name;
    EXPECT_EQ(kn_records_text(records, 1, "Payee"), nullptr);
    EXPECT_EQ(kn_records_error_number(records), 5);
    EXPECT_EQ(kn_records_amount(records, 1), 1234567);
    EXPECT_EQ(kn_records_set_date(records, 2, 1), -1);
    EXPECT_EQ(kn_records_date(records, 1), 41876);
    kn_records_destroy(records);
}

TEST(CInterfaceNullObject, EveryEntryPointAcceptsANullConverter)
{
    const int failed[] = {kn_export_convert(nullptr, "05", "in", "out", "t", "CAD"), kn_export_set_answer(nullptr, "fiscal-year", "2014"),
                          kn_export_load_packages(nullptr, nullptr, 0), kn_export_record_count(nullptr),
                          kn_export_package_count(nullptr), kn_records_count(nullptr)};
    for (std::size_t call = 0; call < std::size(failed); ++call)
        EXPECT_EQ(failed[call], -1) << "call " << call;
    EXPECT_EQ(kn_export_package_text(nullptr, 0, "code"), nullptr);
    EXPECT_EQ(kn_export_error_number(nullptr), 5);
    EXPECT_STREQ(kn_export_error_description(nullptr), kInvalidArgument);
    EXPECT_STREQ(kn_export_error_source(nullptr), "");
    EXPECT_STREQ(kn_export_error_detail(nullptr), "");
    kn_export_on_status(nullptr, nullptr, nullptr);
    kn_export_on_complete(nullptr, nullptr, nullptr);
    kn_export_on_error(nullptr, nullptr, nullptr);
    kn_export_destroy(nullptr);
    EXPECT_EQ(kn_export_file_exists(nullptr, "x"), 0);
    EXPECT_EQ(kn_export_qb_date_format(nullptr, 41876), nullptr);
    EXPECT_EQ(kn_records_text(nullptr, 1, "PaidTo"), nullptr);
    EXPECT_EQ(kn_records_error_number(nullptr), 5);
    kn_records_destroy(nullptr);
    EXPECT_STRNE(kn_version(), "");
}

// An event may neither start a conversion, which is refused, nor, by destroying its converter, have
// the converter touched again: that conversion runs to its end without another event.
TEST_F(CInterface, AnEventStartsNoConversionAndMayDestroyItsConverter)
{
    const std::string input = writePayments({headerLine(), paymentWith("5100")});
    const Converter converter = create("en_US", nullptr, settings().c_str());
    struct Nested {
        kn_export* converter;
        std::string input;
        std::vector<int> results;
        std::vector<int> errors;
    } nested{converter.get(), input, {}, {}};
    kn_export_on_status(converter.get(), [](void* user, const char*) {
        auto* n = static_cast<Nested*>(user);
        n->results.push_back(kn_export_convert(n->converter, "05", n->input.c_str(), n->input.c_str(), "", ""));
        n->errors.push_back(kn_export_error_number(n->converter));
    }, &nested);
    EXPECT_EQ(kn_export_convert(converter.get(), "05", input.c_str(), path("out.txt").c_str(), "", ""), 1);
    ASSERT_FALSE(nested.results.empty());
    EXPECT_EQ(std::count(nested.results.begin(), nested.results.end(), -1), std::ssize(nested.results));
    EXPECT_EQ(std::count(nested.errors.begin(), nested.errors.end(), 5), std::ssize(nested.errors));
    EXPECT_EQ(kn_export_record_count(converter.get()), 1);
    EXPECT_EQ(kn_export_error_number(converter.get()), 0);

    kn_export* destroyed = kn_export_create("en_US", nullptr, settings().c_str());
    struct Seen {
        kn_export* converter;
        int statuses = 0;
    } seen{destroyed};
    kn_export_on_status(destroyed, [](void* user, const char*) {
        auto* s = static_cast<Seen*>(user);
        ++s->statuses;
        kn_export_destroy(s->converter);
    }, &seen);
    EXPECT_EQ(kn_export_convert(destroyed, "05", input.c_str(), path("out.txt").c_str(), "", ""), 1);
    EXPECT_EQ(seen.statuses, 1);
}

namespace {

// A host answering the prompts itself, as a user would: the answers are fixed by each case.
struct HostPrompts {
    const char* pattern = nullptr; // nullptr refuses
    const char* year = nullptr;    // nullptr refuses
    const char* period = nullptr;
    const char* institutionNumber = nullptr; // nullptr leaves the file unwritten
    std::vector<std::string> asked = {};

    static kn_prompts table()
    {
        kn_prompts prompts{};
        prompts.date_format = [](void* user, const char* title, const char* prompt, const char* const* suggestions,
                                 int count, const char* initial, char* pattern) {
            auto* self = static_cast<HostPrompts*>(user);
            const std::string list = count > 0 ? std::to_string(count) + " from " + suggestions[0] + " to " +
                                                     suggestions[count - 1]
                                               : std::string("none");
            self->asked.push_back(std::string("date ") + title + ": " + prompt + " [" + list + "] proposing " + initial);
            if (!self->pattern)
                return 0;
            std::strcpy(pattern, self->pattern);
            return 1;
        };
        prompts.fiscal_period = [](void* user, const char* title, char* year, char* period) {
            auto* self = static_cast<HostPrompts*>(user);
            self->asked.push_back(std::string("fiscal period for ") + title);
            if (!self->year)
                return 0;
            std::strcpy(year, self->year);
            std::strcpy(period, self->period);
            return 1;
        };
        prompts.institution_number = [](void* user, const char* path, const char* locale, const char* codepage) {
            auto* self = static_cast<HostPrompts*>(user);
            self->asked.push_back(std::string("institution number in ") + codepage + " under " + locale);
            if (!self->institutionNumber)
                return;
            QFile file(QString::fromUtf8(path));
            if (file.open(QIODevice::WriteOnly))
                file.write(QByteArray(self->institutionNumber) + "\r\n");
        };
        return prompts;
    }
};

} // namespace

// An answer of the host's own prompts writes what the same scripted answer writes; a refusal or a
// missing callback converts nothing.
TEST_F(CInterface, TheHostsOwnPromptsAnswerAsTheScriptedAnswersDoOrConvertNothing)
{
    const std::string year = std::to_string(QDate::currentDate().year());
    const kn_prompts table = HostPrompts::table();
    const kn_prompts empty{};
    struct Case {
        const char* code;
        const kn_prompts* prompts;
        HostPrompts host;
        int result;
        const char* asked = nullptr; // how the host's question begins; nullptr: none asked
        const char* answer = nullptr; // the scripted answer that writes the same file
        const char* value = nullptr;
    } cases[] = {
        {"01", &table, {"DD/MM/YYYY"}, 1,
         "date MYOB Date Format: Please select the date format used by the computer with MYOB installed on it. "
         "[16 from M/D/YYYY to YY/DD/MM] proposing ",
         "date-format", "DD/MM/YYYY"},
        {"04", &table, {"MMDDYY"}, 1,
         "date SysPro Date Format: Please select the date format used by SysPro. [2 from DDMMYY to MMDDYY] proposing DDMMYY",
         "date-format", "MMDDYY"},
        {"08", &table, {nullptr, year.c_str(), "8"}, 1, "fiscal period for AccPac", "fiscal-period", "8"},
        {"17", &table, {nullptr, nullptr, nullptr, "12345"}, 1, "institution number in windows-1252 under en_US",
         "institution-number", "12345"},
        {"01", &table, {}, 0, "date MYOB Date Format: "},
        {"08", &table, {}, 0, "fiscal period for AccPac"},
        {"01", &empty, {}, 0},
        {"08", &empty, {}, 0},
        // FAS cannot go on without its institution number: the file it reads is missing.
        {"17", &table, {}, -1, "institution number in "},
        {"17", &empty, {}, -1},
    };
    const std::string input = writePayments({headerLine(), paymentWith("5100"), paymentWith("5200", "-40.00")});
    int index = 0;
    for (Case& c : cases) {
        SCOPED_TRACE(std::string(c.code) + " case " + std::to_string(index));
        const std::string hostOutput = outputIn("host-" + std::to_string(index++));
        const Converter host = create("en_US", nullptr, settings().c_str());
        ASSERT_EQ(kn_export_set_prompts(host.get(), c.prompts, &c.host), 0);
        EXPECT_EQ(kn_export_convert(host.get(), c.code, input.c_str(), hostOutput.c_str(), "AccPac", ""), c.result);
        EXPECT_EQ(kn_export_error_number(host.get()) == 0, c.result != -1) << "a refusal is no error";
        ASSERT_EQ(c.host.asked.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(c.host.asked[0].rfind(c.asked, 0), 0u) << c.host.asked[0];
        }
        if (c.result != 1) {
            EXPECT_FALSE(QFile::exists(QString::fromStdString(hostOutput)));
            continue;
        }
        const std::string scriptedOutput = outputIn(std::string("scripted-") + c.code);
        const Converter scripted = create("en_US", nullptr, settings().c_str());
        kn_export_set_answer(scripted.get(), "fiscal-year", year.c_str());
        kn_export_set_answer(scripted.get(), c.answer, c.value);
        ASSERT_EQ(kn_export_convert(scripted.get(), c.code, input.c_str(), scriptedOutput.c_str(), "AccPac", ""), 1);
        QFile a(QString::fromStdString(scriptedOutput)), b(QString::fromStdString(hostOutput));
        ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        EXPECT_EQ(a.readAll(), b.readAll());
    }
    // A NULL table goes back to the scripted answers.
    HostPrompts refusing;
    const Converter converter = create("en_US", nullptr, settings().c_str());
    kn_export_set_prompts(converter.get(), &table, &refusing);
    kn_export_set_prompts(converter.get(), nullptr, nullptr);
    EXPECT_EQ(kn_export_convert(converter.get(), "01", input.c_str(), outputIn("scripted").c_str(), "", ""), 1);
    EXPECT_EQ(kn_export_set_prompts(nullptr, &table, nullptr), -1);
}

// The checks before writing, as a host sets them: a repeat warned of and then refused, and
// payments to accounts the package does not know.
TEST_F(CInterface, HistoryAndKnownAccountsWarnListAndRefuse)
{
    const Converter converter = create();
    std::vector<std::string> warnings;
    kn_export_on_warning(
        converter.get(), [](void* user, const char* text) { static_cast<std::vector<std::string>*>(user)->push_back(text); },
        &warnings);
    EXPECT_STREQ(kn_export_audit_json(converter.get()), "");
    const std::string input = writePayments({headerLine(), paymentWith("5100"), paymentWith("6100", "-12.00")});
    const std::string history = path("history.sqlite");
    EXPECT_EQ(kn_export_set_history(converter.get(), history.c_str()), 0);
    EXPECT_EQ(kn_export_convert(converter.get(), "05", input.c_str(), path("first.txt").c_str(), "Momentum", ""), 1);
    EXPECT_TRUE(warnings.empty());

    EXPECT_EQ(kn_export_convert(converter.get(), "05", input.c_str(), path("second.txt").c_str(), "Momentum", ""), 1);
    EXPECT_EQ(warnings.size(), 1u);

    EXPECT_EQ(kn_export_set_refuse_repeat(converter.get(), 1), 0);
    EXPECT_EQ(kn_export_convert(converter.get(), "05", input.c_str(), path("third.txt").c_str(), "Momentum", ""), 0);
    EXPECT_EQ(std::string(kn_export_error_detail(converter.get())).rfind("refused: these payments were converted", 0), 0u)
        << kn_export_error_detail(converter.get());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path("third.txt"))));

    // Known accounts, given as a list and from a file; the history off.
    EXPECT_EQ(kn_export_set_history(converter.get(), nullptr), 0);
    const char* const known[] = {"5100", "1060"};
    EXPECT_EQ(kn_export_set_known_accounts(converter.get(), known, 2), 0);
    EXPECT_EQ(kn_export_convert(converter.get(), "05", input.c_str(), path("fourth.txt").c_str(), "Momentum", ""), 1);
    const QJsonArray unknown = QJsonDocument::fromJson(kn_export_audit_json(converter.get())).object()[u"unknown_accounts"].toArray();
    ASSERT_EQ(unknown.size(), 1);
    EXPECT_EQ(unknown[0][u"account"].toString(), "6100");
    EXPECT_EQ(unknown[0][u"line"].toInt(), 3);
    EXPECT_EQ(kn_export_set_strict_accounts(converter.get(), 1), 0);
    EXPECT_EQ(kn_export_convert(converter.get(), "05", input.c_str(), path("fifth.txt").c_str(), "Momentum", ""), 0);
    EXPECT_STREQ(kn_export_error_detail(converter.get()),
                 "refused: 1 payment goes to accounts the package does not know (line 3: 6100)");
    EXPECT_EQ(kn_export_load_known_accounts(converter.get(), path("none.csv").c_str()), -1);
    EXPECT_EQ(kn_export_error_number(converter.get()), 53);
    QFile file(QString::fromStdString(path("accounts.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("5100\n6100\n");
    file.close();
    EXPECT_EQ(kn_export_load_known_accounts(converter.get(), path("accounts.txt").c_str()), 0);
    EXPECT_EQ(kn_export_convert(converter.get(), "05", input.c_str(), path("fifth.txt").c_str(), "Momentum", ""), 1);
}
