// How one conversion ends, as every host receives it.
#include "prompttestsupport.h"

#include "core/conversionrun.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace kn::testing {
namespace {

// A host's prompter that fails in a way the converter does not know.
class ThrowingPrompter final : public Prompter {
public:
    DateFormatAnswer PromptDateFormat(const DateFormatRequest&, const PromptEnvironment&) override
    {
        throw std::runtime_error("the host's prompt failed");
    }
    FiscalPeriodAnswer PromptFiscalPeriod(const QString&, const PromptEnvironment&) override { return {}; }
    void PromptInstitutionNumber(const QString&, const PromptEnvironment&) override {}
};

TEST(ConversionRun, EndsInOneResultWhateverHappened)
{
    struct Case {
        const char *name, *code, *input; // input under tests/data; "" for a payment file of a header only
        std::shared_ptr<Prompter> prompter;
        bool inMemory;
        ConversionEnding ending;
        int number;
        const char *source, *detail;
    };
    const Case cases[] = {
        {"written", "05", "payments-whole.txt", nullptr, false, ConversionEnding::Complete, 0, "", ""},
        {"no payments", "05", "", nullptr, false, ConversionEnding::NoRecords, 999, "KNExport.ConvertKNtoGLSpecific", ""},
        {"prompt refused", "01", "payments-whole.txt", nullptr, false, ConversionEnding::Refused, 0, "", ""},
        // read as from the file, to fail as from the file
        {"no payment file, in memory", "05", "missing.txt", nullptr, true, ConversionEnding::Failed, 53,
         "KNExport.ImportKNFile", ""},
        {"the prompter threw", "01", "payments-whole.txt", std::make_shared<ThrowingPrompter>(), false,
         ConversionEnding::Failed, 5, "KNExport.ConvertKNtoGLSpecific", "the host's prompt failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        const QString input = *c.input ? dataPath(QString::fromLatin1(c.input)) : h.writePayments({});
        const QString output = h.path(QStringLiteral("out.txt"));
        const ConversionResult result = runConversion(
            h.converter(), {QString::fromLatin1(c.code), input, output, QStringLiteral("Package"), QString(), c.prompter, c.inMemory});
        EXPECT_EQ(result.ending, c.ending);
        EXPECT_EQ(result.error ? result.error->number() : 0, c.number);
        EXPECT_EQ(result.error ? result.error->source() : QString(), QString::fromLatin1(c.source));
        EXPECT_EQ(result.error ? result.error->detail() : QString(), QString::fromLatin1(c.detail));
    }
}

} // namespace
} // namespace kn::testing
