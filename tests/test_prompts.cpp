// The writers that ask the user something: MYOB 11 and SysPro the date pattern they propose,
// remember and apply; AccPac its fiscal period; FAS its institution number, kept in a file. First
// the checks the prompts make on an answer, shared by the dialogs and the scripted prompter.
#include "prompttestsupport.h"

#include "prompts/promptchecks.h"
#include "writers/fas.h"

#include <QDir>

#include <cmath>

using namespace kn;
using namespace kn::testing;

TEST(NumericValue, ReadsTheNumberATextBeginsWith)
{
    const std::pair<const char*, double> cases[] = {
        {"2014", 2014},  {" 2014 ", 2014}, {"2014 and more", 2014}, {"07", 7},         {"letters", 0},
        {"", 0},         {"2 0 1 4", 2014}, {"\t20\n14", 2014},      {"2014.5", 2014.5}, {"-3", -3},
        {"+3", 3},       {"1E3", 1000},     {"1d2", 100},            {"2.5e-1", 0.25},   {"1E", 1},
        {"1E+", 1},      {"1.2.3", 1.2},    {".5", 0.5},             {"2,014", 2},       {"-", 0},
        {"&H7DE", 2014}, {"&h7de", 2014},   {"&O17", 15},            {"&H", 0},          {"&HG1", 0},
        {"& H10", 16},   {"&O8", 0},        {"E5", 0},               {"\r2014", 0},      {"2014\r", 2014},
        {"1E-999", 0},
    };
    for (auto [text, expected] : cases) // a value too large to hold reads as NaN here, which equals nothing
        EXPECT_DOUBLE_EQ(numericValue(QString::fromLatin1(text)).value_or(std::nan("")), expected) << "'" << text << "'";
    EXPECT_FALSE(numericValue(u"1E999").has_value());
    EXPECT_FALSE(numericValue(QString(400, u'9')).has_value());
}

TEST(RegionalNumber, FollowsTheRegionsSeparatorsAndCurrency)
{
    const std::tuple<const char*, std::vector<const char*>, std::vector<const char*>> cases[] = {
        {"en_US",
         {"0123", "12.5", "-7", "1E3", " 42 ", "\t42", "1,234.5", "$5", "-$5", "$-5", "5$", "5-", ".5", "1e-3", "12,5"},
         {"12A", "1 2", "", "  ", "-", ".", "$", "1E", "E3", "--1", ",5", "$$5", "1.2.3", "\u20ac5", "&H10"}},
        {"fr_CA", {"12,5", "1\u00a0234,5", "1 234,5", "5 $", "1\u00a0234,50\u00a0$"}, {"12.5"}},
        {"de_DE", {"1.234,5", "12.5", "5 \u20ac"}, {"12,5.3", "$5"}},
    };
    for (const auto& [locale, numbers, others] : cases) {
        const RegionalSettings regional = RegionalSettings::named(QString::fromLatin1(locale));
        for (const char* text : numbers)
            EXPECT_TRUE(isRegionalNumber(QString::fromUtf8(text), regional)) << locale << " '" << text << "'";
        for (const char* text : others)
            EXPECT_FALSE(isRegionalNumber(QString::fromUtf8(text), regional)) << locale << " '" << text << "'";
    }
}

TEST(FiscalChoices, SevenYearsDownwardFifteenPeriodsUpwardAnswersWithinTheirEnds)
{
    const FiscalChoices choices = fiscalChoicesFor(QDate(2014, 8, 25));
    EXPECT_EQ(choices.years, (QStringList{"2017", "2016", "2015", "2014", "2013", "2012", "2011"}));
    EXPECT_EQ(choices.periods.join(u' '), QStringLiteral("1 2 3 4 5 6 7 8 9 10 11 12 13 14 15"));
    EXPECT_EQ(choices.year + u'/' + choices.period, QStringLiteral("2014/8"));
    // A year of five digits keeps its last four.
    EXPECT_EQ(fiscalChoicesFor(QDate(9998, 1, 1)).years.first(), QStringLiteral("0001"));

    // An answer is checked against the ends of the lists.
    using enum FiscalCheck;
    const std::tuple<const char*, const char*, FiscalCheck> cases[] = {
        {"2014", "9", Accepted},         {"2011", "1", Accepted},        {"2017", "15", Accepted},
        {"2014.5", "13", Accepted},      {" 2014 ", "07", Accepted},     {"2014 fiscal", "9th", Accepted},
        {"&H7DE", "&O11", Accepted},     {"2010", "9", InvalidYear},     {"2018", "9", InvalidYear},
        {"", "9", InvalidYear},          {"letters", "9", InvalidYear},  {"2010", "16", InvalidYear},
        {"2014", "0", InvalidPeriod},    {"2014", "16", InvalidPeriod},  {"2014", "", InvalidPeriod},
        {"2014", "15.5", InvalidPeriod}, {"1E999", "9", YearUnreadable}, {"2014", "1D400", PeriodUnreadable},
    };
    for (const auto& [year, period, expected] : cases) {
        const FiscalCheck check = checkFiscalAnswer(choices.years, QLatin1String(year), choices.periods, QLatin1String(period));
        EXPECT_EQ(check, expected) << "'" << year << "' '" << period << "'";
    }
    // Lists without entries give no range to check against.
    EXPECT_EQ(checkFiscalAnswer({}, QStringLiteral("2014"), choices.periods, QStringLiteral("9")), YearUnreadable);
    EXPECT_EQ(checkFiscalAnswer(choices.years, QStringLiteral("2014"), {}, QStringLiteral("9")), PeriodUnreadable);
}

