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

/* 1 converted, 0 nothing converted (a refused prompt; kn_export_error_detail says why), -1 failed.
   A payment file without payments raises the error event (999) and gives 1 without a file. */
DARODEV_EXPORT int kn_export_convert(kn_export* converter, const char* package_code, const char* input,
                                       const char* output, const char* title, const char* currency);

/* The last failure (number 0 when the last call did not fail); texts stay valid until the next call
   on the same object. With a NULL object: 5, "Invalid procedure call or argument". */
DARODEV_EXPORT int kn_export_error_number(const kn_export* converter);
DARODEV_EXPORT const char* kn_export_error_description(const kn_export* converter);
DARODEV_EXPORT const char* kn_export_error_source(const kn_export* converter);
DARODEV_EXPORT const char* kn_export_error_detail(const kn_export* converter);

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
