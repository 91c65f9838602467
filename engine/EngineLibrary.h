// Run-time binding of the engine library "orvpdf.dll": finds the file, checks
// its revision and resolves the ten entry points the host needs.
#pragma once

#include "engine/EngineApi.h"
#include "framework/Handles.h"

// The revision of the engine build we ship; only exactly this one is accepted.
constexpr long kRequiredEngineRevision = 10000;

// Capacity of the message buffer that LoadEngineLibrary fills.
constexpr int kEngineMessageSize = 256;

// The loaded library and its entry points. Either the module and all ten
// pointers are set (loaded) or all of them are null (not loaded).
struct EngineLibrary {
    fw::Module module;
    GsapiRevisionProc revision = nullptr;
    GsapiNewInstanceProc new_instance = nullptr;
    GsapiDeleteInstanceProc delete_instance = nullptr;
    GsapiSetStdioProc set_stdio = nullptr;
    GsapiSetPollProc set_poll = nullptr;
    GsapiSetDisplayCallbackProc set_display_callback = nullptr;
    GsapiInitWithArgsProc init_with_args = nullptr;
    GsapiRunStringProc run_string = nullptr;
    GsapiExitProc exit = nullptr;
    GsapiSetVisualTracerProc set_visual_tracer = nullptr;
};

// Loads the library unless `library` already holds it. Tries, in order, the
// file beside the executable, the file named by GS_DLL, and the bare name
// through the system's search; the first file that loads is the only one
// checked. Returns 0 when loaded; 1 on failure, with the reason in `message`
// (kEngineMessageSize bytes, zero-filled by the caller; a longer text is cut
// to kEngineMessageSize - 1 characters) and nothing held. Writes to no stream.
int LoadEngineLibrary(EngineLibrary& library, char* message);

// Clears the entry points and frees the module, if any.
void UnloadEngineLibrary(EngineLibrary& library);

// Reads GS_DLL from the process environment. On entry `*size` is the capacity
// of `dest`. Set and shorter than the capacity: copied, `*size` = length + 1,
// result 0. Set but too long: `dest` untouched, `*size` = length + 1, result
// -1. Not set: `dest` made empty when the capacity allows, `*size` = 1,
// result 1.
int ReadGsDllVariable(char* dest, int* size);
