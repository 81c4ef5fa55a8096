// libdarodev-dialogs through its C entry point: the prompts of a conversion shown as Qt dialogs on
// the offscreen platform, answered by pressing their buttons.
#include "darodev/dialogs.h"

#include "bench/paymentfilebuilder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

using kn::payments::headerLine;
using kn::payments::paymentWith;

TEST(Dialogs, TheFiscalPeriodDialogAnswersOrRefusesTheConversion)
{
    kn_export* converter = kn_export_create("en_US", nullptr, nullptr);
    ASSERT_EQ(kn_export_use_dialogs(converter), 0);
    ASSERT_TRUE(qobject_cast<QApplication*>(QCoreApplication::instance())) << "made for a host without one";

    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("out"));
    const QString input = dir.filePath(QStringLiteral("payments.txt"));
    QFile file(input);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write((headerLine() + "\r\n" + paymentWith(QStringLiteral("5100")) + "\r\n").toLatin1());
    file.close();
    const QByteArray output = dir.filePath(QStringLiteral("out/ACCPAC.CSV")).toUtf8();

    const std::tuple<const char*, int> cases[] = {{"cmdCancel", 0}, {"cmdOk", 1}};
    for (const auto& [button, result] : cases) {
        SCOPED_TRACE(button);
        // Presses the button of the first modal dialog that shows up, and keeps its title.
        QString title;
        QTimer presser;
        QObject::connect(&presser, &QTimer::timeout, [&, button = button] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                title = dialog->windowTitle();
                if (auto* pressed = dialog->findChild<QPushButton*>(QString::fromLatin1(button)))
                    pressed->click();
                presser.stop();
            }
        });
        presser.start(10);
        EXPECT_EQ(kn_export_convert(converter, "08", input.toUtf8().constData(), output.constData(), "AccPac 6", "CAD"),
                  result);
        EXPECT_EQ(title, QStringLiteral("AccPac 6"));
        EXPECT_EQ(QFile::exists(QString::fromUtf8(output)), result == 1);
    }
    kn_export_destroy(converter);
    EXPECT_EQ(kn_export_use_dialogs(nullptr), -1);
}
