// The three prompt dialogs, driven as a user would: typing, Enter, Escape, the close box, the
// buttons, and the message boxes that turn an answer down.
#include "core/clock.h"
#include "prompts/dialogprompter.h"
#include "prompts/frmfasinstnum.h"
#include "prompts/frmgeneric.h"
#include "prompts/frmmyobdate.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include <functional>

using namespace kn;

namespace {

// Watchers still waiting when a test ends; they die with it rather than act in the next one.
QList<QPointer<QTimer>> pendingWatchers;

// Runs `action` on the modal window of type T as soon as it is up, from inside its own event loop;
// gives up after a bounded number of turns of that loop so that a missing window fails the test.
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

// What a message box showed before the test closed it.
struct SeenMessage {
    bool shown = false;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Closes the next message box with `button` and keeps what it showed.
void answerNextMessage(SeenMessage* seen, QMessageBox::StandardButton button = QMessageBox::Ok)
{
    whenModal<QMessageBox>(
        [seen, button](QMessageBox* box) {
            *seen = SeenMessage{true, box->windowTitle(), box->text(), box->standardButtons(), box->icon()};
            box->button(button)->click();
        },
        &seen->shown);
}

// The boxes a user types into, in tab order.
QList<QWidget*> boxesOf(QDialog* dialog)
{
    if (auto* date = qobject_cast<frmMYOBDate*>(dialog))
        return {date->cmbDateFormat};
    if (auto* fiscal = qobject_cast<frmGeneric*>(dialog))
        return {fiscal->cboFiscalYear, fiscal->cboFiscalPeriod};
    return {qobject_cast<frmFASInstNum*>(dialog)->txtInstitutionNumber};
}

QLineEdit* textFieldOf(QWidget* box)
{
    auto* list = qobject_cast<QComboBox*>(box);
    return list ? list->lineEdit() : qobject_cast<QLineEdit*>(box);
}

QStringList textsOf(QDialog* dialog)
{
    QStringList texts;
    for (QWidget* box : boxesOf(dialog))
        texts << textFieldOf(box)->text();
    return texts;
}

QString listOf(QWidget* box)
{
    auto* list = qobject_cast<QComboBox*>(box);
    QStringList items;
    for (int i = 0; list && i < list->count(); ++i)
        items << list->itemText(i);
    return items.join(u' ');
}

// What a dialog shows as it comes up: its title, the date prompt's text, whether the first box has
// a tooltip, its list, the widgets Tab visits from the focus, and the boxes' texts.
QStringList shownBy(QDialog* dialog)
{
    if (!QTest::qWaitForWindowActive(dialog) || QApplication::focusWidget() == nullptr)
        return {QStringLiteral("never active or without focus")};
    QWidget* focus = QApplication::focusWidget();
    QStringList tabbed{focus->objectName()};
    for (QWidget* next = focus->nextInFocusChain(); next != focus; next = next->nextInFocusChain()) {
        if (next->focusPolicy() & Qt::TabFocus && next->isVisibleTo(dialog) && next->focusProxy() == nullptr)
            tabbed << next->objectName();
    }
    const auto* prompt = dialog->findChild<QLabel*>(QStringLiteral("Label1"));
    QWidget* first = boxesOf(dialog).first();
    return QStringList{dialog->windowTitle(), prompt ? prompt->text() : QString(), first->toolTip().isEmpty() ? "" : "tooltip",
                       listOf(first), tabbed.join(u' ')} +
           textsOf(dialog);
}

// Types over the whole text of each box, as a user who selected it first; a list box takes the keys
// itself and hands them to its text field. A box that shows the text already is left alone.
void typeInto(QDialog* dialog, const QStringList& texts)
{
    const QList<QWidget*> boxes = boxesOf(dialog);
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (textFieldOf(boxes[i])->text() == texts[i])
            continue;
        textFieldOf(boxes[i])->selectAll();
        QTest::keyClick(boxes[i], Qt::Key_Delete);
        QTest::keyClicks(boxes[i], texts[i]);
    }
}

// The ways a user ends a dialog; keys go to its last box.
enum class Ending { Return, KeypadEnter, OkButton, CancelButton, Escape, EscapeThenCloseBox, CloseBox };

void endDialog(QDialog* dialog, Ending how)
{
    if (how == Ending::OkButton || how == Ending::CancelButton) {
        QTest::mouseClick(dialog->findChild<QPushButton*>(how == Ending::OkButton ? "cmdOk" : "cmdCancel"), Qt::LeftButton);
    } else if (how != Ending::CloseBox) {
        const Qt::Key key = how == Ending::Return ? Qt::Key_Return : how == Ending::KeypadEnter ? Qt::Key_Enter : Qt::Key_Escape;
        QTest::keyClick(boxesOf(dialog).last(), key);
    }
    if (how == Ending::EscapeThenCloseBox)
        QVERIFY2(dialog->isVisible(), "Escape ended the dialog");
    if (how == Ending::EscapeThenCloseBox || how == Ending::CloseBox)
        dialog->close();
}

} // namespace

