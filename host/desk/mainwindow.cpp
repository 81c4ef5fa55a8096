#include "mainwindow.h"

#include "host/conversionrun.h"
#include "core/knerror.h"
#include "host/component.h"
#include "prompts/dialogprompter.h"
#include "safety/history.h"
#include "writers/packagetable.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace kn {

namespace {

constexpr int kRecentFiles = 8;
constexpr int kPreviewLines = 40;

// Regions a Canadian or American bookkeeper's packages are set up for, and a few beyond.
const char* const kRegions[] = {"en_US", "en_CA", "fr_CA", "en_GB", "en_AU", "de_DE", "fr_FR", "es_MX"};
// Single-byte code pages Windows and DOS accounting packages read.
const char* const kCodePages[] = {"windows-1252", "ISO-8859-1", "ISO-8859-15", "IBM850", "IBM863", "IBM437",
                                  "windows-1250", "windows-1251"};

// The window's own remembered choices, apart from the component's settings store.
const QString kSettingsOrganization = QStringLiteral("DARODEV");
const QString kSettingsApplication = QStringLiteral("Desk");

// The line a payment-file failure names ("payment file line 7: ..."), 0 when it names none.
int failedLineOf(const QString& detail)
{
    static const QRegularExpression line(QStringLiteral("^payment file line (\\d+)"));
    const QRegularExpressionMatch match = line.match(detail);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

QString failureText(const KNError& error)
{
    QString text = QStringLiteral("error %1, %2 (%3)").arg(error.number()).arg(error.description(), error.source());
    if (!error.detail().isEmpty())
        text += QStringLiteral(": ") + error.detail();
    return text;
}

QIcon toneIcon(AuditNote::Tone tone)
{
    QStyle* style = QApplication::style();
    switch (tone) {
    case AuditNote::Tone::Fine:
        return style->standardIcon(QStyle::SP_DialogApplyButton);
    case AuditNote::Tone::Notice:
        return style->standardIcon(QStyle::SP_MessageBoxInformation);
    case AuditNote::Tone::Warning:
        return style->standardIcon(QStyle::SP_MessageBoxWarning);
    }
    return {};
}

template <typename Widget>
Widget* named(Widget* widget, const QString& accessibleName)
{
    widget->setAccessibleName(accessibleName);
    return widget;
}

} // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("DARODEV Desk"));
    setWindowIcon(QIcon::fromTheme(QStringLiteral("darodev-desk")));
    setAcceptDrops(true);
    historyFile_ = defaultHistoryPath();
    previewTimer_.setSingleShot(true);
    previewTimer_.setInterval(150);
    connect(&previewTimer_, &QTimer::timeout, this, &MainWindow::refreshPreview);

    buildMenus();
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(buildChoices());
    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->setObjectName(QStringLiteral("mainSplitter"));
    splitter->addWidget(buildPayments());
    splitter->addWidget(buildPreview());
    splitter->setChildrenCollapsible(false);
    layout->addWidget(splitter, 1);
    layout->addWidget(buildResult());
    setCentralWidget(central);

    progressBar = named(new QProgressBar, QStringLiteral("Conversion progress"));
    progressBar->setMaximumWidth(220);
    progressBar->setVisible(false);
    statusBar()->addPermanentWidget(progressBar);
    statusBar()->showMessage(QStringLiteral("Open a Kaprin payment file to begin."));

    setTabOrder(packageBox, regionBox);
    setTabOrder(regionBox, codePageBox);
    setTabOrder(codePageBox, currencyBox);
    setTabOrder(currencyBox, outputEdit);
    setTabOrder(outputEdit, saveAsButton);
    setTabOrder(saveAsButton, paymentsView);
    setTabOrder(paymentsView, previewText);
    setTabOrder(previewText, previewTable);
    setTabOrder(previewTable, auditList);
    setTabOrder(auditList, convertButton);
    setTabOrder(convertButton, openFolderButton);

