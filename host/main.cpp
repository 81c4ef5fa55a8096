// knexport: the command-line host of the converter, for scripted runs.
#include "component.h"

#include "core/knerror.h"
#include "prompts/dialogprompter.h"
#include "prompts/scriptedprompter.h"
#include "writers/packagetable.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <optional>

using namespace kn;

namespace {

enum ExitCode { Complete = 0, CallFailed = 1, UsageError = 2, NoRecords = 3, PromptRefused = 4 };

const char* const kCommands = R"(The command:
  convert    converts a payment file into a package's import file
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

int convert(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption package = valueOption("package", "The package code (see knexport packages).", "CODE");
    const QCommandLineOption input = valueOption("input", "The Kaprin payment file.", "PAYMENTS");
    const QCommandLineOption output = valueOption("output", "The import file to write.", "FILE");
    const QCommandLineOption title = valueOption("title", "The package title the writer is given.", "TEXT");
    const QCommandLineOption currency = valueOption("currency", "The currency text the writer is given.", "TEXT");
    const QCommandLineOption locale = valueOption("locale", "Regional settings such as en_US (the system's by default).", "NAME");
    const QCommandLineOption codePage = valueOption("codepage", "The 8-bit code page (windows-1252 by default).", "NAME");
    const QCommandLineOption settings = valueOption("settings", "A settings file instead of the user's store.", "INI");
    const QCommandLineOption dateFormat = valueOption("date-format", "Answers the date pattern prompt.", "PATTERN");
    const QCommandLineOption fiscalYear = valueOption("fiscal-year", "Answers the fiscal year prompt.", "TEXT");
    const QCommandLineOption fiscalPeriod = valueOption("fiscal-period", "Answers the fiscal period prompt.", "TEXT");
    const QCommandLineOption institutionNumber =
        valueOption("institution-number", "Answers the institution number prompt.", "TEXT");
    const QCommandLineOption quiet(QStringLiteral("quiet"), QStringLiteral("Prints no status texts."));
    const QCommandLineOption interactive(QStringLiteral("interactive"),
                                         QStringLiteral("Asks in dialogs instead of options (needs a display)."));
    parser.addOptions({package, input, output, title, currency, locale, codePage, settings, dateFormat, fiscalYear,
                       fiscalPeriod, institutionNumber, quiet, interactive});
    if (const auto ended = parseCommand(parser, QStringLiteral("convert"),
                                          "Converts a payment file into a package's import file.", arguments))
        return *ended;
    for (const QCommandLineOption* required : {&package, &input, &output}) {
        if (!parser.isSet(*required))
            return usageError(QStringLiteral("convert needs --%1").arg(required->names().first()));
    }
    if (const QString name = parser.value(locale); !name.isEmpty() && !knownLocale(name))
        return usageError(QStringLiteral("unknown locale '%1' (use a name such as en_US, fr_CA, de_DE)").arg(name));
    const QString code = parser.value(package).toUpper();
    const PackageRow* row = findPackageRow(packageTable(), code);
    if (row == nullptr) {
        return usageError(
            QStringLiteral("package code '%1' selects no writer; valid codes: %2").arg(parser.value(package), validCodes()));
    }

    try {
        const auto converter =
            createKNExport({parser.value(locale), parser.value(codePage), parser.value(settings)});
        converter->LoadAccountingPackageList(catalogueDescriptions());
        const auto clock = std::make_shared<SystemClock>();
        converter->setClock(clock);
        // The prompts read numbers, write files and date the fiscal year as the conversion does.
        const PromptEnvironment environment{converter->regionalSettings(), converter->codePage(), clock};
        std::shared_ptr<ScriptedPrompter> scripted;
        if (parser.isSet(interactive)) {
            converter->setPrompter(std::make_shared<DialogPrompter>(environment));
        } else {
            ScriptedAnswers answers;
            const auto answer = [&](const QCommandLineOption& option, std::optional<QString>& slot) {
                if (parser.isSet(option))
                    slot = parser.value(option);
            };
            answer(dateFormat, answers.dateFormat);
            answer(fiscalYear, answers.fiscalYear);
            answer(fiscalPeriod, answers.fiscalPeriod);
            answer(institutionNumber, answers.institutionNumber);
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
            if (!parser.isSet(quiet)) {
                err() << text << "\n";
                err().flush();
            }
        });
        QObject::connect(converter.get(), &KNExport::ProcessComplete, [&] { complete = true; });
        QObject::connect(converter.get(), &KNExport::Error, [&](int number, const QString& description, const QString& location) {
            noRecords = QStringLiteral("knexport: error %1: %2 (%3)").arg(number).arg(description, location);
        });

        try {
            converter->ConvertKNtoGLSpecific(parser.value(package), parser.value(input), parser.value(output),
                                             parser.isSet(title) ? parser.value(title) : row->fullTitle,
                                             parser.value(currency));
        } catch (const KNError&) {
            sayWhyRefused();
            throw;
        }
        if (noRecords) {
            err() << *noRecords << "\n";
            return NoRecords;
        }
        if (!complete) {
            sayWhyRefused();
            err() << "knexport: the conversion was cancelled at a prompt; no file was written\n";
            return PromptRefused;
        }
        return Complete;
    } catch (const KNError& error) {
        return reportFailure(error);
    }
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
    std::unique_ptr<QCoreApplication> app =
        interactive ? std::make_unique<QApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("knexport"));
    QCoreApplication::setApplicationVersion(QStringLiteral(DARODEV_VERSION));
    QStringList arguments = QCoreApplication::arguments();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Turns a Kaprin payment file into an accounting package's import file.\n\n") +
        QString::fromLatin1(kCommands));
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("convert, packages or demo."),
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
