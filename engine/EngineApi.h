// The engine's exported interface as this host calls it: the revision record,
// the result codes it gives meaning to, and one function-pointer type per
// entry point. The engine's entry points and its standard-stream and poll
// callbacks use the Windows API calling convention (__stdcall on 32-bit
// Windows); writing WINAPI only here keeps every call site in agreement.
#pragma once

#include <windows.h>

struct DisplayCallbackTable;

// Filled by gsapi_revision. The engine checks the size it is given against
// its own record, so the size passed must be sizeof(EngineRevisionRecord):
// 16 bytes on 32-bit Windows, 24 on 64-bit (two pointers, then two longs).
struct EngineRevisionRecord {
    const char* product;
    const char* copyright;
    long revision;
    long revisionDate;
};

// Results of the engine calls that the host interprets.
constexpr int kEngineResultFatal = -100;
constexpr int kEngineResultQuit = -101;
constexpr int kEngineResultInfo = -110;

using EngineInputProc = int(WINAPI*)(void* callerHandle, char* buffer, int length);
using EngineOutputProc = int(WINAPI*)(void* callerHandle, const char* text, int length);
using EnginePollProc = int(WINAPI*)(void* callerHandle);

using GsapiRevisionProc = int(WINAPI*)(EngineRevisionRecord* record, int size);
using GsapiNewInstanceProc = int(WINAPI*)(void** instance, void* callerHandle);
using GsapiDeleteInstanceProc = void(WINAPI*)(void* instance);
using GsapiSetStdioProc = int(WINAPI*)(void* instance, EngineInputProc input,
                                       EngineOutputProc output, EngineOutputProc error);
using GsapiSetPollProc = int(WINAPI*)(void* instance, EnginePollProc poll);
using GsapiSetDisplayCallbackProc = int(WINAPI*)(void* instance, DisplayCallbackTable* table);
using GsapiInitWithArgsProc = int(WINAPI*)(void* instance, int argc, char** argv);
using GsapiRunStringProc = int(WINAPI*)(void* instance, const char* text, int userErrors,
                                        int* exitCode);
using GsapiExitProc = int(WINAPI*)(void* instance);
using GsapiSetVisualTracerProc = void(WINAPI*)(void* tracer);