    restoreChoices();
    connect(packageBox, &QComboBox::currentIndexChanged, this, &MainWindow::packageChanged);
    connect(regionBox, &QComboBox::currentIndexChanged, this, &MainWindow::regionOrCodePageChanged);
    connect(codePageBox, &QComboBox::currentIndexChanged, this, &MainWindow::regionOrCodePageChanged);
    connect(currencyBox, &QComboBox::currentTextChanged, this, &MainWindow::schedulePreview);
    connect(outputEdit, &QLineEdit::textEdited, this, [this] {
        outputChosen_ = true;
        schedulePreview();
    });
    updateActions();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* open = file->addAction(QStringLiteral("&Open Payment File..."), this, &MainWindow::choosePaymentFile);
    open->setShortcut(QKeySequence::Open);
    recentMenu_ = file->addMenu(QStringLiteral("Open &Recent"));
    saveAsAction_ = file->addAction(QStringLiteral("Save Import File &As..."), this, &MainWindow::chooseOutputFile);
    saveAsAction_->setShortcut(QKeySequence::SaveAs);
    convertAction_ = file->addAction(QStringLiteral("&Convert"), this, &MainWindow::convert);
    convertAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
    file->addSeparator();
    file->addAction(QStringLiteral("Known &Accounts..."), this, &MainWindow::chooseKnownAccounts);
    file->addAction(QStringLiteral("Conversion &History"), this, &MainWindow::showHistory);
    file->addSeparator();
    QAction* quit = file->addAction(QStringLiteral("&Quit"), this, &QWidget::close);
    quit->setShortcut(QKeySequence::Quit);
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&About DARODEV Desk"), this, [this] {
        QMessageBox::about(this, QStringLiteral("About DARODEV Desk"),
                           QStringLiteral("DARODEV Desk %1\nTurns a Kaprin payment file into the import file of an "
                                          "accounting package.").arg(QApplication::applicationVersion()));
    });
}

QWidget* MainWindow::buildChoices()
{
    auto* box = new QGroupBox(QStringLiteral("Conversion"));
    auto* form = new QFormLayout(box);

    packageBox = named(new QComboBox, QStringLiteral("Accounting package"));
    auto catalogue = createKNExport({});
    catalogue->LoadAccountingPackageList(catalogueDescriptions());
    for (const PackagePtr& package : catalogue->AcctPackages())
        packageBox->addItem(package->PackageCode + QStringLiteral("  ") + package->PackageFullTitle, package->PackageCode);

    regionBox = named(new QComboBox, QStringLiteral("Region"));
    const QString system = RegionalSettings().name();
    regionBox->addItem(QStringLiteral("%1 (this computer's)").arg(system), system);
    for (const char* region : kRegions) {
        const QString name = QString::fromLatin1(region);
        if (name != system)
            regionBox->addItem(name, name);
    }
    for (int i = 0; i < regionBox->count(); ++i) {
        const QLocale locale(regionBox->itemData(i).toString());
        regionBox->setItemText(i, regionBox->itemText(i) + QStringLiteral(" - ") + locale.nativeTerritoryName() +
                                      QStringLiteral(", ") + locale.nativeLanguageName());
    }

    codePageBox = named(new QComboBox, QStringLiteral("Code page"));
    for (const char* name : kCodePages) {
        try {
            CodePage(QString::fromLatin1(name));
            codePageBox->addItem(QString::fromLatin1(name));
        } catch (const KNError&) {
            // ICU of this system does not know it as a single-byte page.
        }
    }

    currencyBox = named(new QComboBox, QStringLiteral("Currency"));
    currencyBox->setEditable(true);
    currencyBox->addItems({QStringLiteral("CAD"), QStringLiteral("USD"), QStringLiteral("EUR"), QStringLiteral("GBP")});
    currencyBox->setToolTip(QStringLiteral("The first three letters are used; CAD when blank."));

    outputEdit = named(new QLineEdit, QStringLiteral("Import file"));
    saveAsButton = named(new QPushButton(QStringLiteral("Save &As...")), QStringLiteral("Choose the import file"));
    connect(saveAsButton, &QPushButton::clicked, this, &MainWindow::chooseOutputFile);
    auto* outputRow = new QHBoxLayout;
    outputRow->addWidget(outputEdit, 1);
    outputRow->addWidget(saveAsButton);

    const auto add = [form](const QString& text, QWidget* field) {
        auto* label = new QLabel(text);
        label->setBuddy(field);
        form->addRow(label, field);
    };
    add(QStringLiteral("&Package:"), packageBox);
    auto* regional = new QHBoxLayout;
    regional->addWidget(regionBox, 2);
    auto* codePageLabel = new QLabel(QStringLiteral("Code pa&ge:"));
    codePageLabel->setBuddy(codePageBox);
    regional->addWidget(codePageLabel);
    regional->addWidget(codePageBox, 1);
    auto* currencyLabel = new QLabel(QStringLiteral("C&urrency:"));
    currencyLabel->setBuddy(currencyBox);
    regional->addWidget(currencyLabel);
    regional->addWidget(currencyBox);
    auto* regionLabel = new QLabel(QStringLiteral("&Region:"));
    regionLabel->setBuddy(regionBox);
    form->addRow(regionLabel, regional);
    auto* outputLabel = new QLabel(QStringLiteral("&Import file:"));
    outputLabel->setBuddy(outputEdit);
    form->addRow(outputLabel, outputRow);
    return box;
}

