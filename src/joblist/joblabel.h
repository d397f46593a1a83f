// Conversion types, their labels in the job list and the overwrite policy
// word. Labels are code page 932 byte strings; a label is at most 63 bytes.
#ifndef MIRTAVOLEN_JOBLIST_JOBLABEL_H
#define MIRTAVOLEN_JOBLIST_JOBLABEL_H

#include <stddef.h>

// Conversion type numbers: also DefType in the settings, radio button
// 2026 + n of the item settings and menu command 1023 + n.
enum ConvType {
    ConvInvert = 0,
    ConvReverse = 1,
    ConvPassword = 2,
    ConvNone = 3
};

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

// What to do with an output file that already exists: the high 16 bits,
// when exactly 1, decide without asking; the low 16 bits mean overwrite
// (nonzero) or pass over (zero).
typedef unsigned OverwritePolicy;

inline OverwritePolicy MakeOverwritePolicy(unsigned noConfirm, unsigned overwrite)
{
    return ((noConfirm & 0xFFFFu) << 16) | (overwrite & 0xFFFFu);
}
inline int PolicySkipsQuestion(OverwritePolicy policy) { return (policy >> 16) == 1; }
inline int PolicyOverwrites(OverwritePolicy policy) { return (policy & 0xFFFFu) != 0; }

#endif
