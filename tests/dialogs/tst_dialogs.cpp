// The three prompt dialogs, driven as a user would: typing, Enter, Escape, the close box, the
// buttons, and the message boxes that turn an answer down.
#include "core/clock.h"
#include "prompts/dialogprompter.h"
#include "prompts/frmfasinstnum.h"
#include "prompts/frmgeneric.h"
#include "prompts/frmmyobdate.h"
#include "prompts/twips.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace kn;

namespace {

// What a message box showed before the test closed it.
struct SeenMessage {
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Runs `action` on the modal window of type T as soon as it is up, from inside its own event loop;
// gives up after a bounded number of turns of that loop so that a missing window fails the test.
// Watchers still waiting when a test ends; they die with it rather than act in the next one.
QList<QPointer<QTimer>> pendingWatchers;

template <typename T>
void whenModal(std::function<void(T*)> action, bool* done)
{
    *done = false;
    auto* timer = new QTimer;
    pendingWatchers << timer;
    auto turns = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, action, done, turns] {
        auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if ((window && window->isVisible()) || ++*turns > 10000) {
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

// For a prompt, which the action must end: a dialog the action leaves open is closed, and noted.
template <typename T>
void whenPromptShown(std::function<void(T*)> action, bool* shown, bool* leftOpen)
{
    *leftOpen = false;
    whenModal<T>(
        [action, leftOpen](T* dialog) {
            action(dialog);
            *leftOpen = dialog->isVisible();
            if (*leftOpen)
                dialog->hide();
        },
        shown);
}

// Closes the next message box with `button` and keeps what it showed.
void answerNextMessage(SeenMessage* seen, bool* done, QMessageBox::StandardButton button = QMessageBox::Ok)
{
    whenModal<QMessageBox>(
        [seen, button](QMessageBox* box) {
            *seen = SeenMessage{box->windowTitle(), box->text(), box->standardButtons(), box->icon()};
            box->button(button)->click();
        },
        done);
}

QStringList itemsOf(const QComboBox* box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

QRect designed(const QWidget& widget, int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left, widget.logicalDpiX()), twipsToPixels(top, widget.logicalDpiY()),
                 twipsToPixels(width, widget.logicalDpiX()), twipsToPixels(height, widget.logicalDpiY()));
}

// Types over the whole text of an editable list box, as a user who selected it first; the box
// takes the keys itself and hands them to its text field.
void replaceText(QComboBox* box, const QString& text)
{
    box->lineEdit()->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The widgets that Tab visits from `start`, until it comes back.
QList<QWidget*> tabChain(QWidget* start)
{
    QList<QWidget*> chain{start};
    for (QWidget* next = start->nextInFocusChain(); next != start; next = next->nextInFocusChain()) {
        if (next->focusPolicy() & Qt::TabFocus && next->isVisibleTo(start->window()) && next->focusProxy() == nullptr)
            chain << next;
    }
    return chain;
}

} // namespace

class DialogTests : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        for (const QPointer<QTimer>& watcher : std::as_const(pendingWatchers))
            delete watcher.data();
        pendingWatchers.clear();
    }

    void twipsBecomePixelsAtTheScreensDpi();

    void dateDialogAsDesigned();
    void dateDialogAnswers();
    void dateDialogTakesEachCallersConfiguration();

    void fiscalDialogAsDesigned();
    void fiscalDialogTurnsDownOutOfRangeAnswers_data();
    void fiscalDialogTurnsDownOutOfRangeAnswers();
    void fiscalDialogAnswers();
    void fiscalPromptStartsAfreshAfterAnAcceptedOne();
    void fiscalDialogEndsRefusedOnAnUnreadableNumber();

