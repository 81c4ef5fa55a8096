#include "paymentsmodel.h"

#include "audittext.h"
#include "core/regional.h"

#include <QBrush>
#include <QColor>

namespace kn {

void PaymentsModel::setPayments(std::vector<TransRecordPtr> records, const QLocale& locale)
{
    beginResetModel();
    records_ = std::move(records);
    failed_.reset();
    locale_ = locale;
    datePattern_ = RegionalSettings(locale).shortDatePattern();
    endResetModel();
}

void PaymentsModel::setFailedLine(std::optional<FailedLine> failed)
{
    const int row = int(records_.size());
    if (failed_) {
        beginRemoveRows({}, row, row);
        failed_.reset();
        endRemoveRows();
    }
    if (failed) {
        beginInsertRows({}, row, row);
        failed_ = std::move(failed);
        endInsertRows();
    }
}

int PaymentsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(records_.size()) + (failed_ ? 1 : 0);
}

int PaymentsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PaymentsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (index.row() == failedRow()) {
        if (role == Qt::BackgroundRole)
            return QBrush(QColor(255, 214, 214));
        if (role == Qt::ToolTipRole || (role == Qt::DisplayRole && index.column() == Date))
            return QStringLiteral("This line could not be read: ") + failed_->why;
        if (role == Qt::DisplayRole && index.column() == Line)
            return failed_->line;
        return {};
    }
    const TransRecord& record = *records_[std::size_t(index.row())];
    if (role == Qt::TextAlignmentRole && (index.column() == Amount || index.column() == Line))
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case Line:
        return record.PaymentFileLine;
    case Date:
        return locale_.toString(record.TransDate.toQDate(), datePattern_);
    case Payee:
        return record.PaidTo();
    case Account:
        return record.GLAccount();
    case Details:
        return record.GLDetails();
    case Amount:
        return amountText(record.Amount, locale_);
    case Invoice:
        return record.InvoiceNo().trimmed();
    case Memo:
        return record.PaymentFor();
    default:
        return {};
    }
}

QVariant PaymentsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const titles[ColumnCount] = {"Line", "Date", "Payee", "Account", "Details", "Amount",
                                                    "Invoice", "Memo"};
    return QString::fromLatin1(titles[section]);
}

} // namespace kn
