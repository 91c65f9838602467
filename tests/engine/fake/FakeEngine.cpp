// A stand-in for the engine library, built in several variants. It declares
// its exports on its own, as the engine does, so that a disagreement with
// the host's declarations shows up as a failing run.
//
// Compile-time choices: FAKE_REVISION (the revision it reports),
// FAKE_REVISION_FAILS (the revision call refuses every record), and
// FAKE_OMIT_<export> (that export is left out).
//
// Run-time choices, from the environment:
//   FAKE_GS_LOG                  file that gets one line per call
//   FAKE_GS_NEW_INSTANCE_RESULT, FAKE_GS_INIT_RESULT, FAKE_GS_RUN_RESULT,
//   FAKE_GS_EXIT_RESULT          results of those calls (default 0)
//   FAKE_GS_OVERFLOW=1           init_with_args recurses until the stack
//                                overflows
//   FAKE_GS_ECHO=1               init_with_args writes a line through the
//                                stdout callback, copies standard input to
//                                it (read 7 bytes at a time) and writes a
//                                line through the stderr callback
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#ifndef FAKE_REVISION
#define FAKE_REVISION 10000
#endif

#define FAKE_EXPORT extern "C" __declspec(dllexport)

namespace {

struct RevisionRecord {
    const char* product;
    const char* copyright;
    long revision;
    long revisionDate;
};

struct DisplayTableHeader {
    int size;
    int versionMajor;
    int versionMinor;
};

using InputCallback = int(__stdcall*)(void*, char*, int);
using OutputCallback = int(__stdcall*)(void*, const char*, int);

int g_instance;  // its address is the instance handed out
InputCallback g_stdin;
OutputCallback g_stdout;
OutputCallback g_stderr;

int EnvInt(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::atoi(value) : 0;
}

// Helpers below are marked maybe_unused: a variant without the export that
// uses them leaves them unreferenced.
[[maybe_unused]] bool EnvFlag(const char* name) { return EnvInt(name) == 1; }

// Appends one line; opened per line so that nothing is lost when the process
// ends abruptly.
void Log(const std::string& line) {
    const char* path = std::getenv("FAKE_GS_LOG");
    if (!path || !*path) return;
    HANDLE file = ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string text = line + "\n";
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
}

[[maybe_unused]] std::string Escape(const char* text) {
    std::string out;
    for (; *text; ++text) {
        unsigned char c = static_cast<unsigned char>(*text);
        if (c == '\n') {
            out += "\\n";
        } else if (c < 32 || c == '\\') {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void LogCall(const char* name, void* instance) {
    Log(instance == &g_instance ? std::string(name) : std::string(name) + " on a foreign instance");
}

// Never reached; keeps the compiler from treating the recursion as endless.
volatile int g_depthLimit = 0x7fffffff;

[[maybe_unused]] __attribute__((noinline)) int Recurse(int depth) {
    volatile char frame[512];
    frame[0] = static_cast<char>(depth);
    if (depth >= g_depthLimit) return frame[0];
    return Recurse(depth + 1) + frame[0];
}

[[maybe_unused]] void WriteOut(OutputCallback callback, const char* name, const std::string& text) {
    int result = callback(nullptr, text.data(), static_cast<int>(text.size()));
    Log(std::string(name) + " returned " + std::to_string(result));
}

[[maybe_unused]] void Echo() {
    WriteOut(g_stdout, "stdout_fn", "fake engine output\n");
    std::string input;
    char chunk[7];
    int got = 0;
    while ((got = g_stdin(nullptr, chunk, sizeof chunk)) > 0) input.append(chunk, got);
    Log("stdin_fn ended with " + std::to_string(got) + " after " + std::to_string(input.size()) +
        " bytes");
    WriteOut(g_stdout, "stdout_fn", input);
    WriteOut(g_stderr, "stderr_fn", "fake engine error text\n");
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    // A null `reserved` means FreeLibrary, as opposed to process exit.
    if (reason == DLL_PROCESS_DETACH && !reserved) Log("unloaded");
    return TRUE;
}

#ifndef FAKE_OMIT_gsapi_revision
FAKE_EXPORT int __stdcall gsapi_revision(RevisionRecord* record, int size) {
    Log("revision size=" + std::to_string(size));
#ifdef FAKE_REVISION_FAILS
    (void)record;
    return 1;
#else
    if (size < static_cast<int>(sizeof(RevisionRecord))) return sizeof(RevisionRecord);
    record->product = "fake engine";
    record->copyright = "none";
    record->revision = FAKE_REVISION;
    record->revisionDate = 20240101;
    return 0;
#endif
}
#endif

#ifndef FAKE_OMIT_gsapi_new_instance
FAKE_EXPORT int __stdcall gsapi_new_instance(void** instance, void* callerHandle) {
    Log(callerHandle ? "new_instance with a caller handle" : "new_instance");
    int result = EnvInt("FAKE_GS_NEW_INSTANCE_RESULT");
    if (result >= 0) *instance = &g_instance;
    return result;
}
#endif

#ifndef FAKE_OMIT_gsapi_delete_instance
FAKE_EXPORT void __stdcall gsapi_delete_instance(void* instance) {
    LogCall("delete_instance", instance);
}
#endif

#ifndef FAKE_OMIT_gsapi_set_stdio
FAKE_EXPORT int __stdcall gsapi_set_stdio(void* instance, InputCallback in, OutputCallback out,
                                          OutputCallback err) {
    LogCall("set_stdio", instance);
    g_stdin = in;
    g_stdout = out;
    g_stderr = err;
    return 0;
}
#endif

#ifndef FAKE_OMIT_gsapi_set_poll
FAKE_EXPORT int __stdcall gsapi_set_poll(void* instance, int(__stdcall*)(void*)) {
    LogCall("set_poll", instance);
    return 0;
}
#endif

#ifndef FAKE_OMIT_gsapi_set_display_callback
FAKE_EXPORT int __stdcall gsapi_set_display_callback(void* instance, DisplayTableHeader* table) {
    LogCall("set_display_callback", instance);
    Log("display table size=" + std::to_string(table->size) + " version=" +
        std::to_string(table->versionMajor) + "." + std::to_string(table->versionMinor));
    return 0;
}
#endif

#ifndef FAKE_OMIT_gsapi_init_with_args
FAKE_EXPORT int __stdcall gsapi_init_with_args(void* instance, int argc, char** argv) {
    LogCall("init_with_args", instance);
    Log("argc=" + std::to_string(argc));
    for (int i = 0; i < argc; ++i) Log("argv[" + std::to_string(i) + "]=" + Escape(argv[i]));
    if (EnvFlag("FAKE_GS_OVERFLOW")) {
        Log("overflowing");
        Recurse(0);
        Log("overflow did not happen");
    }
    if (EnvFlag("FAKE_GS_ECHO")) Echo();
    return EnvInt("FAKE_GS_INIT_RESULT");
}
#endif

#ifndef FAKE_OMIT_gsapi_run_string
FAKE_EXPORT int __stdcall gsapi_run_string(void* instance, const char* text, int userErrors,
                                           int* exitCode) {
    LogCall("run_string", instance);
    Log("text=" + Escape(text) + " user_errors=" + std::to_string(userErrors));
    *exitCode = 0;
    return EnvInt("FAKE_GS_RUN_RESULT");
}
#endif

#ifndef FAKE_OMIT_gsapi_exit
FAKE_EXPORT int __stdcall gsapi_exit(void* instance) {
    LogCall("exit", instance);
    return EnvInt("FAKE_GS_EXIT_RESULT");
}
#endif

#ifndef FAKE_OMIT_gsapi_set_visual_tracer
FAKE_EXPORT void __stdcall gsapi_set_visual_tracer(void*) { Log("set_visual_tracer"); }
#endif