    void institutionDialogAsDesigned();
    void institutionDialogTurnsDownBadEntries_data();
    void institutionDialogTurnsDownBadEntries();
    void institutionDialogWritesAnAcceptedEntry_data();
    void institutionDialogWritesAnAcceptedEntry();
    void institutionDialogEndsOnlyByOkOrTheCloseBox();
    void institutionDialogSurvivesAnUnwritableFile();
    void institutionPromptStartsAfresh();
};

void DialogTests::twipsBecomePixelsAtTheScreensDpi()
{
    QCOMPARE(twipsToPixels(1545, 96), 103);
    QCOMPARE(twipsToPixels(15, 96), 1);
    QCOMPARE(twipsToPixels(1440, 120), 120);
    QCOMPARE(twipsToPixels(520, 96), 35);
}

void DialogTests::dateDialogAsDesigned()
{
    frmMYOBDate dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("MYOB Date Format"));
    QCOMPARE(dialog.Label1->text(), QStringLiteral("Please select the date format used by the computer with MYOB installed on it."));
    QVERIFY(dialog.Label1->wordWrap());
    QCOMPARE(dialog.cmbDateFormat->toolTip(), QStringLiteral("Select the date format to use when creating the MYOB G/L file"));
    QCOMPARE(dialog.cmdOk->text(), QStringLiteral("OK"));
    QCOMPARE(dialog.cmdOk->toolTip(), QStringLiteral("Accept this format and continue"));
    QCOMPARE(dialog.cmdCancel->text(), QStringLiteral("Cancel"));
    QCOMPARE(dialog.cmdCancel->toolTip(), QStringLiteral("Cancel the operation"));
    QVERIFY(dialog.cmdOk->isDefault());
    QVERIFY(dialog.cmbDateFormat->isEditable());
    QCOMPARE(itemsOf(dialog.cmbDateFormat),
             (QStringList{"M/D/YYYY", "M/D/YY", "MM/DD/YYYY", "MM/DD/YY", "D/M/YYYY", "D/M/YY", "DD/MM/YYYY", "DD/MM/YY",
                          "YYYY/M/D", "YYYY/MM/DD", "YYYY/D/M", "YYYY/DD/MM", "YY/M/D", "YY/MM/DD", "YY/D/M", "YY/DD/MM"}));
    QVERIFY(!dialog.Chosen());

    QCOMPARE(dialog.size(), designed(dialog, 0, 0, 3465, 1545).size());
    QCOMPARE(dialog.Label1->geometry(), designed(dialog, 120, 120, 3255, 495));
    QCOMPARE(dialog.cmbDateFormat->pos(), designed(dialog, 120, 600, 0, 0).topLeft());
    QCOMPARE(dialog.cmbDateFormat->width(), twipsToPixels(3255, dialog.logicalDpiX()));
    QCOMPARE(dialog.cmdOk->geometry(), designed(dialog, 120, 1080, 1335, 375));
    QCOMPARE(dialog.cmdCancel->geometry(), designed(dialog, 2040, 1080, 1335, 375));

    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), dialog.cmbDateFormat);
    QCOMPARE(tabChain(dialog.cmbDateFormat),
             (QList<QWidget*>{dialog.cmbDateFormat, dialog.cmdOk, dialog.cmdCancel}));
}

