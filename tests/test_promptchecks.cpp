// The checks the prompts make on an answer, shared by the dialogs and the scripted prompter.
#include "prompts/promptchecks.h"
#include "prompts/scriptedprompter.h"

#include "testsupport.h"

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

TEST(FiscalChoices, SevenYearsDownwardFifteenPeriodsUpward)
{
    const FiscalChoices choices = fiscalChoicesFor(QDate(2014, 8, 25));
    EXPECT_EQ(choices.years, (QStringList{"2017", "2016", "2015", "2014", "2013", "2012", "2011"}));
    EXPECT_EQ(choices.periods.join(u' '), QStringLiteral("1 2 3 4 5 6 7 8 9 10 11 12 13 14 15"));
    EXPECT_EQ(choices.year + u'/' + choices.period, QStringLiteral("2014/8"));
    // A year of five digits keeps its last four.
    EXPECT_EQ(fiscalChoicesFor(QDate(9998, 1, 1)).years.first(), QStringLiteral("0001"));
}

TEST(FiscalCheck, RangesComeFromTheListsEnds)
{
    const FiscalChoices choices = fiscalChoicesFor(QDate(2014, 9, 2));
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

// An empty option is an empty pattern, as an emptied box is in the dialog.
TEST(ScriptedPrompter, DatePromptTakesAnEmptyOptionAsGiven)
{
    const DateFormatAnswer answer =
        ScriptedPrompter(ScriptedAnswers{QString(), {}, {}, {}}).PromptDateFormat({{}, {}, {}, QStringLiteral("MMDDYY")});
    EXPECT_TRUE(answer.chosen && answer.pattern.isEmpty());
}

TEST(ScriptedPrompter, WritesAnAcceptedNumberInTheCodePageOrSaysWhyNot)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("FASINSTNUM"));
    const QString unwritable = dir.filePath(QStringLiteral("missing/FASINSTNUM"));
    writeBytes(path, "old\r\nlines\r\n");
    PromptEnvironment environment{RegionalSettings::named(QStringLiteral("fr_CA")), CodePage(), std::make_shared<SystemClock>()};
    ScriptedPrompter prompter(ScriptedAnswers{{}, {}, {}, QStringLiteral("1\u00a0234,5")}, environment);
    prompter.PromptInstitutionNumber(path);
    EXPECT_EQ(readBytes(path), QByteArray("1\xa0" "234,5\r\n"));
    prompter.PromptInstitutionNumber(unwritable);
    EXPECT_FALSE(QFile::exists(unwritable));
    const QString why = QStringLiteral("The institution number file %1 could not be written: Path not found").arg(unwritable);
    EXPECT_EQ(prompter.lastRefusal(), why);
}