QWidget* MainWindow::buildPayments()
{
    auto* box = new QGroupBox(QStringLiteral("Payments"));
    auto* layout = new QVBoxLayout(box);
    paymentsView = named(new QTableView, QStringLiteral("Payments"));
    paymentsView->setModel(&payments_);
    paymentsView->setSelectionBehavior(QAbstractItemView::SelectRows);
    paymentsView->setSelectionMode(QAbstractItemView::SingleSelection);
    paymentsView->setAlternatingRowColors(true);
    // Tab leaves the tables for the next control, so the window is operable from the keyboard.
    paymentsView->setTabKeyNavigation(false);
    paymentsView->verticalHeader()->hide();
    paymentsView->horizontalHeader()->setStretchLastSection(true);
    paymentsView->verticalHeader()->setDefaultSectionSize(paymentsView->fontMetrics().height() + 8);
    totalsLabel = named(new QLabel, QStringLiteral("Payment totals"));
    readFailureLabel = named(new QLabel, QStringLiteral("Why the payment file could not be read"));
    readFailureLabel->setWordWrap(true);
    readFailureLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    readFailureLabel->setStyleSheet(QStringLiteral("color: #a00000;"));
    readFailureLabel->hide();
    layout->addWidget(paymentsView, 1);
    layout->addWidget(totalsLabel);
    layout->addWidget(readFailureLabel);
    return box;
}

QWidget* MainWindow::buildPreview()
{
    auto* box = new QGroupBox(QStringLiteral("What the conversion will write"));
    auto* layout = new QHBoxLayout(box);
    previewText = named(new QPlainTextEdit, QStringLiteral("Preview of the import file"));
    previewText->setReadOnly(true);
    previewText->setLineWrapMode(QPlainTextEdit::NoWrap);
    previewText->setTabChangesFocus(true);
    previewText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    previewText->setPlaceholderText(QStringLiteral("The first lines of the import file show here once a payment file "
                                                   "is read."));
    previewTable = named(new QTableWidget, QStringLiteral("Preview of the workbook"));
    previewTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    previewTable->setTabKeyNavigation(false);
    previewStack = new QStackedWidget;
    previewStack->addWidget(previewText);
    previewStack->addWidget(previewTable);
    auditList = named(new QListWidget, QStringLiteral("Audit of the conversion"));
    auditList->setWordWrap(true);
    auditList->setIconSize(QSize(16, 16));
    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(previewStack);
    splitter->addWidget(auditList);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    layout->addWidget(splitter);
    return box;
}

QWidget* MainWindow::buildResult()
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    resultLabel = named(new QLabel, QStringLiteral("Result of the conversion"));
    resultLabel->setWordWrap(true);
    resultLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    openFolderButton = named(new QPushButton(QStringLiteral("Open &Folder")), QStringLiteral("Open the folder of the import file"));
    openFolderButton->hide();
    connect(openFolderButton, &QPushButton::clicked, this, [this] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(outputEdit->text()).absolutePath()));
    });
    convertButton = named(new QPushButton(QStringLiteral("&Convert")), QStringLiteral("Convert"));
    convertButton->setDefault(true);
    connect(convertButton, &QPushButton::clicked, this, &MainWindow::convert);
    layout->addWidget(resultLabel, 1);
    layout->addWidget(openFolderButton);
    layout->addWidget(convertButton);
    return row;
}