void DialogTests::dateDialogAnswers()
{
    struct Case {
        const char* name;
        std::function<void(frmMYOBDate*)> act;
        bool chosen;
        QString pattern;
    };
    const auto edit = [](frmMYOBDate* d) { return d->cmbDateFormat; };
    const Case cases[] = {
        {"Enter keeps the proposal", [&](frmMYOBDate* d) { QTest::keyClick(edit(d), Qt::Key_Return); }, true, "M/D/YY"},
        {"typed pattern outside the list",
         [&](frmMYOBDate* d) {
             replaceText(edit(d), "D-M-YYYY");
             QTest::keyClick(edit(d), Qt::Key_Enter);
             QCOMPARE(d->cmbDateFormat->count(), 16); // the typed text joins no list
         },
         true, "D-M-YYYY"},
        {"typed pattern that begins a longer suggestion",
         [&](frmMYOBDate* d) {
             replaceText(edit(d), "DD/MM/YY");
             QTest::keyClick(edit(d), Qt::Key_Return);
         },
         true, "DD/MM/YY"},
        {"empty box with the OK button",
         [&](frmMYOBDate* d) {
             replaceText(edit(d), QString());
             QTest::mouseClick(d->cmdOk, Qt::LeftButton);
         },
         true, ""},
        {"suggestion picked from the list",
         [&](frmMYOBDate* d) {
             d->cmbDateFormat->setCurrentIndex(6);
             QTest::keyClick(edit(d), Qt::Key_Return);
         },
         true, "DD/MM/YYYY"},
        {"Escape", [&](frmMYOBDate* d) { QTest::keyClick(edit(d), Qt::Key_Escape); }, false, ""},
        {"Cancel button",
         [&](frmMYOBDate* d) {
             replaceText(edit(d), "YY/MM/DD");
             QTest::mouseClick(d->cmdCancel, Qt::LeftButton);
         },
         false, ""},
        {"close box", [&](frmMYOBDate* d) { d->close(); }, false, ""},
    };
    DialogPrompter prompter;
    for (const auto& c : cases) {
        bool shown = false;
        bool leftOpen = false;
        whenPromptShown<frmMYOBDate>(c.act, &shown, &leftOpen);
        DateFormatRequest request = designedDateFormatRequest();
        request.initial = QStringLiteral("M/D/YY");
        const DateFormatAnswer answer = prompter.PromptDateFormat(request);
        QVERIFY2(shown && !leftOpen, c.name);
        QVERIFY2(answer.chosen == c.chosen, c.name);
        if (c.chosen)
            QVERIFY2(answer.pattern == c.pattern, qPrintable(QStringLiteral("%1: '%2'").arg(QLatin1String(c.name), answer.pattern)));
    }
}

void DialogTests::dateDialogTakesEachCallersConfiguration()
{
    DialogPrompter prompter;
    const DateFormatRequest sysPro{QStringLiteral("SysPro Date Format"), QStringLiteral("Please select the date format used by SysPro."),
                                   {QStringLiteral("DDMMYY"), QStringLiteral("MMDDYY")}, QStringLiteral("DDMMYY")};
    DateFormatRequest myob = designedDateFormatRequest();
    myob.initial = QStringLiteral("YYYY-MM-DD"); // the region's own pattern, in no list

    const std::pair<const DateFormatRequest*, const char*> sequence[] = {
        {&sysPro, ""}, {&myob, "Select the date format to use when creating the MYOB G/L file"}, {&sysPro, ""}};
    for (const auto& [request, tooltip] : sequence) {
        bool shown = false;
        bool leftOpen = false;
        QString seenTitle, seenPrompt, seenText, seenTooltip;
        QStringList seenItems;
        whenPromptShown<frmMYOBDate>(
            [&](frmMYOBDate* d) {
                seenTitle = d->windowTitle();
                seenPrompt = d->Label1->text();
                seenItems = itemsOf(d->cmbDateFormat);
                seenText = d->cmbDateFormat->currentText();
                seenTooltip = d->cmbDateFormat->toolTip();
                QTest::keyClick(d->cmbDateFormat, Qt::Key_Return);
            },
            &shown, &leftOpen);
        const DateFormatAnswer answer = prompter.PromptDateFormat(*request);
        QVERIFY(shown && !leftOpen);
        QCOMPARE(seenTitle, request->title);
        QCOMPARE(seenPrompt, request->prompt);
        QCOMPARE(seenItems, request->suggestions);
        QCOMPARE(seenText, request->initial);
        QCOMPARE(seenTooltip, QString::fromLatin1(tooltip));
        QCOMPARE(answer.pattern, request->initial);
    }
}

