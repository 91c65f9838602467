// Stands in for a program that the shell starts (Explorer, a PDF viewer):
// appends its own command line and a line end to the file named by
// ORV_SHELL_RECORD, then ends.
#include <windows.h>

int main() {
    char path[MAX_PATH] = {};  // a longer name reads as empty: nothing is recorded
    DWORD length = ::GetEnvironmentVariableA("ORV_SHELL_RECORD", path, sizeof path);
    if (length == 0 || length >= sizeof path) return 2;
    HANDLE file = ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 3;
    const char* line = ::GetCommandLineA();
    DWORD written = 0;
    ::WriteFile(file, line, static_cast<DWORD>(::lstrlenA(line)), &written, nullptr);
    ::WriteFile(file, "\r\n", 2, &written, nullptr);
    ::CloseHandle(file);
    return 0;
}
