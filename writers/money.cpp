// Microsoft Money: the QIF bank register, dated "MM/DD'YYYY", the memo referring to the payment
// file's session number.
#include "core/ledgerwriter.h"

#include "qif.h"

namespace kn {

namespace {

class MoneyWriter final : public LedgerWriter {
public:
    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        writeQifBankRegister(out, context, u"MM/DD'YYYY", context.header.sessionNumber);
    }
};

} // namespace

std::unique_ptr<LedgerWriter> makeMoneyWriter(const PackageRow&)
{
    return std::make_unique<MoneyWriter>();
}

} // namespace kn
