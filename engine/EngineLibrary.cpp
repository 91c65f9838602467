#include "engine/EngineLibrary.h"

#include "framework/Text.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr char kLibraryFileName[] = "orvpdf.dll";
constexpr char kLibraryVariable[] = "GS_DLL";
constexpr DWORD kPathCapacity = 1024;

// Casting through void(*)() tells the compiler the type change is intended;
// the real type of each export is its Gsapi...Proc.
template <class Proc>
Proc FindExport(HMODULE module, const char* name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

// Loads one candidate file. Handle values below 32 are failure codes from
// the 16-bit era and are never taken for a module.
HMODULE TryLoad(const char* path, DWORD& lastError) {
    HMODULE module = ::LoadLibraryA(path);
    lastError = ::GetLastError();
    return reinterpret_cast<std::uintptr_t>(module) < 32 ? nullptr : module;
}

// The library beside the running executable. A module path that filled the
// whole buffer may have been cut, and a folder too long to take the file
// name after it cannot be named: neither is tried.
HMODULE LoadBesideExecutable(DWORD& lastError) {
    char path[kPathCapacity];
    DWORD length = ::GetModuleFileNameA(::GetModuleHandleA(nullptr), path, kPathCapacity);
    if (length == 0 || length >= kPathCapacity) return nullptr;
    size_t slash = fw::FindLastBackslash(std::string(path, length));
    size_t folderLength = slash == std::string::npos ? 0 : slash + 1;
    if (folderLength + sizeof kLibraryFileName > kPathCapacity) return nullptr;
    std::memcpy(path + folderLength, kLibraryFileName, sizeof kLibraryFileName);
    return TryLoad(path, lastError);
}

// A value that does not fit the buffer with its terminator is ignored.
HMODULE LoadFromVariable(DWORD& lastError) {
    char path[kPathCapacity];
    int size = static_cast<int>(kPathCapacity);
    if (ReadGsDllVariable(path, &size) != 0) return nullptr;
    return TryLoad(path, lastError);
}

int Refuse(EngineLibrary& library) {
    UnloadEngineLibrary(library);
    return 1;
}

template <class Proc>
bool Resolve(EngineLibrary& library, Proc& slot, const char* name, char* message) {
    slot = FindExport<Proc>(library.module.Get(), name);
    if (!slot) std::snprintf(message, kEngineMessageSize, "Can't find %s\n", name);
    return slot != nullptr;
}

}  // namespace

// Every message goes through snprintf with the buffer's capacity, which cuts a
// longer text and always terminates it.
int LoadEngineLibrary(EngineLibrary& library, char* message) {
    if (library.module) return 0;

    DWORD lastError = 0;
    HMODULE module = LoadBesideExecutable(lastError);
    if (!module) module = LoadFromVariable(lastError);
    if (!module) module = TryLoad(kLibraryFileName, lastError);
    if (!module) {
        std::snprintf(message, kEngineMessageSize, "Can't load DLL, LoadLibrary error code %ld",
                      static_cast<long>(lastError));
        return Refuse(library);
    }
    library.module.Reset(module);

    if (!Resolve(library, library.revision, "gsapi_revision", message)) return Refuse(library);
    EngineRevisionRecord record = {};
    if (library.revision(&record, sizeof record) != 0) {
        std::snprintf(
            message, kEngineMessageSize,
            "Unable to identify Ghostscript DLL revision - it must be newer than needed.\n");
        return Refuse(library);
    }
    if (record.revision != kRequiredEngineRevision) {
        std::snprintf(message, kEngineMessageSize,
                      "Wrong version of DLL found.\n  Found version %ld\n  Need version  %ld\n",
                      record.revision, kRequiredEngineRevision);
        return Refuse(library);
    }

    bool complete =
        Resolve(library, library.new_instance, "gsapi_new_instance", message) &&
        Resolve(library, library.delete_instance, "gsapi_delete_instance", message) &&
        Resolve(library, library.set_stdio, "gsapi_set_stdio", message) &&
        Resolve(library, library.set_poll, "gsapi_set_poll", message) &&
        Resolve(library, library.set_display_callback, "gsapi_set_display_callback", message) &&
        Resolve(library, library.init_with_args, "gsapi_init_with_args", message) &&
        Resolve(library, library.run_string, "gsapi_run_string", message) &&
        Resolve(library, library.exit, "gsapi_exit", message) &&
        Resolve(library, library.set_visual_tracer, "gsapi_set_visual_tracer", message);
    return complete ? 0 : Refuse(library);
}

void UnloadEngineLibrary(EngineLibrary& library) {
    library.revision = nullptr;
    library.new_instance = nullptr;
    library.delete_instance = nullptr;
    library.set_stdio = nullptr;
    library.set_poll = nullptr;
    library.set_display_callback = nullptr;
    library.init_with_args = nullptr;
    library.run_string = nullptr;
    library.exit = nullptr;
    library.set_visual_tracer = nullptr;
    library.module.Reset();
}

int ReadGsDllVariable(char* dest, int* size) {
    const char* value = std::getenv(kLibraryVariable);
    if (!value) {
        if (*size > 0) dest[0] = '\0';
        *size = 1;
        return 1;
    }
    size_t length = std::strlen(value);
    bool fits = *size > 0 && length < static_cast<size_t>(*size);
    if (fits) std::memcpy(dest, value, length + 1);
    *size = static_cast<int>(length + 1);
    return fits ? 0 : -1;
}
