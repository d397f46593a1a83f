#include "support/inifile.h"

#include <stdlib.h>
#include <string.h>

#include "support/text.h"

namespace {

// Most sections, and most keys of a section, UpdateIniText takes.
const int MaxSections = 8;
const int MaxKeys = 16;

// The text as the profile functions read it: in characters of the ANSI
// code page, where a lead byte takes the byte after it whatever that is (a
// line feed too), and lines end at any run of CRs and LFs.
struct Text {
    const char* at;
    size_t length;
    unsigned char lead[256];  // nonzero for the lead bytes
    int ended;                // the last line has its line end
};

// Offsets [begin, end) of a part of the text.
struct Range {
    size_t begin;
    size_t end;
};

size_t CharBytesAt(const Text& t, size_t i)
{
    return t.lead[(unsigned char)t.at[i]] && i + 1 < t.length ? 2 : 1;
}

// What the profile functions strip around lines, names and values.
int IsBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a';
}

int IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// The first offset from i on whose byte is a control character up to CR
// or a byte of 0x80 and above (a line end or a lead byte may be one);
// t.length when there is none. Eight bytes at a time, since the lines of
// other users' sections in a file of many users are all skipped this way.
size_t SkipPlainBytes(const Text& t, size_t i)
{
    const unsigned long long Ones = 0x0101010101010101ull;
    for (; i + 8 <= t.length; i += 8) {
        unsigned long long x;
        memcpy(&x, t.at + i, 8);
        // A byte below 0x0E borrows into its high bit, a byte of 0x80 and
        // above has it; a borrow reaches only the bytes after such a byte.
        if (((x - 0x0E * Ones) | x) & (0x80 * Ones))
            break;
    }
    while (i < t.length && (unsigned char)t.at[i] >= 0x0E && (unsigned char)t.at[i] < 0x80)
        ++i;
    return i;
}

// The line that starts at offset at, without its line end; *next is where
// the line after it starts.
Range LineAt(const Text& t, size_t at, size_t* next)
{
    size_t i = SkipPlainBytes(t, at);
    while (i < t.length && !IsLineEnd(t.at[i]))
        i = SkipPlainBytes(t, i + CharBytesAt(t, i));
    Range line = { at, i };
    while (i < t.length && IsLineEnd(t.at[i]))
        ++i;
    *next = i;
    return line;
}

// r without the blanks at its ends.
Range Trim(const Text& t, Range r)
{
    while (r.begin < r.end && IsBlank(t.at[r.begin]))
        ++r.begin;
    size_t end = r.begin;
    for (size_t i = r.begin; i < r.end; i += CharBytesAt(t, i)) {
        if (!IsBlank(t.at[i]))
            end = i + CharBytesAt(t, i);
    }
    r.end = end < r.end ? end : r.end;
    return r;
}

// Offset of the first (or last) character c in r; r.end when there is
// none. A trail byte is never taken for one.
size_t Find(const Text& t, Range r, char c, int last)
{
    size_t found = r.end;
    for (size_t i = r.begin; i < r.end; i += CharBytesAt(t, i)) {
        if (t.at[i] == c) {
            found = i;
            if (!last)
                break;
        }
    }
    return found;
}

// The name of a trimmed line that is a section header: what stands between
// its '[' and its last ']', trimmed.
int HeaderName(const Text& t, Range line, Range* name)
{
    if (line.begin == line.end || t.at[line.begin] != '[')
        return 0;
    Range inside = { line.begin + 1, line.end };
    size_t close = Find(t, inside, ']', 1);
    if (close == line.end)
        return 0;
    inside.end = close;
    *name = Trim(t, inside);
    return 1;
}

char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
}

// Whether a name in the text is name, ignoring the case of ASCII letters
// only (never of a double-byte character's bytes), as the profile
// functions match section and key names.
int SameName(const Text& t, Range a, const char* name)
{
    size_t n = strlen(name);
    if (a.end - a.begin != n)
        return 0;
    for (size_t i = 0; i < n; ++i) {
        char c = t.at[a.begin + i];
        if (UpperAscii(c) != UpperAscii(name[i]))
            return 0;
        if (t.lead[(unsigned char)c] && i + 1 < n) {
            ++i;
            if (t.at[a.begin + i] != name[i])
                return 0;
        }
    }
    return 1;
}

