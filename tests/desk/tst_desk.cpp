// darodev-desk's window as a person uses it: open a payment file, choose packages, look at the
// preview, convert, answer or refuse the prompts. What it shows and writes is compared with
// knexport's own preview and conversion of the same file.
#include "host/desk/mainwindow.h"
#include "prompts/frmgeneric.h"
#include "prompts/frmmyobdate.h"
#include "../clirun.h"

#include <QApplication>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace kn;
using kn::testing::knexport;

namespace {

const QString kExample = QStringLiteral(KN_EXAMPLES_DIR "/payments.txt");

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Runs `action` on the modal window of type T once it is up, from inside its own event loop.
template <typename T>
void whenModal(std::function<void(T*)> action, bool* done)
{
    *done = false;
    auto* timer = new QTimer;
    auto turns = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, action, done, turns] {
        auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if ((window && window->isVisible()) || ++*turns > 20000) {
            timer->stop();
            timer->deleteLater();
            if (window) {
                *done = true;
                action(window);
            }
        }
    });
    timer->start(0);
}

QStringList auditTexts(const MainWindow& window)
{
    QStringList texts;
    for (int i = 0; i < window.auditList->count(); ++i)
        texts << window.auditList->item(i)->text();
    return texts;
}

} // namespace

class DeskTests : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder_;
    QString payments_;

    void settle(MainWindow& window) { QTRY_VERIFY(!window.previewPending()); }

    // A window on a payment file read under en_US; with a package code, that package chosen and
    // its preview done.
    std::unique_ptr<MainWindow> openWindow(const QString& paymentFile, const char* code = nullptr)
    {
        auto window = std::make_unique<MainWindow>();
        window->regionBox->setCurrentIndex(window->regionBox->findData(QStringLiteral("en_US")));
        window->codePageBox->setCurrentIndex(window->codePageBox->findText(QStringLiteral("windows-1252")));
        window->currencyBox->setCurrentText(QStringLiteral("CAD"));
        window->show();
        window->openPaymentFile(paymentFile);
        if (code) {
            window->selectPackage(QLatin1String(code));
            settle(*window);
        }
        return window;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(folder_.isValid());
        // The window keeps knexport's history of conversions in the user's data folder: here, one
        // inside the test's folder, emptied before each test.
        qputenv("XDG_DATA_HOME", folder_.filePath(QStringLiteral("data")).toLocal8Bit());
        payments_ = folder_.filePath(QStringLiteral("payments.txt"));
        QVERIFY(QFile::copy(kExample, payments_));
    }

    void cleanup()
    {
        // Each test starts from the defaults, not from the choices the last one left.
        QFile::remove(QSettings(QStringLiteral("DARODEV"), QStringLiteral("Desk")).fileName());
        QDir(folder_.path()).removeRecursively();
        QDir().mkpath(folder_.path());
        QFile::copy(kExample, payments_);
    }

    void previewAndConversionAreKnexports_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("currency");
        QTest::addColumn<QString>("datePattern"); // typed into the date dialog; the preview takes the proposal
        QTest::addColumn<QString>("written");     // what the preview's audit says
        QTest::newRow("Momentum") << "05" << "CAD" << "" << "11 payments written to MOMGL.txt";
        QTest::newRow("QuickBooks") << "02" << "CAD" << "" << "12 payments written to QBGL.iif";
        QTest::newRow("SysPro, its date prompt answered") << "04" << "CAD" << "MMDDYY" << "11 payments written to SYSPROGL.txt";
        QTest::newRow("Simply Accounting in US dollars") << "03" << "USD" << "" << "12 payments written to SIMPLYGL.txt";
        QTest::newRow("MYOB, its date prompt answered") << "01" << "CAD" << "DD/MM/YYYY" << "12 payments written to MYOBGL.txt";
    }

    // The payments as read; the preview of the package chosen after the file was opened with the
    // first one; the conversion, its status texts and bytes: all as knexport's.
    void previewAndConversionAreKnexports()
    {
        QFETCH(QString, code);
        QFETCH(QString, currency);
        QFETCH(QString, datePattern);
        QFETCH(QString, written);
        auto window = openWindow(payments_);
        settle(*window);
        window->currencyBox->setCurrentText(currency);
        window->selectPackage(code);
        settle(*window);
        const auto preview = knexport({"preview", "--package", code, "--input", payments_, "--locale", "en_US", "--currency",
                                       currency, "--lines", "40", "--quiet"});
        QCOMPARE(preview.exitCode, 0);
        QCOMPARE(window->previewStack->currentWidget(), window->previewText);
        QCOMPARE(window->previewText->toPlainText(), preview.out.chopped(1));
        QVERIFY2(auditTexts(*window).join(u'\n').contains(written), qPrintable(auditTexts(*window).join(u'\n')));
        QCOMPARE(window->outputEdit->text(), folder_.filePath(written.section(u' ', -1)));
        const auto* model = window->paymentsView->model();
        QCOMPARE(model->rowCount(), 12);
        QCOMPARE(model->index(4, PaymentsModel::Payee).data().toString(), QStringLiteral("Joe's \"Best\" Plumbing"));
        QCOMPARE(model->index(4, PaymentsModel::Amount).data().toString(), QStringLiteral("1,234.50"));
        QCOMPARE(model->index(4, PaymentsModel::Line).data().toInt(), 6);
        QCOMPARE(model->index(7, PaymentsModel::Details).data().toString(), QStringLiteral("Office rent"));
        QCOMPARE(window->totalsLabel->text(), QStringLiteral("12 payments read: debits 1,004,755.61, credits 47.10"));
        QVERIFY(window->convertButton->isEnabled() && window->readFailureLabel->isHidden());

        QStringList shown;
        connect(window->statusBar(), &QStatusBar::messageChanged, this, [&shown](const QString& text) { shown << text; });
        bool prompted = false;
        if (!datePattern.isEmpty()) {
            whenModal<frmMYOBDate>(
                [datePattern](frmMYOBDate* dialog) {
                    dialog->cmbDateFormat->setEditText(datePattern);
                    dialog->cmdOk->click();
                },
                &prompted);
        }
        window->convert();
        QCOMPARE(prompted, !datePattern.isEmpty());
        QVERIFY2(window->resultLabel->text().startsWith(QStringLiteral("Written: ")), qPrintable(window->resultLabel->text()));
        QVERIFY(window->openFolderButton->isVisible());
        const QString expected = folder_.filePath(QStringLiteral("by-knexport"));
        QStringList options{"--locale", "en_US", "--currency", currency};
        if (!datePattern.isEmpty())
            options << "--date-format" << datePattern << "--settings" << folder_.filePath("cli.ini");
        const auto cli = knexport(kn::testing::convert(code, payments_, expected, options));
        QCOMPARE(cli.exitCode, 0);
        QCOMPARE(contentOf(window->outputEdit->text()), contentOf(expected));
        // knexport prints the status texts, then its summary and any notes; the window shows the
        // status texts, then its result.
        QStringList statuses = kn::testing::outputLinesOf(cli.err);
        statuses = statuses.mid(0, statuses.indexOf(QRegularExpression(QStringLiteral(".* payments read.*"))));
        QCOMPARE(shown, statuses + QStringList{QStringLiteral("The import file is written.")});
    }

    // Payments to accounts not in the known list are listed, in the preview and after the conversion;
    // converting the same payments again warns of it.
    void theAuditListsUnknownAccountsAndARepeatConversion()
    {
        const QString accounts = folder_.filePath(QStringLiteral("accounts.csv"));
        writeFile(accounts, "Account,Name\r\n5100-10,Hydro\r\n6100,Supplies\r\n");
        auto window = openWindow(payments_, "05");
        QVERIFY(window->loadKnownAccounts(accounts));
        settle(*window);
        const QString unknown = QStringLiteral("11 payments to accounts the package does not know:");
        QVERIFY(auditTexts(*window).contains(unknown));
        window->convert();
        const QStringList texts = auditTexts(*window);
        QVERIFY2(texts.contains(unknown) &&
                     texts.contains(QStringLiteral("Line 3, Bell Canada, 89.95: account 5200-20|01|TEL is not among the known accounts.")),
                 qPrintable(texts.join('\n')));
        const QString first = window->outputEdit->text();
        const auto repeatNote = [&window] {
            return auditTexts(*window).filter(QRegularExpression(QStringLiteral("^These payments were converted before"))).value(0);
        };
        QVERIFY2(repeatNote().isEmpty(), qPrintable(repeatNote()));

        // The preview shows it before the payments are converted again.
        window->currencyBox->setCurrentText(QStringLiteral("USD"));
        settle(*window);
        QVERIFY2(repeatNote().contains(QStringLiteral(" into %1 (same payment file)").arg(QDir::toNativeSeparators(first))),
                 qPrintable(auditTexts(*window).join('\n')));
        const QString again = folder_.filePath(QStringLiteral("again.txt"));
        window->outputEdit->setText(again);
        window->convert();
        QVERIFY2(repeatNote().endsWith(QStringLiteral(" into %1 (same payment file): importing both posts them twice.")
                                           .arg(QDir::toNativeSeparators(first))),
                 qPrintable(repeatNote()));
        // knexport shares the history, and finds both.
        const auto cli = knexport({"history", "--json", "--history",
                                   folder_.filePath(QStringLiteral("data/DARODEV/knexport/history.sqlite"))});
        QCOMPARE(QJsonDocument::fromJson(cli.out.toUtf8()).array().size(), 2);

        window->showHistory();
        QCOMPARE(window->historyTable->rowCount(), 2);
        QCOMPARE(window->historyTable->item(0, 6)->text(), QDir::toNativeSeparators(again));
        QCOMPARE(window->historyTable->item(1, 2)->text(), QStringLiteral("11 of 12"));
    }

    void aPaymentFileThatFailsSaysWhereAndCannotBeConverted_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("badLine"); // 0: no payment is read
        QTest::addColumn<QString>("said"); // in the failing row's date cell, or in the failure label when no row
        const auto replaced = [](int line, const char* from, const char* to) {
            QList<QByteArray> lines = contentOf(kExample).split('\n');
            lines[line - 1].replace(from, to);
            return lines.join('\n');
        };
        QTest::newRow("a letter in an amount") << replaced(6, "1,234.50", "1,234.5O") << 6 << "the amount in columns 82-97";
        QTest::newRow("a date that is no date") << replaced(3, "D2014/08/25", "D2014/13/45") << 3 << "columns 2-11";
        QTest::newRow("the first payment") << replaced(2, "D2014/08/25", "Dsoon      ") << 2 << "columns 2-11";
        QTest::newRow("empty") << QByteArray() << 0 << "could not be read past its start: error 62, Input past end of file";
        QTest::newRow("a header alone") << contentOf(kExample).split('\n').first() + '\n' << 0
                                        << "holds no payments (error 999, There are no import records to process)";
    }

    void aPaymentFileThatFailsSaysWhereAndCannotBeConverted()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, badLine);
        QFETCH(QString, said);
        const QString bad = folder_.filePath(QStringLiteral("bad.txt"));
        writeFile(bad, content);

        auto window = openWindow(bad);
        const auto* model = window->paymentsView->model();
        QVERIFY(!window->convertButton->isEnabled());
        QVERIFY(window->readFailureLabel->isVisibleTo(window.get()));
        if (badLine == 0) {
            QCOMPARE(model->rowCount(), 0);
            QVERIFY2(window->readFailureLabel->text().contains(said), qPrintable(window->readFailureLabel->text()));
            return;
        }
        const int failedRow = badLine - 2; // the header is line 1, the first payment line 2
        QCOMPARE(model->rowCount(), failedRow + 1);
        QCOMPARE(window->paymentsView->selectionModel()->selectedRows(), QModelIndexList{model->index(failedRow, 0)});
        QCOMPARE(model->index(failedRow, PaymentsModel::Line).data().toInt(), badLine);
        QVERIFY2(model->index(failedRow, PaymentsModel::Date).data().toString().contains(said),
                 qPrintable(model->index(failedRow, PaymentsModel::Date).data().toString()));
        QVERIFY2(window->readFailureLabel->text().contains(QStringLiteral("line %1: error 13, Type mismatch").arg(badLine)),
                 qPrintable(window->readFailureLabel->text()));
        // The file corrected on disk and opened again is read whole.
        QVERIFY(QFile::remove(bad) && QFile::copy(kExample, bad));
        QVERIFY(window->openPaymentFile(bad));
        QCOMPARE(model->rowCount(), 12);
        QVERIFY(window->readFailureLabel->isHidden());
    }

    // AccPac asks for the fiscal period; Cancel writes nothing and the file already there stays. A
    // conversion that fails says what failed.
    void aConversionThatWritesNothingSaysWhy()
    {
        auto window = openWindow(payments_, "08");
        const QString output = window->outputEdit->text();
        writeFile(output, "last month's batch\r\n");
        bool replaceAsked = false;
        bool prompted = false;
        QString promptTitle;
        whenModal<QMessageBox>(
            [&](QMessageBox* box) {
                box->button(QMessageBox::Yes)->click();
                whenModal<frmGeneric>(
                    [&](frmGeneric* dialog) {
                        promptTitle = dialog->windowTitle();
                        dialog->cmdCancel->click();
                    },
                    &prompted);
            },
            &replaceAsked);
        window->convert();
        QVERIFY(replaceAsked && prompted);
        QCOMPARE(promptTitle, QStringLiteral("AccPac General Ledger"));
        QCOMPARE(contentOf(output), QByteArray("last month's batch\r\n"));
        QCOMPARE(window->resultLabel->text(),
                 QStringLiteral("You cancelled the conversion at the prompt. The file that was already at %1 is unchanged.")
                     .arg(output));
        QVERIFY(window->openFolderButton->isHidden());

        window->selectPackage(QStringLiteral("05"));
        window->outputEdit->setText(folder_.filePath(QStringLiteral("no/such/folder/MOMGL.txt")));
        window->convert();
        const QString said = window->resultLabel->text();
        QVERIFY2(said.startsWith(QStringLiteral("The conversion failed: error 76, Path not found (KNExport.ProcessMomentum)")) &&
                     said.endsWith(QStringLiteral(" No file was written.")),
                 qPrintable(said));
    }

    // A workbook's preview is a table of its rows, which knexport only counts; Tab visits every
    // control a person uses, and each has a name a screen reader says.
    void workbookPreviewAndKeyboardReachEveryControlByName()
    {
        auto window = openWindow(payments_, "16");
        const auto cli = knexport({"preview", "--package", "16", "--input", payments_, "--locale", "en_US", "--quiet"});
        QCOMPARE(cli.out, QStringLiteral("AIMSIGL.xls is a workbook of 13 rows; the preview shows text files\n"));
        QCOMPARE(window->previewStack->currentWidget(), window->previewTable);
        QCOMPARE(window->previewTable->rowCount(), 13);
        QCOMPARE(window->previewTable->item(0, 2)->text(), QStringLiteral("Ledger-Sub"));
        QCOMPARE(window->previewTable->item(4, 8)->text(), QStringLiteral("Rogers Wireless"));
        QCOMPARE(window->previewTable->item(3, 10)->text(), QStringLiteral("-40"));
        window->convert();
        window->activateWindow();
        window->packageBox->setFocus();
        QStringList visited;
        for (int i = 0; i < 20 && !visited.contains(window->focusWidget()->accessibleName()); ++i) {
            visited << window->focusWidget()->accessibleName();
            QTest::keyClick(window->focusWidget(), Qt::Key_Tab);
        }
        const QStringList expected{"Accounting package", "Region", "Code page", "Currency", "Import file",
                                   "Choose the import file", "Payments", "Preview of the workbook",
                                   "Audit of the conversion", "Convert", "Open the folder of the import file"};
        QCOMPARE(visited, expected);
    }

    void choicesAreRememberedAndDropsOpen()
    {
        {
            auto window = openWindow(payments_, "12");
            window->regionBox->setCurrentIndex(window->regionBox->findData(QStringLiteral("fr_CA")));
            window->codePageBox->setCurrentIndex(window->codePageBox->findText(QStringLiteral("IBM863")));
            window->close();
        }
        MainWindow window;
        QCOMPARE(window.packageBox->currentData().toString(), QStringLiteral("12"));
        QCOMPARE(window.regionBox->currentData().toString(), QStringLiteral("fr_CA"));
        QCOMPARE(window.codePageBox->currentText(), QStringLiteral("IBM863"));

        window.regionBox->setCurrentIndex(window.regionBox->findData(QStringLiteral("en_US")));
        QMimeData dropped;
        dropped.setUrls({QUrl::fromLocalFile(payments_)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &drop);
        QCOMPARE(window.paymentsView->model()->rowCount(), 12);
        QCOMPARE(window.outputEdit->text(), folder_.filePath(QStringLiteral("ADAGIOGL.csv")));
    }
};

int main(int argc, char** argv)
{
    // The window's choices and the component's remembered answers go to a folder of the run's own.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication application(argc, argv);
    DeskTests tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_desk.moc"
