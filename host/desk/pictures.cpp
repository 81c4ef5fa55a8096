// Photographs darodev-desk's window as the X server shows it, with the example payment file open:
//   kn_desk_pictures <payment file> <picture folder>
// Run it on a real X server (scripts/desk-pictures starts Xvfb).
#include "mainwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

namespace {

// Lets the window settle, then takes what the X server shows of `shown` (the window by default).
bool photograph(kn::MainWindow& window, const QString& path, QWidget* shown = nullptr)
{
    for (int i = 0; i < 20 || window.previewPending(); ++i) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
    QWidget& widget = shown ? *shown : window;
    const QPixmap picture = widget.screen()->grabWindow(widget.winId());
    if (picture.save(path))
        return true;
    QTextStream(stderr) << "could not write " << path << '\n';
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc != 3) {
        QTextStream(stderr) << "usage: kn_desk_pictures <payment file> <picture folder>\n";
        return 2;
    }
    const QString payments = QString::fromLocal8Bit(argv[1]);
    const QDir folder(QString::fromLocal8Bit(argv[2]));
    folder.mkpath(QStringLiteral("."));
    QTemporaryDir scratch;

    kn::MainWindow window;
    // Its conversions go to a history of its own, not to yours.
    window.setHistoryFile(scratch.filePath(QStringLiteral("history.sqlite")));
    window.resize(1180, 800);
    window.show();
    window.regionBox->setCurrentIndex(window.regionBox->findData(QStringLiteral("en_US")));
    QFile::copy(payments, scratch.filePath(QStringLiteral("payments.txt")));
    window.openPaymentFile(scratch.filePath(QStringLiteral("payments.txt")));
    bool ok = true;
    window.selectPackage(QStringLiteral("05"));
    ok &= photograph(window, folder.filePath(QStringLiteral("desk-momentum.png")));
    window.selectPackage(QStringLiteral("16"));
    ok &= photograph(window, folder.filePath(QStringLiteral("desk-aimsi-workbook.png")));
    window.selectPackage(QStringLiteral("05"));
    window.convert();
    ok &= photograph(window, folder.filePath(QStringLiteral("desk-converted.png")));
    // The same payments once more: the preview says they were converted before.
    window.currencyBox->setCurrentText(QStringLiteral("USD"));
    ok &= photograph(window, folder.filePath(QStringLiteral("desk-repeat.png")));
    window.outputEdit->setText(scratch.filePath(QStringLiteral("MOMGL-again.txt")));
    window.convert();
    window.showHistory();
    ok &= photograph(window, folder.filePath(QStringLiteral("desk-history.png")), window.historyTable->window());
    window.historyTable->window()->close();
    window.currencyBox->setCurrentText(QStringLiteral("CAD"));

    // A payment file whose sixth line has a letter in its amount.
    QFile bad(scratch.filePath(QStringLiteral("march.txt")));
    QFile good(payments);
    if (bad.open(QIODevice::WriteOnly) && good.open(QIODevice::ReadOnly)) {
        for (int line = 1; !good.atEnd(); ++line) {
            QByteArray text = good.readLine();
            if (line == 6)
                text.replace("1,234.50", "1,234.5O");
            bad.write(text);
        }
        bad.close();
    }
    window.openPaymentFile(bad.fileName());
    ok &= photograph(window, folder.filePath(QStringLiteral("desk-read-failure.png")));
    return ok ? 0 : 1;
}
