/* The converter for hosts in any language: plain C, UTF-8 texts, no exceptions across it. */
#ifndef DARODEV_DARODEV_H
#define DARODEV_DARODEV_H

#include "darodev/export.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct kn_export kn_export;

/* NULL or "" keeps a default; NULL result for an unknown code page. */
DARODEV_EXPORT kn_export* kn_export_create(const char* locale, const char* codepage, const char* settings_ini);
DARODEV_EXPORT void kn_export_destroy(kn_export* converter);

DARODEV_EXPORT void kn_export_on_status(kn_export* converter, void (*fn)(void* user, const char* text), void* user);
DARODEV_EXPORT void kn_export_on_complete(kn_export* converter, void (*fn)(void* user), void* user);
DARODEV_EXPORT void kn_export_on_error(kn_export* converter,
                                         void (*fn)(void* user, int number, const char* description,
                                                    const char* location),
                                         void* user);

/* "date-format", "fiscal-year", "fiscal-period", "institution-number": 0, or -1 for another name. */
DARODEV_EXPORT int kn_export_set_answer(kn_export* converter, const char* name, const char* value);

/* 1 converted, 0 nothing converted (a refused prompt, a refused repeat or unknown account;
   kn_export_error_detail says why), -1 failed.
   A payment file without payments raises the error event (999) and gives 1 without a file. */
DARODEV_EXPORT int kn_export_convert(kn_export* converter, const char* package_code, const char* input,
                                       const char* output, const char* title, const char* currency);

/* The last failure (number 0 when the last call did not fail); texts stay valid until the next call
   on the same object. With a NULL object: 5, "Invalid procedure call or argument". */
DARODEV_EXPORT int kn_export_error_number(const kn_export* converter);
DARODEV_EXPORT const char* kn_export_error_description(const kn_export* converter);
DARODEV_EXPORT const char* kn_export_error_source(const kn_export* converter);
DARODEV_EXPORT const char* kn_export_error_detail(const kn_export* converter);

/* Before anything is written, a conversion looks in its history for earlier conversions of the same
   payments into the same package (the same payment-file bytes, or the same session, entry source,
   count and totals) and warns of them; the history keeps every conversion that wrote a file. Off
   until a file is set (NULL or "" turns it off again); a history that cannot be used gives a
   warning and the conversion goes on. 0, or -1 for a NULL object. */
DARODEV_EXPORT int kn_export_set_history(kn_export* converter, const char* path);
/* Non-zero: a repeat is refused instead: kn_export_convert gives 0 and writes and records nothing,
   kn_export_error_detail saying why. */
DARODEV_EXPORT int kn_export_set_refuse_repeat(kn_export* converter, int refuse);
/* The accounts the package knows; every payment to another is listed in the audit
   ("unknown_accounts") and the summary. A NULL list turns the check off. 0, or -1 failed. */
DARODEV_EXPORT int kn_export_set_known_accounts(kn_export* converter, const char* const* accounts, int count);
/* The same from a file: one account a line, or a CSV or tab-separated export whose first column
   holds the account (a first line that is a column title is skipped). -1 with the error when the
   file cannot be read; NULL turns the check off. */
DARODEV_EXPORT int kn_export_load_known_accounts(kn_export* converter, const char* path);
/* Non-zero: a payment to an unknown account refuses the conversion as a repeat does. */
DARODEV_EXPORT int kn_export_set_strict_accounts(kn_export* converter, int strict);
/* Called with each warning (an earlier conversion of the same payments, a history that cannot be
   used) as it happens during kn_export_convert. */
DARODEV_EXPORT void kn_export_on_warning(kn_export* converter, void (*fn)(void* user, const char* text), void* user);
/* What the last conversion did with every payment, as one JSON object ("already_converted",
   "unknown_accounts", "warnings", "refused" among its members); "" before the first. Valid until
   the next call on the same object. */
DARODEV_EXPORT const char* kn_export_audit_json(kn_export* converter);

DARODEV_EXPORT int kn_export_record_count(const kn_export* converter);
/* Loads the host's package descriptions into the catalogue: 1 when at least one was stored,
   0 when none was, -1 failed. */
DARODEV_EXPORT int kn_export_load_packages(kn_export* converter, const char* const* descriptions, int count);
/* The catalogue read back: how many packages it holds (-1 for a NULL object), and one text of the
   package at a 0-based index: "code", "full-title", "title", "extension", "base-name",
   "last-updated" (YYYY-MM-DD without the time of day, "" when its description gave no date) or "allow-kaprin-home" ("1" or
   "0"). NULL with error 5 for another name or an index outside the catalogue; the text stays valid
   until the next call on the same object. */
DARODEV_EXPORT int kn_export_package_count(kn_export* converter);
DARODEV_EXPORT const char* kn_export_package_text(kn_export* converter, int index, const char* name);

DARODEV_EXPORT const char* kn_version(void);

#ifdef __cplusplus
}
#endif

#endif
