// What the converter takes from its surroundings: code pages, the settings store, late binding.
#include "testsupport.h"

#include "core/codepage.h"
#include "core/knerror.h"
#include "core/settingsstore.h"
#include "core/textfile.h"

#include <QMetaObject>

#include <gtest/gtest.h>

using namespace kn;
using namespace kn::testing;

// A character the page lacks takes its closest form there, "?" where none is close; a locale's
// own characters (grouping spaces, currency signs, month names) included.
TEST(CodePage, EncodesAndDecodesThroughTheChosenPage)
{
    const std::tuple<const char*, const char*, QByteArray, bool> cases[] = {
        // page, text, bytes, whether they decode to the text again
        {"windows-1252", "Café €", "Caf\xe9 \x80", true},
        {"windows-1252", "Łódź 😀", "?\xf3" "dz ?", false},
        {"ibm-850", "Café", "Caf\x82", true},
        {"ISO-8859-15", "€", "\xa4", true},
        {"windows-1252", "\u202F", "\xA0", false}, // narrow no-break space, the French grouping
        {"windows-1252", "\u2009", "\xA0", false}, // thin space
        {"ibm-437", "\u202F", "\xFF", false},      // this page's own no-break space
        {"us-ascii", "\u202F", " ", false},
        {"windows-1252", "\uFFE5", "\xA5", false}, // fullwidth yen sign, the Japanese currency sign
        {"windows-1252", "\u0151", "o", false},    // o with double acute, in a Hungarian month name
        {"windows-1250", "\u0151", "\xF5", true},  // held by the page itself
        {"windows-1252", "\U0001D400", "A", false}, // mathematical bold A, outside the BMP
        {"windows-1252", "\u4E00", "?", false},
    };
    for (const auto& [name, text, bytes, roundTrip] : cases) {
        const CodePage page(QString::fromLatin1(name));
        EXPECT_EQ(page.encode(QString::fromUtf8(text)), bytes) << name << " " << text;
        if (roundTrip) {
            EXPECT_EQ(page.decode(bytes.toStdString()), QString::fromUtf8(text)) << name;
        }
    }
    EXPECT_FALSE(CodePage().encode(RegionalSettings::named(QStringLiteral("fr_FR")).locale().toString(1234567)).contains('?'));

    // A line is appended to what the buffer holds; a character the page lacks, between ones it
    // holds, makes the line inexact and takes its closest form.
    const CodePage windows1252(QStringLiteral("windows-1252"));
    std::string buffer = "x\r\n";
    EXPECT_FALSE(windows1252.encodeAppend(u"Caf\u00e9 \u4e00 \u00e9t\u00e9", buffer));
    EXPECT_TRUE(windows1252.encodeAppend(u"\u00e9t\u00e9", buffer));
    EXPECT_EQ(buffer, "x\r\nCaf\xe9 ? \xe9t\xe9\xe9t\xe9");
    EXPECT_EQ(errorNumber([] { CodePage(QStringLiteral("no-such-page")); }), 5);
    EXPECT_EQ(errorNumber([] { CodePage(QStringLiteral("UTF-8")); }), 5);

    // A host's record text is written one byte for each UTF-16 unit, so that a cut or a split of
    // its bytes falls where it falls in the text.
    std::string eachUnit;
    EXPECT_FALSE(windows1252.encodeEachUnit(QString::fromUtf8("\u0141\u00f3d\u017a \U0001F600 \u0151"), eachUnit));
    EXPECT_EQ(eachUnit, "?\xf3" "dz ?? o");
}

// The payment file's digits, signs, blanks and separators are read as ASCII bytes: a page that
// reads printable ASCII as other characters is refused when it is set, naming the page. Every
// page the tools and tests use is taken (the rest are set in the test above).
TEST(CodePage, RefusesAPageThatDoesNotReadPrintableAsciiAsItself)
{
    EXPECT_NO_THROW(CodePage(QStringLiteral("ISO-8859-1")));
    EXPECT_NO_THROW(CodePage(QStringLiteral("windows-1251")));
    for (const char* name : {"ibm-037", "ibm-500"}) {
        try {
            CodePage(QString::fromLatin1(name));
            ADD_FAILURE() << name << " was taken";
        } catch (const KNError& error) {
            EXPECT_EQ(error.number(), 5);
            EXPECT_EQ(error.detail(),
                      QStringLiteral("the code page %1 does not read printable ASCII as itself").arg(QLatin1String(name)));
        }
    }
}

// Lines go into the buffer as they come, each ended by CR LF: lines longer than the buffer and
// enough short ones to pass its size many times.
TEST(TextFileWriter, WritesEveryLineFollowedByCrLf)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.txt"));
    std::vector<std::string> lines = {"Caf\xe9", "", std::string(100'000, 'x'), std::string(200'000, 'y')};
    for (int i = 0; i < 20'000; ++i)
        lines.push_back("line " + std::to_string(i));
    std::string expected;
    TextFileWriter writer(path);
    for (const std::string& line : lines) {
        writer.writeLine(line);
        expected += line + "\r\n";
    }
    writer.close();
    EXPECT_TRUE(readBytes(path).toStdString() == expected); // not printed: 420,000 bytes
}

// A value written through the store and read back, both ways between the command and the store,
// is pinned with MYOB's remembered date pattern in test_cli; a store whose file cannot be made
// failing the save, in test_nothinglost.
TEST(SettingsStore, IniStoreKeepsWritesPerApplication)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("settings.ini"));
    makeIniSettingsStore(ini)->write("Kaprin Desk 6", "Settings", "MYOBDate", "DD/MM/YYYY");
    EXPECT_EQ(makeIniSettingsStore(ini)->read("Other", "Settings", "MYOBDate", "d"), "d");
}

TEST(LateBinding, AHostCanConvertByName)
{
    Harness h;
    bool result = false;
    const QString output = h.path(QStringLiteral("out.txt"));
    ASSERT_TRUE(QMetaObject::invokeMethod(&h.converter(), "ConvertKNtoGLSpecific", Q_RETURN_ARG(bool, result),
                                          Q_ARG(QString, QStringLiteral("05")), Q_ARG(QString, h.writePayments({paymentLine({})})),
                                          Q_ARG(QString, output), Q_ARG(QString, QStringLiteral("Momentum")), Q_ARG(QString, QString())));
    EXPECT_TRUE(result);
    EXPECT_EQ(readBytes(output), QByteArray("25082014,125.00,City Hydro,5100,,,\r\n"));
}
