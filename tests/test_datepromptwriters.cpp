// The MYOB 11 and SysPro writers: the date pattern they propose, remember and apply, and their files.
#include "prompttestsupport.h"

#include <gtest/gtest.h>

using namespace kn;
using namespace kn::testing;

namespace {

struct GoldenCase {
    const char* code;
    const char* locale;
    const char* input;
    const char* dateFormat; // null: the proposed pattern is accepted
    const char* golden;
};

TEST(DatePromptWriters, FilesMatchTheirGoldens)
{
    const GoldenCase cases[] = {
        {"01", "en_US", "payments-prompted.txt", nullptr, "myob-en_US.txt"},
        {"01", "en_US", "payments-whole.txt", nullptr, "myob-whole-en_US.txt"},
        {"01", "en_CA", "payments-whole.txt", nullptr, "myob-whole-en_CA.txt"},
        {"01", "fr_CA", "payments-whole.txt", nullptr, "myob-whole-fr_CA.txt"},
        {"01", "de_DE", "payments-whole.txt", "DD/MM/YYYY", "myob-whole-de_DE.txt"},
        {"04", "en_US", "payments-prompted.txt", nullptr, "syspro-en_US.txt"},
        {"04", "de_DE", "payments-whole.txt", "MMDDYY", "syspro-whole-de_DE.txt"},
        {"04", "fr_CA", "payments-whole.txt", "DD/MM/YYYY", "syspro-whole-fr_CA.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.golden);
        Harness h(QString::fromLatin1(c.locale));
        ScriptedAnswers answers;
        if (c.dateFormat)
            answers.dateFormat = QString::fromLatin1(c.dateFormat);
        scriptedPrompter(h, answers);
        const QString output = h.path(QStringLiteral("out.txt"));
        ASSERT_TRUE(h.convert(QString::fromLatin1(c.code), dataPath(QString::fromLatin1(c.input)), output));
        EXPECT_TRUE(matchesGolden(output, QString::fromLatin1(c.golden)));
    }
}

TEST(DatePromptWriters, StatusTextsInOrder)
{
    const std::pair<const char*, const char*> cases[] = {
        {"01", "Processing MYOB Version 11"},
        {"04", "Processing SysPro"},
    };
    for (auto [code, first] : cases) {
        Harness h;
        scriptedPrompter(h, {});
        ASSERT_TRUE(h.convert(QString::fromLatin1(code), dataPath(QStringLiteral("payments-whole.txt")), h.path(QStringLiteral("out.txt"))));
        EXPECT_EQ(h.events.mid(3), (QStringList{QString::fromLatin1(first), QStringLiteral("Getting User Settings..."),
                                                QStringLiteral("Opening the Export File..."),
                                                QStringLiteral("Processing transactions..."),
                                                QStringLiteral("Closing the file..."), QStringLiteral("<ProcessComplete>")}))
            << code;
    }
}

struct Fixture {
    explicit Fixture(const QString& locale = QStringLiteral("en_US")) : h(locale)
    {
        h.converter().setPrompter(prompter);
        h.converter().setSettingsStore(settings);
    }
    bool convert(const char* code) { return h.convert(QString::fromLatin1(code), dataPath(QStringLiteral("payments-whole.txt")), output()); }
    QString output() const { return h.path(QStringLiteral("out.txt")); }
    QList<QByteArray> outputLines() const { return readBytes(output()).split('\n'); }

    Harness h;
    std::shared_ptr<RecordingPrompter> prompter = std::make_shared<RecordingPrompter>();
    std::shared_ptr<RecordingSettings> settings = std::make_shared<RecordingSettings>();
};

TEST(MYOB11Settings, ProposesTheRegionsShortDatePatternUpperCasedAndLeavesItUnsaved)
{
    const std::pair<const char*, const char*> cases[] = {
        {"en_US", "M/D/YY"}, {"en_CA", "YYYY-MM-DD"}, {"fr_CA", "YYYY-MM-DD"}, {"de_DE", "DD.MM.YY"}, {"en_GB", "DD/MM/YYYY"},
    };
    for (auto [locale, proposed] : cases) {
        Fixture f(QString::fromLatin1(locale));
        ASSERT_TRUE(f.convert("01")) << locale;
        ASSERT_EQ(f.prompter->dateRequests.size(), 1u);
        const DateFormatRequest& asked = f.prompter->dateRequests[0];
        EXPECT_EQ(asked.initial, QString::fromLatin1(proposed)) << locale;
        EXPECT_EQ(asked.title, QStringLiteral("MYOB Date Format"));
        EXPECT_EQ(asked.prompt, QStringLiteral("Please select the date format used by the computer with MYOB installed on it."));
        EXPECT_EQ(asked.suggestions.size(), 16);
        EXPECT_TRUE(f.settings->writes.isEmpty()) << locale;
    }
}

TEST(MYOB11Settings, RemembersOnlyAChangedPattern)
{
    struct Case {
        const char* remembered; // null: no setting
        const char* answer;
        bool saved;
        const char* firstDate; // of the first journal line
    };
    const Case cases[] = {
        {"DD/MM/YYYY", "DD/MM/YYYY", false, "25/08/2014"},
        {"DD/MM/YYYY", "YYYY/MM/DD", true, "2014/08/25"},
        {"DD/MM/YYYY", "dd/mm/yyyy", true, "25/08/2014"}, // compared case-sensitively
        {nullptr, "D.M.YYYY", true, "25.8.2014"},         // a pattern that is in no list
        {nullptr, "M/D/YY", false, "8/25/14"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        Fixture f;
        if (c.remembered)
            f.settings->values[kSettingsApp + QStringLiteral("MYOBDate")] = QString::fromLatin1(c.remembered);
        f.prompter->dateAnswer = DateFormatAnswer{true, QString::fromLatin1(c.answer)};
        ASSERT_TRUE(f.convert("01"));
        EXPECT_EQ(f.prompter->dateRequests.at(0).initial, QString::fromLatin1(c.remembered ? c.remembered : "M/D/YY"));
        EXPECT_EQ(f.settings->writes, c.saved ? QStringList{kSettingsApp + QStringLiteral("MYOBDate=") + QString::fromLatin1(c.answer)}
                                              : QStringList{});
        EXPECT_TRUE(f.outputLines().at(1).startsWith(QByteArray(",") + c.firstDate + ",")) << f.outputLines().at(1).toStdString();
    }
}

TEST(SysProSettings, ProposesItsOwnListAndAlwaysSavesTheAnswer)
{
    struct Case {
        const char* remembered; // null: no setting
        const char* proposed;
        const char* answer; // null: the proposal is accepted
        const char* saved;
    };
    const Case cases[] = {
        {nullptr, "DDMMYY", nullptr, "DDMMYY"},
        {"", "DDMMYY", nullptr, "DDMMYY"},
        {"MMDDYY", "MMDDYY", nullptr, "MMDDYY"},
        {"MMDDYY", "MMDDYY", "YYYYMMDD", "YYYYMMDD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.proposed);
        Fixture f;
        if (c.remembered)
            f.settings->values[kSettingsApp + QStringLiteral("SysProDate")] = QString::fromLatin1(c.remembered);
        if (c.answer)
            f.prompter->dateAnswer = DateFormatAnswer{true, QString::fromLatin1(c.answer)};
        ASSERT_TRUE(f.convert("04"));
        const DateFormatRequest& asked = f.prompter->dateRequests.at(0);
        EXPECT_EQ(asked.title, QStringLiteral("SysPro Date Format"));
        EXPECT_EQ(asked.prompt, QStringLiteral("Please select the date format used by SysPro."));
        EXPECT_EQ(asked.suggestions, (QStringList{QStringLiteral("DDMMYY"), QStringLiteral("MMDDYY")}));
        EXPECT_EQ(asked.initial, QString::fromLatin1(c.proposed));
        EXPECT_EQ(f.settings->writes, QStringList{kSettingsApp + QStringLiteral("SysProDate=") + QString::fromLatin1(c.saved)});
    }
}

TEST(SysProSettings, MMDDYYPutsTheDateInColumns41To46)
{
    Fixture f;
    f.prompter->dateAnswer = DateFormatAnswer{true, QStringLiteral("MMDDYY")};
    ASSERT_TRUE(f.convert("04"));
    const QByteArray first = f.outputLines().at(0);
    EXPECT_EQ(first.mid(40, 6), QByteArray("082514"));
    EXPECT_EQ(first.size(), 106 + 1); // the CR stays after splitting on LF
}

TEST(SysProSettings, RemembersTheAnswerInTheSettingsFileForTheNextRun)
{
    Harness h;
    const QString output = h.path(QStringLiteral("out.txt"));
    const QString input = dataPath(QStringLiteral("payments-whole.txt"));
    scriptedPrompter(h, ScriptedAnswers{QStringLiteral("MMDDYY"), {}, {}, {}});
    ASSERT_TRUE(h.convert(QStringLiteral("04"), input, output));
    const auto stored = makeIniSettingsStore(h.path(QStringLiteral("settings.ini")));
    EXPECT_EQ(stored->read(QStringLiteral("Kaprin Desk 6"), QStringLiteral("Settings"), QStringLiteral("SysProDate"), QString()),
              QStringLiteral("MMDDYY"));

    scriptedPrompter(h, {});
    ASSERT_TRUE(h.convert(QStringLiteral("04"), input, output));
    EXPECT_EQ(readBytes(output).mid(40, 6), QByteArray("082514"));
}

TEST(DatePromptWriters, ARefusedPromptLeavesFileAndSettingAlone)
{
    for (const char* code : {"01", "04"}) {
        SCOPED_TRACE(code);
        Fixture f;
        f.prompter->dateAnswer = DateFormatAnswer{false, QStringLiteral("YYYYMMDD")};
        writeBytes(f.output(), "earlier file\r\n");
        EXPECT_FALSE(f.convert(code));
        EXPECT_FALSE(f.h.failure.has_value());
        EXPECT_EQ(f.h.events.last(), QStringLiteral("Getting User Settings..."));
        EXPECT_FALSE(f.h.events.contains(QStringLiteral("<ProcessComplete>")));
        EXPECT_EQ(readBytes(f.output()), QByteArray("earlier file\r\n"));
        EXPECT_TRUE(f.settings->writes.isEmpty());
    }
}

TEST(DatePromptWriters, WithoutAPrompterOfTheHostsNothingIsWritten)
{
    Harness h;
    const QString output = h.path(QStringLiteral("out.txt"));
    EXPECT_FALSE(h.convert(QStringLiteral("01"), dataPath(QStringLiteral("payments-whole.txt")), output));
    EXPECT_FALSE(h.failure.has_value());
    EXPECT_FALSE(QFile::exists(output));
    EXPECT_FALSE(QFile::exists(h.path(QStringLiteral("settings.ini"))));
}

} // namespace
