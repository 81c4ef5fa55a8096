// The MYOB 11 and SysPro writers: the date pattern they propose, remember and apply, and their files.
#include "prompttestsupport.h"

using namespace kn;
using namespace kn::testing;

namespace {

QString latin1(const char* text)
{
    return QString::fromLatin1(text);
}

TEST(DatePromptWriters, FilesAndStatusTextsMatch)
{
    const std::tuple<const char*, const char*, const char*, const char*, const char*> cases[] = {
        // package, locale, payment file, date format (null: the proposal is accepted), golden
        {"01", "en_US", "payments-prompted.txt", nullptr, "myob-en_US.txt"},
        {"01", "en_US", "payments-whole.txt", nullptr, "myob-whole-en_US.txt"},
        {"01", "en_CA", "payments-whole.txt", nullptr, "myob-whole-en_CA.txt"},
        {"01", "fr_CA", "payments-whole.txt", nullptr, "myob-whole-fr_CA.txt"},
        {"01", "de_DE", "payments-whole.txt", "DD/MM/YYYY", "myob-whole-de_DE.txt"},
        {"04", "en_US", "payments-prompted.txt", nullptr, "syspro-en_US.txt"},
        {"04", "de_DE", "payments-whole.txt", "MMDDYY", "syspro-whole-de_DE.txt"},
        {"04", "fr_CA", "payments-whole.txt", "DD/MM/YYYY", "syspro-whole-fr_CA.txt"},
    };
    for (const auto& [code, locale, input, dateFormat, golden] : cases) {
        SCOPED_TRACE(golden);
        Harness h(latin1(locale));
        scriptedPrompter(h, ScriptedAnswers{dateFormat ? std::optional(latin1(dateFormat)) : std::nullopt, {}, {}, {}});
        const QString output = h.path(QStringLiteral("out.txt"));
        ASSERT_TRUE(h.convert(latin1(code), dataPath(latin1(input)), output));
        EXPECT_TRUE(matchesGolden(readBytes(output), latin1(golden)));
        const QStringList writerEvents{
            latin1(code) == u"01" ? QStringLiteral("Processing MYOB Version 11") : QStringLiteral("Processing SysPro"),
            QStringLiteral("Getting User Settings..."), QStringLiteral("Opening the Export File..."),
            QStringLiteral("Processing transactions..."), QStringLiteral("Closing the file..."),
            QStringLiteral("<ProcessComplete>")};
        EXPECT_EQ(h.events.mid(3), writerEvents);
    }
}

struct Fixture {
    explicit Fixture(const char* locale = "en_US") : h(latin1(locale))
    {
        h.converter().setPrompter(prompter);
        h.converter().setSettingsStore(settings);
    }
    bool convert(const char* code) { return h.convert(latin1(code), dataPath(QStringLiteral("payments-whole.txt")), output()); }
    QString output() const { return h.path(QStringLiteral("out.txt")); }

    Harness h;
    std::shared_ptr<RecordingPrompter> prompter = std::make_shared<RecordingPrompter>();
    std::shared_ptr<RecordingSettings> settings = std::make_shared<RecordingSettings>();
};

// MYOB proposes the remembered pattern, else the region's short date pattern (four-digit year) upper-cased, and saves
// only a changed answer; SysPro proposes the remembered pattern, else its first, and always saves.
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
        {"01", "en_US", nullptr, nullptr, "M/D/YYYY", false, ",8/25/2014,"}, // the region's "M/d/yy" keeps its century
        {"01", "en_US", nullptr, "M/D/YY", "M/D/YYYY", true, ",8/25/14,"},     // two digits only when asked for
        {"01", "en_CA", nullptr, nullptr, "YYYY-MM-DD", false, ",2014-08-25,"},
        {"01", "de_DE", nullptr, nullptr, "DD.MM.YYYY", false, ",25.08.2014,"},
        {"01", "en_GB", nullptr, nullptr, "DD/MM/YYYY", false, ",25/08/2014,"},
        {"01", "en_US", "DD/MM/YYYY", "DD/MM/YYYY", "DD/MM/YYYY", false, ",25/08/2014,"},
        {"01", "en_US", "DD/MM/YYYY", "YYYY/MM/DD", "DD/MM/YYYY", true, ",2014/08/25,"},
        {"01", "en_US", "DD/MM/YYYY", "dd/mm/yyyy", "DD/MM/YYYY", true, ",25/08/2014,"}, // compared case-sensitively
        {"01", "en_US", nullptr, "D.M.YYYY", "M/D/YYYY", true, ",25.8.2014,"},              // a pattern in no list
        {"04", "en_US", nullptr, nullptr, "DDMMYY", true, "Kaprin   250814City Hydro"},
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
        // MYOB asks the prompt as it is designed, with no list of its own; SysPro gives its own list.
        EXPECT_EQ(asked.suggestions, (myob ? QStringList{} : QStringList{"DDMMYY", "MMDDYY"}));
        const QString saved = key + u'=' + latin1(c.answer ? c.answer : c.proposed);
        EXPECT_EQ(f.settings->writes, c.saved ? QStringList{saved} : QStringList{});
        EXPECT_TRUE(readBytes(f.output()).contains(c.firstDate)) << readBytes(f.output()).toStdString();
    }
}

TEST(DatePromptWriters, ARefusedOrUnaskedPromptLeavesFileAndSettingAlone)
{
    for (const char* code : {"01", "04"}) {
        SCOPED_TRACE(code);
        Fixture f;
        f.prompter->dateAnswer = DateFormatAnswer{false, QStringLiteral("YYYYMMDD")};
        writeBytes(f.output(), "earlier file\r\n");
        EXPECT_FALSE(f.convert(code));
        EXPECT_FALSE(f.h.failure.has_value());
        EXPECT_EQ(f.h.events.last(), QStringLiteral("Getting User Settings..."));
        EXPECT_EQ(readBytes(f.output()), QByteArray("earlier file\r\n"));
        EXPECT_TRUE(f.settings->writes.isEmpty());
    }
    // The host's own prompter answers nothing.
    Harness h;
    const QString output = h.path(QStringLiteral("out.txt"));
    EXPECT_FALSE(h.convert(QStringLiteral("01"), dataPath(QStringLiteral("payments-whole.txt")), output));
    EXPECT_FALSE(h.failure.has_value() || QFile::exists(output) || QFile::exists(h.path(QStringLiteral("settings.ini"))));
}

} // namespace
