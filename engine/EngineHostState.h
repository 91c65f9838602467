// What the engine host keeps for the length of the process.
#pragma once

#include "engine/EngineLibrary.h"

#include <windows.h>

#include <atomic>

// The GUI thread id and the quit flag are written by one thread and read by
// the other, hence atomic. The quit flag is never cleared, so the state
// serves one engine run per process.
struct EngineHostState {
    HWND foregroundWindow = nullptr;
    std::atomic<DWORD> guiThreadId{0};
    void* instance = nullptr;
    EngineLibrary library;
    std::atomic<int> quit{0};
    // Set by the GUI thread when it leaves its message loop.
    std::atomic<bool> guiLoopEnded{false};
};

// The process-wide state, created on first use.
EngineHostState& GetEngineHostState();
