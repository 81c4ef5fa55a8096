/* libdarodev-dialogs: the converter's prompts shown in Qt dialogs. Link DARODEV::dialogs (or
   -ldarodev-dialogs) only when the host wants them. */
#ifndef DARODEV_DIALOGS_H
#define DARODEV_DIALOGS_H

#include "darodev/darodev.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The converter's prompts are shown as modal dialogs from now on. Uses the host's QApplication,
   or makes one when the host has no Qt application yet. -1 for a NULL converter, when the
   host's Qt application has no widgets, or when there is no screen to show dialogs on. */
DARODEV_EXPORT int kn_export_use_dialogs(kn_export* converter);

#ifdef __cplusplus
}
#endif

#endif
