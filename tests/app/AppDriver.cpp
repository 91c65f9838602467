// Drives the application as a user would, through window messages, and
// writes what it saw to a report file. The end-to-end tests run it under Wine
// and check the report, the PDF and the settings file from outside.
//
//   app_driver --app EXE [--cmdline TEXT] [--stdin file:PATH|pipe:PATH|none]
//              [--env NAME=VALUE]... [--set-text ID=TEXT]... [--click ID]...
//              [--start|--exit|--escape|--close] [--timeout SECONDS]
//              [--output PATH] [--retry-after-box FOLDER] --report PATH
//
// --retry-after-box: after the first message box is answered, FOLDER is made
// and "Start Create PDF" is pressed once more (a retry after a failure).
//
// Message boxes the application shows are recorded and answered with their
// default button, so a run never hangs on one.
#include "framework/Handles.h"
#include "framework/Wnd.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

const char kDialogTitle[] = "Freeware ORV PDF Creator 4.0";

struct Options {
    std::string app;
    std::string commandLine;
    std::string stdinMode = "none";
    std::string stdinPath;
    std::vector<std::pair<std::string, std::string>> environment;
    std::vector<std::pair<int, std::string>> texts;
    std::vector<int> clicks;
    std::string finish;  // start, exit, escape, close, or empty
    int timeoutSeconds = 120;
    std::string outputPath;
    std::string reportPath;
    std::string retryFolder;
};

[[noreturn]] void Fail(const std::string& text) {
    std::fprintf(stderr, "app_driver: %s\n", text.c_str());
    std::exit(2);
}

Options ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) Fail("missing value after " + name);
            return argv[++i];
        };
        if (name == "--app") options.app = value();
        else if (name == "--cmdline") options.commandLine = value();
        else if (name == "--stdin") {
            std::string spec = value();
            size_t colon = spec.find(':');
            options.stdinMode = spec.substr(0, colon);
            if (colon != std::string::npos) options.stdinPath = spec.substr(colon + 1);
        } else if (name == "--env") {
            std::string spec = value();
            size_t eq = spec.find('=');
            if (eq == std::string::npos) Fail("--env needs NAME=VALUE");
            options.environment.emplace_back(spec.substr(0, eq), spec.substr(eq + 1));
        } else if (name == "--set-text") {
            std::string spec = value();
            size_t eq = spec.find('=');
            if (eq == std::string::npos) Fail("--set-text needs ID=TEXT");
            options.texts.emplace_back(std::atoi(spec.substr(0, eq).c_str()), spec.substr(eq + 1));
        } else if (name == "--click") options.clicks.push_back(std::atoi(value().c_str()));
        else if (name == "--start" || name == "--exit" || name == "--escape" || name == "--close")
            options.finish = name.substr(2);
        else if (name == "--timeout") options.timeoutSeconds = std::atoi(value().c_str());
        else if (name == "--output") options.outputPath = value();
        else if (name == "--report") options.reportPath = value();
        else if (name == "--retry-after-box") options.retryFolder = value();
        else Fail("unknown option " + name);
    }
    if (options.app.empty() || options.reportPath.empty()) Fail("--app and --report are needed");
    return options;
}

class Report {
public:
    explicit Report(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {
        if (!file_) Fail("cannot write " + path);
    }
    ~Report() { std::fclose(file_); }
    void Line(const std::string& key, const std::string& value) {
        // Keep every record on one line: line ends inside values are escaped.
        std::string flat;
        for (char c : value) {
            if (c == '\n') flat += "\\n";
            else if (c != '\r') flat += c;
        }
        std::fprintf(file_, "%s=%s\n", key.c_str(), flat.c_str());
        std::fflush(file_);
    }

private:
    std::FILE* file_;
};

struct FindContext {
    DWORD processId;
    std::string title;  // empty: any title
    std::string exceptTitle;
    HWND found;
};

BOOL CALLBACK FindTopWindow(HWND hwnd, LPARAM lParam) {
    auto* context = reinterpret_cast<FindContext*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    if (owner != context->processId || !::IsWindowVisible(hwnd)) return TRUE;
    char className[64] = {};
    ::GetClassNameA(hwnd, className, sizeof className);
    if (std::string(className) != "#32770") return TRUE;
    std::string title = fw::ReadWindowText(hwnd);
    if (!context->title.empty() && title != context->title) return TRUE;
    if (!context->exceptTitle.empty() && title == context->exceptTitle) return TRUE;
    context->found = hwnd;
    return FALSE;
}

// WM_GETTEXT rather than GetWindowText: the latter does not ask a control of
// another process for its text.
std::string ControlText(HWND control) {
    LRESULT length = ::SendMessageA(control, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    ::SendMessageA(control, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return std::string(buffer.data());
}

HWND FindDialog(DWORD processId, const std::string& title, const std::string& exceptTitle) {
    FindContext context{processId, title, exceptTitle, nullptr};
    ::EnumWindows(FindTopWindow, reinterpret_cast<LPARAM>(&context));
    return context.found;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM lParam) {
    char className[32] = {};
    ::GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") == 0) {
        std::string text = ControlText(child);
        if (!text.empty()) {
            auto* all = reinterpret_cast<std::string*>(lParam);
            if (!all->empty()) *all += " ";
            *all += text;
        }
    }
    return TRUE;
}

std::string MessageBoxText(HWND box) {
    std::string text;
    ::EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&text));
    return text;
}

void PressStart(HWND dialog) {
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
}