void DialogTests::fiscalDialogAsDesigned()
{
    frmGeneric dialog(QDate(2014, 8, 25));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Generic Entry Form"));
    QCOMPARE(dialog.Label5->text(), QStringLiteral("Fiscal Year : "));
    QCOMPARE(dialog.Label6->text(), QStringLiteral("Fiscal Period : "));
    QCOMPARE(itemsOf(dialog.cboFiscalYear), (QStringList{"2017", "2016", "2015", "2014", "2013", "2012", "2011"}));
    QCOMPARE(dialog.cboFiscalYear->currentText(), QStringLiteral("2014"));
    QCOMPARE(itemsOf(dialog.cboFiscalPeriod),
             (QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15"}));
    QCOMPARE(dialog.cboFiscalPeriod->currentText(), QStringLiteral("8"));
    QVERIFY(dialog.cboFiscalYear->isEditable() && dialog.cboFiscalPeriod->isEditable());
    QCOMPARE(dialog.cmdOk->text(), QStringLiteral("OK"));
    QCOMPARE(dialog.cmdCancel->text(), QStringLiteral("Cancel"));
    QVERIFY(dialog.cmdOk->isDefault());
    QVERIFY(!dialog.Chosen());

    QCOMPARE(dialog.size(), designed(dialog, 0, 0, 2610, 1395).size());
    QCOMPARE(dialog.Label5->geometry(), designed(dialog, 120, 120, 1425, 225));
    QCOMPARE(dialog.Label6->geometry(), designed(dialog, 120, 520, 1425, 225));
    QCOMPARE(dialog.cboFiscalYear->pos(), designed(dialog, 1560, 60, 0, 0).topLeft());
    QCOMPARE(dialog.cboFiscalYear->width(), twipsToPixels(945, dialog.logicalDpiX()));
    QCOMPARE(dialog.cboFiscalPeriod->pos(), designed(dialog, 1560, 480, 0, 0).topLeft());
    QCOMPARE(dialog.cmdOk->geometry(), designed(dialog, 120, 930, 975, 375));
    QCOMPARE(dialog.cmdCancel->geometry(), designed(dialog, 1560, 930, 945, 375));

    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), dialog.cboFiscalYear);
    QCOMPARE(tabChain(dialog.cboFiscalYear),
             (QList<QWidget*>{dialog.cboFiscalYear, dialog.cboFiscalPeriod, dialog.cmdOk, dialog.cmdCancel}));
}

void DialogTests::fiscalDialogTurnsDownOutOfRangeAnswers_data()
{
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("period");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("yearBoxFocused");
    QTest::addColumn<int>("closeWith");

    const QString year = QStringLiteral("Invalid fiscal year.\r\nPlease try again.");
    const QString period = QStringLiteral("Invalid fiscal period.\r\nPlease try again.");
    QTest::newRow("year below") << "2010" << "9" << year << true << int(QMessageBox::Ok);
    QTest::newRow("year above") << "2018" << "9" << year << true << int(QMessageBox::Cancel);
    QTest::newRow("empty year") << "" << "9" << year << true << int(QMessageBox::Ok);
    QTest::newRow("letters for a year") << "next" << "9" << year << true << int(QMessageBox::Ok);
    QTest::newRow("beginning of a listed year") << "201" << "9" << year << true << int(QMessageBox::Ok);
    QTest::newRow("both wrong: the year first") << "2018" << "16" << year << true << int(QMessageBox::Ok);
    QTest::newRow("period 0") << "2014" << "0" << period << false << int(QMessageBox::Ok);
    QTest::newRow("period 16") << "2014" << "16" << period << false << int(QMessageBox::Cancel);
    QTest::newRow("empty period") << "2014" << "" << period << false << int(QMessageBox::Ok);
}

void DialogTests::fiscalDialogTurnsDownOutOfRangeAnswers()
{
    QFETCH(QString, year);
    QFETCH(QString, period);
    QFETCH(QString, message);
    QFETCH(bool, yearBoxFocused);
    QFETCH(int, closeWith);

    frmGeneric dialog(QDate(2014, 9, 2));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    replaceText(dialog.cboFiscalYear, year);
    replaceText(dialog.cboFiscalPeriod, period);

    SeenMessage seen;
    bool shown = false;
    answerNextMessage(&seen, &shown, QMessageBox::StandardButton(closeWith));
    QTest::keyClick(dialog.cboFiscalPeriod, Qt::Key_Return);
    QVERIFY(shown);
    QCOMPARE(seen.text, message);
    QCOMPARE(seen.title, QStringLiteral("DARODEV"));
    QCOMPARE(seen.buttons, QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(seen.icon, QMessageBox::Information);

    QVERIFY(dialog.isVisible());
    QVERIFY(!dialog.Chosen());
    QComboBox* expected = yearBoxFocused ? dialog.cboFiscalYear : dialog.cboFiscalPeriod;
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), expected);
    QCOMPARE(dialog.cboFiscalYear->currentText(), year);
    QCOMPARE(dialog.cboFiscalPeriod->currentText(), period);

    // Corrected, the same dialog accepts the answer.
    replaceText(dialog.cboFiscalYear, QStringLiteral("2017"));
    replaceText(dialog.cboFiscalPeriod, QStringLiteral("15"));
    QTest::mouseClick(dialog.cmdOk, Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QVERIFY(dialog.Chosen());
}

