// knexport: the command-line host of the converter, for scripted runs.
#include "component.h"

#include "core/knerror.h"
#include "prompts/dialogprompter.h"
#include "prompts/scriptedprompter.h"
#include "writers/packagetable.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <optional>

using namespace kn;

namespace {

enum ExitCode { Complete = 0, CallFailed = 1, UsageError = 2, NoRecords = 3, PromptRefused = 4 };

const char* const kUsage = R"(Usage:
  knexport convert --package CODE --input PAYMENTS --output FILE
                   [--title TEXT] [--currency TEXT] [--locale NAME] [--codepage NAME]
                   [--settings INI] [--date-format PATTERN] [--fiscal-year TEXT]
                   [--fiscal-period TEXT] [--institution-number TEXT] [--quiet]
                   [--interactive]   ask in dialogs instead (needs a display)
  knexport packages                  lists the catalogue: code, title, file extension, base name
  knexport demo [--output-dir DIR]   converts the example payment file into every package
  knexport --help | --version
)";

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
    err() << "knexport: " << message << "\n" << kUsage;
    err().flush();
    return UsageError;
}

QString validCodes()
{
    QStringList codes;
    for (const PackageRow& row : packageRows())
        codes << QString::fromLatin1(row.code);
    codes.sort();
    return codes.join(u", ");
}

// Options as "--name value" or "--name=value"; flags stand alone.
struct Options {
    QMap<QString, QString> values;
    QStringList flags;
    QString error;

    QString value(const QString& name) const { return values.value(name); }
    bool has(const QString& name) const { return values.contains(name); }
    bool flag(const QString& name) const { return flags.contains(name); }
};

Options parseOptions(const QStringList& arguments, const QStringList& valueNames, const QStringList& flagNames)
{
    Options options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString name = arguments[i];
        std::optional<QString> inlineValue;
        if (const qsizetype equals = name.indexOf(u'='); name.startsWith(u"--") && equals > 0) {
            inlineValue = name.mid(equals + 1);
            name.truncate(equals);
        }
        if (flagNames.contains(name) && !inlineValue) {
            options.flags << name;
        } else if (valueNames.contains(name)) {
            if (inlineValue) {
                options.values[name] = *inlineValue;
            } else if (i + 1 < arguments.size()) {
                options.values[name] = arguments[++i];
            } else {
                options.error = QStringLiteral("option %1 needs a value").arg(name);
                return options;
            }
        } else {
            options.error = QStringLiteral("unknown option or argument '%1'").arg(arguments[i]);
            return options;
        }
    }
    return options;
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

PackagePtr catalogueEntry(KNExport& converter, const QString& code)
{
    for (const PackagePtr& package : converter.AcctPackages()) {
        if (package->PackageCode == code)
            return package;
    }
    return nullptr;
}

void loadCatalogue(KNExport& converter)
{
    converter.LoadAccountingPackageList(packageDescriptions());
}

