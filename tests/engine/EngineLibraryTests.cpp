// Finding, checking and releasing the engine library. This program's own
// folder holds no orvpdf.dll, so in-process loads always go past the first
// attempt; the cases about the file beside the executable run the host
// program from a folder that has one.
#include "EngineTestSupport.h"
#include "TestSupport.h"
#include "engine/EngineLibrary.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using engine_testing::CopyTo;
using engine_testing::CountLines;
using engine_testing::FakeEngine;
using engine_testing::MakeHostFolder;
using engine_testing::ProbeProgram;
using engine_testing::ReadLog;
using engine_testing::ScopedEnv;
using testing_support::MakeEmptyDir;
using testing_support::RunProcess;

std::string ModulePath(HMODULE module) {
    char path[1024] = {};
    ::GetModuleFileNameA(module, path, sizeof path - 1);
    return path;
}

bool AllEntryPointsSet(const EngineLibrary& l) {
    return l.revision && l.new_instance && l.delete_instance && l.set_stdio && l.set_poll &&
           l.set_display_callback && l.init_with_args && l.run_string && l.exit &&
           l.set_visual_tracer;
}

bool NothingHeld(const EngineLibrary& l) {
    return !l.module && !l.revision && !l.new_instance && !l.delete_instance && !l.set_stdio &&
           !l.set_poll && !l.set_display_callback && !l.init_with_args && !l.run_string &&
           !l.exit && !l.set_visual_tracer;
}

// Every in-process case starts without GS_DLL and without a folder of its own
// on the search path, and with a fresh log.
class EngineLibraryTest : public testing::Test {
protected:
    void SetUp() override {
        folder_ = MakeEmptyDir(testing::UnitTest::GetInstance()->current_test_info()->name());
        log_ = folder_ + "\\calls.log";
    }

    std::string folder_;
    std::string log_;
    ScopedEnv noGsDll_{"GS_DLL", nullptr};
};

TEST_F(EngineLibraryTest, GsDllNamesTheLibraryWhenNoneIsBesideTheExecutable) {
    ScopedEnv logging("FAKE_GS_LOG", log_);
    std::string path = folder_ + "\\engine-copy.dll";
    CopyTo(FakeEngine("good"), path);
    ScopedEnv gsDll("GS_DLL", path);

    EngineLibrary library;
    char message[kEngineMessageSize] = {};
    ASSERT_EQ(0, LoadEngineLibrary(library, message));
    EXPECT_EQ(0, lstrcmpiA(path.c_str(), ModulePath(library.module.Get()).c_str()));
    EXPECT_TRUE(AllEntryPointsSet(library));
    EXPECT_STREQ("", message);
    // The record is handed over with the size of the engine's revision record.
    EXPECT_EQ(1, CountLines(ReadLog(log_), "revision size=" +
                                              std::to_string(sizeof(void*) == 8 ? 24 : 16)));

    // A second load finds the library held and checks nothing again.
    HMODULE held = library.module.Get();
    EXPECT_EQ(0, LoadEngineLibrary(library, message));
    EXPECT_EQ(held, library.module.Get());
    EXPECT_EQ(1, static_cast<int>(ReadLog(log_).size()));

    UnloadEngineLibrary(library);
    EXPECT_TRUE(NothingHeld(library));
    EXPECT_EQ(nullptr, ::GetModuleHandleA(path.c_str()));
    UnloadEngineLibrary(library);
    EXPECT_TRUE(NothingHeld(library));
    EXPECT_EQ(1, CountLines(ReadLog(log_), "unloaded"));
}

TEST_F(EngineLibraryTest, BareNameIsSearchedWhenGsDllIsMissingUnusableOrTooLong) {
    CopyTo(FakeEngine("good"), folder_ + "\\orvpdf.dll");
    std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    ScopedEnv searchPath("PATH", folder_ + ";" + path);
    std::string expected = folder_ + "\\orvpdf.dll";

    // A value of 1024 characters does not fit the 1024-character buffer with
    // its terminator and is ignored; so is a value naming no file.
    for (const std::string& gsDll :
         {std::string(), folder_ + "\\missing.dll", "C:\\" + std::string(1021, 'x')}) {
        SCOPED_TRACE(gsDll.substr(0, 40));
        ScopedEnv variable("GS_DLL", gsDll.empty() ? nullptr : gsDll.c_str());
        EngineLibrary library;
        char message[kEngineMessageSize] = {};
        ASSERT_EQ(0, LoadEngineLibrary(library, message)) << message;
        EXPECT_EQ(0, lstrcmpiA(expected.c_str(), ModulePath(library.module.Get()).c_str()));
        UnloadEngineLibrary(library);
    }
}

TEST_F(EngineLibraryTest, NoLibraryAnywhereGivesTheSystemErrorCode) {
    ScopedEnv gsDll("GS_DLL", folder_ + "\\missing.dll");
    EngineLibrary library;
    char message[kEngineMessageSize] = {};
    EXPECT_EQ(1, LoadEngineLibrary(library, message));
    EXPECT_STREQ("Can't load DLL, LoadLibrary error code 126", message);
    EXPECT_TRUE(NothingHeld(library));
}

