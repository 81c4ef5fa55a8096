#pragma once

#include "core/ledgerwriter.h"
#include "core/pagetext.h"

#include <functional>

namespace kn {

// What AccPac Plus and Adagio put differently into a batch entry line; the same fields are filled
// anew for each payment. The account's parts are pieces of the record's texts or literals; the date
// and the amount are written into lines kept from one payment to the next.
struct BatchEntryFields {
    explicit BatchEntryFields(const ExportFile& out) : date(out.newLine()), amount(out.newLine()) {}
    Line date;
    PageText account;
    PageText part2;
    PageText part3;
    Line amount;
};

// The batch entry lines that AccPac Plus and Adagio read, one per payment with a non-zero amount,
// every field but the amount in quotes, the payee in 30 columns:
// "E",1,"<date>",0,"<account>", "<part 2>", "<part 3>", "<session>", "<date>", "<payee>",<amount>
void writeBatchEntries(ExportFile& out, const WriterContext& context,
                       const std::function<void(const TransRecord&, BatchEntryFields&)>& fillFields);

} // namespace kn
