// Whole engine runs: the host program calls RunEngine from a folder that
// holds a fake engine as orvpdf.dll; the fake logs every call it receives.
#include "EngineTestSupport.h"
#include "TestSupport.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using engine_testing::CountLines;
using engine_testing::MakeHostFolder;
using engine_testing::ReadLog;
using engine_testing::ScopedEnv;

using Settings = std::vector<std::pair<const char*, std::string>>;

const char kDefaultArguments[] = "gs -q \"-sOutputFile=C:\\out dir\\a b.pdf\" \"\"";

struct HostRun {
    unsigned long exitCode = 0;
    std::string output;  // standard output and error, as written
    std::vector<std::string> log;

    bool Says(const std::string& text) const { return output.find(text) != std::string::npos; }
    bool Logged(const std::string& line) const { return CountLines(log, line) > 0; }
    std::string Field(const std::string& name) const {
        size_t start = output.find("\n" + name + "=");
        if (start == std::string::npos) return "(missing)";
        start += name.size() + 2;
        return output.substr(start, output.find('\n', start) - start);
    }
};

// Runs "engine_probe run ARGS" in a fresh folder with the fake `variant`
// (none when empty) and the given FAKE_GS_* settings.
HostRun RunHost(const std::string& name, const std::string& variant, const Settings& settings,
                const std::string& input = "", const std::string& arguments = kDefaultArguments) {
    std::string folder = MakeHostFolder(name, variant);
    std::string logPath = folder + "\\calls.log";
    ScopedEnv noGsDll("GS_DLL", nullptr);
    ScopedEnv log("FAKE_GS_LOG", logPath);
    std::vector<std::unique_ptr<ScopedEnv>> scoped;
    for (const auto& setting : settings) {
        scoped.push_back(std::make_unique<ScopedEnv>(setting.first, setting.second));
    }
    auto result = testing_support::RunProcess(
        "\"" + folder + "\\engine_probe.exe\" run " + arguments, input);
    EXPECT_TRUE(result.finished) << name;
    HostRun run;
    run.exitCode = result.exitCode;
    run.output = "\n" + result.output;  // so that Field finds the first line too
    run.log = ReadLog(logPath);
    return run;
}

void ExpectGuiThreadServed(const HostRun& run) {
    EXPECT_FALSE(run.Says("GUI thread creation failed")) << run.output;
    EXPECT_FALSE(run.Says("Can't post message to GUI thread")) << run.output;
    EXPECT_EQ("ended", run.Field("gui-thread"));
}

TEST(EngineRun, CallsTheEngineInOrderWithTheArgumentsUnchanged) {
    HostRun run = RunHost("ordinary", "good", {});
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ("\nstatus=0\nlibrary-held=0\ngui-thread=ended\ncaptured=\n", run.output);
    const std::vector<std::string> expected = {
        "revision size=" + std::to_string(sizeof(void*) == 8 ? 24 : 16),
        "new_instance",
        "set_stdio",
        "set_display_callback",
        // 3 ints and 11 callback pointers, padded on 64-bit.
        "display table size=" + std::to_string(sizeof(void*) == 8 ? 104 : 56) + " version=2.0",
        "init_with_args",
        "argc=4",
        "argv[0]=gs",
        "argv[1]=-q",
        "argv[2]=-sOutputFile=C:\\x5cout dir\\x5ca b.pdf",
        "argv[3]=",
        "run_string",
        "text=systemdict /start get exec\\n user_errors=0",
        "exit",
        "delete_instance",
        "unloaded",
    };
    EXPECT_EQ(expected, run.log);
}

// init, run_string and exit results against the process status, and whether
// the start text ran. The exit call always follows.
TEST(EngineRun, ExitStatusFollowsTheEngineResults) {
    struct Case {
        const char* init;
        const char* run;
        const char* exit;
        unsigned long status;
    };
    const Case cases[] = {
        {"0", "0", "0", 0},
        {"0", "0", "-100", 1},       // the exit result decides after success
        {"0", "0", "-1", 255},
        {"0", "0", "-101", 0},
        {"0", "-101", "0", 0},       // quit stands when exit succeeds
        {"0", "-101", "-100", 1},    // ... and is replaced when it fails
        {"0", "-110", "-100", 0},    // an informational end is not replaced
        {"0", "-15", "-100", 255},   // an error is not replaced
        {"-101", "0", "0", 0},
        {"-101", "0", "-100", 1},
        {"-101", "0", "-20", 255},
        {"-100", "0", "0", 1},
        {"-110", "0", "-100", 0},
        {"-1", "0", "0", 255},
        {"-1", "0", "-100", 255},
        {"5", "0", "0", 255},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("init ") + c.init + ", run " + c.run + ", exit " + c.exit);
        HostRun run = RunHost("status-" + std::to_string(index++), "good",
                              {{"FAKE_GS_INIT_RESULT", c.init},
                               {"FAKE_GS_RUN_RESULT", c.run},
                               {"FAKE_GS_EXIT_RESULT", c.exit}});
        EXPECT_EQ(c.status, run.exitCode);
        EXPECT_EQ(std::to_string(c.status), run.Field("status"));
        EXPECT_EQ(std::string(c.init) == "0" ? 1 : 0, CountLines(run.log, "run_string"));
        EXPECT_EQ(1, CountLines(run.log, "exit"));
        EXPECT_EQ(1, CountLines(run.log, "delete_instance"));
        EXPECT_EQ(1, CountLines(run.log, "unloaded"));
        EXPECT_EQ("0", run.Field("library-held"));
        ExpectGuiThreadServed(run);
    }
}

