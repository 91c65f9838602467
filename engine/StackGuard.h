// Runs code so that a stack overflow inside it ends the code instead of the
// process.
#pragma once

// Runs body(context) on the calling thread. Returns true when it returned
// normally, false when a stack overflow (0xC00000FD) on this thread ended it.
// After an overflow the frames of `body` are abandoned without any cleanup
// and the stack's guard page is re-armed, so a later overflow is caught
// again. Every other exception, and an overflow on another thread, passes
// on untouched. One guarded section may be active per process at a time;
// a nested or concurrent call runs its body unguarded.
bool RunStackGuarded(void (*body)(void*), void* context);
