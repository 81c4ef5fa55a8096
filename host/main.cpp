// knexport: the command-line host of the converter, for scripted runs.
#include "auditreport.h"
#include "component.h"
#include "conversionrun.h"

#include "core/codepage.h"
#include "core/knerror.h"
#include "core/settingsstore.h"
#include "core/textfile.h"
#include "dialogsmodule.h"
#include "prompts/display.h"
#include "prompts/scriptedprompter.h"
#include "safety/history.h"
#include "safety/knownaccounts.h"
#include "safety/safetychecks.h"
#include "writers/packagetable.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <variant>

#include <sys/socket.h>
#include <sys/un.h>
#include <unicode/ucnv.h>
#include <unistd.h>

using namespace kn;

namespace {

enum ExitCode { Complete = 0, CallFailed = 1, UsageError = 2, NoRecords = 3, PromptRefused = 4, Refused = 5 };

const char* const kCommands = R"(The command:
  convert    converts a payment file into a package's import file
  preview    shows what a conversion would write, and writes nothing
  packages   lists the catalogue: code, title, file extension, base name
  demo       converts the example payment file into every package
  history    lists earlier conversions, newest first
  codepages  lists the code page names --codepage takes
knexport help COMMAND (or knexport COMMAND --help) shows the command's options.)";

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& err()
{
    static QTextStream stream(stderr);
    return stream;
}

int usageError(const QString& message)
{
    err() << "knexport: " << message << "\nRun 'knexport --help' for the commands, 'knexport COMMAND --help' for "
                                        "their options.\n";
    err().flush();
    return UsageError;
}

QString validCodes()
{
    QStringList codes;
    for (const PackageRow& row : packageTable())
        codes << row.codeText();
    return codes.join(u", ");
}

// ---- Help texts: knexport --help, knexport help COMMAND and the man page all print these. ----

const char* const kExitCodes = R"(Exit codes:
  0  the conversion is complete (or the command did what it was asked)
  1  the converter failed: the error's number, description and source follow
  2  usage error: an option is missing, unknown or holds a value that cannot work
  3  the payment file holds no payments
  4  a prompt was not answered (or was cancelled); no file was written
  5  refused before writing: the payments were converted before (--refuse-repeat) or go to
     accounts the package does not know (--strict-accounts); nothing was written or recorded)";

QString packageCodesHelp()
{
    QString text = QStringLiteral("Package codes (--package):\n");
    for (const PackageRow& row : packageTable())
        text += QStringLiteral("  %1  %2\n").arg(row.codeText(), QString::fromLatin1(row.fullTitle));
    return text;
}

// The options a command cannot run without, as its usage line shows them.
QString requiredOptions(const QString& command)
{
    if (command == u"convert")
        return QStringLiteral(" --package CODE --input PAYMENTS --output FILE");
    if (command == u"preview")
        return QStringLiteral(" --package CODE --input PAYMENTS");
    return QString();
}

// Qt's option list under a usage line that names the command and what it requires, then the
// package codes (for the commands that take one) and the exit codes.
QString commandHelp(const QCommandLineParser& parser, const QString& command)
{
    QString options = parser.helpText();
    options = options.mid(options.indexOf(u'\n') + 1); // Qt's own usage line names no command
    QString text = QStringLiteral("Usage: knexport %1%2 [options]\n").arg(command, requiredOptions(command)) + options;
    if (!requiredOptions(command).isEmpty())
        text += QStringLiteral("\nRequired:%1\n\n").arg(requiredOptions(command)) + packageCodesHelp();
    return text + u'\n' + QString::fromLatin1(kExitCodes) + u'\n';
}

QCommandLineOption valueOption(const char* name, const char* description, const char* valueName)
{
    return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(description), QString::fromLatin1(valueName));
}

