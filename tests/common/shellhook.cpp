#include "shellhook.h"

namespace {

std::vector<ShellCall> RecordedCalls;

HINSTANCE WINAPI RecordShellExecute(HWND owner, LPCSTR verb, LPCSTR file,
                                           LPCSTR parameters, LPCSTR directory, INT show)
{
    ShellCall call;
    call.owner = owner;
    call.verbNull = verb == NULL;
    call.verb = verb != NULL ? verb : "";
    call.file = file != NULL ? file : "";
    call.parametersNull = parameters == NULL;
    call.directoryNull = directory == NULL;
    call.show = show;
    RecordedCalls.push_back(call);
    return (HINSTANCE)42;  // above 32: what the shell returns on success
}

// The import table slot through which the test program calls function of
// dll, found by name; null when the program does not import it.
void** FindImportSlot(const char* dll, const char* function)
{
    BYTE* base = (BYTE*)GetModuleHandleA(NULL);
    IMAGE_NT_HEADERS* headers = (IMAGE_NT_HEADERS*)(base + ((IMAGE_DOS_HEADER*)base)->e_lfanew);
    IMAGE_DATA_DIRECTORY imports =
        headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0)
        return NULL;
    for (IMAGE_IMPORT_DESCRIPTOR* module = (IMAGE_IMPORT_DESCRIPTOR*)(base + imports.VirtualAddress);
         module->Name != 0; ++module) {
        if (lstrcmpiA((const char*)(base + module->Name), dll) != 0 || module->OriginalFirstThunk == 0)
            continue;
        IMAGE_THUNK_DATA* names = (IMAGE_THUNK_DATA*)(base + module->OriginalFirstThunk);
        IMAGE_THUNK_DATA* slots = (IMAGE_THUNK_DATA*)(base + module->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            IMAGE_IMPORT_BY_NAME* name = (IMAGE_IMPORT_BY_NAME*)(base + names->u1.AddressOfData);
            if (lstrcmpA((const char*)name->Name, function) == 0)
                return (void**)&slots->u1.Function;
        }
    }
    return NULL;
}

bool WriteSlot(void** slot, void* value)
{
    DWORD protection;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection))
        return false;
    *slot = value;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
    return true;
}

}  // namespace

ShellExecuteRecorder::ShellExecuteRecorder() : slot_(FindImportSlot("shell32.dll", "ShellExecuteA")), original_(NULL)
{
    RecordedCalls.clear();
    if (slot_ == NULL)
        return;
    original_ = *slot_;
    if (!WriteSlot(slot_, (void*)RecordShellExecute))
        slot_ = NULL;
}

ShellExecuteRecorder::~ShellExecuteRecorder()
{
    if (slot_ != NULL)
        WriteSlot(slot_, original_);
}

const std::vector<ShellCall>& ShellExecuteRecorder::Calls() const
{
    return RecordedCalls;
}
