// Helpers shared by the test programs.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

// This test's own folder (Windows path), made empty at start-up; TMP and TEMP
// point at its "tmp" subfolder.
const std::string& TestDir();

// A fresh empty subfolder of TestDir() with the given name.
std::string MakeEmptyDir(const std::string& name);

// The build tree (Windows path), where the programs under test are found.
std::string BinaryDir();

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
std::vector<std::string> ListFiles(const std::string& folder);

// Result of running a program to its end.
struct ProcessResult {
    unsigned long exitCode = 0;
    std::string output;  // standard output
    bool finished = false;
};

// Starts `commandLine` with the given bytes on standard input and its
// standard output captured; waits up to `timeoutMs`.
ProcessResult RunProcess(const std::string& commandLine, const std::string& input = "",
                         unsigned long timeoutMs = 60000);

}  // namespace testing_support