// A command's own parser: its options after the command word, "--name value" or "--name=value".
// Returns the exit code when the arguments end the run (a usage error, or the command's help).
std::optional<int> parseCommand(QCommandLineParser& parser, const QString& command, const char* description,
                                const QStringList& arguments)
{
    parser.setApplicationDescription(QString::fromLatin1(description));
    const QCommandLineOption help = parser.addHelpOption();
    if (!parser.parse(QStringList{QStringLiteral("knexport ") + command} + arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        out() << commandHelp(parser, command);
        return Complete;
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    return std::nullopt;
}

bool knownLocale(const QString& name)
{
    return QLocale(name).name() != QLatin1String("C") || name == QLatin1String("C");
}

int reportFailure(const KNError& error)
{
    if (!error.detail().isEmpty())
        err() << "knexport: " << error.detail() << "\n";
    err() << "knexport: error " << error.number() << ": " << error.description() << " (" << error.source() << ")\n";
    err().flush();
    return CallFailed;
}

// The options convert and preview share.
struct ConversionOptions {
    QCommandLineOption package = valueOption("package", "The package code (see knexport packages).", "CODE");
    QCommandLineOption input = valueOption("input", "The Kaprin payment file.", "PAYMENTS");
    QCommandLineOption title = valueOption("title", "The package title the writer is given.", "TEXT");
    QCommandLineOption currency = valueOption("currency", "The currency text the writer is given.", "TEXT");
    QCommandLineOption locale = valueOption("locale", "Regional settings such as en_US (the system's by default).", "NAME");
    QCommandLineOption codePage = valueOption("codepage", "The 8-bit code page (windows-1252 by default).", "NAME");
    QCommandLineOption settings = valueOption("settings", "A settings file instead of the user's store.", "INI");
    QCommandLineOption dateFormat = valueOption("date-format", "Answers the date pattern prompt.", "PATTERN");
    QCommandLineOption fiscalYear = valueOption("fiscal-year", "Answers the fiscal year prompt.", "TEXT");
    QCommandLineOption fiscalPeriod = valueOption("fiscal-period", "Answers the fiscal period prompt.", "TEXT");
    QCommandLineOption institutionNumber =
        valueOption("institution-number", "Answers the institution number prompt.", "TEXT");
    QCommandLineOption quiet{QStringLiteral("quiet"), QStringLiteral("Prints no status texts; convert leaves out its summary too.")};
    QCommandLineOption interactive{QStringLiteral("interactive"),
                                   QStringLiteral("Asks in dialogs instead of options (needs a display).")};
    QCommandLineOption progress{QStringLiteral("progress"),
                                QStringLiteral("Shows how far the conversion has come (on a terminal only).")};

    void addTo(QCommandLineParser& parser) const
    {
        parser.addOptions({package, input, title, currency, locale, codePage, settings, dateFormat, fiscalYear,
                           fiscalPeriod, institutionNumber, quiet, interactive, progress});
    }
};

// The checks before a conversion writes: the history of conversions and the accounts the package
// knows.
struct SafetyCliOptions {
    QCommandLineOption history =
        valueOption("history", "The conversion history to check and add to (the user's own by default).", "FILE");
    QCommandLineOption noHistory{QStringLiteral("no-history"),
                                 QStringLiteral("Neither looks for earlier conversions nor keeps this one.")};
    QCommandLineOption refuseRepeat{
        QStringLiteral("refuse-repeat"),
        QStringLiteral("Refuses (exit 5) payments converted before into the same package, instead of warning.")};
    QCommandLineOption accounts = valueOption(
        "accounts",
        "The accounts the package knows: a text file with one a line, or a CSV or tab-separated export whose "
        "first column holds them. Payments to any other are listed.",
        "FILE");
    QCommandLineOption strictAccounts{
        QStringLiteral("strict-accounts"),
        QStringLiteral("Refuses (exit 5) a payment file that pays into an account not in --accounts.")};

    void addTo(QCommandLineParser& parser) const
    {
        parser.addOptions({history, noHistory, refuseRepeat, accounts, strictAccounts});
    }
};

QString historyPath(const QCommandLineParser& parser, const QCommandLineOption& history)
{
    return parser.isSet(history) ? parser.value(history) : defaultHistoryPath();
}

// ---- Checks that catch a user's mistake before the payment file is read, in the user's terms. ----

std::variant<SafetyOptions, int> checkSafetyOptions(const QCommandLineParser& parser, const SafetyCliOptions& options)
{
    SafetyOptions safety;
    if (parser.isSet(options.noHistory) && (parser.isSet(options.history) || parser.isSet(options.refuseRepeat)))
        return usageError(QStringLiteral("--no-history leaves no history to give with --history or to check with --refuse-repeat"));
    if (!parser.isSet(options.noHistory))
        safety.historyPath = historyPath(parser, options.history);
    safety.refuseRepeat = parser.isSet(options.refuseRepeat);
    if (parser.isSet(options.strictAccounts) && !parser.isSet(options.accounts))
        return usageError(QStringLiteral("--strict-accounts needs --accounts FILE, the accounts the package knows"));
    if (parser.isSet(options.accounts)) {
        try {
            safety.knownAccounts = KnownAccounts::fromFile(parser.value(options.accounts));
        } catch (const KNError& error) {
            return usageError(QStringLiteral("--accounts: %1").arg(error.detail()));
        }
        if (safety.knownAccounts->count() == 0)
            return usageError(QStringLiteral("--accounts: the file %1 holds no account")
                                  .arg(QDir::toNativeSeparators(parser.value(options.accounts))));
    }
    safety.strictAccounts = parser.isSet(options.strictAccounts);
    return safety;
}

// The names ICU offers for the code pages the converter accepts (single-byte, reading printable
// ASCII as itself), each with its aliases.
QStringList singleByteCodePages()
{
    QStringList lines;
    for (int32_t i = 0; i < ucnv_countAvailable(); ++i) {
        const char* name = ucnv_getAvailableName(i);
        try {
            CodePage{QString::fromLatin1(name)};
        } catch (const KNError&) {
            continue;
        }
        QStringList aliases;
        UErrorCode status = U_ZERO_ERROR;
        for (uint16_t a = 0; a < ucnv_countAliases(name, &status) && U_SUCCESS(status); ++a) {
            const QString alias = QString::fromLatin1(ucnv_getAlias(name, a, &status));
            if (alias != QLatin1String(name) && !aliases.contains(alias))
                aliases << alias;
        }
        lines << QString::fromLatin1(name) + (aliases.isEmpty() ? QString() : QStringLiteral("  ") + aliases.join(u' '));
    }
    return lines;
}

std::optional<int> checkCodePage(const QString& name)
{
    if (name.isEmpty())
        return std::nullopt;
    try {
        CodePage{name};
        return std::nullopt;
    } catch (const KNError& error) {
        const QString what = error.detail().isEmpty() ? QStringLiteral("unknown or multi-byte code page '%1'").arg(name)
                                                       : error.detail();
        return usageError(what + QStringLiteral(" (use an 8-bit page such as windows-1252, iso-8859-1 or ibm-850; "
                                                "knexport codepages lists them all)"));
    }
}

// A pattern without a day or a month letter dates no payment: "xyz" writes the day of the year
// between two letters.
bool holdsDayOrMonth(const QString& pattern)
{
    return std::any_of(pattern.cbegin(), pattern.cend(), [](QChar c) { return QStringLiteral("DMdm").contains(c); });
}

// The settings key and a few suggested patterns of a package whose writer asks for a date pattern.
struct DatePatternPackage {
    const char* code;
    const char* settingsKey;
    const char* suggestions;
};
constexpr DatePatternPackage kDatePatternPackages[] = {
    {"01", "MYOBDate", "M/D/YYYY, MM/DD/YYYY, DD/MM/YYYY, YYYY/MM/DD"},
    {"04", "SysProDate", "DDMMYY, MMDDYY"},
};

// A scripted date pattern must hold a day or month letter; a remembered one without any is
// used as it is, with a warning.
std::optional<int> checkDatePattern(const QString& code, const std::optional<QString>& given, const QString& settingsIni)
{
    const auto package = std::find_if(std::begin(kDatePatternPackages), std::end(kDatePatternPackages),
                                      [&](const DatePatternPackage& p) { return code == QLatin1String(p.code); });
    if (package == std::end(kDatePatternPackages))
        return std::nullopt;
    if (given) {
        // An empty pattern is the region's short date form.
        if (given->isEmpty() || holdsDayOrMonth(*given))
            return std::nullopt;
        return usageError(QStringLiteral("--date-format '%1' holds no day or month letter (runs of D, M and Y "
                                         "stand for day, month and year, '/' for the region's date separator): use a pattern such as %2")
                              .arg(*given, QString::fromLatin1(package->suggestions)));
    }
    const auto store = settingsIni.isEmpty() ? makeUserSettingsStore() : makeIniSettingsStore(settingsIni);
    const QString remembered =
        store->read(QStringLiteral("Kaprin Desk 6"), QStringLiteral("Settings"), QString::fromLatin1(package->settingsKey), {});
    if (!remembered.isEmpty() && !holdsDayOrMonth(remembered)) {
        err() << "knexport: warning: the remembered date pattern '" << remembered << "' (" << package->settingsKey
              << ") holds no day or month letter, so every date is written as that text; give --date-format "
                 "such as "
              << package->suggestions << " to replace it\n";
    }
    return std::nullopt;
}

// What is wrong with the payment file as the user named it, for the line before the error.
std::optional<QString> paymentFileProblem(const QString& path)
{
    const QFileInfo file(path);
    const QString shown = QDir::toNativeSeparators(file.absoluteFilePath());
    if (file.isDir())
        return QStringLiteral("the payment file %1 is a folder, not a file").arg(shown);
    if (!file.exists()) {
        if (!file.absoluteDir().exists())
            return QStringLiteral("the payment file %1 is not there: its folder does not exist").arg(shown);
        return QStringLiteral("the payment file %1 does not exist").arg(shown);
    }
    if (!file.isReadable())
        return QStringLiteral("the payment file %1 cannot be read: permission denied").arg(shown);
    if (file.size() == 0)
        return QStringLiteral("the payment file %1 is empty: it holds no header line and no payments").arg(shown);
    return std::nullopt;
}

// An output that cannot be written fails before the payment file is read, with the number and
// source the writer would have given.
std::optional<KNError> outputProblem(const QString& path, const PackageRow& row)
{
    const QFileInfo file(path);
    const QString shown = QDir::toNativeSeparators(file.absoluteFilePath());
    if (file.isDir()) {
        return KNError(ErrorCode::PathFileAccessError, row.operationSource())
            .withDetail(QStringLiteral("the output %1 is a folder; name a file inside it").arg(shown));
    }
    if (!file.absoluteDir().exists()) {
        return KNError(ErrorCode::PathNotFound, row.operationSource())
            .withDetail(QStringLiteral("the output's folder %1 does not exist").arg(QDir::toNativeSeparators(file.absolutePath())));
    }
    return std::nullopt;
}

// A refused scripted answer as one line: the dialog's "Please try again" means nothing here.
QString refusalLine(QString refusal)
{
    refusal.remove(QStringLiteral("\r\nPlease try again."));
    refusal.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    return refusal;
}

// An amount the region cannot read because the file's decimal point is not the region's.
std::optional<QString> decimalSeparatorHint(const KNError& error, const RegionalSettings& regional)
{
    if (error.number() != int(ErrorCode::TypeMismatch) || !error.detail().contains(QLatin1String("the amount")) ||
        regional.decimalSeparator() == u'.')
        return std::nullopt;
    return QStringLiteral("the payment file's amounts use '.' as their decimal separator and this region uses '%1': "
                          "read the file under a region whose decimal separator is '.', for example --locale en_CA")
        .arg(regional.decimalSeparator());
}

// What unbalanced entries mean to the package that imports them.
std::optional<QString> unbalancedEntriesNote(const PackageRow& row, const ConversionAudit& audit)
{
    if (audit.entriesBalance())
        return std::nullopt;
    if (row.codeText() == u"02") {
        return QStringLiteral("note: QuickBooks imports a transaction only when its splits add up to zero; each entry "
                              "holds the payments' own side only, so add the balancing split (the bank or payable "
                              "account) in the file or in QuickBooks before these transactions can be imported");
    }
    if (row.codeText() == u"08") {
        return QStringLiteral("note: AccPac imports an entry that does not balance into the batch, but will not post "
                              "it until the entry is balanced in AccPac (add the other side of the payments there)");
    }
    return QStringLiteral("note: entries that do not balance hold one side of the payments only; balance them in the "
                          "package before posting");
}

// Refuses --interactive where no dialog can be answered: no display, Qt's offscreen or minimal
// platform (a dialog there waits for ever), or a display whose server does not answer.
std::optional<QString> whyNoUsableDisplay()
{
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (platform.startsWith(QLatin1String("offscreen")) || platform.startsWith(QLatin1String("minimal")))
        return QStringLiteral("QT_QPA_PLATFORM=%1 shows no window anyone can answer").arg(platform);
    if (!platform.isEmpty())
        return std::nullopt;
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (!wayland.isEmpty()) {
        const QString socket =
            wayland.startsWith(u'/') ? wayland : qEnvironmentVariable("XDG_RUNTIME_DIR") + u'/' + wayland;
        if (QFileInfo::exists(socket))
            return std::nullopt;
    }
    const QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty())
        return wayland.isEmpty() ? QStringLiteral("no display is set")
                                 : QStringLiteral("WAYLAND_DISPLAY=%1 answers nothing").arg(wayland);
    // A local X display (":N" or "unix:N") is a socket under /tmp/.X11-unix; a remote one is
    // left to Qt.
    static const QRegularExpression local(QStringLiteral("^(unix)?:(\\d+)(\\.\\d+)?$"));
    const QRegularExpressionMatch match = local.match(display);
    if (!match.hasMatch())
        return std::nullopt;
    const QByteArray path = "/tmp/.X11-unix/X" + match.captured(2).toLatin1();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, path.constData(), sizeof address.sun_path);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool answers = fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        close(fd);
    if (answers)
        return std::nullopt;
    return QStringLiteral("DISPLAY=%1 answers nothing (no X server is listening)").arg(display);
}

