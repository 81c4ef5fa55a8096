#pragma once

#include "core/ledgerwriter.h"

#include <QString>

#include <functional>

namespace kn {

// What AccPac Plus and Adagio put differently into a batch entry line; the same fields are filled
// anew for each payment.
struct BatchEntryFields {
    QString date;
    QString account;
    QString part2;
    QString part3;
    QString amount;
};

// The batch entry lines that AccPac Plus and Adagio read, one per payment with a non-zero amount,
// every field but the amount in quotes, the payee in 30 columns:
// "E",1,"<date>",0,"<account>", "<part 2>", "<part 3>", "<session>", "<date>", "<payee>",<amount>
void writeBatchEntries(ExportFile& out, const WriterContext& context,
                       const std::function<void(const TransRecord&, BatchEntryFields&)>& fillFields);

} // namespace kn
