// Opt-in (ctest label "libreoffice"): LibreOffice, started headless, reads the AIMsi workbooks of
// the example payment file, Excel 97-2003 and Office Open XML alike, to the expected CSV. Text
// cells come out quoted and number cells bare, so the CSV shows each cell's type too.
#include "../testsupport.h"

#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

using namespace kn::testing;

namespace {

TEST(LibreOffice, ReadsTheExampleWorkbooksToTheExpectedCsv)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    ASSERT_FALSE(soffice.isEmpty()) << "LibreOffice is missing: scripts/install-deps libreoffice";

    Harness harness;
    const QStringList workbooks = {harness.path("aimsi-xls.xls"), harness.path("aimsi-xlsx.xlsx")};
    for (const QString& workbook : workbooks)
        ASSERT_TRUE(harness.convert("16", kExample, workbook));

    // A profile of its own, so that a LibreOffice the user has open does not take the job, and
    // a fixed locale for the numbers. The filter options: ",", '"', UTF-8, from line 1, English
    // (United States), every text cell quoted, numbers not guessed from texts, cells as shown.
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", "C.UTF-8");
    environment.insert("LANG", "C.UTF-8");
    process.setProcessEnvironment(environment);
    const QString profile = QUrl::fromLocalFile(harness.path("profile")).toString();
    process.start(soffice, QStringList{"-env:UserInstallation=" + profile, "--headless", "--norestore", "--convert-to",
                                       "csv:Text - txt - csv (StarCalc):44,34,76,1,,1033,true,false,true", "--outdir",
                                       harness.path("csv")} + workbooks);
    ASSERT_TRUE(process.waitForFinished(240000)) << "LibreOffice did not finish";
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

    for (const char* csv : {"csv/aimsi-xls.csv", "csv/aimsi-xlsx.csv"})
        EXPECT_TRUE(matchesGolden(readBytes(harness.path(csv)), "aimsi-example.csv")) << csv;
}

} // namespace
