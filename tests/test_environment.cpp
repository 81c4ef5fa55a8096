// What the converter takes from its surroundings: code pages, the settings store, late binding.
#include "testsupport.h"

#include "core/codepage.h"
#include "core/knerror.h"
#include "core/settingsstore.h"
#include "core/textfile.h"

#include <QMetaObject>

#include <numeric>

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

    // ASCII and Latin-1 lines take a quicker way than the page's table, which must write the
    // same: every character up to U+017F and some far above it, at the start, middle and end of
    // lines shorter and longer than the eight or sixteen characters written at a time, in pages
    // that write Latin-1 as itself, all but its C1 range, or not at all.
    std::vector<char16_t> units(0x180);
    std::iota(units.begin(), units.end(), char16_t(0));
    units.insert(units.end(), {u'\u20AC', u'\u7FFF', u'\u8000', u'\uFFFF'});
    const std::u16string text = u"Payment for the clinic, March and April";
    for (const char* name : {"windows-1252", "ISO-8859-1", "ISO-8859-15", "ibm-850"}) {
        const CodePage page(QString::fromLatin1(name));
        for (const std::size_t length : {1, 7, 8, 9, 15, 16, 17, 22, 31, 32, 33}) {
            for (const std::size_t at : {std::size_t(0), length / 2, length - 1}) {
                for (const char16_t unit : units) {
                    std::u16string line = text.substr(0, length);
                    line[at] = unit;
                    std::string expected;
                    bool held = true;
                    for (const char16_t c : line) {
                        const std::optional<char> byte = page.byteFor(c);
                        held = held && byte.has_value();
                        expected += byte.value_or('?');
                    }
                    std::string written;
                    SCOPED_TRACE(::testing::Message() << name << " length " << length << " at " << at << " U+" << std::hex << int(unit));
                    EXPECT_EQ(page.encodeAppend(QStringView(line), written), held);
                    if (held) {
                        EXPECT_EQ(written, expected);
                    }
                }
            }
        }
    }
}

// The payment file's digits, signs, blanks and separators are read as ASCII bytes: a page that
// reads printable ASCII as other characters is refused when it is set, naming the page, and every
// page the tools and tests use is taken.
TEST(CodePage, RefusesAPageThatDoesNotReadPrintableAsciiAsItself)
{
    for (const char* name : {"windows-1252", "ISO-8859-1", "ISO-8859-15", "ibm-850", "ibm-437", "windows-1250",
                             "windows-1251", "us-ascii"})
        EXPECT_NO_THROW(CodePage(QString::fromLatin1(name))) << name;
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

// Lines go into the buffer as they come, each ended by CR LF: one with characters the page lacks,
// in closest forms of fewer bytes than the characters had units, lines longer than the buffer
// with and without such a character, and enough short ones to pass its size many times.
TEST(TextFileWriter, WritesEveryLineAsThePageEncodesIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.txt"));
    const CodePage windows1252(QStringLiteral("windows-1252"));
    std::vector<QString> lines = {QStringLiteral("Caf\u00e9"), QString(), QString::fromUtf8("\u0141\u00f3d\u017a \U0001F600"),
                                  QString(100'000, u'x') + u'\u4e00', QString(200'000, u'y')};
    for (int i = 0; i < 20'000; ++i)
        lines.push_back(QStringLiteral("line %1").arg(i));
    QByteArray expected;
    {
        TextFileWriter writer(path, windows1252);
        for (const QString& line : lines) {
            EXPECT_EQ(writer.writeLine(line), line == windows1252.decode(windows1252.encode(line).toStdString()));
            expected += windows1252.encode(line) + "\r\n";
        }
        writer.close();
    }
    const QByteArray written = readBytes(path);
    ASSERT_EQ(written.size(), expected.size());
    EXPECT_TRUE(written == expected);
}

// A value written by the command and read back here is checked with the prompt answers in test_cli.
TEST(SettingsStore, IniStoreKeepsWritesPerApplicationAndFailsOnesItCannotMake)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("settings.ini"));
    const QString app = QStringLiteral("Kaprin Desk 6"), section = QStringLiteral("Settings"), key = QStringLiteral("MYOBDate");
    makeIniSettingsStore(ini)->write(app, section, key, QStringLiteral("DD/MM/YYYY"));
    auto reopened = makeIniSettingsStore(ini);
    EXPECT_EQ(reopened->read(app, section, key, {}), QStringLiteral("DD/MM/YYYY"));
    EXPECT_EQ(reopened->read(QStringLiteral("Other"), section, key, QStringLiteral("d")), QStringLiteral("d"));

    // A file standing where the store's folder should be makes every write fail.
    writeBytes(dir.filePath(QStringLiteral("blocker")), "x");
    auto unwritable = makeIniSettingsStore(dir.filePath(QStringLiteral("blocker/settings.ini")));
    EXPECT_NE(errorNumber([&] { unwritable->write(app, section, key, QStringLiteral("d")); }), 0);
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