TEST(InstitutionNumberCheck, ThreeChecksInOrder)
{
    const RegionalSettings enUS = RegionalSettings::named(QStringLiteral("en_US"));
    using enum InstitutionNumberCheck;
    const std::pair<QString, InstitutionNumberCheck> cases[] = {
        {QString(), Missing},                {QStringLiteral(" "), Missing},      {QStringLiteral("  "), NotNumeric},
        {QString(19, u'9'), Accepted},       {QString(20, u'9'), TooLong},        {QString(20, u'x'), TooLong},
        {QStringLiteral(" 0042"), Accepted}, {QStringLiteral("12A"), NotNumeric}, {QStringLiteral("1E3"), Accepted},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(checkInstitutionNumber(text, enUS), expected) << "'" << text.toStdString() << "'";
}

// An empty date option is an empty pattern, as an emptied box is in the dialog; an accepted number
// is written in the code page, or the prompter says why not.
TEST(ScriptedPrompter, TakesAnEmptyDateOptionAndWritesAnAcceptedNumber)
{
    const DateFormatAnswer answer = ScriptedPrompter(ScriptedAnswers{QString(), {}, {}, {}})
                                        .PromptDateFormat({{}, {}, {}, QStringLiteral("MMDDYY")},
                                                          {RegionalSettings(), CodePage(), SystemClock()});
    EXPECT_TRUE(answer.chosen && answer.pattern.isEmpty());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("FASINSTNUM"));
    const QString unwritable = dir.filePath(QStringLiteral("missing/FASINSTNUM"));
    writeBytes(path, "old\r\nlines\r\n");
    const RegionalSettings regional = RegionalSettings::named(QStringLiteral("fr_CA"));
    const CodePage codePage;
    const SystemClock clock;
    const PromptEnvironment environment{regional, codePage, clock};
    ScriptedPrompter prompter(ScriptedAnswers{{}, {}, {}, QStringLiteral("1\u00a0234,5")});
    prompter.PromptInstitutionNumber(path, environment);
    EXPECT_EQ(readBytes(path), QByteArray("1\xa0" "234,5\r\n"));
    prompter.PromptInstitutionNumber(unwritable, environment);
    EXPECT_FALSE(QFile::exists(unwritable));
    const QString why = QStringLiteral("The institution number file %1 could not be written: Path not found").arg(unwritable);
    EXPECT_EQ(prompter.lastRefusal(), why);
}

