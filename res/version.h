/* Corvane's version and the names it ships under: the one place they are written. Read by the
   resource compiler (the VERSIONINFO in corvane.rc) and by C and C++ code alike, so it holds
   nothing but #defines. */
#ifndef CORVANE_VERSION_H
#define CORVANE_VERSION_H

#define CORVANE_VERSION_MAJOR 1
#define CORVANE_VERSION_MINOR 0
#define CORVANE_VERSION_PATCH 0
#define CORVANE_VERSION_BUILD 0

/* As the program has always shown it: major dot two-digit minor. */
#define CORVANE_VERSION_TEXT "1.00"

#define CORVANE_COMPANY_NAME "Corvane Software"
#define CORVANE_PRODUCT_NAME "corvane"
#define CORVANE_INTERNAL_NAME "Corvane"
#define CORVANE_EXE_NAME "Corvane.exe"
#define CORVANE_FILE_DESCRIPTION "Corvane - a picture that stays on top"
#define CORVANE_COPYRIGHT "Copyright (C) Corvane Software"
/* The Linux desktop's name for the program (reverse DNS of the maker's host): the desktop
   entry, the AppStream metadata and the icon are all named after it. */
#define CORVANE_APP_ID "com.corvane.Corvane"

#endif
