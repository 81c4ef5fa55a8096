// Quicken: the QIF bank register. Variant "5" dates "MM/DD'YYYY", any other "MM/DD/YYYY"; the memo
// refers to the export file's base name from its 6th character on ("GLEXP20140305" gives
// "20140305").
#include "packagetable.h"

#include "../core/qifregister.h"

#include <QFileInfo>

namespace kn {

namespace {

class QuickenWriter final : public LedgerWriter {
public:
    explicit QuickenWriter(QString variant) : variant_(std::move(variant)) {}

    QString name() const override { return QStringLiteral("ProcessQuicken"); }
    QString firstStatus() const override { return QStringLiteral("Processing Quicken"); }

    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        const QStringView datePattern = variant_ == QLatin1String("5") ? u"MM/DD'YYYY" : u"MM/DD/YYYY";
        writeQifBankRegister(out, context, datePattern, QFileInfo(context.exportPath).completeBaseName().mid(5));
    }

private:
    QString variant_;
};

} // namespace

std::unique_ptr<LedgerWriter> makeQuickenWriter(const WriterArguments& arguments)
{
    return std::make_unique<QuickenWriter>(arguments.variant);
}

} // namespace kn