namespace {

QString latin1(const char* text)
{
    return QString::fromLatin1(text);
}

QString data(const char* name)
{
    return dataPath(latin1(name));
}

// What each writer says between the import and the opening of its file.
const std::map<QString, QStringList> kWriterStatuses = {
    {"01", {"Processing MYOB Version 11", "Getting User Settings..."}},
    {"04", {"Processing SysPro", "Getting User Settings..."}},
    {"08", {"Processing AccPac..."}},
    {"17", {"Processing FAS File..."}},
};

// Each file is written two folders below "clinic", where FAS, and only FAS, keeps its number file.
TEST(PromptWriters, FilesStatusTextsAndTheNumberFileMatch)
{
    struct Case {
        const char *code, *locale, *input;
        ScriptedAnswers answers; // a date format left out: the proposal is accepted
        const char *currency, *golden;
    };
    const Case cases[] = {
        {"01", "en_US", "payments-prompted.txt", {}, "CAD", "myob-en_US.txt"},
        {"01", "en_US", "payments-whole.txt", {}, "CAD", "myob-whole-en_US.txt"},
        {"01", "en_CA", "payments-whole.txt", {}, "CAD", "myob-whole-en_CA.txt"},
        {"01", "fr_CA", "payments-whole.txt", {}, "CAD", "myob-whole-fr_CA.txt"},
        {"01", "de_DE", "payments-whole.txt", {"DD/MM/YYYY", {}, {}, {}}, "CAD", "myob-whole-de_DE.txt"},
        {"04", "en_US", "payments-prompted.txt", {}, "CAD", "syspro-en_US.txt"},
        {"04", "de_DE", "payments-whole.txt", {"MMDDYY", {}, {}, {}}, "CAD", "syspro-whole-de_DE.txt"},
        {"04", "fr_CA", "payments-whole.txt", {"DD/MM/YYYY", {}, {}, {}}, "CAD", "syspro-whole-fr_CA.txt"},
        {"08", "en_US", "payments-prompted.txt", {{}, " 2014 ", "07", {}}, "CAD", "accpac-en_US.txt"},
        {"08", "fr_CA", "payments-whole.txt", {{}, "2017", "15", {}}, "CAD", "accpac-whole-fr_CA.txt"},
        {"17", "en_US", "payments-prompted.txt", {{}, {}, {}, "0042001"}, "", "fas-en_US.txt"},
        {"17", "de_DE", "payments-whole.txt", {{}, {}, {}, "0042001"}, "  usd  ", "fas-whole-de_DE.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.golden);
        const bool fas = latin1(c.code) == u"17";
        Harness h(latin1(c.locale));
        QDir().mkpath(h.path(QStringLiteral("clinic/exports")));
        scriptedPrompter(h, c.answers);
        const QString output = h.path(QStringLiteral("clinic/exports/gl.txt"));
        ASSERT_TRUE(h.convert(latin1(c.code), data(c.input), output, QStringLiteral("Package"), latin1(c.currency)));
        EXPECT_TRUE(matchesGolden(readBytes(output), latin1(c.golden)));
        EXPECT_EQ(readBytes(h.path(QStringLiteral("clinic/FASINSTNUM"))), fas ? QByteArray("0042001\r\n") : QByteArray());
        EXPECT_EQ(h.events, conversionEvents(kWriterStatuses.at(latin1(c.code)),
                                             fas ? QStringLiteral("Closing File...") : QStringLiteral("Closing the file...")));
    }
}

struct Fixture {
    explicit Fixture(const char* locale = "en_US") : h(latin1(locale))
    {
        h.converter().setPrompter(prompter);
        h.converter().setSettingsStore(settings);
    }
    bool convert(const char* code) { return h.convert(latin1(code), data("payments-whole.txt"), output()); }
    QString output() const { return h.path(QStringLiteral("out.txt")); }

    Harness h;
    std::shared_ptr<RecordingPrompter> prompter = std::make_shared<RecordingPrompter>();
    std::shared_ptr<RecordingSettings> settings = std::make_shared<RecordingSettings>();
};

// MYOB proposes the remembered pattern, else the region's short date pattern (four-digit year) upper-cased, and saves
// only a changed answer; SysPro proposes the remembered pattern, else its first, and always saves. What the
// proposals accepted in en_US and en_CA write is pinned by the golden files above.
TEST(DatePromptWriters, ProposeRememberAndApplyThePattern)
{
    struct Case {
        const char *code, *locale;
        const char* remembered; // null: no setting
        const char* answer;     // null: the proposal is accepted
        const char* proposed;
        bool saved;
        const char* firstDate; // as the first payment's date appears in the file
    };
    const Case cases[] = {
        {"01", "en_US", nullptr, "M/D/YY", "M/D/YYYY", true, ",8/25/14,"}, // "M/d/yy" proposed with its century
        {"01", "de_DE", nullptr, nullptr, "DD.MM.YYYY", false, ",25.08.2014,"},
        {"01", "en_GB", nullptr, nullptr, "DD/MM/YYYY", false, ",25/08/2014,"},
        {"01", "en_US", "DD/MM/YYYY", "DD/MM/YYYY", "DD/MM/YYYY", false, ",25/08/2014,"},
        {"01", "en_US", "DD/MM/YYYY", "YYYY/MM/DD", "DD/MM/YYYY", true, ",2014/08/25,"},
        {"01", "en_US", "DD/MM/YYYY", "dd/mm/yyyy", "DD/MM/YYYY", true, ",25/08/2014,"}, // compared case-sensitively
        {"01", "en_US", nullptr, "D.M.YYYY", "M/D/YYYY", true, ",25.8.2014,"},              // a pattern in no list
        {"04", "en_US", "", nullptr, "DDMMYY", true, "Kaprin   250814City Hydro"},
        {"04", "en_US", "MMDDYY", nullptr, "MMDDYY", true, "Kaprin   082514City Hydro"},
        {"04", "en_US", "MMDDYY", "YYYYMMDD", "MMDDYY", true, "Kaprin   20140825City Hydro"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.code) + " " + c.locale + " " + (c.answer ? c.answer : "-"));
        Fixture f(c.locale);
        const bool myob = latin1(c.code) == u"01";
        const QString key = kSettingsApp + (myob ? QStringLiteral("MYOBDate") : QStringLiteral("SysProDate"));
        if (c.remembered)
            f.settings->values[key] = latin1(c.remembered);
        if (c.answer)
            f.prompter->dateAnswer = DateFormatAnswer{true, latin1(c.answer)};
        ASSERT_TRUE(f.convert(c.code));
        ASSERT_EQ(f.prompter->dateRequests.size(), 1u);
        const DateFormatRequest& asked = f.prompter->dateRequests[0];
        EXPECT_EQ(asked.initial, latin1(c.proposed));
        const QString saved = key + u'=' + latin1(c.answer ? c.answer : c.proposed);
        EXPECT_EQ(f.settings->writes, c.saved ? QStringList{saved} : QStringList{});
        EXPECT_TRUE(readBytes(f.output()).contains(c.firstDate)) << readBytes(f.output()).toStdString();
    }
}

// A refused prompt ends the run before the writer opens its file, with no failure and nothing
// saved. AccPac asks before its first status, under the package's full title.
TEST(PromptWriters, ARefusedOrUnaskedPromptLeavesFileAndSettingAlone)
{
    struct Case {
        const char* code;
        std::optional<ScriptedAnswers> answers; // none: the recording prompter, which refuses every prompt
        const char* why;                        // why the scripted prompter refused
    };
    const Case cases[] = {
        {"01", {}, nullptr},
        {"04", {}, nullptr},
        {"08", {}, nullptr},
        {"08", ScriptedAnswers{}, "The fiscal period prompt needs --fiscal-year and --fiscal-period."},
        {"08", ScriptedAnswers{{}, "2010", "9", {}},
         "--fiscal-year \"2010\": Invalid fiscal year. Please try again. Years 2011 to 2017 are accepted."},
        {"08", ScriptedAnswers{{}, "2014", "", {}},
         "--fiscal-period \"\": Invalid fiscal period. Please try again. Periods 1 to 15 are accepted."},
        {"08", ScriptedAnswers{{}, "1E999", "9", {}}, "--fiscal-year \"1E999\": the number is too large to read."},
    };
    const QString title = QStringLiteral("ACCPAC Advantage Series 5.2");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why ? c.why : c.code);
        Fixture f;
        f.prompter->dateAnswer = DateFormatAnswer{false, QStringLiteral("YYYYMMDD")};
        const auto scripted = c.answers ? scriptedPrompter(f.h, *c.answers) : nullptr;
        writeBytes(f.output(), "earlier file\r\n");
        EXPECT_FALSE(f.h.convert(latin1(c.code), data("payments-whole.txt"), f.output(), title));
        EXPECT_FALSE(f.h.failure.has_value());
        const bool accpac = latin1(c.code) == u"08";
        EXPECT_EQ(f.h.events, kImportEvents + (accpac ? QStringList{} : kWriterStatuses.at(latin1(c.code))));
        EXPECT_EQ(readBytes(f.output()), QByteArray("earlier file\r\n"));
        EXPECT_TRUE(f.settings->writes.isEmpty());
        if (scripted) {
            EXPECT_EQ(scripted->lastRefusal(), QString::fromUtf8(c.why));
        } else if (accpac) {
            EXPECT_EQ(f.prompter->fiscalTitles, QStringList{title});
        }
    }
    // The host's own prompter answers nothing.
    Harness h;
    const QString output = h.path(QStringLiteral("out.txt"));
    EXPECT_FALSE(h.convert(QStringLiteral("01"), data("payments-whole.txt"), output));
    EXPECT_FALSE(h.failure.has_value() || QFile::exists(output) || QFile::exists(h.path(QStringLiteral("settings.ini"))));
}

