// Quicken: the QIF bank register. Variant "5" dates "MM/DD'YYYY", any other "MM/DD/YYYY"; the memo
// refers to the export file's base name from its 6th character on ("GLEXP20140305" gives
// "20140305").
#include "core/ledgerwriter.h"

#include "qif.h"

#include <QFileInfo>

namespace kn {

namespace {

class QuickenWriter final : public LedgerWriter {
public:
    explicit QuickenWriter(QString variant) : variant_(std::move(variant)) {}


    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        const QStringView datePattern = variant_ == QLatin1String("5") ? u"MM/DD'YYYY" : u"MM/DD/YYYY";
        writeQifBankRegister(out, context, datePattern, QFileInfo(context.exportPath).completeBaseName().mid(5));
    }

private:
    QString variant_;
};

} // namespace

std::unique_ptr<LedgerWriter> makeQuickenWriter(const PackageRow& row)
{
    return std::make_unique<QuickenWriter>(QString::fromLatin1(row.variant));
}

} // namespace kn
