// The stack-overflow guard, with real overflows and with exceptions that it
// must leave alone. A vectored handler of the test, registered behind the
// guard's, catches whatever the guard passes on and lets execution go on.
#include "engine/StackGuard.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

namespace {

constexpr DWORD kTestException = 0xE0001234;

std::atomic<int> g_passedOn{0};
std::atomic<DWORD> g_passedOnCode{0};

// Continuable exceptions raised by RaiseException resume after the call.
LONG CALLBACK CatchRaised(EXCEPTION_POINTERS* info) {
    DWORD code = info->ExceptionRecord->ExceptionCode;
    bool raised = code == kTestException || (code == EXCEPTION_STACK_OVERFLOW &&
                                             info->ExceptionRecord->NumberParameters == 1);
    if (!raised) return EXCEPTION_CONTINUE_SEARCH;
    g_passedOnCode = code;
    ++g_passedOn;
    return EXCEPTION_CONTINUE_EXECUTION;
}

// Marks the overflow code as raised by the test, not by the system.
void RaiseOverflowCode() {
    ULONG_PTR marker = 1;
    ::RaiseException(EXCEPTION_STACK_OVERFLOW, 0, 1, &marker);
}

DWORD WINAPI RaiseOverflowCodeThread(void*) {
    RaiseOverflowCode();
    return 0;
}

volatile int g_depthLimit = 0x7fffffff;  // keeps the recursion from looking endless

__attribute__((noinline)) int Recurse(int depth) {
    volatile char frame[512];
    frame[0] = static_cast<char>(depth);
    if (depth >= g_depthLimit) return frame[0];
    return Recurse(depth + 1) + frame[0];
}

// Volatile: the compiler cannot know that Recurse never returns, and would
// otherwise drop the first store as overwritten by the second.
void Overflow(void* reached) {
    *static_cast<volatile bool*>(reached) = true;
    Recurse(0);
    *static_cast<volatile bool*>(reached) = false;
}

class StackGuardTest : public testing::Test {
protected:
    void SetUp() override {
        g_passedOn = 0;
        g_passedOnCode = 0;
        catcher_ = ::AddVectoredExceptionHandler(0, CatchRaised);
    }
    void TearDown() override { ::RemoveVectoredExceptionHandler(catcher_); }
    PVOID catcher_ = nullptr;
};

TEST_F(StackGuardTest, BodyThatReturnsRunsOnceAndReportsCompletion) {
    int calls = 0;
    EXPECT_TRUE(RunStackGuarded([](void* count) { ++*static_cast<int*>(count); }, &calls));
    EXPECT_EQ(1, calls);
}

// The second and third overflows are caught only if the first one's guard
// page was re-armed; afterwards the stack still serves deep, bounded calls.
TEST_F(StackGuardTest, OverflowsAreCaughtOneAfterAnother) {
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        bool reached = false;
        EXPECT_FALSE(RunStackGuarded(Overflow, &reached));
        EXPECT_TRUE(reached);
    }
    g_depthLimit = 200;  // about 100 KB of stack
    EXPECT_TRUE(RunStackGuarded([](void*) { Recurse(0); }, nullptr));
    g_depthLimit = 0x7fffffff;
    EXPECT_EQ(0, g_passedOn.load());
}

TEST_F(StackGuardTest, OtherExceptionsPassOn) {
    bool after = false;
    EXPECT_TRUE(RunStackGuarded(
        [](void* flag) {
            ::RaiseException(kTestException, 0, 0, nullptr);
            *static_cast<bool*>(flag) = true;
        },
        &after));
    EXPECT_TRUE(after);
    EXPECT_EQ(1, g_passedOn.load());
    EXPECT_EQ(kTestException, g_passedOnCode.load());
}

// The overflow code on another thread while the guard is active here, and
// on this thread after the guarded section, is not the guard's business.
TEST_F(StackGuardTest, OverflowElsewhereOrLaterPassesOn) {
    EXPECT_TRUE(RunStackGuarded(
        [](void*) {
            HANDLE other = ::CreateThread(nullptr, 0, RaiseOverflowCodeThread, nullptr, 0, nullptr);
            ::WaitForSingleObject(other, INFINITE);
            ::CloseHandle(other);
        },
        nullptr));
    EXPECT_EQ(1, g_passedOn.load());

    RaiseOverflowCode();
    EXPECT_EQ(2, g_passedOn.load());
}

// The same code raised on this thread inside the section is taken for an
// overflow: the body is left at once.
TEST_F(StackGuardTest, OverflowCodeInsideTheSectionLeavesTheBody) {
    bool after = false;
    EXPECT_FALSE(RunStackGuarded(
        [](void* flag) {
            RaiseOverflowCode();
            *static_cast<bool*>(flag) = true;
        },
        &after));
    EXPECT_FALSE(after);
    EXPECT_EQ(0, g_passedOn.load());
}

}  // namespace
