// knexport: the command-line host of the converter, for scripted runs.
#include "component.h"

#include "core/dryrun.h"
#include "core/knerror.h"
#include "dialogsmodule.h"
#include "prompts/display.h"
#include "prompts/scriptedprompter.h"
#include "writers/packagetable.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <variant>

#include <unistd.h>

using namespace kn;

namespace {

enum ExitCode { Complete = 0, CallFailed = 1, UsageError = 2, NoRecords = 3, PromptRefused = 4 };

const char* const kCommands = R"(The command:
  convert    converts a payment file into a package's import file
  preview    shows what a conversion would write, and writes nothing
  packages   lists the catalogue: code, title, file extension, base name
  demo       converts the example payment file into every package
knexport COMMAND --help shows the command's options.)";

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
        out() << parser.helpText();
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
    const PackageRow* row = findPackageRow(packageTable(), parser.value(options.package).toUpper());
    if (row == nullptr) {
        return usageError(QStringLiteral("package code '%1' selects no writer; valid codes: %2")
                              .arg(parser.value(options.package), validCodes()));
    }
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
    void end()
    {
        if (shown_)
            std::fputs("\n", stderr);
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
};

// One conversion as the options say. A dry run saves no setting; its file goes where the caller
// puts it.
ConversionOutcome runConversion(const QCommandLineParser& parser, const ConversionOptions& options,
                                const PackageRow& row, const QString& output, bool dryRun)
{
    ConversionOutcome outcome;
    try {
        const auto converter = createKNExport(
            {parser.value(options.locale), parser.value(options.codePage), parser.value(options.settings)});
        if (dryRun) {
            const QString ini = parser.value(options.settings);
            converter->setSettingsStore(makeDryRunSettingsStore(ini.isEmpty() ? makeUserSettingsStore()
                                                                              : makeIniSettingsStore(ini)));
        }
        converter->LoadAccountingPackageList(catalogueDescriptions());
        const auto clock = std::make_shared<SystemClock>();
        converter->setClock(clock);
        // The prompts read numbers, write files and date the fiscal year as the conversion does.
        const PromptEnvironment environment{converter->regionalSettings(), converter->codePage(), clock};
        std::shared_ptr<ScriptedPrompter> scripted;
        if (dialogs) {
            converter->setPrompter(std::shared_ptr<Prompter>(dialogs->makePrompter(environment)));
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
            scripted = std::make_shared<ScriptedPrompter>(answers, environment);
            converter->setPrompter(scripted);
        }
        const auto sayWhyRefused = [&] {
            if (scripted && !scripted->lastRefusal().isEmpty())
                err() << "knexport: " << scripted->lastRefusal() << "\n";
        };

        bool complete = false;
        std::optional<QString> noRecords;
        QObject::connect(converter.get(), &KNExport::Status, [&](const QString& text) {
            if (!parser.isSet(options.quiet)) {
                err() << text << "\n";
                err().flush();
            }
        });
        QObject::connect(converter.get(), &KNExport::ProcessComplete, [&] { complete = true; });
        QObject::connect(converter.get(), &KNExport::Error, [&](int number, const QString& description, const QString& location) {
            noRecords = QStringLiteral("knexport: error %1: %2 (%3)").arg(number).arg(description, location);
        });
        ProgressLine progress;
        if (parser.isSet(options.progress) && isatty(fileno(stderr)))
            converter->setProgressHandler([&progress](int handled, int total) { progress.show(handled, total); });

        try {
            converter->ConvertKNtoGLSpecific(parser.value(options.package), parser.value(options.input), output,
                                             parser.isSet(options.title) ? parser.value(options.title) : row.fullTitle,
                                             parser.value(options.currency));
            progress.end();
        } catch (const KNError& error) {
            progress.end();
            outcome.audit = converter->LastAudit();
            sayWhyRefused();
            outcome.exitCode = reportFailure(error);
            return outcome;
        }
        outcome.audit = converter->LastAudit();
        if (noRecords) {
            err() << *noRecords << "\n";
            outcome.exitCode = NoRecords;
        } else if (!complete) {
            sayWhyRefused();
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

    const ConversionOutcome outcome =
        runConversion(parser, options, *std::get<const PackageRow*>(checked), parser.value(output), false);
    if (parser.isSet(report))
        writeReport(parser.value(report), outcome.audit);
    if (outcome.exitCode == Complete && !parser.isSet(options.quiet))
        err() << auditSummary(outcome.audit) << "\n";
    return outcome.exitCode;
}

int preview(const QStringList& arguments)
{
    QCommandLineParser parser;
    const ConversionOptions options;
    options.addTo(parser);
    const QCommandLineOption lines = valueOption("lines", "How many of the file's lines to show (20 by default).", "N");
    parser.addOption(lines);
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

    const PackageRow& row = *std::get<const PackageRow*>(checked);
    // The file and whatever the writer keeps beside it stay in a folder of their own, deep enough
    // that a companion file kept folders above the import file stays inside it too.
    QTemporaryDir scratch;
    const QString folder = scratch.filePath(QStringLiteral("preview/of/package"));
    if (!scratch.isValid() || !QDir().mkpath(folder))
        return reportFailure(KNError(ErrorCode::PathFileAccessError, QStringLiteral("knexport preview")));
    const QString fileName = QString::fromLatin1(row.fileBaseName) + u'.' + QString::fromLatin1(row.fileExtension);
    const QString output = QDir(folder).filePath(fileName);
    const ConversionOutcome outcome = runConversion(parser, options, row, output, true);
    if (outcome.exitCode != Complete)
        return outcome.exitCode;

    QFile file(output);
    if (!row.makeWriter(row)->writesTextFile()) {
        out() << fileName << " is a workbook of " << outcome.audit.written + 1 << " rows; the preview shows text files\n";
    } else if (file.open(QIODevice::ReadOnly)) {
        const CodePage codePage(parser.isSet(options.codePage) ? parser.value(options.codePage)
                                                               : QStringLiteral("windows-1252"));
        for (int i = 0; i < shown && !file.atEnd(); ++i) {
            QByteArray line = file.readLine();
            while (line.endsWith('\n') || line.endsWith('\r'))
                line.chop(1);
            out() << codePage.decode(std::string_view(line.constData(), std::size_t(line.size()))) << "\n";
        }
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
        const auto clock = std::make_shared<SystemClock>();
        converter->setClock(clock);
        converter->setPrompter(std::make_shared<ScriptedPrompter>(
            demoAnswers(clock->today()), PromptEnvironment{converter->regionalSettings(), converter->codePage(), clock}));
        converter->LoadAccountingPackageList(catalogueDescriptions());
        int written = 0;
        for (const PackageRow& row : packageTable()) {
            const QString output = demoOutputPath(outputDir, row);
            const QString title = QString::fromLatin1(row.fullTitle);
            if (converter->ConvertKNtoGLSpecific(row.codeText(), input, output, title, QString())) {
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

} // namespace

int main(int argc, char* argv[])
{
    // The dialogs need a QApplication on a screen; every other run stays without a GUI.
    const bool interactive = std::any_of(argv + 1, argv + argc, [](const char* a) { return qstrcmp(a, "--interactive") == 0; });
    if (interactive && !displayAvailable()) {
        std::fprintf(stderr, "knexport: --interactive shows dialogs and needs a display (DISPLAY, WAYLAND_DISPLAY or "
                             "QT_QPA_PLATFORM); without one, give the answers as options instead\n");
        return UsageError;
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
        QString::fromLatin1(kCommands));
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("convert, preview, packages or demo."),
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
    if (parser.isSet(help) || (commandWord != arguments.cend() && *commandWord == u"help"))
        parser.showHelp(Complete);
    if (commandWord == arguments.cend())
        return usageError(QStringLiteral("no command given"));
    if (commandWord != arguments.cbegin() + 1)
        return usageError(QStringLiteral("unexpected '%1' before the command").arg(arguments[1]));

    const QString command = *commandWord;
    arguments = QStringList(commandWord + 1, arguments.cend());
    int code = UsageError;
    if (command == u"convert") {
        code = convert(arguments);
    } else if (command == u"preview") {
        code = preview(arguments);
    } else if (command == u"packages") {
        code = listPackages(arguments);
    } else if (command == u"demo") {
        code = demo(arguments);
    } else {
        code = usageError(QStringLiteral("unknown command '%1'").arg(command));
    }
    out().flush();
    err().flush();
    return code;
}
