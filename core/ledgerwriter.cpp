#include "ledgerwriter.h"

#include "knerror.h"

namespace kn {

bool runLedgerWriter(LedgerWriter& writer, const WriterContext& context)
{
    try {
        const bool announceFirst = writer.firstStatusOrder() == LedgerWriter::FirstStatus::BeforePreparation;
        if (announceFirst)
            context.status(writer.firstStatus());
        if (!writer.prepare(context))
            return false;
        if (!announceFirst)
            context.status(writer.firstStatus());
        context.status(StatusText::OpeningExportFile);
        removeFileIfExists(context.exportPath);
        if (!writer.writesTextFile()) {
            writer.writeOtherFile(context);
            context.status(writer.closingStatus());
            return true;
        }
        ExportFile out(context);
        writer.writeLines(out, context);
        if (writer.closing() == LedgerWriter::Closing::StatusThenClose) {
            context.status(writer.closingStatus());
            out.close();
        } else {
            out.close();
            context.status(writer.closingStatus());
        }
        return true;
    } catch (const KNError& error) {
        throw error.withSource(QStringLiteral("KNExport.") + writer.name());
    } catch (const std::bad_alloc&) {
        throw KNError(ErrorCode::OutOfMemory, QStringLiteral("KNExport.") + writer.name());
    }
}

} // namespace kn
