// The GUI thread: owns the display device's image windows and receives the
// thread messages posted by the display callbacks.
#pragma once

#include "engine/EngineHostState.h"

// The GUI thread's body, over the process-wide state.
void GuiThreadMain();

// The body over a given state: records the thread id, then takes messages
// until WM_QUIT or until the quit flag is found set (tested before each
// wait, so messages still queued then are dropped). Image messages go to
// HandleImageMessage; every other message is translated and dispatched.
void RunGuiMessageLoop(EngineHostState& state);

// Starts GuiThreadMain on a new thread and waits until it takes posted
// messages: up to 30 attempts to post WM_USER, 100 ms apart. Prints on
// stderr when the thread cannot be started or cannot be reached; either way
// the run goes on.
void StartGuiThread();

// Sets the process-wide quit flag and posts WM_QUIT; does not wait for the
// thread to end.
void StopGuiThread();
