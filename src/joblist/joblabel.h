// The labels of the conversion types in the job list. Labels are code page 932 byte strings; a label is at most 63 bytes.
#ifndef MIRTAVOLEN_JOBLIST_JOBLABEL_H
#define MIRTAVOLEN_JOBLIST_JOBLABEL_H

#include <stddef.h>

#include "support/types.h"

extern const char LabelInvert[];    // "ビット反転"
extern const char LabelReverse[];   // "リバース"
extern const char LabelPassword[];  // "パスワード", followed by '=' and the password
extern const char LabelNone[];      // "(not convert)"

// Room for a label read back from the list, terminator included.
const size_t LabelSize = 64;

// Writes the label of type (with password for the password type) into out
// (size bytes). A password type without a password, and any unknown type,
// give "(not convert)". A password label that would not fit is cut after
// the last whole character that fits. Returns the label's length.
size_t ComposeTypeLabel(int type, const char* password, char* out, size_t size);

// Classifies a label: ConvInvert and ConvReverse by exact comparison;
// ConvPassword when it begins with the bytes of "パスワード" (then
// *password, if asked for, points at the text after a following '=', or at
// an empty string when no '=' follows); ConvNone for anything else.
int ClassifyTypeLabel(const char* label, const char** password);

#endif
