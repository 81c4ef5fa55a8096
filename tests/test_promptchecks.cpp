// The checks the prompts make on an answer, shared by the dialogs and the scripted prompter.
#include "prompts/promptchecks.h"
#include "prompts/scriptedprompter.h"

#include "testsupport.h"


#include <gtest/gtest.h>

using namespace kn;
using namespace kn::testing;

namespace {

TEST(NumericValue, ReadsTheNumberATextBeginsWith)
{
    const std::pair<const char*, double> cases[] = {
        {"2014", 2014},       {" 2014 ", 2014},    {"2014 and more", 2014}, {"07", 7},       {"letters", 0},
        {"", 0},              {"2 0 1 4", 2014},   {"\t20\n14", 2014},      {"2014.5", 2014.5}, {"-3", -3},
        {"+3", 3},            {"1E3", 1000},       {"1d2", 100},            {"2.5e-1", 0.25}, {"1E", 1},
        {"1E+", 1},           {"1.2.3", 1.2},      {".5", 0.5},             {"2,014", 2},     {"-", 0},
        {"&H7DE", 2014},      {"&h7de", 2014},     {"&O17", 15},            {"&H", 0},        {"&HG1", 0},
        {"& H10", 16},        {"&O8", 0},          {"E5", 0},               {"\r2014", 0},    {"2014\r", 2014},
        {"1E-999", 0},
    };
    for (auto [text, expected] : cases) {
        const auto value = numericValue(QString::fromLatin1(text));
        ASSERT_TRUE(value.has_value()) << text;
        EXPECT_DOUBLE_EQ(*value, expected) << "'" << text << "'";
    }
    EXPECT_FALSE(numericValue(u"1E999").has_value());
    EXPECT_FALSE(numericValue(QString(400, u'9')).has_value());
}

TEST(RegionalNumber, FollowsTheRegionsSeparatorsAndCurrency)
{
    struct Case {
        const char* locale;
        const char* text;
        bool numeric;
    };
    const Case cases[] = {
        {"en_US", "0123", true},        {"en_US", "12.5", true},      {"en_US", "-7", true},
        {"en_US", "1E3", true},         {"en_US", " 42 ", true},      {"en_US", "\t42", true},
        {"en_US", "1,234.5", true},     {"en_US", "$5", true},        {"en_US", "-$5", true},
        {"en_US", "$-5", true},         {"en_US", "5$", true},        {"en_US", "5-", true},
        {"en_US", ".5", true},          {"en_US", "1e-3", true},      {"en_US", "12A", false},
        {"en_US", "1 2", false},        {"en_US", "", false},         {"en_US", "  ", false},
        {"en_US", "-", false},          {"en_US", ".", false},        {"en_US", "$", false},
        {"en_US", "1E", false},         {"en_US", "E3", false},       {"en_US", "--1", false},
        {"en_US", "12,5", true},        {"en_US", ",5", false},       {"en_US", "$$5", false},
        {"en_US", "1.2.3", false},      {"en_US", "\u20ac5", false},  {"en_US", "&H10", false},
        {"fr_CA", "12,5", true},        {"fr_CA", "12.5", false},     {"fr_CA", "1\u00a0234,5", true},
        {"fr_CA", "1 234,5", true},     {"fr_CA", "5 $", true},       {"fr_CA", "1\u00a0234,50\u00a0$", true},
        {"de_DE", "1.234,5", true},     {"de_DE", "12.5", true},      {"de_DE", "5 \u20ac", true},
        {"de_DE", "12,5.3", false},     {"de_DE", "$5", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isRegionalNumber(QString::fromUtf8(c.text), RegionalSettings::named(QString::fromLatin1(c.locale))), c.numeric)
            << c.locale << " '" << c.text << "'";
    }
}

TEST(FiscalChoices, SevenYearsDownwardFifteenPeriodsUpward)
{
    const FiscalChoices choices = fiscalChoicesFor(QDate(2014, 8, 25));
    EXPECT_EQ(choices.years, (QStringList{"2017", "2016", "2015", "2014", "2013", "2012", "2011"}));
    EXPECT_EQ(choices.periods.size(), 15);
    EXPECT_EQ(choices.periods.first(), QStringLiteral("1"));
    EXPECT_EQ(choices.periods.last(), QStringLiteral("15"));
    EXPECT_EQ(choices.year, QStringLiteral("2014"));
    EXPECT_EQ(choices.period, QStringLiteral("8"));
    // A year of five digits keeps its last four.
    EXPECT_EQ(fiscalChoicesFor(QDate(9998, 1, 1)).years.first(), QStringLiteral("0001"));
}

TEST(FiscalCheck, RangesComeFromTheListsEnds)
{
    const FiscalChoices choices = fiscalChoicesFor(QDate(2014, 9, 2));
    struct Case {
        const char* year;
        const char* period;
        FiscalCheck expected;
    };
    const Case cases[] = {
        {"2014", "9", FiscalCheck::Accepted},        {"2011", "1", FiscalCheck::Accepted},
        {"2017", "15", FiscalCheck::Accepted},       {"2014.5", "13", FiscalCheck::Accepted},
        {" 2014 ", "07", FiscalCheck::Accepted},     {"2014 fiscal", "9th", FiscalCheck::Accepted},
        {"&H7DE", "&O11", FiscalCheck::Accepted},    {"2010", "9", FiscalCheck::InvalidYear},
        {"2018", "9", FiscalCheck::InvalidYear},     {"", "9", FiscalCheck::InvalidYear},
        {"letters", "9", FiscalCheck::InvalidYear},  {"2010", "16", FiscalCheck::InvalidYear},
        {"2014", "0", FiscalCheck::InvalidPeriod},   {"2014", "16", FiscalCheck::InvalidPeriod},
        {"2014", "", FiscalCheck::InvalidPeriod},    {"2014", "15.5", FiscalCheck::InvalidPeriod},
        {"1E999", "9", FiscalCheck::YearUnreadable}, {"2014", "1D400", FiscalCheck::PeriodUnreadable},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(checkFiscalAnswer(choices.years, QString::fromLatin1(c.year), choices.periods, QString::fromLatin1(c.period)),
                  c.expected)
            << "'" << c.year << "' '" << c.period << "'";
    }
    EXPECT_EQ(checkFiscalAnswer({}, QStringLiteral("2014"), choices.periods, QStringLiteral("9")), FiscalCheck::YearUnreadable);
    EXPECT_EQ(checkFiscalAnswer(choices.years, QStringLiteral("2014"), {}, QStringLiteral("9")), FiscalCheck::PeriodUnreadable);
}

TEST(FiscalCheck, MessagesAskToTryAgain)
{
    const PromptMessage year = fiscalMessage(FiscalCheck::InvalidYear);
    EXPECT_EQ(year.title, QStringLiteral("DARODEV"));
    EXPECT_EQ(year.text, QStringLiteral("Invalid fiscal year.\r\nPlease try again."));
    EXPECT_EQ(year.buttons, PromptMessage::Buttons::OkCancel);
    EXPECT_EQ(year.icon, PromptMessage::Icon::Information);
    EXPECT_EQ(fiscalMessage(FiscalCheck::InvalidPeriod).text, QStringLiteral("Invalid fiscal period.\r\nPlease try again."));
}

TEST(InstitutionNumberCheck, ThreeChecksInOrder)
{
    const auto enUS = RegionalSettings::named(QStringLiteral("en_US"));
    const std::pair<QString, InstitutionNumberCheck> cases[] = {
        {QString(), InstitutionNumberCheck::Missing},
        {QStringLiteral(" "), InstitutionNumberCheck::Missing},
        {QStringLiteral("  "), InstitutionNumberCheck::NotNumeric},
        {QString(19, u'9'), InstitutionNumberCheck::Accepted},
        {QString(20, u'9'), InstitutionNumberCheck::TooLong},
        {QString(20, u'x'), InstitutionNumberCheck::TooLong},
        {QStringLiteral(" 0042"), InstitutionNumberCheck::Accepted},
        {QStringLiteral("12A"), InstitutionNumberCheck::NotNumeric},
        {QStringLiteral("1E3"), InstitutionNumberCheck::Accepted},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(checkInstitutionNumber(text, enUS), expected) << "'" << text.toStdString() << "'";

    const PromptMessage missing = institutionNumberMessage(InstitutionNumberCheck::Missing);
    EXPECT_EQ(missing.title, QStringLiteral("Missing Institution Number"));
    EXPECT_EQ(missing.text, QStringLiteral("Please enter an Institution Number"));
    EXPECT_EQ(missing.buttons, PromptMessage::Buttons::Ok);
    const PromptMessage tooLong = institutionNumberMessage(InstitutionNumberCheck::TooLong);
    EXPECT_EQ(tooLong.title, QStringLiteral("Invalid Institution Number"));
    EXPECT_EQ(tooLong.text, QStringLiteral("Please enter an Institution Number that contains fewer than 20 characters"));
    const PromptMessage notNumeric = institutionNumberMessage(InstitutionNumberCheck::NotNumeric);
    EXPECT_EQ(notNumeric.title, QStringLiteral("Invalid Institution Number"));
    EXPECT_EQ(notNumeric.text, QStringLiteral("Please enter a numeric Institution Number"));
}

TEST(ScriptedPrompter, DatePromptTakesTheOptionOrThePresetPattern)
{
    const DateFormatRequest request{QStringLiteral("t"), QStringLiteral("p"), {QStringLiteral("DDMMYY")}, QStringLiteral("MMDDYY")};
    ScriptedPrompter proposed({});
    EXPECT_EQ(proposed.PromptDateFormat(request).pattern, QStringLiteral("MMDDYY"));
    EXPECT_TRUE(proposed.PromptDateFormat(request).chosen);
    ScriptedPrompter given(ScriptedAnswers{QString(), {}, {}, {}});
    const DateFormatAnswer empty = given.PromptDateFormat(request);
    EXPECT_TRUE(empty.chosen);
    EXPECT_EQ(empty.pattern, QString());
}

TEST(ScriptedPrompter, FiscalAnswersAreCheckedAgainstTodayAndReturnedAsGiven)
{
    PromptEnvironment environment;
    environment.clock = std::make_shared<FixedClock>(QDate(2020, 3, 1));
    ScriptedPrompter prompter(ScriptedAnswers{{}, QStringLiteral(" 2023 "), QStringLiteral("03"), {}}, environment);
    const FiscalPeriodAnswer answer = prompter.PromptFiscalPeriod(QStringLiteral("AccPac"));
    EXPECT_TRUE(answer.chosen);
    EXPECT_EQ(answer.fiscalYear, QStringLiteral(" 2023 "));
    EXPECT_EQ(answer.fiscalPeriod, QStringLiteral("03"));
    EXPECT_TRUE(prompter.lastRefusal().isEmpty());

    ScriptedPrompter late(ScriptedAnswers{{}, QStringLiteral("2024"), QStringLiteral("3"), {}}, environment);
    EXPECT_FALSE(late.PromptFiscalPeriod(QStringLiteral("AccPac")).chosen);
    EXPECT_EQ(late.lastRefusal(),
              QStringLiteral("--fiscal-year \"2024\": Invalid fiscal year. Please try again. Years 2017 to 2023 are accepted."));
}

TEST(ScriptedPrompter, AcceptedNumberIsWrittenInTheCodePageWithCrLf)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("FASINSTNUM"));
    writeBytes(path, "old\r\nlines\r\n");
    PromptEnvironment environment{RegionalSettings::named(QStringLiteral("fr_CA")), CodePage(), std::make_shared<SystemClock>()};
    ScriptedPrompter prompter(ScriptedAnswers{{}, {}, {}, QStringLiteral("1\u00a0234,5")}, environment);
    prompter.PromptInstitutionNumber(path);
    EXPECT_TRUE(prompter.lastRefusal().isEmpty()) << prompter.lastRefusal().toStdString();
    EXPECT_EQ(readBytes(path), QByteArray("1\xa0" "234,5\r\n"));
}

TEST(ScriptedPrompter, UnwritableNumberFileIsReportedAndLeftAbsent)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing/FASINSTNUM"));
    ScriptedPrompter prompter(ScriptedAnswers{{}, {}, {}, QStringLiteral("42")});
    prompter.PromptInstitutionNumber(path);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(prompter.lastRefusal(), QStringLiteral("The institution number file %1 could not be written: Path not found").arg(path));
}

TEST(ScriptedPrompter, DemoAnswersTodaysYearAndMonth)
{
    const ScriptedAnswers answers = demoAnswers(QDate(2014, 9, 2));
    EXPECT_FALSE(answers.dateFormat.has_value());
    EXPECT_EQ(answers.fiscalYear, QStringLiteral("2014"));
    EXPECT_EQ(answers.fiscalPeriod, QStringLiteral("9"));
    EXPECT_EQ(checkInstitutionNumber(*answers.institutionNumber, RegionalSettings::named(QStringLiteral("en_US"))),
              InstitutionNumberCheck::Accepted);
}

} // namespace
