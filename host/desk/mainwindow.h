#pragma once

#include "audittext.h"
#include "core/knexport.h"
#include "paymentsmodel.h"
#include "preview.h"
#include "safety/knownaccounts.h"
#include "safety/safetychecks.h"

#include <QMainWindow>
#include <QTimer>

#include <memory>

class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTableView;
class QTableWidget;

namespace kn {

// darodev-desk's window: open a payment file, see its payments, choose the package and the
// region, look at what the conversion would write, and convert with the component's own dialogs.
class MainWindow final : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Reads the payment file into the table; false when it could not be read to its end.
    bool openPaymentFile(const QString& path);
    // Converts into the output file, asking in the component's dialogs.
    void convert();
    // True while a preview is due but not yet made.
    bool previewPending() const { return previewTimer_.isActive(); }
    void selectPackage(const QString& code);
    // The history of conversions the window checks and adds to (knexport's own by default).
    void setHistoryFile(const QString& path) { historyFile_ = path; }
    // The accounts the package knows, from a file; false, with a message, when it cannot be read.
    bool loadKnownAccounts(const QString& path);
    // Opens the window that lists earlier conversions, newest first.
    void showHistory();

    // The controls, named for tests and pictures.
    QTableView* paymentsView = nullptr;
    QLabel* totalsLabel = nullptr;
    QLabel* readFailureLabel = nullptr;
    QComboBox* packageBox = nullptr;
    QComboBox* regionBox = nullptr;
    QComboBox* codePageBox = nullptr;
    QComboBox* currencyBox = nullptr;
    QLineEdit* outputEdit = nullptr;
    QPushButton* saveAsButton = nullptr;
    QPushButton* convertButton = nullptr;
    QStackedWidget* previewStack = nullptr;
    QPlainTextEdit* previewText = nullptr;
    QTableWidget* previewTable = nullptr;
    QListWidget* auditList = nullptr;
    QLabel* resultLabel = nullptr;
    QPushButton* openFolderButton = nullptr;
    QProgressBar* progressBar = nullptr;
    QTableWidget* historyTable = nullptr; // made with the history window
    QLabel* historyNote = nullptr;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    QWidget* buildChoices();
    QWidget* buildPayments();
    QWidget* buildPreview();
    QWidget* buildResult();
    void restoreChoices();
    void saveChoices() const;

    void choosePaymentFile();
    void chooseOutputFile();
    void chooseKnownAccounts();
    SafetyOptions safetyOptions() const;
    void packageChanged();
    void regionOrCodePageChanged();
    void proposeOutputName();
    void schedulePreview();
    void refreshPreview();
    void showPreview(const Preview& preview);
    void showAudit(const QList<AuditNote>& notes);
    void showResult(const QString& text, bool written);
    void rememberRecent(const QString& path);
    void updateRecentMenu();
    void updateActions();

    const PackageRow* currentPackage() const;
    QString localeName() const;
    QString codePageName() const;
    QLocale locale() const;

    PaymentsModel payments_;
    // The converter that read the table's payments: its records stay while the table shows them.
    std::unique_ptr<KNExport> reader_;
    QString paymentFile_;
    bool paymentsRead_ = false;
    // A name the user chose with Save As, kept until the package or the payment file changes.
    bool outputChosen_ = false;
    QString lastFolder_;
    QStringList recentFiles_;
    QMenu* recentMenu_ = nullptr;
    QAction* saveAsAction_ = nullptr;
    QAction* convertAction_ = nullptr;
    QTimer previewTimer_;
    QString historyFile_;
    std::optional<KnownAccounts> knownAccounts_;
    QDialog* historyWindow_ = nullptr;
};

} // namespace kn