Q_DECLARE_METATYPE(Ending)

class DialogTests : public QObject {
    Q_OBJECT

    // One prompter for all prompts, so that each must start afresh whatever came before.
    DialogPrompter prompter_;
    const RegionalSettings regional_;
    const CodePage codePage_;
    const FixedClock clock_{QDate(2014, 9, 2)};
    const PromptEnvironment environment_{regional_, codePage_, clock_};

private slots:
    void cleanup()
    {
        for (const QPointer<QTimer>& watcher : std::as_const(pendingWatchers))
            delete watcher.data();
        pendingWatchers.clear();
    }

    void promptsShowAndAnswer_data()
    {
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<Ending>("how");
        QTest::addColumn<QStringList>("answer"); // the pattern, the year and period, or the file; none when refused
        using L = QStringList;
        QTest::newRow("date: Return keeps the proposal") << "date" << L{"YYYY-MM-DD"} << Ending::Return << L{"YYYY-MM-DD"};
        QTest::newRow("date: pattern in no list") << "date" << L{"D-M-YYYY"} << Ending::KeypadEnter << L{"D-M-YYYY"};
        QTest::newRow("SysPro: its own list") << "SysPro" << L{"DDMMYY"} << Ending::Return << L{"DDMMYY"};
        QTest::newRow("date: beginning of a longer one") << "date" << L{"DD/MM/YY"} << Ending::Return << L{"DD/MM/YY"};
        QTest::newRow("date: emptied box") << "date" << L{""} << Ending::OkButton << L{""};
        QTest::newRow("date: Escape") << "date" << L{"M/D/YY"} << Ending::Escape << L{};
        QTest::newRow("date: Cancel button") << "date" << L{"YY/MM/DD"} << Ending::CancelButton << L{};
        QTest::newRow("SysPro: close box") << "SysPro" << L{"MMDDYY"} << Ending::CloseBox << L{};
        QTest::newRow("fiscal: Return keeps today's") << "fiscal" << L{"2014", "9"} << Ending::Return << L{"2014", "9"};
        QTest::newRow("fiscal: blanks, leading zero") << "fiscal" << L{" 2011 ", "07"} << Ending::KeypadEnter << L{" 2011 ", "07"};
        QTest::newRow("fiscal: unreadable year") << "fiscal" << L{"1E999", "9"} << Ending::OkButton << L{};
        QTest::newRow("fiscal: Escape") << "fiscal" << L{"2016", "12"} << Ending::Escape << L{};
        QTest::newRow("fiscal: Cancel button") << "fiscal" << L{"2014", "9"} << Ending::CancelButton << L{};
        QTest::newRow("fiscal: close box") << "fiscal" << L{"2014", "9"} << Ending::CloseBox << L{};
        QTest::newRow("number: blank in front") << "number" << L{" 0042"} << Ending::Return << L{" 0042\r\n"};
        QTest::newRow("number: Ok button") << "number" << L{"815001"} << Ending::OkButton << L{"815001\r\n"};
        QTest::newRow("number: Escape, close box") << "number" << L{"42"} << Ending::EscapeThenCloseBox << L{};
        // The dialog shows why the file cannot be written, and ends.
        QTest::newRow("number: no folder for the file") << "unwritable" << L{"42"} << Ending::OkButton << L{};
    }

