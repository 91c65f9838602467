#include "EngineTestSupport.h"

#include "TestSupport.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace engine_testing {

namespace {

void PutEnv(const std::string& name, const char* value) {
    // An empty value removes the variable.
    std::string assignment = name + "=" + (value ? value : "");
    _putenv(assignment.c_str());
}

}  // namespace

std::string FakeEngine(const std::string& variant) {
    return testing_support::BinaryDir() + "\\tests\\engine\\fakes\\fake_engine_" + variant +
           ".dll";
}

std::string ProbeProgram() {
    return testing_support::BinaryDir() + "\\tests\\engine\\engine_probe.exe";
}

void CopyTo(const std::string& from, const std::string& to) {
    if (!::CopyFileA(from.c_str(), to.c_str(), FALSE)) {
        throw std::runtime_error("cannot copy " + from + " to " + to);
    }
}

std::string MakeHostFolder(const std::string& name, const std::string& variant) {
    std::string folder = testing_support::MakeEmptyDir(name);
    CopyTo(ProbeProgram(), folder + "\\engine_probe.exe");
    if (!variant.empty()) CopyTo(FakeEngine(variant), folder + "\\orvpdf.dll");
    return folder;
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    hadValue_ = old != nullptr;
    if (old) old_ = old;
    PutEnv(name_, value);
}

ScopedEnv::~ScopedEnv() { PutEnv(name_, hadValue_ ? old_.c_str() : nullptr); }

std::vector<std::string> ReadLog(const std::string& path) {
    std::vector<std::string> lines;
    if (!testing_support::FileExists(path)) return lines;
    std::istringstream text(testing_support::ReadFileBytes(path));
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
}

int CountLines(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

}  // namespace engine_testing
