#include "support/pathtext.h"

#include <string.h>

#include "support/text.h"

int SplitPath(const char* path, char* dirOut, char* nameOut, int keepSlash)
{
    if (path == NULL || path[0] == '\0')
        return -1;
    size_t n = strlen(path);
    if (n > 259)
        return -1;

    char clean[260];
    if (path[0] == '"') {
        memcpy(clean, path + 1, n);  // includes the terminator
        size_t m = n - 1;
        if (m > 0 && clean[m - 1] == '"')
            clean[m - 1] = '\0';
    } else {
        memcpy(clean, path, n + 1);
    }

    int p = FindLastSeparator(clean);
    if (p < 0) {
        if (nameOut != NULL)
            memcpy(nameOut, clean, strlen(clean) + 1);
        return (int)strlen(clean);
    }

    const char* name = clean + p + 1;
    int nameLen = (int)strlen(name);
    if (nameOut != NULL)
        memcpy(nameOut, name, (size_t)nameLen + 1);
    if (dirOut != NULL) {
        int keep = keepSlash || (p > 0 && clean[p - 1] == ':');
        int dirLen = keep ? p + 1 : p;
        memcpy(dirOut, clean, (size_t)dirLen);
        dirOut[dirLen] = '\0';
    }
    return nameLen;
}

int FindLastSeparator(const char* s)
{
    int last = -1;
    for (int i = 0; s[i] != '\0'; i += CharBytes(s + i)) {
        if (s[i] == '\\')
            last = i;
    }
    return last;
}

int EndsWithSeparator(const char* s)
{
    size_t n = strlen(s);
    return n > 0 && FindLastSeparator(s) == (int)(n - 1);
}

int JoinPath(char* out, const char* directory, const char* name)
{
    const size_t PathBuffer = 260;
    out[0] = '\0';
    return AppendText(out, PathBuffer, directory)
        && (EndsWithSeparator(directory) || AppendText(out, PathBuffer, "\\"))
        && AppendText(out, PathBuffer, name);
}
