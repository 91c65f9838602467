// Host program for the engine tests, run from a folder that the test fills,
// so that "the library beside the executable" is that folder's file.
//   engine_probe load          loads the library into a record of its own
//   engine_probe run ARGS...   RunEngine(ARGS); its status is the exit code
// After the call it prints what it finds, one "name=value" line each.
#include "engine/EngineHostState.h"
#include "engine/EngineLibrary.h"
#include "engine/EngineRun.h"
#include "engine/ErrorCapture.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string ModulePath(HMODULE module) {
    char path[1024] = {};
    if (!module || !::GetModuleFileNameA(module, path, sizeof path - 1)) return "none";
    return path;
}

int Load() {
    EngineLibrary library;
    char message[kEngineMessageSize] = {};
    int result = LoadEngineLibrary(library, message);
    std::printf("result=%d\nmessage=[%s]\nmodule=%s\n", result, message,
                ModulePath(library.module.Get()).c_str());
    UnloadEngineLibrary(library);
    return 0;
}

// "none" when no thread id was ever recorded, else whether the GUI thread
// has left its message loop (it is told to, but not waited for, at the end
// of the run).
const char* GuiThreadFate() {
    // Time for a thread that was wrongly started to record its id.
    ::Sleep(200);
    const EngineHostState& state = GetEngineHostState();
    DWORD id = state.guiThreadId;
    if (id == 0) return "none";
    if (id == ::GetCurrentThreadId()) return "caller";
    for (int waited = 0; waited < 30000 && !state.guiLoopEnded; waited += 10) ::Sleep(10);
    return state.guiLoopEnded ? "ended" : "running";
}

// A captured text on one line: line ends written as "\n", NUL as "\0".
std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c == '\n') line += "\\n";
        else if (c == '\0') line += "\\0";
        else line += c;
    }
    return line;
}

int Run(int argc, char** argv) {
    EngineErrorCapture capture;
    int status = RunEngine(argc, argv);
    std::printf("status=%d\nlibrary-held=%d\ngui-thread=%s\ncaptured=%s\n", status,
                ::GetModuleHandleA("orvpdf.dll") != nullptr ? 1 : 0, GuiThreadFate(),
                OneLine(capture.Text()).c_str());
    std::fflush(stdout);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    // The tests compare the output byte for byte.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc >= 2 && std::strcmp(argv[1], "load") == 0) return Load();
    if (argc >= 3 && std::strcmp(argv[1], "run") == 0) return Run(argc - 2, argv + 2);
    std::fputs("usage: engine_probe load | run ARGS...\n", stderr);
    return 2;
}