// A library that loads but is refused: the message names the reason, and the
// file is freed again.
TEST_F(EngineLibraryTest, RefusedLibrariesAreFreedWithTheirReason) {
    struct Case {
        const char* variant;
        const char* message;
    };
    const Case cases[] = {
        {"old", "Wrong version of DLL found.\n  Found version 863\n  Need version  10000\n"},
        {"newer", "Wrong version of DLL found.\n  Found version 10001\n  Need version  10000\n"},
        {"revision_fails",
         "Unable to identify Ghostscript DLL revision - it must be newer than needed.\n"},
        {"no_gsapi_revision", "Can't find gsapi_revision\n"},
        {"no_gsapi_new_instance", "Can't find gsapi_new_instance\n"},
        {"no_gsapi_delete_instance", "Can't find gsapi_delete_instance\n"},
        {"no_gsapi_set_stdio", "Can't find gsapi_set_stdio\n"},
        {"no_gsapi_set_poll", "Can't find gsapi_set_poll\n"},
        {"no_gsapi_set_display_callback", "Can't find gsapi_set_display_callback\n"},
        {"no_gsapi_init_with_args", "Can't find gsapi_init_with_args\n"},
        {"no_gsapi_run_string", "Can't find gsapi_run_string\n"},
        {"no_gsapi_exit", "Can't find gsapi_exit\n"},
        {"no_gsapi_set_visual_tracer", "Can't find gsapi_set_visual_tracer\n"},
    };
    ScopedEnv logging("FAKE_GS_LOG", log_);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.variant);
        ::DeleteFileA(log_.c_str());
        std::string path = FakeEngine(c.variant);
        ScopedEnv gsDll("GS_DLL", path);
        EngineLibrary library;
        char message[kEngineMessageSize] = {};
        EXPECT_EQ(1, LoadEngineLibrary(library, message));
        EXPECT_STREQ(c.message, message);
        EXPECT_TRUE(NothingHeld(library));
        EXPECT_EQ(nullptr, ::GetModuleHandleA(path.c_str()));
        EXPECT_EQ(1, CountLines(ReadLog(log_), "unloaded"));
    }
}

TEST(ReadGsDllVariable, CopiesOnlyWhatFitsWithItsTerminator) {
    struct Case {
        const char* value;  // null: not set
        int capacity;
        int result;
        int size;
        const char* dest;  // expected contents afterwards
    };
    const Case cases[] = {
        {"C:\\e\\orvpdf.dll", 64, 0, 16, "C:\\e\\orvpdf.dll"},
        {"abc", 4, 0, 4, "abc"},          // exactly fits
        {"abcd", 4, -1, 5, "untouched"},  // one short
        {nullptr, 64, 1, 1, ""},
        {nullptr, 0, 1, 1, "untouched"},  // no room even for the empty text
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(not set)");
        ScopedEnv variable("GS_DLL", c.value);
        char dest[64] = "untouched";
        int size = c.capacity;
        EXPECT_EQ(c.result, ReadGsDllVariable(dest, &size));
        EXPECT_EQ(c.size, size);
        EXPECT_STREQ(c.dest, dest);
    }
}

TEST(ReadGsDllVariable, BoundaryOfTheLoadersBuffer) {
    char dest[1024];
    for (int length : {1023, 1024}) {
        std::string value(static_cast<size_t>(length), 'v');
        ScopedEnv variable("GS_DLL", value);
        int size = sizeof dest;
        std::memset(dest, 0, sizeof dest);
        int result = ReadGsDllVariable(dest, &size);
        EXPECT_EQ(length + 1, size);
        if (length == 1023) {
            EXPECT_EQ(0, result);
            EXPECT_EQ(value, std::string(dest));
        } else {
            EXPECT_EQ(-1, result);
            EXPECT_EQ(0, dest[0]);
        }
    }
}

// The host program run from a folder with its own orvpdf.dll.
struct ProbeLoad {
    std::string output;
    std::string Field(const std::string& name) const {
        size_t start = output.find(name + "=");
        if (start == std::string::npos) return "(missing)";
        start += name.size() + 1;
        return output.substr(start, output.find('\n', start) - start);
    }
};

ProbeLoad LoadFromFolder(const std::string& folder) {
    auto result = RunProcess("\"" + folder + "\\engine_probe.exe\" load");
    EXPECT_TRUE(result.finished);
    return ProbeLoad{result.output};
}

TEST(EngineLibraryBesideExecutable, WinsOverGsDll) {
    std::string folder = MakeHostFolder("beside-good", "good");
    ScopedEnv gsDll("GS_DLL", FakeEngine("good"));
    ProbeLoad load = LoadFromFolder(folder);
    EXPECT_EQ("0", load.Field("result"));
    EXPECT_EQ("[]", load.Field("message"));
    EXPECT_EQ(0, lstrcmpiA((folder + "\\orvpdf.dll").c_str(), load.Field("module").c_str()));
}

// Only the first file that loads is checked: a refused one beside the
// executable is not followed by GS_DLL's good one.
TEST(EngineLibraryBesideExecutable, RefusedEvenWhenGsDllNamesAGoodOne) {
    std::string folder = MakeHostFolder("beside-old", "old");
    ScopedEnv gsDll("GS_DLL", FakeEngine("good"));
    ProbeLoad load = LoadFromFolder(folder);
    EXPECT_EQ("1", load.Field("result"));
    EXPECT_NE(std::string::npos,
              load.output.find("message=[Wrong version of DLL found.\n  Found version 863\n"
                               "  Need version  10000\n]"))
        << load.output;
    EXPECT_EQ("none", load.Field("module"));
}

TEST(EngineLibraryBesideExecutable, ProgramFolderWithoutLibraryFallsBackToGsDll) {
    std::string folder = MakeHostFolder("beside-none", "");
    ScopedEnv gsDll("GS_DLL", FakeEngine("good"));
    ProbeLoad load = LoadFromFolder(folder);
    EXPECT_EQ("0", load.Field("result"));
    EXPECT_EQ(0, lstrcmpiA(FakeEngine("good").c_str(), load.Field("module").c_str()));
}

}  // namespace