int listCodePages(const QStringList& arguments)
{
    QCommandLineParser parser;
    if (const auto ended = parseCommand(parser, QStringLiteral("codepages"),
                                        "Lists the 8-bit code pages --codepage takes: each name, then its aliases.",
                                        arguments))
        return *ended;
    for (const QString& line : singleByteCodePages())
        out() << line << "\n";
    return Complete;
}

// The package row the options select, or the usage error's exit code.
std::variant<const PackageRow*, int> checkConversionOptions(const QCommandLineParser& parser,
                                                            const ConversionOptions& options, const QString& command)
{
    for (const QCommandLineOption* required : {&options.package, &options.input}) {
        if (!parser.isSet(*required))
            return usageError(QStringLiteral("%1 needs --%2").arg(command, required->names().first()));
    }
    if (const QString name = parser.value(options.locale); !name.isEmpty() && !knownLocale(name))
        return usageError(QStringLiteral("unknown locale '%1' (use a name such as en_US, fr_CA, de_DE)").arg(name));
    if (const auto exitCode = checkCodePage(parser.value(options.codePage)))
        return *exitCode;
    const PackageRow* row = findPackageRow(packageTable(), parser.value(options.package).toUpper());
    if (row == nullptr) {
        return usageError(QStringLiteral("package code '%1' selects no writer; valid codes: %2")
                              .arg(parser.value(options.package), validCodes()));
    }
    const std::optional<QString> dateFormat =
        parser.isSet(options.dateFormat) ? std::optional(parser.value(options.dateFormat)) : std::nullopt;
    if (const auto exitCode = checkDatePattern(row->codeText(), dateFormat, parser.value(options.settings)))
        return *exitCode;
    return row;
}

