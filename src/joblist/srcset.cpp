#include "joblist/srcset.h"

#include <string>
#include <unordered_set>

namespace {

HWND SetList = NULL;
std::unordered_set<std::string> Listed;

}  // namespace

int IsSrcFileListed(HWND list, const char* srcFile)
{
    return list == SetList && Listed.count(srcFile) != 0 ? 1 : 0;
}

void NoteSrcFileListed(HWND list, const char* srcFile)
{
    if (list != SetList) {
        Listed.clear();
        SetList = list;
    }
    Listed.insert(srcFile);
}

void NoteSrcFileUnlisted(HWND list, const char* srcFile)
{
    if (list == SetList)
        Listed.erase(srcFile);
}

void ForgetListedSrcFiles(HWND list)
{
    if (list == NULL || list == SetList)
        Listed.clear();
}
