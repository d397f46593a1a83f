// Sections of an INI text (code page 932) brought to new values in one
// step, as the profile functions of Windows read and write such a file.
// No Win32 calls, so it also builds for the native sanitizer tests.
#ifndef MIRTAVOLEN_SUPPORT_INIFILE_H
#define MIRTAVOLEN_SUPPORT_INIFILE_H

#include <stddef.h>

// One key of a section with its value as the file is to hold it (already
// quoted where the reader would strip its ends).
struct IniKey {
    const char* name;
    const char* value;
};

struct IniSection {
    const char* name;
    const IniKey* keys;
    int count;
};

// What UpdateIniText made: the new text is the old one up to from, then
// tail (free it), tailLength bytes. tail is null when the old text holds
// every value already.
struct IniUpdate {
    size_t from;
    char* tail;
    size_t tailLength;
};

// Nonzero when text begins with a byte-order mark: the profile functions
// read such a file as UTF-8 or UTF-16, which UpdateIniText does not.
int IsUnicodeIniText(const char* text, size_t length);

// Gives each section the values of its keys, as writing the keys one at a
// time with the profile functions does: a section is found by its name
// (the first of that name; ASCII letter case ignored), each key's value
// goes in place of the first line of that key, a key without one is added
// at the section's end, a missing section is added at the end of the text.
// A section whose values are all there already is left exactly as it is;
// any other is written in the profile functions' own layout ("[name]",
// then "key=value" lines ending in CR LF, blanks around names and values
// and empty lines taken out). Nothing else of the text changes. Takes at
// most 8 sections of at most 16 keys. 1 when done; 0 when out of memory or
// given more (update->tail is then null).
int UpdateIniText(const char* text, size_t length, const IniSection* sections, int count,
                  IniUpdate* update);

#endif