// A percentage line on a terminal, redrawn at most ten times a second.
class ProgressLine {
public:
    void show(int handled, int total)
    {
        if (total <= 0 || (shown_ && clock_.elapsed() < 100 && handled < total))
            return;
        clock_.start();
        shown_ = true;
        std::fprintf(stderr, "\r%3d%% of %d payments", int(qint64(handled) * 100 / total), total);
        std::fflush(stderr);
    }
    // Ends the percentage's line, so that what is printed next starts a line of its own.
    void end()
    {
        if (shown_)
            std::fputs("\n", stderr);
        shown_ = false;
    }

private:
    QElapsedTimer clock_;
    bool shown_ = false;
};

// Loaded by main() when the run asks for dialogs; every other run never maps the widget libraries.
std::optional<DialogsModule> dialogs;

struct ConversionOutcome {
    int exitCode = Complete;
    ConversionAudit audit;
    std::string output; // a text import file's bytes, in memory
};

// One conversion as the options say. A dry run saves no setting; its file goes where the caller
// puts it, or into the outcome in memory.
ConversionOutcome convertAsOptionsSay(const QCommandLineParser& parser, const ConversionOptions& options,
                                     const PackageRow& row, const QString& output, bool dryRun,
                                     const SafetyOptions& safety = {}, bool inMemory = false)
{
    ConversionOutcome outcome;
    try {
        const auto converter = createKNExport(
            {parser.value(options.locale), parser.value(options.codePage), parser.value(options.settings)});
        if (dryRun) {
            const QString ini = parser.value(options.settings);
            converter->setSettingsStore(makeMemorySettingsStore(ini.isEmpty() ? makeUserSettingsStore()
                                                                              : makeIniSettingsStore(ini)));
        }
        converter->LoadAccountingPackageList(catalogueDescriptions());
        std::shared_ptr<Prompter> prompter;
        std::shared_ptr<ScriptedPrompter> scripted;
        if (dialogs) {
            prompter.reset(dialogs->makePrompter());
        } else {
            ScriptedAnswers answers;
            const auto answer = [&](const QCommandLineOption& option, std::optional<QString>& slot) {
                if (parser.isSet(option))
                    slot = parser.value(option);
            };
            answer(options.dateFormat, answers.dateFormat);
            answer(options.fiscalYear, answers.fiscalYear);
            answer(options.fiscalPeriod, answers.fiscalPeriod);
            answer(options.institutionNumber, answers.institutionNumber);
            prompter = scripted = std::make_shared<ScriptedPrompter>(answers);
        }
        const auto sayWhyRefused = [&] {
            if (!scripted || scripted->lastRefusal().isEmpty())
                return false;
            err() << "knexport: " << refusalLine(scripted->lastRefusal()) << "\n";
            return true;
        };

        ProgressLine progress;
        QObject::connect(converter.get(), &KNExport::Status, [&](const QString& text) {
            if (!parser.isSet(options.quiet)) {
                progress.end();
                err() << text << "\n";
                err().flush();
            }
        });
        converter->setChecks(makeSafetyChecks(safety));
        converter->setWarningHandler([&](const QString& text) {
            progress.end();
            err() << "knexport: warning: " << text << "\n";
            err().flush();
        });
        if (parser.isSet(options.progress) && isatty(fileno(stderr)))
            converter->setProgressHandler([&progress](int handled, int total) { progress.show(handled, total); });

        ConversionResult result = runConversion(
            *converter, {parser.value(options.package), parser.value(options.input), output,
                         parser.isSet(options.title) ? parser.value(options.title) : row.fullTitle,
                         parser.value(options.currency), prompter, inMemory});
        progress.end();
        outcome.audit = result.audit;
        outcome.output = std::move(result.output);
        if (result.ending == ConversionEnding::Failed) {
            // An unanswered prompt is what the user did; the file error it leads to adds nothing.
            if (sayWhyRefused()) {
                outcome.exitCode = PromptRefused;
                return outcome;
            }
            KNError shown = *result.error;
            if (shown.detail().isEmpty() && shown.source() == u"KNExport.ImportKNFile") {
                if (const auto problem = paymentFileProblem(parser.value(options.input)))
                    shown = shown.withDetail(*problem);
            }
            if (outcome.audit.failure && outcome.audit.failure->detail.isEmpty())
                outcome.audit.failure->detail = shown.detail();
            if (const auto hint = decimalSeparatorHint(shown, converter->regionalSettings()))
                err() << "knexport: " << *hint << "\n";
            outcome.exitCode = reportFailure(shown);
        } else if (outcome.audit.refused) {
            err() << "knexport: " << *outcome.audit.refused << "; nothing was written\n";
            outcome.exitCode = Refused;
        } else if (result.ending == ConversionEnding::NoRecords) {
            reportFailure(*result.error);
            outcome.exitCode = NoRecords;
        } else if (result.ending == ConversionEnding::Refused) {
            if (sayWhyRefused())
                err() << "knexport: no file was written\n";
            else
                err() << "knexport: the conversion was cancelled at a prompt; no file was written\n";
            outcome.exitCode = PromptRefused;
        }
    } catch (const KNError& error) {
        outcome.exitCode = reportFailure(error);
    }
    return outcome;
}