void MainWindow::restoreChoices()
{
    QSettings settings(kSettingsOrganization, kSettingsApplication);
    lastFolder_ = settings.value(QStringLiteral("lastFolder")).toString();
    recentFiles_ = settings.value(QStringLiteral("recentFiles")).toStringList();
    const auto pick = [&settings](QComboBox* box, const char* key, bool byData) {
        const QString value = settings.value(QLatin1String(key)).toString();
        const int index = byData ? box->findData(value) : box->findText(value);
        if (index >= 0)
            box->setCurrentIndex(index);
    };
    pick(packageBox, "package", true);
    pick(regionBox, "region", true);
    pick(codePageBox, "codePage", false);
    if (settings.contains(QStringLiteral("currency")))
        currencyBox->setCurrentText(settings.value(QStringLiteral("currency")).toString());
    restoreGeometry(settings.value(QStringLiteral("geometry")).toByteArray());
    updateRecentMenu();
}

void MainWindow::saveChoices() const
{
    QSettings settings(kSettingsOrganization, kSettingsApplication);
    settings.setValue(QStringLiteral("lastFolder"), lastFolder_);
    settings.setValue(QStringLiteral("recentFiles"), recentFiles_);
    settings.setValue(QStringLiteral("package"), packageBox->currentData());
    settings.setValue(QStringLiteral("region"), regionBox->currentData());
    settings.setValue(QStringLiteral("codePage"), codePageBox->currentText());
    settings.setValue(QStringLiteral("currency"), currencyBox->currentText());
    settings.setValue(QStringLiteral("geometry"), saveGeometry());
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    saveChoices();
    event->accept();
}

const PackageRow* MainWindow::currentPackage() const
{
    return findPackageRow(packageTable(), packageBox->currentData().toString());
}

QString MainWindow::localeName() const
{
    return regionBox->currentData().toString();
}

QString MainWindow::codePageName() const
{
    return codePageBox->currentText();
}

QLocale MainWindow::locale() const
{
    return QLocale(localeName());
}

void MainWindow::selectPackage(const QString& code)
{
    packageBox->setCurrentIndex(packageBox->findData(code));
}

void MainWindow::choosePaymentFile()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open a Kaprin Payment File"), lastFolder_,
                                                      QStringLiteral("Payment files (*.txt *.TXT);;All files (*)"));
    if (!path.isEmpty())
        openPaymentFile(path);
}

void MainWindow::chooseOutputFile()
{
    const PackageRow* row = currentPackage();
    const QString extension = row ? QString::fromLatin1(row->fileExtension) : QString();
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save the Import File As"), outputEdit->text(),
        QStringLiteral("%1 files (*.%2);;All files (*)").arg(extension.toUpper(), extension));
    if (path.isEmpty())
        return;
    outputEdit->setText(path);
    outputChosen_ = true;
    schedulePreview();
}

void MainWindow::chooseKnownAccounts()
{
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Accounts the Package Knows"), lastFolder_,
        QStringLiteral("Account lists (*.txt *.csv *.tsv *.iif);;All files (*)"));
    if (!path.isEmpty())
        loadKnownAccounts(path);
}

SafetyOptions MainWindow::safetyOptions() const
{
    SafetyOptions safety;
    safety.historyPath = historyFile_;
    safety.knownAccounts = knownAccounts_;
    return safety;
}

bool MainWindow::loadKnownAccounts(const QString& path)
{
    try {
        knownAccounts_ = KnownAccounts::fromFile(path);
        statusBar()->showMessage(QStringLiteral("%1 known accounts read from %2; each conversion lists the payments to "
                                                "any other.")
                                     .arg(knownAccounts_->count())
                                     .arg(QDir::toNativeSeparators(path)));
        schedulePreview();
        return true;
    } catch (const KNError& error) {
        QMessageBox::warning(this, QStringLiteral("Accounts the Package Knows"),
                             QStringLiteral("The file cannot be read: %1.").arg(error.detail()));
        return false;
    }
}

