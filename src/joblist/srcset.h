// The SrcFile of every row of the job list, kept beside the list so that
// the duplicate check of a new file does not read the rows. Rows enter it
// when they are inserted and leave it through the list's delete
// notifications, whoever deletes them.
#ifndef MIRTAVOLEN_JOBLIST_SRCSET_H
#define MIRTAVOLEN_JOBLIST_SRCSET_H

#include <windows.h>

// 1 when a row of list has this SrcFile (compared byte for byte), 0
// otherwise.
int IsSrcFileListed(HWND list, const char* srcFile);

// A row of list with this SrcFile has been inserted. The record follows
// one list: the first row of another list starts it afresh.
void NoteSrcFileListed(HWND list, const char* srcFile);

// A row of list with this SrcFile is being deleted.
void NoteSrcFileUnlisted(HWND list, const char* srcFile);

// Every row is being deleted (list null: whatever list it follows).
void ForgetListedSrcFiles(HWND list);

#endif