// A question carries the region, code page and day the converter has when it is asked, also when
// they were set after the prompter was given.
TEST(PromptWriters, AQuestionComesWithTheConvertersRegionCodePageAndDay)
{
    for (const char* code : {"01", "08", "17"}) {
        SCOPED_TRACE(code);
        Fixture f;
        f.h.converter().setRegionalSettings(RegionalSettings::named(QStringLiteral("fr_CA")));
        f.h.converter().setCodePage(CodePage(QStringLiteral("ibm-850")));
        f.h.converter().setClock(std::make_shared<FixedClock>(QDate(2021, 3, 4)));
        QDir().mkpath(f.h.path(QStringLiteral("clinic/exports")));
        f.h.convert(latin1(code), data("payments-whole.txt"), f.h.path(QStringLiteral("clinic/exports/gl.txt")));
        EXPECT_EQ(f.prompter->environments, QStringList{QStringLiteral("fr_CA ibm-850 2021-03-04")});
    }
}

// The number file lies two folders above the output, or in the current folder when there is no
// such folder or it would be the root; the golden files above pin that the writer asks for it there.
TEST(FAS, InstitutionNumberFileLiesTwoFoldersAboveTheOutput)
{
    const std::pair<const char*, const char*> cases[] = {
        {"a/b/c/gl.txt", "a/b/FASINSTNUM"}, {"exports/gl.txt", "FASINSTNUM"}, {"gl.txt", "FASINSTNUM"},
        {"/exports/gl.txt", "/FASINSTNUM"}, {"/gl.txt", "FASINSTNUM"},
    };
    for (const auto& [output, numberFile] : cases)
        EXPECT_EQ(kn::fasInstitutionNumberPath(latin1(output)), latin1(numberFile)) << output;
}