void MainWindow::showHistory()
{
    if (!historyWindow_) {
        historyWindow_ = new QDialog(this);
        historyWindow_->setWindowTitle(QStringLiteral("Conversion History"));
        historyWindow_->resize(1120, 360);
        auto* layout = new QVBoxLayout(historyWindow_);
        historyNote = named(new QLabel, QStringLiteral("About the history"));
        historyNote->setWordWrap(true);
        layout->addWidget(historyNote);
        historyTable = named(new QTableWidget(0, 7), QStringLiteral("Earlier conversions"));
        historyTable->setHorizontalHeaderLabels({QStringLiteral("When (UTC)"), QStringLiteral("Package"),
                                                 QStringLiteral("Payments written"), QStringLiteral("Debits read"),
                                                 QStringLiteral("Credits read"), QStringLiteral("Payment file"),
                                                 QStringLiteral("Import file")});
        historyTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
        historyTable->setWordWrap(false);
        historyTable->verticalHeader()->setVisible(false);
        historyTable->horizontalHeader()->setStretchLastSection(true);
        layout->addWidget(historyTable, 1);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
        connect(buttons, &QDialogButtonBox::rejected, historyWindow_, &QDialog::close);
        layout->addWidget(buttons);
    }
    ConversionHistory history(historyFile_);
    QString problem;
    const std::vector<ConversionRecord> conversions = history.list(QString(), 500, &problem);
    historyTable->setRowCount(int(conversions.size()));
    for (int row = 0; row < int(conversions.size()); ++row) {
        const ConversionRecord& conversion = conversions[std::size_t(row)];
        const QStringList cells{conversion.time.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                QStringLiteral("%1 %2").arg(conversion.packageCode, conversion.packageTitle),
                                QStringLiteral("%1 of %2").arg(conversion.written).arg(conversion.paymentsRead),
                                amountText(conversion.debitsRead, locale()),
                                amountText(conversion.creditsRead, locale()),
                                conversion.input,
                                conversion.output};
        for (int column = 0; column < int(cells.size()); ++column)
            historyTable->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    historyTable->resizeColumnsToContents();
    const QString file = QDir::toNativeSeparators(historyFile_);
    historyNote->setText(!problem.isEmpty()     ? problem.left(1).toUpper() + problem.mid(1) + u'.'
                         : conversions.empty() ? QStringLiteral("No conversion yet in %1.").arg(file)
                                               : QStringLiteral("Newest first, from %1.").arg(file));
    historyWindow_->show();
    historyWindow_->raise();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.first().isLocalFile())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    openPaymentFile(event->mimeData()->urls().first().toLocalFile());
    event->acceptProposedAction();
}

bool MainWindow::openPaymentFile(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (absolute != paymentFile_)
        outputChosen_ = false;
    paymentFile_ = absolute;
    lastFolder_ = QFileInfo(absolute).absolutePath();
    setWindowTitle(QStringLiteral("%1 - DARODEV Desk").arg(QFileInfo(absolute).fileName()));
    rememberRecent(absolute);
    showResult(QString(), false);

    // Reading is a conversion whose package code selects no writer: the payments are read into
    // the converter's records, and nothing is written.
    std::optional<PaymentsModel::FailedLine> failed;
    reader_ = createKNExport({localeName(), codePageName(), QString()});
    const ConversionResult reading =
        runConversion(*reader_, {QString(), absolute, QString(), QString(), currencyBox->currentText()});
    std::vector<TransRecordPtr> records;
    records.reserve(std::size_t(reader_->Records().Count()));
    for (const TransRecordPtr& record : reader_->Records())
        records.push_back(record);
    const int read = int(records.size());
    const ConversionAudit& audit = reading.audit;
    QString failureLine;
    if (reading.ending == ConversionEnding::Failed) {
        const QString& detail = reading.error->detail();
        const int line = failedLineOf(detail);
        if (line > 0)
            failed = PaymentsModel::FailedLine{line, detail.mid(detail.indexOf(u':') + 1).trimmed()};
        failureLine = QStringLiteral("The payment file could not be read past %1: %2. The payments above were read "
                                     "before it; nothing can be converted until the file is corrected.")
                          .arg(line > 0 ? QStringLiteral("line %1").arg(line) : QStringLiteral("its start"),
                               failureText(*reading.error));
    } else if (reading.ending == ConversionEnding::NoRecords) {
        failureLine = QStringLiteral("The payment file holds no payments (error 999, There are no import records to "
                                     "process); there is nothing to convert.");
    }
    paymentsView->clearSpans();
    payments_.setPayments(std::move(records), locale());
    paymentsView->resizeColumnsToContents();
    // The failed line's explanation spans its row, added once the columns took the payments' widths.
    payments_.setFailedLine(failed);
    if (failed)
        paymentsView->setSpan(payments_.failedRow(), PaymentsModel::Date, 1, PaymentsModel::ColumnCount - 1);
    totalsLabel->setText(QStringLiteral("%1 %2 read: debits %3, credits %4")
                             .arg(read)
                             .arg(read == 1 ? QStringLiteral("payment") : QStringLiteral("payments"),
                                  amountText(audit.debitsRead, locale()), amountText(audit.creditsRead, locale())));
    readFailureLabel->setText(failureLine);
    readFailureLabel->setVisible(!failureLine.isEmpty());
    paymentsRead_ = reading.ending == ConversionEnding::Complete;
    if (failed) {
        paymentsView->selectRow(payments_.failedRow());
        paymentsView->scrollTo(payments_.index(payments_.failedRow(), 0));
    }
    statusBar()->showMessage(paymentsRead_ ? QStringLiteral("%1 payments read from %2").arg(read).arg(QFileInfo(absolute).fileName())
                                           : QStringLiteral("The payment file could not be used."));
    proposeOutputName();
    updateActions();
    schedulePreview();
    return paymentsRead_;
}

