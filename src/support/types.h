// The plain types the job list, the settings and the conversions share:
// conversion types and the overwrite policy word. Needs no Windows header.
#ifndef MIRTAVOLEN_SUPPORT_TYPES_H
#define MIRTAVOLEN_SUPPORT_TYPES_H

// Conversion type numbers: also DefType in the settings, radio button
// 2026 + n of the item settings and menu command 1023 + n.
enum ConvType {
    ConvInvert = 0,
    ConvReverse = 1,
    ConvPassword = 2,
    ConvNone = 3
};

// Longest password the dialogs take, in bytes of code page 932 (a kanji
// counts two). A default password from the settings file may be longer.
const int PasswordMaxBytes = 32;

// What to do with an output file that already exists: the high 16 bits,
// when exactly 1, decide without asking; the low 16 bits mean overwrite
// (nonzero) or pass over (zero). Every reader of the word goes through the
// two functions below, so the batch, the overwrite dialog's check box and
// the settings file always agree on it.
typedef unsigned OverwritePolicy;

inline OverwritePolicy MakeOverwritePolicy(unsigned noConfirm, unsigned overwrite)
{
    return ((noConfirm & 0xFFFFu) << 16) | (overwrite & 0xFFFFu);
}
inline int PolicySkipsQuestion(OverwritePolicy policy) { return (policy >> 16) == 1; }
inline int PolicyOverwrites(OverwritePolicy policy) { return (policy & 0xFFFFu) != 0; }

#endif
