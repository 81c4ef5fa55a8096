// darodev-desk: the desktop window of the converter. The path of a payment file may be given on
// the command line.
#include "mainwindow.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("darodev-desk"));
    QApplication::setApplicationDisplayName(QStringLiteral("DARODEV Desk"));
    QApplication::setApplicationVersion(QStringLiteral(DARODEV_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("darodev-desk"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Turns a Kaprin payment file into an accounting package's import file."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("payments"), QStringLiteral("The payment file to open."),
                                 QStringLiteral("[PAYMENTS]"));
    parser.process(application);

    kn::MainWindow window;
    window.resize(1100, 760);
    window.show();
    if (!parser.positionalArguments().isEmpty())
        window.openPaymentFile(parser.positionalArguments().first());
    return QApplication::exec();
}