void DialogTests::fiscalDialogAnswers()
{
    struct Case {
        const char* name;
        std::function<void(frmGeneric*)> act;
        bool chosen;
        QString year, period;
    };
    const auto yearEdit = [](frmGeneric* d) { return d->cboFiscalYear; };
    const auto periodEdit = [](frmGeneric* d) { return d->cboFiscalPeriod; };
    const Case cases[] = {
        {"Enter keeps today's year and month", [&](frmGeneric* d) { QTest::keyClick(yearEdit(d), Qt::Key_Return); }, true,
         "2014", "9"},
        {"typed with blanks and a leading zero",
         [&](frmGeneric* d) {
             replaceText(yearEdit(d), " 2011 ");
             replaceText(periodEdit(d), "07");
             QTest::keyClick(periodEdit(d), Qt::Key_Enter);
         },
         true, " 2011 ", "07"},
        {"thirteenth period", [&](frmGeneric* d) {
             replaceText(periodEdit(d), "13");
             QTest::mouseClick(d->cmdOk, Qt::LeftButton);
         },
         true, "2014", "13"},
        {"Escape", [&](frmGeneric* d) { QTest::keyClick(yearEdit(d), Qt::Key_Escape); }, false, "", ""},
        {"Cancel button", [&](frmGeneric* d) { QTest::mouseClick(d->cmdCancel, Qt::LeftButton); }, false, "", ""},
        {"close box", [&](frmGeneric* d) { d->close(); }, false, "", ""},
    };
    DialogPrompter prompter(PromptEnvironment{RegionalSettings(), CodePage(), std::make_shared<FixedClock>(QDate(2014, 9, 2))});
    for (const auto& c : cases) {
        bool shown = false;
        bool leftOpen = false;
        QString title;
        whenPromptShown<frmGeneric>(
            [&](frmGeneric* d) {
                title = d->windowTitle();
                c.act(d);
            },
            &shown, &leftOpen);
        const FiscalPeriodAnswer answer = prompter.PromptFiscalPeriod(QStringLiteral("AccPac for Windows"));
        QVERIFY2(shown && !leftOpen, c.name);
        QCOMPARE(title, QStringLiteral("AccPac for Windows"));
        QVERIFY2(answer.chosen == c.chosen, c.name);
        QCOMPARE(answer.fiscalYear, c.year);
        QCOMPARE(answer.fiscalPeriod, c.period);
    }
}

void DialogTests::fiscalPromptStartsAfreshAfterAnAcceptedOne()
{
    DialogPrompter prompter(PromptEnvironment{RegionalSettings(), CodePage(), std::make_shared<FixedClock>(QDate(2014, 9, 2))});
    bool shown = false;
    bool leftOpen = false;
    whenPromptShown<frmGeneric>(
        [](frmGeneric* d) {
            replaceText(d->cboFiscalYear, "2016");
            replaceText(d->cboFiscalPeriod, "12");
            QTest::mouseClick(d->cmdOk, Qt::LeftButton);
        },
        &shown, &leftOpen);
    QVERIFY(prompter.PromptFiscalPeriod(QStringLiteral("AccPac")).chosen);
    QVERIFY(shown && !leftOpen);

    QString year, period;
    bool chosenBefore = true;
    whenPromptShown<frmGeneric>(
        [&](frmGeneric* d) {
            year = d->cboFiscalYear->currentText();
            period = d->cboFiscalPeriod->currentText();
            chosenBefore = d->Chosen();
            d->close();
        },
        &shown, &leftOpen);
    QVERIFY(!prompter.PromptFiscalPeriod(QStringLiteral("AccPac")).chosen);
    QVERIFY(shown && !leftOpen);
    QCOMPARE(year, QStringLiteral("2014"));
    QCOMPARE(period, QStringLiteral("9"));
    QVERIFY(!chosenBefore);
}