// A number file already there is read as it is, with nothing asked and nothing rewritten; without
// a usable number the run fails before the output is touched.
TEST(FAS, TheNumberFileIsReadOrWrittenBeforeTheOutputIsTouched)
{
    const std::tuple<std::optional<QString>, std::optional<QByteArray>, int, const char*> cases[] = {
        // the number given, a number file already there, the error, why the number went unwritten
        {std::nullopt, std::nullopt, 53, "The institution number prompt needs --institution-number; %1 was not written."},
        {QStringLiteral("12A"), std::nullopt, 53,
         "--institution-number \"12A\": Invalid Institution Number: Please enter a numeric Institution Number"},
        {QStringLiteral("42"), QByteArray("  0042 \r\nsecond line\r\n"), 0, ""},
    };
    for (const auto& [number, existing, error, why] : cases) {
        SCOPED_TRACE(::testing::Message() << error << " " << why);
        Harness h;
        QDir().mkpath(h.path(QStringLiteral("clinic/exports")));
        const QString numberFile = h.path(QStringLiteral("clinic/FASINSTNUM"));
        if (existing)
            writeBytes(numberFile, *existing);
        const auto prompter = scriptedPrompter(h, ScriptedAnswers{{}, {}, {}, number});
        const QString output = h.path(QStringLiteral("clinic/exports/gl.txt"));
        writeBytes(output, "earlier file\r\n");
        EXPECT_EQ(h.convert(QStringLiteral("17"), data("payments-whole.txt"), output), error == 0);
        EXPECT_EQ(h.failure ? h.failure->number() : 0, error);
        if (error != 0) {
            EXPECT_EQ(h.failure->source(), QStringLiteral("KNExport.ProcessFAS"));
            EXPECT_EQ(h.events.last(), QStringLiteral("Processing FAS File..."));
            EXPECT_EQ(readBytes(output), QByteArray("earlier file\r\n"));
        } else {
            const QStringList lines = outputLines(readBytes(output));
            EXPECT_EQ(lines.size(), 3); // the three non-zero payments
            for (const QString& line : lines)
                EXPECT_TRUE(line.startsWith(QStringLiteral("  0042 ,,,"))) << line.toStdString();
        }
        EXPECT_EQ(QFile::exists(numberFile), existing.has_value());
        EXPECT_EQ(readBytes(numberFile), existing.value_or(QByteArray()));
        EXPECT_EQ(prompter->lastRefusal(), QString::fromUtf8(why).replace(QStringLiteral("%1"), numberFile));
    }
}

} // namespace