// One line of a section as the profile functions take it: a name and,
// after the first '=', a value.
struct Entry {
    Range name;
    Range value;
    int hasValue;
};

Entry EntryOf(const Text& t, Range line)
{
    Entry e = { line, { line.end, line.end }, 0 };
    size_t equals = Find(t, line, '=', 0);
    if (equals < line.end) {
        Range name = { line.begin, equals };
        Range value = { equals + 1, line.end };
        e.name = Trim(t, name);
        e.value = Trim(t, value);
        e.hasValue = 1;
    }
    return e;
}

// Where a section stands: its header line from start, its lines from body
// to end (where the line after its last line that is not empty starts).
// found is 0 when the text has no section of that name.
struct Place {
    int found;
    size_t start;
    size_t body;
    size_t end;
    Range name;
};

void FindSections(Text* t, const IniSection* sections, int count, Place* places)
{
    for (int i = 0; i < count; ++i)
        places[i].found = 0;
    t->ended = 1;
    int current = -1;  // the section these lines belong to, if one of ours
    for (size_t at = 0, next = 0; at < t->length; at = next) {
        Range line = LineAt(*t, at, &next);
        t->ended = next > line.end;
        while (line.begin < line.end && IsBlank(t->at[line.begin]))
            ++line.begin;
        if (current < 0 && (line.begin == line.end || t->at[line.begin] != '['))
            continue;  // most lines: other users'
        line = Trim(*t, line);
        Range name;
        if (HeaderName(*t, line, &name)) {
            current = -1;  // a later section of a name already found is none of ours
            for (int i = 0; i < count && current < 0; ++i) {
                if (!places[i].found && SameName(*t, name, sections[i].name)) {
                    Place p = { 1, at, next, next, name };
                    places[i] = p;
                    current = i;
                }
            }
        } else if (current >= 0 && line.begin < line.end) {
            places[current].end = next;
        }
    }
}

// A text being put together; failed once memory ran out.
struct Output {
    char* text;
    size_t length;
    size_t room;
    int failed;
};

// Makes room for at least room bytes in all.
void Reserve(Output* out, size_t room)
{
    if (out->failed || room <= out->room)
        return;
    char* grown = (char*)realloc(out->text, room);
    if (grown == NULL) {
        out->failed = 1;
        return;
    }
    out->text = grown;
    out->room = room;
}

void Put(Output* out, const char* text, size_t length)
{
    if (out->failed || length == 0)
        return;
    if (out->length + length > out->room) {
        size_t room = out->length + length;
        Reserve(out, out->room * 2 > room ? out->room * 2 : room);
        if (out->failed)
            return;
    }
    memcpy(out->text + out->length, text, length);
    out->length += length;
}

void PutText(Output* out, const char* text)
{
    Put(out, text, strlen(text));
}

void PutRange(Output* out, const Text& t, Range r)
{
    Put(out, t.at + r.begin, r.end - r.begin);
}

void PutKey(Output* out, const char* name, const char* value)
{
    PutText(out, name);
    Put(out, "=", 1);
    PutText(out, value);
    Put(out, "\r\n", 2);
}

// Puts a section as the file is to hold it: "[name]", its lines as the
// profile functions write them back with each key's value in place of the
// key's first line, then the keys that had none. Returns whether its values
// differ from those of the text (a key missing or of another value).
int PutSection(Output* out, const Text& t, const Place* place, const IniSection* section)
{
    int placed[MaxKeys] = { 0 };
    int changed = !place->found;
    Put(out, "[", 1);
    if (place->found)
        PutRange(out, t, place->name);
    else
        PutText(out, section->name);
    Put(out, "]\r\n", 3);
    int previousNamed = -1;  // whether the line before had a name; -1: no line yet
    for (size_t at = place->body, next = 0; place->found && at < place->end; at = next) {
        Range line = Trim(t, LineAt(t, at, &next));
        if (line.begin == line.end)
            continue;
        Entry e = EntryOf(t, line);
        // The reader keeps a line without a name only after a named one.
        if (e.name.begin == e.name.end && previousNamed == 0)
            continue;
        previousNamed = e.name.begin < e.name.end;
        int k = -1;
        for (int i = 0; i < section->count && k < 0; ++i) {
            if (!placed[i] && SameName(t, e.name, section->keys[i].name))
                k = i;
        }
        PutRange(out, t, e.name);
        if (k >= 0) {
            const char* value = section->keys[k].value;
            placed[k] = 1;
            changed |= !e.hasValue || e.value.end - e.value.begin != strlen(value)
                       || memcmp(t.at + e.value.begin, value, strlen(value)) != 0;
            Put(out, "=", 1);
            PutText(out, value);
        } else if (e.hasValue) {
            Put(out, "=", 1);
            PutRange(out, t, e.value);
        }
        Put(out, "\r\n", 2);
    }
    for (int i = 0; i < section->count; ++i) {
        if (!placed[i]) {
            changed = 1;
            PutKey(out, section->keys[i].name, section->keys[i].value);
        }
    }
    return changed;
}

