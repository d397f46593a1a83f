#include "joblist/joblabel.h"

#include <string.h>

#include "support/text.h"

const char LabelInvert[] = "ビット反転";
const char LabelReverse[] = "リバース";
const char LabelPassword[] = "パスワード";
const char LabelNone[] = "(not convert)";

size_t ComposeTypeLabel(int type, const char* password, char* out, size_t size)
{
    if (size == 0)
        return 0;
    const char* fixed = LabelNone;
    if (type == ConvInvert)
        fixed = LabelInvert;
    else if (type == ConvReverse)
        fixed = LabelReverse;
    else if (type == ConvPassword && password != NULL && password[0] != '\0')
        fixed = NULL;

    if (fixed != NULL)
        return CopyTextCut(out, size - 1, fixed);

    size_t word = strlen(LabelPassword);
    if (size < word + 2)
        return CopyTextCut(out, size - 1, LabelNone);
    memcpy(out, LabelPassword, word);
    out[word] = '=';
    return word + 1 + CopyTextCut(out + word + 1, size - word - 2, password);
}

int ClassifyTypeLabel(const char* label, const char** password)
{
    if (strcmp(label, LabelInvert) == 0)
        return ConvInvert;
    if (strcmp(label, LabelReverse) == 0)
        return ConvReverse;
    size_t word = strlen(LabelPassword);
    if (strncmp(label, LabelPassword, word) == 0) {
        if (password != NULL)
            *password = label[word] == '=' ? label + word + 1 : label + strlen(label);
        return ConvPassword;
    }
    return ConvNone;
}