// A report file must be one the run can write: its folder exists and neither is read-only.
std::optional<QString> unwritableReport(const QString& path)
{
    const QFileInfo report(path);
    const QFileInfo folder(report.absolutePath());
    if (report.isDir())
        return QStringLiteral("the report %1 is a folder; name a file inside it").arg(QDir::toNativeSeparators(path));
    if (!folder.isDir())
        return QStringLiteral("the report's folder %1 does not exist").arg(QDir::toNativeSeparators(folder.filePath()));
    if (!folder.isWritable() || (report.exists() && !report.isWritable()))
        return QStringLiteral("the report %1 cannot be written here").arg(QDir::toNativeSeparators(report.filePath()));
    return std::nullopt;
}

void writeReport(const QString& path, const ConversionAudit& audit)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(auditJson(audit)) < 0 || !file.commit())
        err() << "knexport: the report " << QDir::toNativeSeparators(path) << " was not written: " << file.errorString()
              << "\n";
}

int convert(const QStringList& arguments)
{
    QCommandLineParser parser;
    const ConversionOptions options;
    options.addTo(parser);
    const QCommandLineOption output = valueOption("output", "The import file to write.", "FILE");
    const QCommandLineOption report =
        valueOption("report", "Also writes what the conversion did with every payment as JSON.", "FILE");
    parser.addOptions({output, report});
    const SafetyCliOptions safetyOptions;
    safetyOptions.addTo(parser);
    if (const auto ended = parseCommand(parser, QStringLiteral("convert"),
                                          "Converts a payment file into a package's import file.", arguments))
        return *ended;
    const auto checked = checkConversionOptions(parser, options, QStringLiteral("convert"));
    if (const int* exitCode = std::get_if<int>(&checked))
        return *exitCode;
    if (!parser.isSet(output))
        return usageError(QStringLiteral("convert needs --output"));
    if (parser.isSet(report)) {
        if (const auto why = unwritableReport(parser.value(report)))
            return usageError(*why);
    }
    if (const QFileInfo out(parser.value(output)), in(parser.value(options.input));
        out.exists() && in.exists() && out.canonicalFilePath() == in.canonicalFilePath())
        return usageError(QStringLiteral("--output names the payment file being read (%1); the payment file is never "
                                         "written over, so name another file")
                              .arg(QDir::toNativeSeparators(in.absoluteFilePath())));
    const auto safety = checkSafetyOptions(parser, safetyOptions);
    if (const int* exitCode = std::get_if<int>(&safety))
        return *exitCode;
    const PackageRow& row = *std::get<const PackageRow*>(checked);
    if (const auto failure = outputProblem(parser.value(output), row)) {
        if (parser.isSet(report)) {
            ConversionAudit audit;
            audit.package = row.codeText();
            audit.input = parser.value(options.input);
            audit.output = parser.value(output);
            audit.failure = AuditFailure{failure->number(), failure->description(), failure->source(), failure->detail()};
            writeReport(parser.value(report), audit);
        }
        return reportFailure(*failure);
    }

    const ConversionOutcome outcome =
        convertAsOptionsSay(parser, options, row, parser.value(output), false, std::get<SafetyOptions>(safety));
    if (parser.isSet(report))
        writeReport(parser.value(report), outcome.audit);
    if (outcome.exitCode == Complete && !parser.isSet(options.quiet)) {
        err() << auditSummary(outcome.audit) << "\n";
        if (const auto note = unbalancedEntriesNote(row, outcome.audit))
            err() << *note << "\n";
    }
    return outcome.exitCode;
}

