// The compiler offers no structured exception handling, so the guard is
// built from a vectored exception handler. On an overflow the handler does
// not unwind: it rewrites the faulting thread's context so that, when the
// system resumes the thread, it runs ResumeAfterOverflow on a part of the
// stack that is known to be good (just below the guarded call), and that
// function jumps back into RunStackGuarded with __builtin_longjmp, which
// restores the registers of the frame that called __builtin_setjmp.
#include "engine/StackGuard.h"

#include <windows.h>

#include <malloc.h>

#include <cstdint>

namespace {

// Room left below the guarded call's frame before the recovery code's stack
// starts, so that nothing the caller still needs is overwritten.
constexpr std::uintptr_t kResumeStackGap = 512;

struct GuardState {
    volatile LONG busy;    // a RunStackGuarded call is in progress
    volatile LONG active;  // its body is running
    volatile DWORD threadId;
    volatile std::uintptr_t resumeStack;
    void* jumpBuffer[5];  // the layout __builtin_setjmp requires
};

GuardState g_guard;

[[noreturn]] void ResumeAfterOverflow() { __builtin_longjmp(g_guard.jumpBuffer, 1); }

LONG CALLBACK OnException(EXCEPTION_POINTERS* info) {
    if (info->ExceptionRecord->ExceptionCode != EXCEPTION_STACK_OVERFLOW || !g_guard.active ||
        g_guard.threadId != ::GetCurrentThreadId()) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    CONTEXT* context = info->ContextRecord;
    // A function is entered with its return address just pushed; the
    // recovery function never returns, so a slot is merely left for it.
#if defined(_WIN64)
    context->Rsp = static_cast<DWORD64>(g_guard.resumeStack - sizeof(void*));
    context->Rip = reinterpret_cast<DWORD64>(&ResumeAfterOverflow);
#else
    context->Esp = static_cast<DWORD>(g_guard.resumeStack - sizeof(void*));
    context->Eip = reinterpret_cast<DWORD>(&ResumeAfterOverflow);
#endif
    return EXCEPTION_CONTINUE_EXECUTION;
}

// Its own frame marks where the abandoned part of the stack begins.
__attribute__((noinline)) void CallBody(void (*body)(void*), void* context) {
    auto frame = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    g_guard.resumeStack = (frame - kResumeStackGap) & ~std::uintptr_t(15);
    g_guard.active = 1;
    body(context);
}

class VectoredHandler {
public:
    explicit VectoredHandler(PVECTORED_EXCEPTION_HANDLER handler)
        : registration_(::AddVectoredExceptionHandler(1, handler)) {}
    ~VectoredHandler() {
        if (registration_) ::RemoveVectoredExceptionHandler(registration_);
    }
    VectoredHandler(const VectoredHandler&) = delete;
    VectoredHandler& operator=(const VectoredHandler&) = delete;

private:
    PVOID registration_;
};

#if !defined(_WIN64)
// The head of the thread's exception frame list, the first word of its
// information block (fs:0).
void* ReadExceptionList() {
    void* head;
    __asm__ volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

void WriteExceptionList(void* head) {
    __asm__ volatile("movl %0, %%fs:0" : : "r"(head) : "memory");
}
#endif

// Runs the body with the handler registered; the caller holds g_guard.
bool GuardedCall(void (*body)(void*), void* context) {
    VectoredHandler handler(OnException);
    g_guard.threadId = ::GetCurrentThreadId();
#if !defined(_WIN64)
    // 32-bit code registers exception frames in a per-thread list; frames of
    // the abandoned code must not stay in it.
    void* const frames = ReadExceptionList();
#endif
    bool completed = true;
    if (__builtin_setjmp(g_guard.jumpBuffer) == 0) {
        CallBody(body, context);
    } else {
        completed = false;
#if !defined(_WIN64)
        WriteExceptionList(frames);
#endif
        _resetstkoflw();
    }
    g_guard.active = 0;
    g_guard.threadId = 0;
    return completed;
}

}  // namespace

bool RunStackGuarded(void (*body)(void*), void* context) {
    if (::InterlockedCompareExchange(&g_guard.busy, 1, 0) != 0) {
        body(context);
        return true;
    }
    bool completed = GuardedCall(body, context);
    ::InterlockedExchange(&g_guard.busy, 0);
    return completed;
}