void MainWindow::packageChanged()
{
    outputChosen_ = false;
    proposeOutputName();
    updateActions();
    schedulePreview();
}

void MainWindow::regionOrCodePageChanged()
{
    // Dates, amounts and texts are read under the region and code page: read the file again.
    if (!paymentFile_.isEmpty())
        openPaymentFile(paymentFile_);
}

void MainWindow::proposeOutputName()
{
    const PackageRow* row = currentPackage();
    if (outputChosen_ || row == nullptr || paymentFile_.isEmpty())
        return;
    const QString name = QString::fromLatin1(row->fileBaseName) + u'.' + QString::fromLatin1(row->fileExtension);
    outputEdit->setText(QDir(QFileInfo(paymentFile_).absolutePath()).filePath(name));
}

void MainWindow::updateActions()
{
    const bool ready = paymentsRead_ && currentPackage() != nullptr;
    convertButton->setEnabled(ready);
    convertAction_->setEnabled(ready);
    saveAsButton->setEnabled(ready);
    saveAsAction_->setEnabled(ready);
}

void MainWindow::rememberRecent(const QString& path)
{
    recentFiles_.removeAll(path);
    recentFiles_.prepend(path);
    while (recentFiles_.size() > kRecentFiles)
        recentFiles_.removeLast();
    updateRecentMenu();
}

void MainWindow::updateRecentMenu()
{
    recentMenu_->clear();
    for (int i = 0; i < recentFiles_.size(); ++i) {
        const QString path = recentFiles_[i];
        recentMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)), this,
                               [this, path] { openPaymentFile(path); });
    }
    recentMenu_->setEnabled(!recentFiles_.isEmpty());
}

void MainWindow::schedulePreview()
{
    previewTimer_.start();
}

void MainWindow::refreshPreview()
{
    previewTimer_.stop();
    const PackageRow* row = currentPackage();
    if (!paymentsRead_ || row == nullptr) {
        previewText->clear();
        previewTable->clear();
        previewStack->setCurrentWidget(previewText);
        auditList->clear();
        return;
    }
    const Preview preview = makePreview({row, paymentFile_, outputEdit->text(), localeName(), codePageName(),
                                         currencyBox->currentText(), kPreviewLines, safetyOptions()});
    showPreview(preview);
}

void MainWindow::showPreview(const Preview& preview)
{
    previewText->clear();
    previewTable->clear();
    previewTable->setRowCount(0);
    if (preview.failure) {
        previewStack->setCurrentWidget(previewText);
        previewText->setPlainText(QStringLiteral("This package cannot be written from the payment file:\n") +
                                  failureText(*preview.failure));
    } else if (preview.workbook) {
        previewStack->setCurrentWidget(previewTable);
        const int columns = preview.rows.empty() ? 0 : int(preview.rows.front().size());
        previewTable->setColumnCount(columns);
        QStringList letters;
        for (int c = 0; c < columns; ++c)
            letters << QString(QChar(u'A' + c % 26)).repeated(c / 26 + 1);
        previewTable->setHorizontalHeaderLabels(letters);
        previewTable->setRowCount(int(preview.rows.size()));
        for (int r = 0; r < int(preview.rows.size()); ++r) {
            for (int c = 0; c < columns && c < preview.rows[std::size_t(r)].size(); ++c)
                previewTable->setItem(r, c, new QTableWidgetItem(preview.rows[std::size_t(r)][c]));
        }
        previewTable->resizeColumnsToContents();
    } else {
        previewStack->setCurrentWidget(previewText);
        previewText->setPlainText(preview.lines.join(u'\n'));
    }

    QList<AuditNote> notes;
    if (!preview.failure)
        notes = describeAudit(preview.audit, locale());
    for (const QString& assumption : preview.assumptions)
        notes.append({AuditNote::Tone::Notice, assumption});
    // Further checks of the same payments add their notes here, each a line of the panel.
    showAudit(notes);
}

