#include "engine/GuiThread.h"

#include "engine/ConsoleIo.h"
#include "engine/ImageMessages.h"
#include "framework/Handles.h"

#include <process.h>

namespace {

constexpr unsigned kGuiThreadStackSize = 65535;
constexpr int kPostAttempts = 30;
constexpr DWORD kPostRetryMs = 100;

unsigned __stdcall GuiThreadEntry(void*) {
    GuiThreadMain();
    return 0;
}

}  // namespace

void GuiThreadMain() { RunGuiMessageLoop(GetEngineHostState()); }

void RunGuiMessageLoop(EngineHostState& state) {
    state.guiThreadId = ::GetCurrentThreadId();
    MSG message;
    while (!state.quit) {
        BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) break;
        if (got == -1) continue;
        if (IsImageMessage(message.message)) {
            HandleImageMessage(message.message, reinterpret_cast<void*>(message.lParam));
            continue;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    state.guiLoopEnded = true;
}

void StartGuiThread() {
    EngineHostState& state = GetEngineHostState();
    // The C runtime's thread start, so the thread may use the C library. The
    // run never waits for the thread, so its handle is closed at once.
    fw::KernelHandle thread(reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, kGuiThreadStackSize, GuiThreadEntry, nullptr, 0, nullptr)));
    if (!thread) {
        ReportHostError("GUI thread creation failed\n");
        return;
    }
    ::Sleep(0);
    // The thread id is 0 until the thread runs, and posting fails until the
    // thread has a message queue; a successful post proves both.
    for (int attempt = 0; attempt < kPostAttempts; ++attempt) {
        if (::PostThreadMessageA(state.guiThreadId, WM_USER, 0, 0)) return;
        ::Sleep(kPostRetryMs);
    }
    ReportHostError("Can't post message to GUI thread\n");
}

void StopGuiThread() {
    EngineHostState& state = GetEngineHostState();
    state.quit = 1;
    // Under load Wine now and then refuses the first post with
    // ERROR_INVALID_THREAD_ID although the thread and its queue exist; a
    // refused quit would leave the thread waiting for good, so the post is
    // retried like the reachability probe.
    for (int attempt = 0; attempt < kPostAttempts; ++attempt) {
        if (::PostThreadMessageA(state.guiThreadId, WM_QUIT, 0, 0)) break;
        ::Sleep(kPostRetryMs);
    }
    ::Sleep(0);
}