void DialogTests::fiscalDialogEndsRefusedOnAnUnreadableNumber()
{
    frmGeneric dialog(QDate(2014, 9, 2));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    replaceText(dialog.cboFiscalYear, QStringLiteral("1E999"));
    QTest::mouseClick(dialog.cmdOk, Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QVERIFY(!dialog.Chosen());
}

void DialogTests::institutionDialogAsDesigned()
{
    frmFASInstNum dialog(RegionalSettings::named(QStringLiteral("en_US")), CodePage());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("FAS Institution Number"));
    QCOMPARE(dialog.lblInfo->text(), QStringLiteral("Please enter your Institution Number"));
    QCOMPARE(dialog.txtInstitutionNumber->text(), QString());
    QCOMPARE(dialog.cmdOk->text(), QStringLiteral("&Ok"));
    QCOMPARE(dialog.cmdOk->shortcut(), QKeySequence(Qt::ALT | Qt::Key_O));
    QVERIFY(dialog.cmdOk->isDefault());
    QCOMPARE(dialog.findChildren<QPushButton*>().size(), 1); // no Cancel
    QCOMPARE(dialog.FileName(), QString());

    QCOMPARE(dialog.size(), designed(dialog, 0, 0, 3105, 1305).size());
    QCOMPARE(dialog.lblInfo->geometry(), designed(dialog, 120, 120, 2895, 255));
    QCOMPARE(dialog.txtInstitutionNumber->geometry(), designed(dialog, 120, 480, 2895, 285));
    QCOMPARE(dialog.cmdOk->geometry(), designed(dialog, 120, 840, 930, 375));

    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), dialog.txtInstitutionNumber);
    QCOMPARE(tabChain(dialog.txtInstitutionNumber), (QList<QWidget*>{dialog.txtInstitutionNumber, dialog.cmdOk}));
}

void DialogTests::institutionDialogTurnsDownBadEntries_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("selected");

    const QString missing = QStringLiteral("Missing Institution Number");
    const QString invalid = QStringLiteral("Invalid Institution Number");
    QTest::newRow("empty") << "" << missing << "Please enter an Institution Number" << false;
    QTest::newRow("one blank") << " " << missing << "Please enter an Institution Number" << false;
    QTest::newRow("two blanks") << "  " << invalid << "Please enter a numeric Institution Number" << true;
    QTest::newRow("twenty digits") << QString(20, u'1') << invalid
                                   << "Please enter an Institution Number that contains fewer than 20 characters" << true;
    QTest::newRow("letter") << "12A" << invalid << "Please enter a numeric Institution Number" << true;
    QTest::newRow("embedded letter") << "1x2" << invalid << "Please enter a numeric Institution Number" << true;
}

void DialogTests::institutionDialogTurnsDownBadEntries()
{
    QFETCH(QString, entry);
    QFETCH(QString, title);
    QFETCH(QString, message);
    QFETCH(bool, selected);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("FASINSTNUM"));
    frmFASInstNum dialog(RegionalSettings::named(QStringLiteral("en_US")), CodePage());
    dialog.SetFileName(path);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClicks(dialog.txtInstitutionNumber, entry);
    dialog.txtInstitutionNumber->setCursorPosition(0);

    SeenMessage seen;
    bool shown = false;
    answerNextMessage(&seen, &shown);
    QTest::keyClick(dialog.txtInstitutionNumber, Qt::Key_Return);
    QVERIFY(shown);
    QCOMPARE(seen.title, title);
    QCOMPARE(seen.text, message);
    QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(seen.icon, QMessageBox::NoIcon);

    QVERIFY(dialog.isVisible());
    QVERIFY(!QFile::exists(path));
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), dialog.txtInstitutionNumber);
    QCOMPARE(dialog.txtInstitutionNumber->selectedText(), selected ? entry : QString());
}