// Feeds a file into the application's standard input through a pipe.
void FeedPipe(HANDLE writeEnd, std::string path) {
    fw::FileHandle pipe(writeEnd);
    fw::FileHandle source(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    if (!source) return;
    char buffer[65536];
    DWORD read = 0;
    while (::ReadFile(source.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
        DWORD written = 0;
        if (!::WriteFile(pipe.Get(), buffer, read, &written, nullptr)) return;
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options options = ParseOptions(argc, argv);
    Report report(options.reportPath);

    for (const auto& variable : options.environment) {
        ::SetEnvironmentVariableA(variable.first.c_str(), variable.second.c_str());
    }

    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    fw::FileHandle input;
    HANDLE pipeWriteEnd = nullptr;
    if (options.stdinMode == "file") {
        input.Reset(::CreateFileA(options.stdinPath.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                  &inherit, OPEN_EXISTING, 0, nullptr));
        if (!input) Fail("cannot open " + options.stdinPath);
    } else if (options.stdinMode == "pipe") {
        HANDLE readEnd = nullptr;
        if (!::CreatePipe(&readEnd, &pipeWriteEnd, &inherit, 0)) Fail("cannot make a pipe");
        ::SetHandleInformation(pipeWriteEnd, HANDLE_FLAG_INHERIT, 0);
        input.Reset(readEnd);
    }
    fw::FileHandle output;
    if (!options.outputPath.empty()) {
        output.Reset(::CreateFileA(options.outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                   &inherit, CREATE_ALWAYS, 0, nullptr));
    }

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input ? input.Get() : nullptr;
    startup.hStdOutput = output ? output.Get() : nullptr;
    startup.hStdError = output ? output.Get() : nullptr;
    std::string commandLine = "\"" + options.app + "\"";
    if (!options.commandLine.empty()) commandLine += " " + options.commandLine;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA(options.app.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                          nullptr, &startup, &process)) {
        Fail("cannot start " + options.app);
    }
    fw::KernelHandle processHandle(process.hProcess);
    fw::KernelHandle threadHandle(process.hThread);
    input.Reset();
    output.Reset();
    std::thread feeder;
    if (pipeWriteEnd) feeder = std::thread(FeedPipe, pipeWriteEnd, options.stdinPath);

    const DWORD deadline = ::GetTickCount() + static_cast<DWORD>(options.timeoutSeconds) * 1000;
    HWND dialog = nullptr;
    while (!dialog && static_cast<LONG>(deadline - ::GetTickCount()) > 0) {
        if (::WaitForSingleObject(processHandle.Get(), 100) == WAIT_OBJECT_0) break;
        dialog = FindDialog(process.dwProcessId, kDialogTitle, "");
    }
    if (dialog) {
        fw::CWnd view(dialog);
        report.Line("dialog", "found");
        report.Line("save_as", ControlText(view.GetDlgItem(1005)));
        report.Line("checked", std::to_string(view.GetCheckedRadioButton(1001, 1004)));
        for (const auto& text : options.texts) {
            ::SendMessageA(view.GetDlgItem(text.first), WM_SETTEXT, 0,
                           reinterpret_cast<LPARAM>(text.second.c_str()));
        }
        for (int id : options.clicks) ::SendMessageA(view.GetDlgItem(id), BM_CLICK, 0, 0);
        report.Line("checked_after_clicks",
                    std::to_string(view.GetCheckedRadioButton(1001, 1004)));
        view.Detach();

        if (options.finish == "start") {
            PressStart(dialog);
        } else if (options.finish == "exit") {
            ::PostMessageA(::GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        } else if (options.finish == "escape") {
            HWND focus = ::GetDlgItem(dialog, 1005);
            ::PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            ::PostMessageA(focus, WM_KEYUP, VK_ESCAPE, 0xC0010001);
        } else if (options.finish == "close") {
            ::PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
    } else {
        report.Line("dialog", "missing");
    }

    // Wait for the end, answering any message box on the way.
    bool finished = false;
    while (static_cast<LONG>(deadline - ::GetTickCount()) > 0) {
        if (::WaitForSingleObject(processHandle.Get(), 100) == WAIT_OBJECT_0) {
            finished = true;
            break;
        }
        if (options.finish.empty()) continue;
        if (HWND box = FindDialog(process.dwProcessId, "", kDialogTitle)) {
            report.Line("messagebox", fw::ReadWindowText(box) + "|" + MessageBoxText(box));
            if (dialog) report.Line("save_as_at_box", ControlText(::GetDlgItem(dialog, 1005)));
            ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            ::Sleep(300);
            if (FindDialog(process.dwProcessId, fw::ReadWindowText(box), kDialogTitle) == box) {
                ::PostMessageA(box, WM_CLOSE, 0, 0);
                ::Sleep(300);
            }
            if (!options.retryFolder.empty() && dialog) {
                ::CreateDirectoryA(options.retryFolder.c_str(), nullptr);
                options.retryFolder.clear();
                report.Line("retried", "1");
                PressStart(dialog);
            }
        }
    }
    if (!finished) {
        ::TerminateProcess(processHandle.Get(), 99);
        ::WaitForSingleObject(processHandle.Get(), 5000);
    }
    if (feeder.joinable()) feeder.join();
    DWORD exitCode = 0;
    ::GetExitCodeProcess(processHandle.Get(), &exitCode);
    report.Line("finished", finished ? "1" : "0");
    report.Line("exit_code", std::to_string(exitCode));
    return 0;
}
