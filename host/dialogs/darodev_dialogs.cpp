// libdarodev-dialogs: answers the converter's prompts with the Qt dialogs, through the same
// prompt table a host in another language would fill with its own.
#include "darodev/dialogs.h"
#include "darodev/prompts.h"

#include "core/clock.h"
#include "prompts/dialogprompter.h"

#include <QApplication>

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>

namespace {

void copyAnswer(const QString& answer, char* buffer)
{
    const QByteArray bytes = answer.toUtf8();
    const auto length = std::min<qsizetype>(bytes.size(), KN_PROMPT_ANSWER_SIZE - 1);
    std::memcpy(buffer, bytes.constData(), static_cast<size_t>(length));
    buffer[length] = '\0';
}

int dateFormat(void*, const char* title, const char* prompt, const char* const* suggestions, int count,
               const char* initial, char* pattern)
{
    try {
        kn::DateFormatRequest request{QString::fromUtf8(title), QString::fromUtf8(prompt), {}, QString::fromUtf8(initial)};
        for (int i = 0; i < count; ++i)
            request.suggestions << QString::fromUtf8(suggestions[i]);
        const kn::DateFormatAnswer answer =
            kn::DialogPrompter().PromptDateFormat(request, {kn::RegionalSettings(), kn::CodePage(), kn::SystemClock()});
        if (answer.chosen)
            copyAnswer(answer.pattern, pattern);
        return answer.chosen ? 1 : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

int fiscalPeriod(void*, const char* title, char* year, char* period)
{
    try {
        const kn::FiscalPeriodAnswer answer = kn::DialogPrompter().PromptFiscalPeriod(
            QString::fromUtf8(title), {kn::RegionalSettings(), kn::CodePage(), kn::SystemClock()});
        if (!answer.chosen)
            return 0;
        copyAnswer(answer.fiscalYear, year);
        copyAnswer(answer.fiscalPeriod, period);
        return 1;
    } catch (const std::exception&) {
        return 0;
    }
}

void institutionNumber(void*, const char* path, const char* locale, const char* codepage)
{
    try {
        kn::DialogPrompter().PromptInstitutionNumber(
            QString::fromUtf8(path), {kn::RegionalSettings::named(QString::fromUtf8(locale)),
                                      kn::CodePage(QString::fromUtf8(codepage)), kn::SystemClock()});
    } catch (const std::exception&) {
        // The file stays unwritten: the writer then reports the prompt as unanswered.
    }
}

// A host in another language has no Qt application of its own; this one lives until the process ends.
bool ensureApplication()
{
    if (QCoreApplication::instance())
        return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    if (!kn::displayAvailable())
        return false;
    static int argc = 1;
    static char name[] = "darodev";
    static char* argv[] = {name, nullptr};
    static QApplication application(argc, argv);
    return true;
}

} // namespace

extern "C" int kn_export_use_dialogs(kn_export* converter)
{
    if (!converter || !ensureApplication())
        return -1;
    static const kn_prompts dialogs{dateFormat, fiscalPeriod, institutionNumber};
    return kn_export_set_prompts(converter, &dialogs, nullptr);
}