void MainWindow::showAudit(const QList<AuditNote>& notes)
{
    auditList->clear();
    for (const AuditNote& note : notes) {
        auto* item = new QListWidgetItem(toneIcon(note.tone), note.text);
        item->setData(Qt::UserRole, note.paymentFileLine);
        auditList->addItem(item);
    }
}

void MainWindow::showResult(const QString& text, bool written)
{
    resultLabel->setText(text);
    openFolderButton->setVisible(written);
}

void MainWindow::convert()
{
    const PackageRow* row = currentPackage();
    const QString output = outputEdit->text();
    if (!paymentsRead_ || row == nullptr)
        return;
    if (output.isEmpty()) {
        chooseOutputFile();
        return;
    }
    const bool existed = QFileInfo::exists(output);
    if (existed && QMessageBox::question(this, QStringLiteral("Replace the Import File?"),
                                         QStringLiteral("%1 already exists. Replace it?").arg(QDir::toNativeSeparators(output))) !=
                       QMessageBox::Yes)
        return;
    showResult(QString(), false);
    convertButton->setEnabled(false);
    progressBar->setValue(0);
    progressBar->setVisible(true);
    saveChoices();

    ConversionEnding ending = ConversionEnding::Failed;
    std::optional<KNError> error;
    ConversionAudit audit;
    try {
        const auto converter = createKNExport({localeName(), codePageName(), QString()});
        converter->LoadAccountingPackageList(catalogueDescriptions());
        connect(converter.get(), &KNExport::Status, this, [this](const QString& text) {
            statusBar()->showMessage(text);
            statusBar()->repaint();
        });
        // The conversion runs on this thread: the bar is repainted from the handler, a hundred
        // times at most.
        int shownPercent = -1;
        converter->setProgressHandler([this, &shownPercent](int handled, int total) {
            const int percent = total > 0 ? int(qint64(handled) * 100 / total) : 100;
            if (percent == shownPercent)
                return;
            shownPercent = percent;
            progressBar->setValue(percent);
            progressBar->repaint();
        });
        converter->setChecks(makeSafetyChecks(safetyOptions()));
        const ConversionResult result =
            runConversion(*converter, {row->codeText(), paymentFile_, output, QString::fromLatin1(row->fullTitle),
                                       currencyBox->currentText(), std::make_shared<DialogPrompter>()});
        ending = result.ending;
        error = result.error;
        audit = result.audit;
    } catch (const KNError& failure) {
        error = failure;
    }
    progressBar->setVisible(false);
    convertButton->setEnabled(true);

    const QString target = QDir::toNativeSeparators(output);
    const QString kept = existed ? QStringLiteral(" The file that was already at %1 is unchanged.").arg(target)
                                 : QStringLiteral(" No file was written.");
    if (ending == ConversionEnding::Failed) {
        showResult(QStringLiteral("The conversion failed: %1.").arg(failureText(*error)) + kept, false);
        statusBar()->showMessage(QStringLiteral("The conversion failed."));
    } else if (ending == ConversionEnding::NoRecords) {
        showResult(QStringLiteral("The payment file holds no payments: %1.").arg(failureText(*error)) + kept, false);
        statusBar()->showMessage(QStringLiteral("Nothing to convert."));
    } else if (ending == ConversionEnding::Refused) {
        showResult(QStringLiteral("You cancelled the conversion at the prompt.") + kept, false);
        statusBar()->showMessage(QStringLiteral("Cancelled."));
    } else {
        showResult(QStringLiteral("Written: %1 (%2 of %3 payments).").arg(target).arg(audit.written).arg(payments_.rowCount()),
                   true);
        // The conversion's own audit, with what the checks before writing found.
        showAudit(describeAudit(audit, locale()));
        statusBar()->showMessage(QStringLiteral("The import file is written."));
    }
}

} // namespace kn