int preview(const QStringList& arguments)
{
    QCommandLineParser parser;
    const ConversionOptions options;
    options.addTo(parser);
    const QCommandLineOption lines = valueOption("lines", "How many of the file's lines to show (20 by default).", "N");
    parser.addOption(lines);
    const SafetyCliOptions safetyOptions;
    safetyOptions.addTo(parser);
    if (const auto ended = parseCommand(parser, QStringLiteral("preview"),
                                          "Shows what a conversion would write, and writes nothing.", arguments))
        return *ended;
    const auto checked = checkConversionOptions(parser, options, QStringLiteral("preview"));
    if (const int* exitCode = std::get_if<int>(&checked))
        return *exitCode;
    bool numeric = true;
    const int shown = parser.isSet(lines) ? parser.value(lines).toInt(&numeric) : 20;
    if (!numeric || shown < 0)
        return usageError(QStringLiteral("--lines needs a count of lines, not '%1'").arg(parser.value(lines)));
    auto safety = checkSafetyOptions(parser, safetyOptions);
    if (const int* exitCode = std::get_if<int>(&safety))
        return *exitCode;
    // A preview looks for earlier conversions and records none.
    std::get<SafetyOptions>(safety).recordConversion = false;

    const PackageRow& row = *std::get<const PackageRow*>(checked);
    // The file and whatever the writer keeps beside it stay in a folder of their own, deep enough
    // that a companion file kept folders above the import file stays inside it too.
    QTemporaryDir scratch;
    const QString folder = scratch.filePath(QStringLiteral("preview/of/package"));
    if (!scratch.isValid() || !QDir().mkpath(folder))
        return reportFailure(KNError(ErrorCode::PathFileAccessError, QStringLiteral("knexport preview")));
    const QString fileName = QString::fromLatin1(row.fileBaseName) + u'.' + QString::fromLatin1(row.fileExtension);
    const QString output = QDir(folder).filePath(fileName);
    // A text import file is made in memory from the payment file's bytes; a workbook is written
    // into the scratch folder, and only counted.
    const bool workbook = !row.makeWriter(row)->writesTextFile();
    const ConversionOutcome outcome =
        convertAsOptionsSay(parser, options, row, output, true, std::get<SafetyOptions>(safety), !workbook);
    if (outcome.exitCode != Complete)
        return outcome.exitCode;

    if (workbook) {
        out() << fileName << " is a workbook of " << outcome.audit.written + 1 << " rows; the preview shows text files\n";
    } else {
        const CodePage codePage(parser.isSet(options.codePage) ? parser.value(options.codePage)
                                                               : QStringLiteral("windows-1252"));
        TextFileReader file(outcome.output);
        for (int i = 0; i < shown && !file.atEnd(); ++i)
            out() << codePage.decode(file.readLineBytes()) << "\n";
    }
    out().flush();
    err() << auditSummary(outcome.audit) << "\n";
    return Complete;
}

int listPackages(const QStringList& arguments)
{
    QCommandLineParser parser;
    if (const auto ended = parseCommand(parser, QStringLiteral("packages"),
                                          "Lists the catalogue: code, title, file extension, base name.", arguments))
        return *ended;
    for (const PackageRow& row : packageTable()) {
        out() << row.code << "  " << QString::fromLatin1(row.fullTitle).leftJustified(36) << "  "
              << QString::fromLatin1(row.fileExtension).leftJustified(4) << "  " << row.fileBaseName << "\n";
    }
    return Complete;
}

QString examplePaymentFile()
{
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/../share/knexport/payments.txt");
    if (QFileInfo::exists(beside))
        return beside;
    return QStringLiteral(KN_EXAMPLES_DIR "/payments.txt");
}

// Where the demo writes a package's file. FAS keeps its institution number two folders above its
// file: one folder down (named after the package) keeps that file inside the demo's folder too.
QString demoOutputPath(const QDir& outputDir, const PackageRow& row)
{
    const QString fileName = QString::fromLatin1(row.fileBaseName) + u'.' + QString::fromLatin1(row.fileExtension);
    if (row.asks != Question::InstitutionNumber)
        return outputDir.filePath(fileName);
    const QString folder = QString::fromLatin1(row.shortTitle).toLower();
    outputDir.mkpath(folder);
    return outputDir.filePath(folder + u'/' + fileName);
}

