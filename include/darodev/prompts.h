/* The questions a conversion may put to the user, for a host that answers them itself: with its
   own dialogs, or with the Qt dialogs of libdarodev-dialogs (darodev/dialogs.h). Texts are UTF-8. */
#ifndef DARODEV_PROMPTS_H
#define DARODEV_PROMPTS_H

#include "darodev/darodev.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The size of the buffers a prompt writes its answers into, the terminating NUL included. */
#define KN_PROMPT_ANSWER_SIZE 256

typedef struct kn_prompts {
    /* The date pattern: copies the chosen pattern into pattern and returns 1, or returns 0 when the
       user refused. The question comes whole: its title, its text and its suggestions (MYOB's sixteen
       patterns, SysPro's two); a table that passes count 0 on to libdarodev-dialogs gets MYOB's list. */
    int (*date_format)(void* user, const char* title, const char* prompt, const char* const* suggestions,
                       int count, const char* initial, char* pattern);
    /* The fiscal year and period: copies both and returns 1, or returns 0 when the user refused. */
    int (*fiscal_period)(void* user, const char* title, char* year, char* period);
    /* The institution number: writes the accepted number as the one line of the file at path, in
       the code page, reading typed numbers under the locale; or leaves the file unwritten. */
    void (*institution_number)(void* user, const char* path, const char* locale, const char* codepage);
} kn_prompts;

/* The prompts go to the table (copied; a NULL member refuses its prompt) instead of the scripted
   answers of kn_export_set_answer; a NULL table goes back to them. 0, or -1 for a NULL converter. */
DARODEV_EXPORT int kn_export_set_prompts(kn_export* converter, const kn_prompts* prompts, void* user);

#ifdef __cplusplus
}
#endif

#endif