TEST(EngineRun, NoLibraryReportsTwoLinesAndStartsNothing) {
    HostRun run = RunHost("no-library", "", {});
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_EQ(0u, run.output.find("\nCan't load Ghostscript DLL\n"
                                  "Can't load DLL, LoadLibrary error code 126\n"
                                  "status=1\n"))
        << run.output;
    EXPECT_EQ("none", run.Field("gui-thread"));
    // The caller keeps a copy of what went to standard error.
    EXPECT_EQ("Can't load Ghostscript DLL\\nCan't load DLL, LoadLibrary error code 126\\n",
              run.Field("captured"));
}

TEST(EngineRun, RefusedLibraryReportsTheLoadersMessage) {
    HostRun run = RunHost("old-library", "old", {});
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_EQ(0u, run.output.find("\nCan't load Ghostscript DLL\n"
                                  "Wrong version of DLL found.\n  Found version 863\n"
                                  "  Need version  10000\n\n"
                                  "status=1\n"))
        << run.output;
    EXPECT_EQ((std::vector<std::string>{"revision size=" +
                                            std::to_string(sizeof(void*) == 8 ? 24 : 16),
                                        "unloaded"}),
              run.log);
    EXPECT_EQ("0", run.Field("library-held"));
    EXPECT_EQ("none", run.Field("gui-thread"));
}

// The library stays loaded: nothing after the failed call is undone.
TEST(EngineRun, InstanceCreationFailureKeepsTheLibraryAndStopsThere) {
    HostRun run = RunHost("no-instance", "good", {{"FAKE_GS_NEW_INSTANCE_RESULT", "-1"}});
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_EQ(0u, run.output.find("\nCan't create Ghostscript instance\nstatus=1\n"))
        << run.output;
    EXPECT_EQ("1", run.Field("library-held"));
    EXPECT_EQ("none", run.Field("gui-thread"));
    // Freed only when the process-wide state is destroyed at exit.
    EXPECT_EQ((std::vector<std::string>{"revision size=" +
                                            std::to_string(sizeof(void*) == 8 ? 24 : 16),
                                        "new_instance", "unloaded"}),
              run.log);
}

TEST(EngineRun, StackOverflowInTheEngineEndsTheRunWithStatusOne) {
    HostRun run = RunHost("overflow", "good", {{"FAKE_GS_OVERFLOW", "1"}});
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_EQ(0u, run.output.find("\n*** C stack overflow. Quiting...\nstatus=1\n"))
        << run.output;
    EXPECT_TRUE(run.Logged("overflowing"));
    EXPECT_FALSE(run.Logged("overflow did not happen"));
    EXPECT_FALSE(run.Logged("run_string"));
    EXPECT_FALSE(run.Logged("exit"));  // the engine is not asked to close
    ASSERT_GE(run.log.size(), 2u);
    EXPECT_EQ((std::vector<std::string>{"delete_instance", "unloaded"}),
              std::vector<std::string>(run.log.end() - 2, run.log.end()));
    EXPECT_EQ("0", run.Field("library-held"));
    ExpectGuiThreadServed(run);
}

// Bytes that text mode would change: CR LF pairs, a Ctrl-Z (end of file in
// text mode), a NUL; long enough to take many 7-byte reads.
TEST(EngineRun, StandardStreamsPassThroughUntranslated) {
    const char raw[] = "%!PS\r\nfirst\nsecond\r\n\x1a after ctrl-z\0nul\r";
    std::string input(raw, sizeof raw - 1);
    for (int i = 0; i < 50; ++i) input += "line " + std::to_string(i) + "\n";
    HostRun run = RunHost("stdio", "good", {{"FAKE_GS_ECHO", "1"}}, input);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ(0u, run.output.find("\nfake engine output\n" + input + "fake engine error text\n" +
                                  "status=0\n"));
    EXPECT_TRUE(run.Logged("stdin_fn ended with 0 after " + std::to_string(input.size()) +
                           " bytes"));
    EXPECT_TRUE(run.Logged("stdout_fn returned 19"));
    EXPECT_TRUE(run.Logged("stdout_fn returned " + std::to_string(input.size())));
    EXPECT_TRUE(run.Logged("stderr_fn returned 23"));
    std::string captured;
    for (char c : "fake engine output\n" + input + "fake engine error text\n") {
        captured += c == '\n' ? std::string("\\n") : c == '\0' ? std::string("\\0") : std::string(1, c);
    }
    EXPECT_EQ(captured, run.Field("captured")) << "both streams are kept for the caller";
    ExpectGuiThreadServed(run);
}

// Started without any standard handle: reads fail, writes vanish, but every
// write still reports its full length and the run ends normally.
TEST(EngineRun, RunsWithoutStandardStreams) {
    std::string folder = MakeHostFolder("no-streams", "good");
    std::string logPath = folder + "\\calls.log";
    ScopedEnv noGsDll("GS_DLL", nullptr);
    ScopedEnv log("FAKE_GS_LOG", logPath);
    ScopedEnv echo("FAKE_GS_ECHO", "1");

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;  // all three null
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + folder + "\\engine_probe.exe\" run gs";
    ASSERT_TRUE(::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &process));
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process.hProcess, 60000));
    DWORD exitCode = 99;
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);

    EXPECT_EQ(0u, exitCode);
    std::vector<std::string> lines = ReadLog(logPath);
    EXPECT_EQ(1, CountLines(lines, "stdin_fn ended with -1 after 0 bytes"));
    EXPECT_EQ(1, CountLines(lines, "stdout_fn returned 19"));
    EXPECT_EQ(1, CountLines(lines, "stderr_fn returned 23"));
    EXPECT_EQ(1, CountLines(lines, "unloaded"));
}

}  // namespace