int demo(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption outputDirOption =
        valueOption("output-dir", "The folder the files go to (knexport-demo by default).", "DIR");
    parser.addOption(outputDirOption);
    if (const auto ended = parseCommand(parser, QStringLiteral("demo"),
                                          "Converts the example payment file into every package.", arguments))
        return *ended;
    const QDir outputDir(
        QDir(parser.isSet(outputDirOption) ? parser.value(outputDirOption) : QStringLiteral("knexport-demo")).absolutePath());
    if (!outputDir.mkpath(QStringLiteral(".")))
        return reportFailure(KNError(ErrorCode::PathNotFound, QStringLiteral("knexport demo")));
    const QString input = examplePaymentFile();

    try {
        // Everything the demo writes, its remembered settings included, stays in its folder.
        const auto converter = createKNExport({QString(), QString(), outputDir.filePath(QStringLiteral("settings.ini"))});
        const auto prompter = std::make_shared<ScriptedPrompter>(demoAnswers(QDate::currentDate()));
        converter->LoadAccountingPackageList(catalogueDescriptions());
        int written = 0;
        for (const PackageRow& row : packageTable()) {
            const QString output = demoOutputPath(outputDir, row);
            const QString title = QString::fromLatin1(row.fullTitle);
            const ConversionResult result = runConversion(*converter, {row.codeText(), input, output, title, QString(), prompter});
            if (result.ending == ConversionEnding::Failed)
                return reportFailure(*result.error);
            if (result.converted()) {
                out() << row.code << "  " << title.leftJustified(36) << "  " << QDir::toNativeSeparators(output) << "\n";
                ++written;
            }
        }
        out() << written << " files written from " << QDir::toNativeSeparators(input) << "\n";
        return Complete;
    } catch (const KNError& error) {
        return reportFailure(error);
    }
}

QJsonObject conversionJson(const ConversionRecord& conversion)
{
    return QJsonObject{
        {QStringLiteral("time"), conversion.time.toUTC().toString(Qt::ISODateWithMs)},
        {QStringLiteral("package"), conversion.packageCode},
        {QStringLiteral("title"), conversion.packageTitle},
        {QStringLiteral("input"), conversion.input},
        {QStringLiteral("input_size"), conversion.inputFile.size},
        {QStringLiteral("input_fingerprint"), conversion.inputFile.fingerprint.toHex()},
        {QStringLiteral("session"), conversion.session},
        {QStringLiteral("entry_source"), conversion.entrySource},
        {QStringLiteral("payments_read"), conversion.paymentsRead},
        {QStringLiteral("written"), conversion.written},
        {QStringLiteral("debits_read"), conversion.debitsRead.decimalText()},
        {QStringLiteral("credits_read"), conversion.creditsRead.decimalText()},
        {QStringLiteral("output"), conversion.output},
        {QStringLiteral("output_size"), conversion.outputFile.size},
        {QStringLiteral("output_fingerprint"), conversion.outputFile.fingerprint.toHex()},
    };
}

QString conversionLine(const ConversionRecord& conversion)
{
    return QStringLiteral("%1  %2 %3  session %4 %5  %6 read, %7 written, debits %8, credits %9  %10 -> %11")
        .arg(conversion.time.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss 'UTC'")), conversion.packageCode,
             conversion.packageTitle, conversion.session, conversion.entrySource)
        .arg(conversion.paymentsRead)
        .arg(conversion.written)
        .arg(conversion.debitsRead.decimalText(), conversion.creditsRead.decimalText(), conversion.input,
             conversion.output);
}

// What the history compares a payment file by: its bytes, session, count and totals.
std::variant<ConversionRecord, int> paymentsOf(const QString& input, const QString& locale)
{
    QTemporaryDir scratch;
    // A code that selects no writer reads the file and writes nothing.
    const auto converter = createKNExport({locale, QString(), QString()});
    converter->setSettingsStore(makeMemorySettingsStore(makeUserSettingsStore()));
    const ConversionResult read =
        runConversion(*converter, {QString(), input, scratch.filePath(QStringLiteral("none")), QString(), QString()});
    if (read.ending == ConversionEnding::Failed) {
        if (read.error->detail().isEmpty())
            if (const auto problem = paymentFileProblem(input))
                return reportFailure(read.error->withDetail(*problem));
        return reportFailure(*read.error);
    }
    ConversionRecord about;
    about.session = converter->Header().sessionNumber.trimmed();
    about.entrySource = converter->Header().entrySource.trimmed();
    about.paymentsRead = read.audit.paymentsRead;
    about.debitsRead = read.audit.debitsRead;
    about.creditsRead = read.audit.creditsRead;
    if (const auto file = fingerprintFile(input))
        about.inputFile = *file;
    return about;
}

