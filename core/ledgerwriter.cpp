#include "ledgerwriter.h"

#include "knerror.h"

#include <QLocale>

namespace kn {

QString ExportFile::textOf(PageText text) const
{
    return text.meant.isEmpty() ? context_.codePage.decode(text.bytes) : text.meant.toString();
}

void ExportFile::noteIfChanged(const TransRecord& record, const QString& field, PageText from, PageText to)
{
    const bool bytesOnly = from.meant.isEmpty() && to.meant.isEmpty();
    if (bytesOnly ? from.bytes != to.bytes : textOf(from) != textOf(to))
        context_.audit.changed(record, field, textOf(from), textOf(to));
}

void ExportFile::noteOutsideCodePage(const Line& line)
{
    const QString written = context_.codePage.decode(line.bytes());
    context_.audit.changed(*record_, QStringLiteral("outside the code page"), *line.meant(), written);
}

PageText ExportFile::ownedText(const TransRecord& record, RecordText which)
{
    if (ownedRecord_ != &record) {
        for (std::size_t i = 0; i < RecordTextCount; ++i) {
            const QString text = record.text(RecordText(i));
            ownedBytes_[i].clear();
            const bool exact = context_.codePage.encodeEachUnit(text, ownedBytes_[i]);
            ownedMeant_[i] = exact ? QString() : text;
        }
        ownedRecord_ = &record;
    }
    const auto i = std::size_t(which);
    return {ownedBytes_[i], ownedMeant_[i]};
}

void ExportFile::beginRecord(const TransRecord& record)
{
    record_ = &record;
    context_.audit.written(record, lines_ + 1);
}

bool runLedgerWriter(const PackageRow& row, const WriterContext& context)
{
    try {
        const auto writer = row.makeWriter(row);
        const QString firstStatus = QString::fromLatin1(row.firstStatus);
        const QString closingStatus = QString::fromLatin1(row.closingStatus);
        const bool announceFirst = row.firstStatusOrder == FirstStatusOrder::BeforePreparation;
        if (announceFirst)
            context.status(firstStatus);
        if (!writer->prepare(context))
            return false;
        if (!announceFirst)
            context.status(firstStatus);
        context.status(StatusText::OpeningExportFile);
        if (!writer->writesTextFile()) {
            writer->writeOtherFile(context);
            context.status(closingStatus);
            return true;
        }
        ExportFile out(context);
        writer->writeLines(out, context);
        if (row.closing == ClosingOrder::StatusThenClose) {
            context.status(closingStatus);
            out.close();
        } else {
            out.close();
            context.status(closingStatus);
        }
        return true;
    } catch (const KNError& error) {
        // A file too large for the package's counters says so, in its numbers.
        if (error.number() == int(ErrorCode::Overflow) && row.paymentLimit > 0 &&
            context.records.Count() > row.paymentLimit && error.detail().isEmpty()) {
            const QLocale english(QLocale::English);
            throw error.withSource(row.operationSource())
                .withDetail(QStringLiteral("%1 hold at most %2 payments; this file has %3")
                                .arg(QString::fromLatin1(row.limitedFile), english.toString(row.paymentLimit),
                                     english.toString(context.records.Count())));
        }
        throw error.withSource(row.operationSource());
    } catch (const std::bad_alloc&) {
        throw KNError(ErrorCode::OutOfMemory, row.operationSource());
    }
}

} // namespace kn
