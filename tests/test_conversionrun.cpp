// How one conversion ends, as every host receives it.
#include "prompttestsupport.h"

#include "host/conversionrun.h"

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

TEST(ConversionRun, AFailureIsOneResultWhateverItsCause)
{
    struct Case {
        const char *name, *code, *input; // input under tests/data
        std::shared_ptr<Prompter> prompter;
        bool inMemory;
        int number;
        const char *source, *detail;
    };
    const Case cases[] = {
        // read as from the file, to fail as from the file
        {"no payment file, in memory", "05", "missing.txt", nullptr, true, 53, "KNExport.ImportKNFile", ""},
        {"the prompter threw", "01", "payments-whole.txt", std::make_shared<ThrowingPrompter>(), false, 5,
         "KNExport.ConvertKNtoGLSpecific", "the host's prompt failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        const QString input = dataPath(QString::fromLatin1(c.input));
        const QString output = h.path(QStringLiteral("out.txt"));
        const ConversionResult result = runConversion(
            h.converter(), {QString::fromLatin1(c.code), input, output, QStringLiteral("Package"), QString(), c.prompter, c.inMemory});
        EXPECT_EQ(result.ending, ConversionEnding::Failed);
        ASSERT_TRUE(result.error.has_value());
        EXPECT_EQ(result.error->number(), c.number);
        EXPECT_EQ(result.error->source(), QString::fromLatin1(c.source));
        EXPECT_EQ(result.error->detail(), QString::fromLatin1(c.detail));
    }
}

} // namespace
} // namespace kn::testing
