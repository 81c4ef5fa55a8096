// Renders each prompt as a user of `knexport --interactive` meets it, by running real conversions
// through the dialogs and photographing every dialog and message box as it comes up:
//   kn_dialog_pictures <payment file> <picture folder>
// Run it on Qt's offscreen platform (scripts/dialog-pictures does).
#include "host/component.h"
#include "prompts/dialogprompter.h"
#include "prompts/frmfasinstnum.h"
#include "prompts/frmgeneric.h"
#include "prompts/frmmyobdate.h"
#include "writers/packagetable.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <functional>

namespace {

using Step = std::function<void(QWidget*)>;

// Each modal window that comes up gets the next step: a picture, an answer, or both.
class Photographer {
public:
    explicit Photographer(QString folder) : folder_(std::move(folder))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(0);
    }

    void then(Step step) { steps_.push_back(std::move(step)); }
    Step picture(const QString& name, Step answer)
    {
        return [this, name, answer](QWidget* window) {
            const QString path = QDir(folder_).filePath(name);
            if (!window->grab().save(path))
                QTextStream(stderr) << "could not write " << path << '\n';
            answer(window);
        };
    }
    bool finished() const { return steps_.empty(); }

private:
    void poll()
    {
        QWidget* window = QApplication::activeModalWidget();
        if (window == nullptr || !window->isVisible() || window == current_ || steps_.empty())
            return;
        current_ = window;
        Step step = std::move(steps_.front());
        steps_.erase(steps_.begin());
        // The answer may open the next modal window inside this one's event loop.
        QTimer::singleShot(0, window, [this, step, window] {
            step(window);
            current_ = nullptr;
        });
    }

    QString folder_;
    QTimer timer_;
    std::vector<Step> steps_;
    QWidget* current_ = nullptr;
};

template <typename Dialog>
Step answer(std::function<void(Dialog*)> act)
{
    return [act](QWidget* window) { act(static_cast<Dialog*>(window)); };
}

void pressOk(QWidget* window)
{
    static_cast<QMessageBox*>(window)->button(QMessageBox::Ok)->click();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc != 3) {
        QTextStream(stderr) << "usage: kn_dialog_pictures <payment file> <picture folder>\n";
        return 2;
    }
    const QString payments = QString::fromLocal8Bit(argv[1]);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(folder);

    QTemporaryDir scratch;
    const auto converter =
        kn::createKNExport({QStringLiteral("en_US"), QString(), scratch.filePath(QStringLiteral("settings.ini"))});
    converter->setClock(std::make_shared<kn::FixedClock>(QDate(2014, 9, 2)));
    converter->setPrompter(std::make_shared<kn::DialogPrompter>());

    Photographer photographer(folder);
    photographer.then(photographer.picture(QStringLiteral("dialog-myob-date.png"), answer<kn::frmMYOBDate>([](auto* d) {
        d->cmdOk->click();
    })));
    photographer.then(photographer.picture(QStringLiteral("dialog-syspro-date.png"), answer<kn::frmMYOBDate>([](auto* d) {
        d->cmdOk->click();
    })));
    photographer.then(photographer.picture(QStringLiteral("dialog-fiscal-period.png"), answer<kn::frmGeneric>([](auto* d) {
        d->cboFiscalYear->setEditText(QStringLiteral("2010"));
        d->cmdOk->click();
    })));
    photographer.then(photographer.picture(QStringLiteral("message-invalid-fiscal-year.png"), pressOk));
    photographer.then(answer<kn::frmGeneric>([](auto* d) {
        d->cboFiscalYear->setEditText(QStringLiteral("2014"));
        d->cmdOk->click();
    }));
    photographer.then(photographer.picture(QStringLiteral("dialog-institution-number.png"), answer<kn::frmFASInstNum>([](auto* d) {
        d->txtInstitutionNumber->setText(QStringLiteral("81A"));
        d->cmdOk->click();
    })));
    photographer.then(photographer.picture(QStringLiteral("message-institution-number-not-numeric.png"), pressOk));
    photographer.then(answer<kn::frmFASInstNum>([](auto* d) {
        d->txtInstitutionNumber->setText(QStringLiteral("815001"));
        d->cmdOk->click();
    }));

    QDir().mkpath(scratch.filePath(QStringLiteral("clinic/exports")));
    // Every package that asks a question, in the table's order: MYOB, SysPro, AccPac, FAS.
    for (const kn::PackageRow& row : kn::packageTable()) {
        if (row.asks == kn::Question::None)
            continue;
        const QString output = scratch.filePath(QStringLiteral("clinic/exports/%1.txt").arg(row.codeText()));
        if (!converter->ConvertKNtoGLSpecific(row.codeText(), payments, output, QString::fromLatin1(row.fullTitle),
                                              QStringLiteral("CAD"))) {
            QTextStream(stderr) << "conversion " << row.code << " did not finish\n";
            return 1;
        }
    }
    if (!photographer.finished()) {
        QTextStream(stderr) << "not every picture was taken\n";
        return 1;
    }
    return 0;
}
