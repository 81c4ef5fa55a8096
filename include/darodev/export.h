/* Marks the entry points a DARODEV library exports; everything else in it stays hidden. */
#ifndef DARODEV_EXPORT_H
#define DARODEV_EXPORT_H

#if defined(__GNUC__)
#define DARODEV_EXPORT __attribute__((visibility("default")))
#else
#define DARODEV_EXPORT
#endif

#endif
