#include "app/JobInput.h"

#include "framework/Text.h"

HANDLE JobInputHandle = nullptr;

void CaptureJobInput() {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    ::GetStartupInfoA(&startup);
    HANDLE handle = startup.hStdInput;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        handle = ::GetStdHandle(STD_INPUT_HANDLE);
    }
    JobInputHandle = handle;
}

std::string OutputNameFromArguments(const std::vector<std::string>& arguments) {
    static const char kPrefix[] = "-sOutputFile=";
    const size_t prefixLength = sizeof kPrefix - 1;
    for (const std::string& argument : arguments) {
        if (argument.compare(0, prefixLength, kPrefix) == 0) {
            std::string name = argument.substr(prefixLength);
            return name.empty() ? "out.pdf" : name;
        }
    }
    return "out.pdf";
}

std::string GetOutputNameFromCommandLine() {
    // Arguments whose ANSI form does not fit the 260-byte conversion buffer
    // are skipped by the splitter: such a name could not be a usable path.
    return OutputNameFromArguments(fw::SplitCommandLine(::GetCommandLineA()));
}
