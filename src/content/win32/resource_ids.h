/* Resource numbers of the Windows program, shared by setup.rc and the Win32
   runtime that loads them.  Plain defines: the resource compiler reads this
   file too. */
#ifndef ORTAVIA_CONTENT_WIN32_RESOURCE_IDS_H
#define ORTAVIA_CONTENT_WIN32_RESOURCE_IDS_H

#define ORTAVIA_IDI_SETUP 1          /* the window's and the file's icon */
#define ORTAVIA_IDR_BACKGROUND 101   /* the 400 x 350 background JPEG (RCDATA) */

#endif
