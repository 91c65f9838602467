#include "engine/EngineRun.h"

#include "engine/ConsoleIo.h"
#include "engine/DisplayCallbacks.h"
#include "engine/EngineHostState.h"
#include "engine/GuiThread.h"
#include "engine/StackGuard.h"

#include <cstdio>

namespace {

constexpr char kStartText[] = "systemdict /start get exec\n";

struct Interpretation {
    const EngineLibrary* engine;
    void* instance;
    int argc;
    char** argv;
    int code;
};

// The part of the run that may overflow the stack inside the engine.
void Interpret(void* context) {
    Interpretation& run = *static_cast<Interpretation*>(context);
    const EngineLibrary& engine = *run.engine;
    int code = engine.init_with_args(run.instance, run.argc, run.argv);
    if (code == 0) {
        int exitCode = 0;  // not used: the result of the call decides
        code = engine.run_string(run.instance, kStartText, 0, &exitCode);
    }
    int exitResult = engine.exit(run.instance);
    // A quit request stands unless closing the instance failed.
    if (code == 0 || (code == kEngineResultQuit && exitResult != 0)) code = exitResult;
    run.code = code;
}

int ExitStatusFromCode(int code) {
    if (code == 0 || code == kEngineResultQuit || code == kEngineResultInfo) return 0;
    if (code == kEngineResultFatal) return 1;
    return 255;
}

}  // namespace

int RunEngine(int argc, char** argv) {
    EngineHostState& state = GetEngineHostState();
    SetEngineStreamModes();
    state.foregroundWindow = ::GetForegroundWindow();

    char message[kEngineMessageSize] = {};
    if (LoadEngineLibrary(state.library, message) != 0) {
        ReportHostError("Can't load Ghostscript DLL\n");
        ReportHostError(message);
        ReportHostError("\n");
        return 1;
    }
    const EngineLibrary& engine = state.library;
    // On failure the library stays loaded; a later load finds it held.
    if (engine.new_instance(&state.instance, nullptr) < 0) {
        ReportHostError("Can't create Ghostscript instance\n");
        return 1;
    }

    StartGuiThread();
    engine.set_stdio(state.instance, EngineStdin, EngineStdout, EngineStderr);
    engine.set_display_callback(state.instance, GetDisplayCallbackTable());

    Interpretation run = {&engine, state.instance, argc, argv, 0};
    if (!RunStackGuarded(Interpret, &run)) {
        run.code = kEngineResultFatal;
        ReportHostError("*** C stack overflow. Quiting...\n");
    }

    engine.delete_instance(state.instance);
    state.instance = nullptr;
    UnloadEngineLibrary(state.library);
    StopGuiThread();
    return ExitStatusFromCode(run.code);
}
