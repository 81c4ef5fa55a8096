#include "scriptedprompter.h"

#include "promptchecks.h"

#include "core/conversions.h"
#include "core/knerror.h"

namespace kn {

namespace {

QString oneLine(const QString& text)
{
    QString line = text;
    return line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
}

} // namespace

DateFormatAnswer ScriptedPrompter::PromptDateFormat(const DateFormatRequest& request, const PromptEnvironment&)
{
    lastRefusal_.clear();
    return DateFormatAnswer{true, answers_.dateFormat.value_or(request.initial)};
}

FiscalPeriodAnswer ScriptedPrompter::PromptFiscalPeriod(const QString&, const PromptEnvironment& environment)
{
    lastRefusal_.clear();
    if (!answers_.fiscalYear || !answers_.fiscalPeriod) {
        QStringList missing;
        if (!answers_.fiscalYear)
            missing << QStringLiteral("--fiscal-year");
        if (!answers_.fiscalPeriod)
            missing << QStringLiteral("--fiscal-period");
        lastRefusal_ = QStringLiteral("The fiscal period prompt needs %1.").arg(missing.join(QStringLiteral(" and ")));
        return {};
    }
    const FiscalChoices choices = fiscalChoicesFor(environment.clock.today());
    const QString& year = *answers_.fiscalYear;
    const QString& period = *answers_.fiscalPeriod;
    switch (checkFiscalAnswer(choices.years, year, choices.periods, period)) {
    case FiscalCheck::Accepted:
        return FiscalPeriodAnswer{true, year, period};
    case FiscalCheck::InvalidYear:
        lastRefusal_ = QStringLiteral("--fiscal-year %1: %2 Years %3 to %4 are accepted.")
                           .arg(quoted(year), oneLine(fiscalMessage(FiscalCheck::InvalidYear).text), choices.years.last(),
                                choices.years.first());
        break;
    case FiscalCheck::InvalidPeriod:
        lastRefusal_ = QStringLiteral("--fiscal-period %1: %2 Periods %3 to %4 are accepted.")
                           .arg(quoted(period), oneLine(fiscalMessage(FiscalCheck::InvalidPeriod).text),
                                choices.periods.first(), choices.periods.last());
        break;
    case FiscalCheck::YearUnreadable:
        lastRefusal_ = QStringLiteral("--fiscal-year %1: the number is too large to read.").arg(quoted(year));
        break;
    case FiscalCheck::PeriodUnreadable:
        lastRefusal_ = QStringLiteral("--fiscal-period %1: the number is too large to read.").arg(quoted(period));
        break;
    }
    return {};
}

void ScriptedPrompter::PromptInstitutionNumber(const QString& path, const PromptEnvironment& environment)
{
    lastRefusal_.clear();
    if (!answers_.institutionNumber) {
        lastRefusal_ = QStringLiteral("The institution number prompt needs --institution-number; %1 was not written.").arg(path);
        return;
    }
    const QString& number = *answers_.institutionNumber;
    const InstitutionNumberCheck check = checkInstitutionNumber(number, environment.regional);
    if (check != InstitutionNumberCheck::Accepted) {
        const PromptMessage message = institutionNumberMessage(check);
        lastRefusal_ = QStringLiteral("--institution-number %1: %2: %3").arg(quoted(number), message.title, message.text);
        return;
    }
    try {
        writeInstitutionNumberFile(path, number, environment.codePage);
    } catch (const KNError& error) {
        lastRefusal_ = QStringLiteral("The institution number file %1 could not be written: %2").arg(path, error.description());
    }
}

ScriptedAnswers demoAnswers(QDate today)
{
    ScriptedAnswers answers;
    answers.fiscalYear = QString::number(today.year());
    answers.fiscalPeriod = QString::number(today.month());
    answers.institutionNumber = QStringLiteral("815001");
    return answers;
}

} // namespace kn
