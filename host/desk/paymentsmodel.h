#pragma once

#include "core/transrecords.h"

#include <QAbstractTableModel>
#include <QLocale>

#include <optional>
#include <vector>

namespace kn {

// The payments read from a payment file, one row each, and, when the file could not be read to
// its end, a last row for the line that failed.
class PaymentsModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Line, Date, Payee, Account, Details, Amount, Invoice, Memo, ColumnCount };

    struct FailedLine {
        int line = 0;
        QString why;
    };

    using QAbstractTableModel::QAbstractTableModel;

    void setPayments(std::vector<TransRecordPtr> records, const QLocale& locale);
    // Adds the row of the line that failed after the payments, or removes it.
    void setFailedLine(std::optional<FailedLine> failed);
    // The row of the failed line, -1 when every line was read.
    int failedRow() const { return failed_ ? int(records_.size()) : -1; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<TransRecordPtr> records_;
    std::optional<FailedLine> failed_;
    QLocale locale_;
    QString datePattern_;
};

} // namespace kn
