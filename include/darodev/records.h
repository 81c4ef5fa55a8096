/* The object model for hosts in any language: payment record collections (a host's own or the
   converter's), the converter's package catalogue changed in place, and the converter's formatting
   helpers. UTF-8 texts, nothing throws. Dates count days from 30 December 1899 (a fraction is the
   time of day); amounts count 1/10000 of a currency unit. */
#ifndef DARODEV_RECORDS_H
#define DARODEV_RECORDS_H

#include "darodev/darodev.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct kn_records kn_records;

/* A host's own empty collection; NULL when memory ran out. Destroying the converter's collection
   (kn_export_records) does nothing: it goes with its converter. */
DARODEV_EXPORT kn_records* kn_records_create(void);
DARODEV_EXPORT void kn_records_destroy(kn_records* records);
/* The payments of the last payment file the converter read, valid while the converter lives. */
DARODEV_EXPORT kn_records* kn_export_records(kn_export* converter);

/* How many records (-1 for NULL). */
DARODEV_EXPORT int kn_records_count(const kn_records* records);
/* Appends a record, the date first and the invoice number before the purpose; key NULL or "" for
   none. The new 1-based position, or -1 (457 when the key is in use: nothing is added). */
DARODEV_EXPORT int kn_records_add(kn_records* records, double date, const char* kaprin_account, const char* paid_to,
                                  const char* gl_account, const char* gl_details, long long amount,
                                  const char* invoice_no, const char* payment_for, const char* gl_account_full,
                                  const char* key);

/* A text of the record at a 1-based position, by its property name: "KaprinAccount", "PaidTo",
   "GLAccount", "GLDetails", "PaymentFor", "InvoiceNo" or "GLAccount_Full". NULL with error 5 for
   another name or position; the text stays valid until the next call on the same collection. */
DARODEV_EXPORT const char* kn_records_text(kn_records* records, int position, const char* property);
/* 0, or -1 with error 5 (another name or position) or 6 (a text past 65535 characters). */
DARODEV_EXPORT int kn_records_set_text(kn_records* records, int position, const char* property, const char* value);
/* TransDate and Amount; 0 with error 5 for a position outside the collection. */
DARODEV_EXPORT double kn_records_date(kn_records* records, int position);
DARODEV_EXPORT long long kn_records_amount(kn_records* records, int position);
DARODEV_EXPORT int kn_records_set_date(kn_records* records, int position, double date);
DARODEV_EXPORT int kn_records_set_amount(kn_records* records, int position, long long amount);

/* The position of the record with that key, 0 when none has it. */
DARODEV_EXPORT int kn_records_position(kn_records* records, const char* key);
/* Remove closes the gap; Clear empties the collection. 0, or -1 (5 for a position outside it). */
DARODEV_EXPORT int kn_records_remove(kn_records* records, int position);
DARODEV_EXPORT int kn_records_clear(kn_records* records);
/* The first record paid to value (upper-cased both sides; the payee cut to max_length when it is
   positive) exactly on date with a non-zero amount, only for the field "PaidTo" in any case: its
   position, 0 when none matches, -1 for NULL. */
DARODEV_EXPORT int kn_records_find_ap_bank(kn_records* records, const char* field, double date, const char* value,
                                           int max_length);
/* Stable ascending sort by date; a moved record loses its key. 0, or -1 with 6 past 32767 records. */
DARODEV_EXPORT int kn_records_sort_by_date(kn_records* records);

/* The collection's last failure (number 0 when the last call did not fail) and the operation it
   came from ("TransRecords.Item"); with NULL: 5, "Invalid procedure call or argument". */
DARODEV_EXPORT int kn_records_error_number(const kn_records* records);
DARODEV_EXPORT const char* kn_records_error_description(const kn_records* records);
DARODEV_EXPORT const char* kn_records_error_source(const kn_records* records);

/* AcctPackages.Add and .Remove on the converter's catalogue, at 0-based indexes as
   kn_export_package_text reads them. Add gives the new package's index, or -1 (457 when the key
   is in use); Remove gives 0, or -1 with 5 for an index outside the catalogue. */
DARODEV_EXPORT int kn_export_package_add(kn_export* converter, const char* full_title, const char* code,
                                         double last_updated, const char* extension, const char* base_name,
                                         const char* title, const char* key);
DARODEV_EXPORT int kn_export_package_remove(kn_export* converter, int index);

/* Fileexists: -1 when a file is at the path, 0 otherwise (also for NULL). */
DARODEV_EXPORT int kn_export_file_exists(kn_export* converter, const char* path);
/* The date as QuickBooks and Jonas files write it under the converter's region; NULL for a NULL
   converter. The text stays valid until the next call on the same converter. */
DARODEV_EXPORT const char* kn_export_qb_date_format(kn_export* converter, double date);
DARODEV_EXPORT const char* kn_export_jonas_date_format(kn_export* converter, double date);

#ifdef __cplusplus
}
#endif

#endif