    void promptsShowAndAnswer()
    {
        QFETCH(QString, prompt);
        QFETCH(QStringList, typed);
        QFETCH(Ending, how);
        QFETCH(QStringList, answer);
        // The question MYOB's writer asks: the dialog as it opens, tooltip included.
        const DateFormatRequest myob = myobDateFormatRequest(QString());
        const QString myobPatterns = QStringLiteral("M/D/YYYY M/D/YY MM/DD/YYYY MM/DD/YY D/M/YYYY D/M/YY DD/MM/YYYY "
                                                        "DD/MM/YY YYYY/M/D YYYY/MM/DD YYYY/D/M YYYY/DD/MM YY/M/D YY/MM/DD "
                                                        "YY/D/M YY/DD/MM");
        const DateFormatRequest sysPro{QStringLiteral("SysPro Date Format"),
                                       QStringLiteral("Please select the date format used by SysPro."),
                                       {QStringLiteral("DDMMYY"), QStringLiteral("MMDDYY")}, QStringLiteral("DDMMYY")};
        // MYOB's tooltip speaks of MYOB: the SysPro dialog has none.
        const QString dateTabs = QStringLiteral("cmbDateFormat cmdOk cmdCancel");
        const QMap<QString, QStringList> shownFirst{
            {"date", {"MYOB Date Format", "Please select the date format used by the computer with MYOB installed on it.",
                      "tooltip", myobPatterns, dateTabs, "YYYY-MM-DD"}},
            {"SysPro", {sysPro.title, sysPro.prompt, "", "DDMMYY MMDDYY", dateTabs, "DDMMYY"}},
            {"fiscal", {"AccPac for Windows", "", "", "2017 2016 2015 2014 2013 2012 2011",
                        "cboFiscalYear cboFiscalPeriod cmdOk cmdCancel", "2014", "9"}},
            {"number", {"FAS Institution Number", "", "", "", "txtInstitutionNumber cmdOk", ""}}};
        const bool unwritable = prompt == u"unwritable";
        if (unwritable)
            prompt = QStringLiteral("number");
        QTemporaryDir dir;
        const QString path = dir.filePath(unwritable ? QStringLiteral("no such folder/FASINSTNUM") : QStringLiteral("FASINSTNUM"));
        QStringList shown;
        QString listedAfter;
        bool up = false;
        bool leftOpen = false;
        SeenMessage message;
        whenModal<QDialog>(
            [&](QDialog* d) {
                shown = shownBy(d);
                typeInto(d, typed);
                answerNextMessage(&message);
                endDialog(d, how);
                listedAfter = listOf(boxesOf(d).first());
                leftOpen = d->isVisible();
                d->hide();
            },
            &up);
        QStringList given;
        if (prompt == u"date" || prompt == u"SysPro") {
            DateFormatRequest request = prompt == u"date" ? myob : sysPro;
            request.initial = shownFirst[prompt].last();
            const DateFormatAnswer date = prompter_.PromptDateFormat(request, environment_);
            given = date.chosen ? QStringList{date.pattern} : QStringList{};
        } else if (prompt == u"fiscal") {
            const FiscalPeriodAnswer fiscal = prompter_.PromptFiscalPeriod(QStringLiteral("AccPac for Windows"), environment_);
            given = fiscal.chosen ? QStringList{fiscal.fiscalYear, fiscal.fiscalPeriod} : QStringList{};
        } else {
            prompter_.PromptInstitutionNumber(path, environment_);
            QFile file(path);
            given = file.open(QIODevice::ReadOnly) ? QStringList{QString::fromLatin1(file.readAll())} : QStringList{};
        }
        QVERIFY(up && !leftOpen);
        QCOMPARE(message.shown, unwritable);
        QVERIFY(!unwritable || (message.title == u"DARODEV" && message.text.contains(path)));
        QCOMPARE(shown, shownFirst[prompt]);
        QCOMPARE(given, answer);
        QCOMPARE(listedAfter, shown.value(3)); // what is typed joins no list
    }

