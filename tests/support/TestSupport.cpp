#include "TestSupport.h"

#include "framework/Handles.h"

#include <windows.h>

#include <cstdlib>
#include <stdexcept>

namespace testing_support {

namespace {

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = folder + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(path.c_str());
            }
        } while (::FindNextFileA(find, &entry));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(folder.c_str());
}

std::string Environment(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

}  // namespace

const std::string& TestDir() {
    static const std::string dir = [] {
        std::string folder = Environment("ORV_TEST_DIR", "C:\\orv-test");
        RemoveTree(folder);
        ::CreateDirectoryA(folder.c_str(), nullptr);
        std::string tmp = folder + "\\tmp";
        ::CreateDirectoryA(tmp.c_str(), nullptr);
        ::SetEnvironmentVariableA("TMP", tmp.c_str());
        ::SetEnvironmentVariableA("TEMP", tmp.c_str());
        return folder;
    }();
    return dir;
}

std::string MakeEmptyDir(const std::string& name) {
    std::string folder = TestDir() + "\\" + name;
    RemoveTree(folder);
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

std::string BinaryDir() { return Environment("ORV_BIN_DIR", "."); }

std::string ReadFileBytes(const std::string& path) {
    fw::FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    if (!file) throw std::runtime_error("cannot open " + path);
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    fw::FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                      nullptr));
    if (!file) throw std::runtime_error("cannot create " + path);
    DWORD written = 0;
    if (!bytes.empty() &&
        !::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
        throw std::runtime_error("cannot write " + path);
    }
}

bool FileExists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> ListFiles(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(entry.cFileName);
    } while (::FindNextFileA(find, &entry));
    ::FindClose(find);
    return names;
}

ProcessResult RunProcess(const std::string& commandLine, const std::string& input,
                         unsigned long timeoutMs) {
    ProcessResult result;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};

    std::string inputPath = TestDir() + "\\tmp\\stdin.bin";
    WriteFileBytes(inputPath, input);
    fw::FileHandle in(::CreateFileA(inputPath.c_str(), GENERIC_READ, FILE_SHARE_READ, &inherit,
                                    OPEN_EXISTING, 0, nullptr));
    std::string outputPath = TestDir() + "\\tmp\\stdout.bin";
    fw::FileHandle out(::CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                     CREATE_ALWAYS, 0, nullptr));
    if (!in || !out) throw std::runtime_error("cannot prepare standard streams");

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.Get();
    startup.hStdOutput = out.Get();
    startup.hStdError = out.Get();
    PROCESS_INFORMATION process = {};
    std::string mutableLine = commandLine;
    if (!::CreateProcessA(nullptr, &mutableLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &process)) {
        throw std::runtime_error("cannot start " + commandLine);
    }
    fw::KernelHandle processHandle(process.hProcess);
    fw::KernelHandle threadHandle(process.hThread);
    in.Reset();
    out.Reset();
    if (::WaitForSingleObject(processHandle.Get(), timeoutMs) == WAIT_OBJECT_0) {
        result.finished = true;
        ::GetExitCodeProcess(processHandle.Get(), &result.exitCode);
    } else {
        ::TerminateProcess(processHandle.Get(), 99);
    }
    result.output = ReadFileBytes(outputPath);
    return result;
}

}  // namespace testing_support
