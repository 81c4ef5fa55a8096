#pragma once

#include "core/ledgerwriter.h"
#include "writers/formatting.h"
#include "core/pagetext.h"


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
// "E",1,"<date>",0,"<account>", "<second part>", "<third part>", "<session>", "<date>", "<payee>",<amount>
template <typename FillFields>
void writeBatchEntries(ExportFile& out, const WriterContext& context, FillFields&& fillFields)
{
    out.startTransactions();
    const EncodedText session = out.encode(quoted(context.header.sessionNumber));
    BatchEntryFields fields(out);
    Line line = out.newLine();
    const auto addQuoted = [&line](PageText text) {
        line += '"';
        line += text;
        line += '"';
    };
    out.forEachPayment([&](const TransRecord& record) {
        const PageText payee = out.text(record, RecordText::PaidTo);
        const PageText payeeIn30 = payee.first(30);
        out.noteChanged(record, QStringLiteral("payee"), payee, payeeIn30);
        fillFields(record, fields);
        line.clear();
        line += "\"E\",1,";
        addQuoted(fields.date.since({}));
        line += ",0,";
        addQuoted(fields.account);
        line += ", ";
        addQuoted(fields.part2);
        line += ", ";
        addQuoted(fields.part3);
        line += ", ";
        line += session;
        line += ", ";
        addQuoted(fields.date.since({}));
        line += ", \"";
        const Line::Mark payeeStart = line.end();
        line += payeeIn30;
        line.fit(payeeStart, 30, ' ');
        line += "\",";
        line += fields.amount.since({});
        out.writeLine(line);
    });
}

} // namespace kn