void DialogTests::institutionDialogWritesAnAcceptedEntry_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("okButton");
    QTest::newRow("nineteen digits") << QString(19, u'9') << false;
    QTest::newRow("blank in front") << " 0042" << false;
    QTest::newRow("exponent") << "1E3" << false;
    QTest::newRow("the Ok button") << "815001" << true;
}

void DialogTests::institutionDialogWritesAnAcceptedEntry()
{
    QFETCH(QString, entry);
    QFETCH(bool, okButton);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("FASINSTNUM"));
    QFile earlier(path);
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("old number\r\nand more\r\n");
    earlier.close();

    frmFASInstNum dialog(RegionalSettings::named(QStringLiteral("en_US")), CodePage());
    dialog.SetFileName(path);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClicks(dialog.txtInstitutionNumber, entry);
    if (okButton)
        QTest::mouseClick(dialog.cmdOk, Qt::LeftButton);
    else
        QTest::keyClick(dialog.txtInstitutionNumber, Qt::Key_Return);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(fileBytes(path), entry.toLatin1() + "\r\n");
}

void DialogTests::institutionDialogEndsOnlyByOkOrTheCloseBox()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("FASINSTNUM"));
    frmFASInstNum dialog(RegionalSettings::named(QStringLiteral("en_US")), CodePage());
    dialog.SetFileName(path);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClicks(dialog.txtInstitutionNumber, QStringLiteral("42"));
    QTest::keyClick(dialog.txtInstitutionNumber, Qt::Key_Escape);
    QVERIFY(dialog.isVisible());
    dialog.close();
    QVERIFY(!dialog.isVisible());
    QVERIFY(!QFile::exists(path));
}

void DialogTests::institutionDialogSurvivesAnUnwritableFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("no such folder/FASINSTNUM"));
    frmFASInstNum dialog(RegionalSettings::named(QStringLiteral("en_US")), CodePage());
    dialog.SetFileName(path);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClicks(dialog.txtInstitutionNumber, QStringLiteral("42"));
    SeenMessage seen;
    bool shown = false;
    answerNextMessage(&seen, &shown);
    QTest::mouseClick(dialog.cmdOk, Qt::LeftButton);
    QVERIFY(shown);
    QCOMPARE(seen.title, QStringLiteral("DARODEV"));
    QVERIFY(seen.text.contains(path));
    QVERIFY(!dialog.isVisible());
    QVERIFY(!QFile::exists(path));
}

void DialogTests::institutionPromptStartsAfresh()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("FASINSTNUM"));
    DialogPrompter prompter(PromptEnvironment{RegionalSettings::named(QStringLiteral("en_US")), CodePage(),
                                              std::make_shared<SystemClock>()});
    QStringList seenPaths, seenTexts;
    for (const char* typed : {"123", ""}) {
        bool shown = false;
        bool leftOpen = false;
        whenPromptShown<frmFASInstNum>(
            [&, typed](frmFASInstNum* d) {
                seenPaths << d->FileName();
                seenTexts << d->txtInstitutionNumber->text();
                if (*typed) {
                    QTest::keyClicks(d->txtInstitutionNumber, QString::fromLatin1(typed));
                    QTest::keyClick(d->txtInstitutionNumber, Qt::Key_Return);
                } else {
                    d->close();
                }
            },
            &shown, &leftOpen);
        prompter.PromptInstitutionNumber(path);
        QVERIFY(shown && !leftOpen);
    }
    QCOMPARE(seenPaths, (QStringList{path, path}));
    QCOMPARE(seenTexts, (QStringList{QString(), QString()}));
    QCOMPARE(fileBytes(path), QByteArray("123\r\n")); // the unanswered second prompt left it alone
}

QTEST_MAIN(DialogTests)
#include "tst_dialogs.moc"
