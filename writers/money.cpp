// Microsoft Money: the QIF bank register, dated "MM/DD'YYYY", the memo referring to the payment
// file's session number.
#include "packagetable.h"

#include "../core/qifregister.h"

namespace kn {

namespace {

class MoneyWriter final : public LedgerWriter {
public:
    QString name() const override { return QStringLiteral("ProcessMoney"); }
    QString firstStatus() const override { return QStringLiteral("Processing Money"); }

    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        writeQifBankRegister(out, context, u"MM/DD'YYYY", context.header.sessionNumber);
    }
};

} // namespace

std::unique_ptr<LedgerWriter> makeMoneyWriter(const WriterArguments&)
{
    return std::make_unique<MoneyWriter>();
}

} // namespace kn
