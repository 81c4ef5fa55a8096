#pragma once

// The knexport command run as a script runs it: the exit code and what it printed.
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

namespace kn::testing {

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// A file size limit stands in for a full disk, as a small tmpfs cannot be mounted everywhere
// tests run; `program` may be a copy of the command elsewhere.
inline CliRun knexport(const QStringList& arguments,
                       const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
                       rlim_t fileSizeLimit = RLIM_INFINITY, const QString& program = QStringLiteral(KNEXPORT_PATH))
{
    QProcess process;
    // Each run has a data folder of its own, so that no test reads or adds to the user's history
    // of conversions, nor one run to another's; a test that gives its own keeps it.
    QTemporaryDir dataHome;
    QProcessEnvironment runEnvironment = environment;
    if (environment.value(QStringLiteral("XDG_DATA_HOME")) == qEnvironmentVariable("XDG_DATA_HOME"))
        runEnvironment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome.path());
    process.setProcessEnvironment(runEnvironment);
    process.setChildProcessModifier([fileSizeLimit] {
        if (fileSizeLimit == RLIM_INFINITY)
            return;
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{fileSizeLimit, fileSizeLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    process.start(program, arguments);
    process.waitForFinished(120000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// The arguments of a conversion of `input` by the package `code`, then any others.
inline QStringList convert(const QString& code, const QString& input, const QString& output, const QStringList& more = {})
{
    return QStringList{"convert", "--package", code, "--input", input, "--output", output} + more;
}

inline QStringList outputLinesOf(const QString& text)
{
    return text.trimmed().split(u'\n');
}

inline QString lastLine(const QString& text)
{
    return outputLinesOf(text).last();
}

} // namespace kn::testing