// The new text from the first byte that differs (*from): the changed
// sections put in place of their old lines, in the order they stand, then
// the missing ones at the end.
void Assemble(Output* out, const Text& t, const Place* places, const Output* parts,
              const int* changed, int count, size_t* from)
{
    *from = t.length;
    for (int i = 0; i < count; ++i) {
        if (places[i].found && changed[i] && places[i].start < *from)
            *from = places[i].start;
    }
    // The whole new text at once: the rest of a file of many users can be
    // megabytes, which growing step by step would copy again and again.
    size_t room = t.length - *from;
    for (int i = 0; i < count; ++i)
        room += parts[i].length + 2;
    Reserve(out, room);
    size_t at = *from;
    int ended = t.ended;
    for (;;) {
        int first = -1;
        for (int i = 0; i < count; ++i) {
            if (places[i].found && changed[i] && places[i].start >= at
                && (first < 0 || places[i].start < places[first].start))
                first = i;
        }
        if (first < 0)
            break;
        Put(out, t.at + at, places[first].start - at);
        Put(out, parts[first].text, parts[first].length);
        at = places[first].end;
        ended = 1;  // a section ends with its line end
    }
    if (at < t.length) {
        Put(out, t.at + at, t.length - at);
        ended = t.ended;
    }
    for (int i = 0; i < count; ++i) {
        if (places[i].found)
            continue;
        if (!ended)
            Put(out, "\r\n", 2);
        ended = 1;
        Put(out, parts[i].text, parts[i].length);
    }
}

}  // namespace

int IsUnicodeIniText(const char* text, size_t length)
{
    const unsigned char* b = (const unsigned char*)text;
    if (length >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
        return 1;
    return length >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF));
}

int UpdateIniText(const char* text, size_t length, const IniSection* sections, int count,
                  IniUpdate* update)
{
    update->tail = NULL;
    update->tailLength = 0;
    update->from = length;
    if (count < 0 || count > MaxSections)
        return 0;
    for (int i = 0; i < count; ++i) {
        if (sections[i].count < 0 || sections[i].count > MaxKeys)
            return 0;
    }
    Text t;
    t.at = text;
    t.length = length;
    for (int c = 0; c < 256; ++c)
        t.lead[c] = c >= 0x81 && IsLeadByte((unsigned char)c);  // no lead byte is ASCII
    Place places[MaxSections];
    FindSections(&t, sections, count, places);
    Output parts[MaxSections];
    int changed[MaxSections];
    int any = 0, failed = 0;
    for (int i = 0; i < count; ++i) {
        Output empty = { NULL, 0, 0, 0 };
        parts[i] = empty;
        changed[i] = PutSection(&parts[i], t, &places[i], &sections[i]);
        any |= changed[i];
        failed |= parts[i].failed;
    }
    Output out = { NULL, 0, 0, 0 };
    if (any && !failed) {
        Assemble(&out, t, places, parts, changed, count, &update->from);
        failed = out.failed;
    }
    for (int i = 0; i < count; ++i)
        free(parts[i].text);
    if (failed || !any) {
        free(out.text);
        update->from = length;
        return failed ? 0 : 1;
    }
    update->tail = out.text;
    update->tailLength = out.length;
    return 1;
}
