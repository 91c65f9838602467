// The GUI thread's message loop, run on a thread of the test over a state of
// its own. An image-message handler and a window created by it on the loop's
// thread record what reaches each of them.
#include "engine/EngineHostState.h"
#include "engine/GuiThread.h"
#include "engine/ImageMessages.h"

#include <windows.h>

#include <process.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct Record {
    std::string receiver;  // "handler" or "window"
    UINT message;
    LPARAM lParam;
    bool operator==(const Record& other) const {
        return receiver == other.receiver && message == other.message && lParam == other.lParam;
    }
};

std::ostream& operator<<(std::ostream& out, const Record& r) {
    return out << r.receiver << " " << r.message << " " << r.lParam;
}

std::mutex g_mutex;
std::vector<Record> g_records;
std::atomic<HWND> g_window{nullptr};
std::atomic<bool> g_createWindowOnOpen{false};
std::atomic<bool> g_quitOnOpen{false};
EngineHostState* g_state = nullptr;

void Note(const char* receiver, UINT message, LPARAM lParam) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_records.push_back({receiver, message, lParam});
}

std::vector<Record> Records() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_records;
}

LRESULT CALLBACK RecordingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_USER) Note("window", message, lParam);
    if (message == WM_KEYDOWN || message == WM_CHAR) Note("window", message, wParam);
    return ::DefWindowProcA(window, message, wParam, lParam);
}

void CreateRecordingWindow() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = RecordingWindowProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "GuiThreadTestWindow";
    ::RegisterClassA(&windowClass);
    g_window = ::CreateWindowA("GuiThreadTestWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               windowClass.hInstance, nullptr);
}

void RecordingHandler(UINT message, void* image) {
    Note("handler", message, reinterpret_cast<LPARAM>(image));
    if (message != kMsgImageOpen) return;
    if (g_createWindowOnOpen) CreateRecordingWindow();
    if (g_quitOnOpen) g_state->quit = 1;
}

unsigned __stdcall LoopThread(void* state) {
    RunGuiMessageLoop(*static_cast<EngineHostState*>(state));
    return 0;
}

template <class Condition>
bool WaitFor(Condition condition, DWORD timeoutMs = 5000) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 10) {
        if (condition()) return true;
        ::Sleep(10);
    }
    return condition();
}

class GuiLoopTest : public testing::Test {
protected:
    void SetUp() override {
        g_records.clear();
        g_window = nullptr;
        g_state = &state_;
        SetImageMessageHandler(RecordingHandler);
    }

    void TearDown() override {
        if (thread_) {
            if (!Ended(0)) ::PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
            Ended(5000);
            ::CloseHandle(thread_);
        }
        SetImageMessageHandler(nullptr);
        g_createWindowOnOpen = false;
        g_quitOnOpen = false;
    }

    void Start() {
        thread_ = reinterpret_cast<HANDLE>(
            _beginthreadex(nullptr, 0, LoopThread, &state_, 0, &threadId_));
        ASSERT_NE(nullptr, thread_);
    }

    // True once the loop takes posted messages.
    bool Reachable() {
        return WaitFor([this] {
            return state_.guiThreadId != 0 &&
                   ::PostThreadMessageA(state_.guiThreadId, WM_USER, 0, 0);
        });
    }

    bool Ended(DWORD timeoutMs) {
        return ::WaitForSingleObject(thread_, timeoutMs) == WAIT_OBJECT_0;
    }

    EngineHostState state_;
    HANDLE thread_ = nullptr;
    unsigned threadId_ = 0;
};

TEST_F(GuiLoopTest, ImageMessagesGoToTheHandlerEverythingElseIsTranslatedAndDispatched) {
    g_createWindowOnOpen = true;
    Start();
    ASSERT_TRUE(Reachable());
    const DWORD id = state_.guiThreadId;
    ::PostThreadMessageA(id, kMsgImageOpen, 0, 0x1001);
    ASSERT_TRUE(WaitFor([] { return g_window.load() != nullptr; }));
    HWND window = g_window;

    ::PostMessageA(window, WM_APP + 1, 0, 1);
    ::PostMessageA(window, kMsgImageClose, 0, 0x1002);  // image messages are never dispatched
    ::PostMessageA(window, kMsgImageOpen - 1, 0, 2);
    ::PostMessageA(window, kMsgImageUpdate + 1, 0, 3);
    ::PostThreadMessageA(id, kMsgImageSync, 0, 0x1004);
    ::PostMessageA(window, WM_KEYDOWN, 'A', 0x001E0001);  // translated into WM_CHAR
    ASSERT_TRUE(WaitFor([] { return Records().size() >= 8; })) << testing::PrintToString(Records());
    ::PostThreadMessageA(id, WM_QUIT, 0, 0);
    EXPECT_TRUE(Ended(5000));

    const std::vector<Record> expected = {
        {"handler", kMsgImageOpen, 0x1001},
        {"window", WM_APP + 1, 1},
        {"handler", kMsgImageClose, 0x1002},
        {"window", kMsgImageOpen - 1, 2},
        {"window", kMsgImageUpdate + 1, 3},
        {"handler", kMsgImageSync, 0x1004},
        {"window", WM_KEYDOWN, 'A'},
        {"window", WM_CHAR, 'a'},
    };
    EXPECT_EQ(expected, Records());
}

// The flag is looked at before each wait: set while a message is handled, it
// ends the loop with later messages still queued and no WM_QUIT posted.
TEST_F(GuiLoopTest, QuitFlagSetDuringAMessageDropsTheRest) {
    g_quitOnOpen = true;
    Start();
    ASSERT_TRUE(Reachable());
    ::PostThreadMessageA(state_.guiThreadId, kMsgImageOpen, 0, 1);
    ::PostThreadMessageA(state_.guiThreadId, kMsgImagePage, 0, 2);
    EXPECT_TRUE(Ended(5000));
    EXPECT_EQ((std::vector<Record>{{"handler", kMsgImageOpen, 1}}), Records());
}

TEST_F(GuiLoopTest, QuitFlagAlreadySetEndsTheLoopAtOnceAfterRecordingTheThread) {
    state_.quit = 1;
    Start();
    EXPECT_TRUE(Ended(5000));
    EXPECT_EQ(threadId_, state_.guiThreadId);
}

}  // namespace
