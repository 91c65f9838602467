// Helpers for the engine tests: where the fake engines and the host program
// are, folders laid out around them, environment changes and the fakes' logs.
#pragma once

#include <string>
#include <vector>

namespace engine_testing {

// Path of a fake engine variant: "good", "old", "newer", "revision_fails",
// or "no_" + an export name.
std::string FakeEngine(const std::string& variant);

// Path of the host program engine_probe.exe in the build tree.
std::string ProbeProgram();

// A fresh folder holding a copy of the host program and, unless `variant` is
// empty, that fake engine as orvpdf.dll beside it.
std::string MakeHostFolder(const std::string& name, const std::string& variant);

// Copies a file; throws when it cannot.
void CopyTo(const std::string& from, const std::string& to);

// Sets (or, for a null value, removes) an environment variable for this
// process and the programs it starts, and restores the old value when
// destroyed. Goes through the C runtime, because the code under test reads
// the environment with getenv, which does not see SetEnvironmentVariable.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ScopedEnv(const char* name, const std::string& value) : ScopedEnv(name, value.c_str()) {}
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::string old_;
    bool hadValue_;
};

// The lines of a fake engine's log; empty when there is none.
std::vector<std::string> ReadLog(const std::string& path);

// How many lines equal `line`.
int CountLines(const std::vector<std::string>& lines, const std::string& line);

}  // namespace engine_testing