int convert(const QStringList& arguments)
{
    const Options options = parseOptions(
        arguments,
        {"--package", "--input", "--output", "--title", "--currency", "--locale", "--codepage", "--settings",
         "--date-format", "--fiscal-year", "--fiscal-period", "--institution-number"},
        {"--quiet", "--interactive"});
    if (!options.error.isEmpty())
        return usageError(options.error);
    for (const char* required : {"--package", "--input", "--output"}) {
        if (!options.has(QString::fromLatin1(required)))
            return usageError(QStringLiteral("convert needs %1").arg(QString::fromLatin1(required)));
    }
    if (const QString locale = options.value(QStringLiteral("--locale")); !locale.isEmpty() && !knownLocale(locale))
        return usageError(QStringLiteral("unknown locale '%1' (use a name such as en_US, fr_CA, de_DE)").arg(locale));
    const QString code = options.value(QStringLiteral("--package"));
    if (findPackageRow(code.toUpper()) == nullptr)
        return usageError(QStringLiteral("package code '%1' selects no writer; valid codes: %2").arg(code, validCodes()));

    try {
        const auto converter = createKNExport({options.value(QStringLiteral("--locale")),
                                               options.value(QStringLiteral("--codepage")),
                                               options.value(QStringLiteral("--settings"))});
        loadCatalogue(*converter);
        const auto clock = std::make_shared<SystemClock>();
        converter->setClock(clock);
        // The prompts read numbers, write files and date the fiscal year as the conversion does.
        const PromptEnvironment environment{converter->regionalSettings(), converter->codePage(), clock};
        std::shared_ptr<ScriptedPrompter> scripted;
        if (options.flag(QStringLiteral("--interactive"))) {
            converter->setPrompter(std::make_shared<DialogPrompter>(environment));
        } else {
            ScriptedAnswers answers;
            const auto answer = [&](const char* name, std::optional<QString>& slot) {
                if (options.has(QString::fromLatin1(name)))
                    slot = options.value(QString::fromLatin1(name));
            };
            answer("--date-format", answers.dateFormat);
            answer("--fiscal-year", answers.fiscalYear);
            answer("--fiscal-period", answers.fiscalPeriod);
            answer("--institution-number", answers.institutionNumber);
            scripted = std::make_shared<ScriptedPrompter>(answers, environment);
            converter->setPrompter(scripted);
        }
        const auto sayWhyRefused = [&] {
            if (scripted && !scripted->lastRefusal().isEmpty())
                err() << "knexport: " << scripted->lastRefusal() << "\n";
        };
        QString title = options.value(QStringLiteral("--title"));
        if (!options.has(QStringLiteral("--title"))) {
            if (const PackagePtr package = catalogueEntry(*converter, code.toUpper()))
                title = package->PackageFullTitle;
        }

        bool complete = false;
        std::optional<QString> noRecords;
        QObject::connect(converter.get(), &KNExport::Status, [&](const QString& text) {
            if (!options.flag(QStringLiteral("--quiet"))) {
                err() << text << "\n";
                err().flush();
            }
        });
        QObject::connect(converter.get(), &KNExport::ProcessComplete, [&] { complete = true; });
        QObject::connect(converter.get(), &KNExport::Error, [&](int number, const QString& description, const QString& location) {
            noRecords = QStringLiteral("knexport: error %1: %2 (%3)").arg(number).arg(description, location);
        });

        try {
            converter->ConvertKNtoGLSpecific(code, options.value(QStringLiteral("--input")),
                                             options.value(QStringLiteral("--output")), title,
                                             options.value(QStringLiteral("--currency")));
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

int listPackages()
{
    const auto converter = createKNExport({});
    loadCatalogue(*converter);
    for (const PackagePtr& package : converter->AcctPackages()) {
        out() << package->PackageCode << "  " << package->PackageFullTitle.leftJustified(36) << "  "
              << package->FileExtension.leftJustified(4) << "  " << package->FileBaseName << "\n";
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

int demo(const QStringList& arguments)
{
    const Options options = parseOptions(arguments, {"--output-dir"}, {});
    if (!options.error.isEmpty())
        return usageError(options.error);
    const QDir outputDir(QDir(options.has(QStringLiteral("--output-dir")) ? options.value(QStringLiteral("--output-dir"))
                                                                          : QStringLiteral("knexport-demo"))
                             .absolutePath());
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
        loadCatalogue(*converter);
        int written = 0;
        for (const PackagePtr& package : converter->AcctPackages()) {
            if (findPackageRow(package->PackageCode) == nullptr)
                continue;
            // FAS keeps its institution number two folders above its file: one folder down keeps
            // that file inside the demo's folder too.
            const QString fileName = package->FileBaseName + u'.' + package->FileExtension;
            const QString output = package->PackageCode == u"17" ? outputDir.filePath(QStringLiteral("fas/") + fileName)
                                                                  : outputDir.filePath(fileName);
            if (package->PackageCode == u"17")
                outputDir.mkpath(QStringLiteral("fas"));
            if (converter->ConvertKNtoGLSpecific(package->PackageCode, input, output, package->PackageFullTitle, QString())) {
                out() << package->PackageCode << "  " << package->PackageFullTitle.leftJustified(36) << "  "
                      << QDir::toNativeSeparators(output) << "\n";
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
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty())
        return usageError(QStringLiteral("no command given"));

    const QString command = arguments.takeFirst();
    int code = UsageError;
    if (command == u"--help" || command == u"-h" || command == u"help") {
        out() << "knexport " << DARODEV_VERSION << ": turns a Kaprin payment file into an accounting package's import file.\n\n"
              << kUsage;
        code = Complete;
    } else if (command == u"--version") {
        out() << "knexport " << DARODEV_VERSION << "\n";
        code = Complete;
    } else if (command == u"convert") {
        code = convert(arguments);
    } else if (command == u"packages") {
        code = arguments.isEmpty() ? listPackages() : usageError(QStringLiteral("packages takes no arguments"));
    } else if (command == u"demo") {
        code = demo(arguments);
    } else {
        code = usageError(QStringLiteral("unknown command '%1'").arg(command));
    }
    out().flush();
    err().flush();
    return code;
}
