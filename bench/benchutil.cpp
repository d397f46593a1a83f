#include "benchutil.h"

#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

bool ReadCommandLine(int argc, char** argv, const char* usage, const std::function<void()>& quick,
                     const std::vector<NumberOption>& numbers)
{
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--quick") == 0)
            quick();
    }
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--quick") == 0)
            continue;
        const NumberOption* option = NULL;
        for (const NumberOption& n : numbers) {
            if (strcmp(argv[i], n.name) == 0)
                option = &n;
        }
        char* end = NULL;
        unsigned long value = option != NULL && i + 1 < argc ? strtoul(argv[++i], &end, 10) : 0;
        if (option == NULL || end == NULL || *end != '\0' || value < option->least
            || value > option->most) {
            fprintf(stderr, "usage: %s\n", usage);
            if (option != NULL)
                fprintf(stderr, "%s takes %u to %u\n", option->name, option->least, option->most);
            return false;
        }
        *option->value = (unsigned)value;
    }
    return true;
}

std::string Today()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[16];
    snprintf(text, sizeof text, "%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
    return text;
}

void PrintLine(const char* format, ...)
{
    char line[512];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(line, sizeof line, format, args);
    va_end(args);
    size_t length = n < 0 ? 0 : (size_t)n < sizeof line ? (size_t)n : sizeof line - 1;
    while (length > 0 && line[length - 1] == ' ')
        --length;
    line[length] = '\0';
    puts(line);
}