int showHistory(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption history = valueOption("history", "The history to read (the user's own by default).", "FILE");
    const QCommandLineOption package = valueOption("package", "Only conversions into this package.", "CODE");
    const QCommandLineOption limit = valueOption("limit", "At most this many, newest first (20 by default, 0 for all).", "N");
    const QCommandLineOption json{QStringLiteral("json"), QStringLiteral("Prints the conversions as JSON.")};
    const QCommandLineOption input =
        valueOption("input", "Only the earlier conversions of this payment file's payments.", "PAYMENTS");
    const QCommandLineOption locale =
        valueOption("locale", "Regional settings the --input file's amounts are read in (the system's by default).", "NAME");
    parser.addOptions({history, package, limit, json, input, locale});
    if (const auto ended = parseCommand(parser, QStringLiteral("history"),
                                          "Lists earlier conversions, newest first: when, package, payments and totals, "
                                          "payment file and import file.",
                                          arguments))
        return *ended;
    QString code;
    if (parser.isSet(package)) {
        const PackageRow* row = findPackageRow(packageTable(), parser.value(package).toUpper());
        if (row == nullptr)
            return usageError(QStringLiteral("package code '%1' selects no writer; valid codes: %2")
                                  .arg(parser.value(package), validCodes()));
        code = row->codeText();
    }
    bool numeric = true;
    const int most = parser.isSet(limit) ? parser.value(limit).toInt(&numeric) : 20;
    if (!numeric || most < 0)
        return usageError(QStringLiteral("--limit needs a count of conversions, not '%1'").arg(parser.value(limit)));
    if (const QString name = parser.value(locale); !name.isEmpty() && !knownLocale(name))
        return usageError(QStringLiteral("unknown locale '%1' (use a name such as en_US, fr_CA, de_DE)").arg(name));

    std::vector<ConversionRecord> conversions;
    QStringList matches;
    QString problem;
    ConversionHistory store(historyPath(parser, history));
    if (parser.isSet(input)) {
        auto about = paymentsOf(parser.value(input), parser.value(locale));
        if (const int* exitCode = std::get_if<int>(&about))
            return *exitCode;
        std::get<ConversionRecord>(about).packageCode = code;
        for (EarlierConversion& earlier : store.earlierConversions(std::get<ConversionRecord>(about), &problem)) {
            if (most > 0 && int(conversions.size()) == most)
                break;
            conversions.push_back(std::move(earlier.record));
            matches << repeatMatchText(earlier.match);
        }
    } else {
        conversions = store.list(code, most, &problem);
    }
    if (!problem.isEmpty()) {
        err() << "knexport: " << problem << "\n";
        return CallFailed;
    }
    if (parser.isSet(json)) {
        QJsonArray list;
        for (std::size_t i = 0; i < conversions.size(); ++i) {
            QJsonObject object = conversionJson(conversions[i]);
            if (!matches.isEmpty())
                object.insert(QStringLiteral("match"), matches[qsizetype(i)]);
            list.append(object);
        }
        out() << QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Indented));
        return Complete;
    }
    for (std::size_t i = 0; i < conversions.size(); ++i)
        out() << conversionLine(conversions[i]) << (matches.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(matches[qsizetype(i)]))
              << "\n";
    if (conversions.empty())
        err() << (parser.isSet(input) ? "knexport: no earlier conversion of these payments in "
                                      : "knexport: no conversion in ")
              << QDir::toNativeSeparators(store.path()) << "\n";
    return Complete;
}

int runCommand(const QString& command, const QStringList& arguments)
{
    if (command == u"convert")
        return convert(arguments);
    if (command == u"preview")
        return preview(arguments);
    if (command == u"packages")
        return listPackages(arguments);
    if (command == u"demo")
        return demo(arguments);
    if (command == u"codepages")
        return listCodePages(arguments);
    if (command == u"history")
        return showHistory(arguments);
    return usageError(QStringLiteral("unknown command '%1'").arg(command));
}

} // namespace

int main(int argc, char* argv[])
{
    // The dialogs need a QApplication on a screen; every other run stays without a GUI.
    const bool interactive = std::any_of(argv + 1, argv + argc, [](const char* a) { return qstrcmp(a, "--interactive") == 0; });
    if (interactive) {
        if (const auto why = whyNoUsableDisplay()) {
            std::fprintf(stderr, "knexport: --interactive shows dialogs and needs a display (DISPLAY, WAYLAND_DISPLAY or "
                                 "QT_QPA_PLATFORM) someone can answer (%s); without one, give the answers as "
                                 "options instead\n", qPrintable(*why));
            return UsageError;
        }
    }
    if (interactive) {
        QString why;
        dialogs = loadDialogsModule(why);
        if (!dialogs) {
            std::fprintf(stderr, "knexport: --interactive needs the dialogs module knexport-dialogs: %s\n", qPrintable(why));
            return UsageError;
        }
    }
    const std::unique_ptr<QCoreApplication> app(dialogs ? dialogs->makeApplication(argc, argv)
                                                        : new QCoreApplication(argc, argv));
    QCoreApplication::setApplicationName(QStringLiteral("knexport"));
    QCoreApplication::setApplicationVersion(QStringLiteral(DARODEV_VERSION));
    QStringList arguments = QCoreApplication::arguments();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Turns a Kaprin payment file into an accounting package's import file.\n\n") +
        QString::fromLatin1(kCommands) + QStringLiteral("\n\n") + packageCodesHelp() + u'\n' + QString::fromLatin1(kExitCodes));
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("convert, preview, packages, demo, codepages or history."),
                                 QStringLiteral("COMMAND [options]"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    // Only what stands before the command is the tool's own; the rest is the command's.
    const auto commandWord = std::find_if(arguments.cbegin() + 1, arguments.cend(),
                                          [](const QString& argument) { return !argument.startsWith(u'-'); });
    if (!parser.parse(QStringList(arguments.cbegin(), commandWord)))
        return usageError(parser.errorText());
    if (parser.isSet(version))
        parser.showVersion();
    if (commandWord != arguments.cend() && *commandWord == u"help" && commandWord + 1 != arguments.cend()) {
        // "knexport help COMMAND" is "knexport COMMAND --help".
        const int code = runCommand(*(commandWord + 1), {QStringLiteral("--help")});
        out().flush();
        return code;
    }
    if (parser.isSet(help) || (commandWord != arguments.cend() && *commandWord == u"help"))
        parser.showHelp(Complete);
    if (commandWord == arguments.cend())
        return usageError(QStringLiteral("no command given"));
    if (commandWord != arguments.cbegin() + 1)
        return usageError(QStringLiteral("unexpected '%1' before the command").arg(arguments[1]));

    const int code = runCommand(*commandWord, QStringList(commandWord + 1, arguments.cend()));
    out().flush();
    err().flush();
    return code;
}