    void turnsDownABadAnswerUntilCorrected_data()
    {
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<bool>("closedWithCancel");
        QTest::addColumn<QString>("message"); // title: text
        QTest::addColumn<int>("wrongBox");
        QTest::addColumn<bool>("selected"); // whether the number box selects what it turned down
        using L = QStringList;
        const QString year = QStringLiteral("DARODEV: Invalid fiscal year.\r\nPlease try again.");
        const QString period = QStringLiteral("DARODEV: Invalid fiscal period.\r\nPlease try again.");
        QTest::newRow("year above") << "fiscal" << L{"2018", "9"} << true << year << 0 << false;
        QTest::newRow("beginning of a listed year") << "fiscal" << L{"201", "9"} << false << year << 0 << false;
        QTest::newRow("empty period") << "fiscal" << L{"2014", ""} << true << period << 1 << false;
        QTest::newRow("one blank") << "number" << L{" "} << false
                                   << "Missing Institution Number: Please enter an Institution Number" << 0 << false;
        QTest::newRow("letter") << "number" << L{"12A"} << false
                                << "Invalid Institution Number: Please enter a numeric Institution Number" << 0 << true;
        QTest::newRow("twenty digits")
            << "number" << L{QString(20, u'1')} << false
            << "Invalid Institution Number: Please enter an Institution Number that contains fewer than 20 characters" << 0 << true;
    }

    void turnsDownABadAnswerUntilCorrected()
    {
        QFETCH(QString, prompt);
        QFETCH(QStringList, typed);
        QFETCH(bool, closedWithCancel);
        QFETCH(QString, message);
        QFETCH(int, wrongBox);
        QFETCH(bool, selected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("FASINSTNUM"));
        frmFASInstNum number{RegionalSettings(), CodePage()};
        number.SetFileName(path);
        frmGeneric fiscalDialog(QDate(2014, 9, 2));
        QDialog* dialog = prompt == u"fiscal" ? static_cast<QDialog*>(&fiscalDialog) : &number;
        dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        typeInto(dialog, typed);
        SeenMessage seen;
        answerNextMessage(&seen, closedWithCancel ? QMessageBox::Cancel : QMessageBox::Ok);
        endDialog(dialog, Ending::Return);
        QCOMPARE(seen.title + QStringLiteral(": ") + seen.text, message);
        auto* fiscal = qobject_cast<frmGeneric*>(dialog);
        QCOMPARE(seen.buttons, fiscal ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(seen.icon, fiscal ? QMessageBox::Information : QMessageBox::NoIcon);
        // The dialog stays as typed, unanswered, in the box to correct.
        QVERIFY(dialog->isVisible() && !QFile::exists(path) && !(fiscal && fiscal->Chosen()));
        QCOMPARE(textsOf(dialog), typed);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QWidget* box = boxesOf(dialog)[wrongBox];
        QCOMPARE(QApplication::focusWidget(), box);
        if (!fiscal)
            QCOMPARE(textFieldOf(box)->selectedText(), selected ? typed[wrongBox] : QString());
        typeInto(dialog, fiscal ? QStringList{"2017", "15"} : QStringList{"42"});
        answerNextMessage(&seen);
        endDialog(dialog, Ending::OkButton);
        QVERIFY(!seen.shown && !dialog->isVisible() && (fiscal ? fiscal->Chosen() : QFile::exists(path)));
    }
};

QTEST_MAIN(DialogTests)
#include "tst_dialogs.moc"
