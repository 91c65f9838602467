// The actions after creation: the exact shell calls, one real run of each
// shell action, and the mail hand-over through stand-in MAPI32.DLLs.
#include "TestSupport.h"
#include "app/PostActionRunner.h"
#include "framework/Handles.h"

#include <windows.h>

#include <tlhelp32.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace {

using testing_support::BinaryDir;
using testing_support::FileExists;
using testing_support::MakeEmptyDir;
using testing_support::ReadFileBytes;
using testing_support::RunProcess;
using testing_support::TestDir;
using testing_support::WriteFileBytes;

const char kNote[] = "Please see attachment for more infomation!";

std::string TextOrNull(const char* text) { return text ? "\"" + std::string(text) + "\"" : "null"; }

// ---- The shell calls, seen through the replaceable ShellExecuteA ----

std::vector<std::string> g_shellCalls;

HINSTANCE WINAPI RecordShellCall(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                 LPCSTR directory, INT show) {
    g_shellCalls.push_back((owner ? "owner " : "no owner ") + TextOrNull(verb) + " " +
                           TextOrNull(file) + " " + TextOrNull(parameters) + " " +
                           TextOrNull(directory) + " show " + std::to_string(show));
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

TEST(ShellActions, PassExactlyTheDesignedValues) {
    const std::string longPath = "C:\\" + std::string(400, 'l') + ".pdf";
    const std::string normal = " show " + std::to_string(SW_SHOWNORMAL);
    struct ShellCase {
        void (*action)(const std::string&);
        std::string path;
        std::string expected;
    };
    const ShellCase cases[] = {
        {&OpenDocument, "C:\\My Files\\a.pdf",
         "no owner \"open\" \"C:\\My Files\\a.pdf\" null null" + normal},
        {&OpenContainingFolder, "C:\\My Files\\a.pdf",
         "no owner \"open\" \"explorer.exe\" \"/e,/select,\"C:\\My Files\\a.pdf\"\" null" + normal},
        {&OpenContainingFolder, "C:\\a.pdf",
         "no owner \"open\" \"explorer.exe\" \"/e,/select,\"C:\\a.pdf\"\" null" + normal},
        // No buffer in between: a long path arrives whole.
        {&OpenDocument, longPath, "no owner \"open\" \"" + longPath + "\" null null" + normal},
        {&OpenContainingFolder, longPath,
         "no owner \"open\" \"explorer.exe\" \"/e,/select,\"" + longPath + "\"\" null" + normal},
    };
    const ShellExecuteFunction previous = ReplaceShellExecute(&RecordShellCall);
    for (const ShellCase& c : cases) {
        g_shellCalls.clear();
        c.action(c.path);
        EXPECT_EQ(std::vector<std::string>{c.expected}, g_shellCalls);
    }
    EXPECT_EQ(&RecordShellCall, ReplaceShellExecute(previous));
}

// ---- One real run of each shell action ----

std::string Environment(const char* name) {
    char value[2048] = {};  // longer values are not used by these tests
    DWORD length = ::GetEnvironmentVariableA(name, value, sizeof value);
    return length < sizeof value ? std::string(value, length) : std::string();
}

// Sets environment variables for the programs that a test starts, and puts
// the old values back afterwards.
class ScopedEnvironment {
public:
    void Set(const char* name, const std::string& value) {
        m_saved.push_back({name, Environment(name)});
        ::SetEnvironmentVariableA(name, value.c_str());
    }
    ~ScopedEnvironment() {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            ::SetEnvironmentVariableA(it->first.c_str(),
                                      it->second.empty() ? nullptr : it->second.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::string>> m_saved;
};

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string CopyProgram(const std::string& builtPath, const std::string& folder,
                        const std::string& name) {
    const std::string target = folder + "\\" + name;
    if (!::CopyFileA(builtPath.c_str(), target.c_str(), FALSE)) {
        throw std::runtime_error("cannot copy " + builtPath);
    }
    return target;
}

std::string Built(const std::string& name) { return BinaryDir() + "\\tests\\docinfo\\" + name; }

bool WaitForFile(const std::string& path, DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs && !FileExists(path); waited += 100) ::Sleep(100);
    return FileExists(path);
}

// Removes a registry key with all below it when the test ends.
class ScopedRegistryTree {
public:
    ScopedRegistryTree(HKEY root, std::string subkey) : m_root(root), m_subkey(std::move(subkey)) {}
    ~ScopedRegistryTree() { ::RegDeleteTreeA(m_root, m_subkey.c_str()); }
    ScopedRegistryTree(const ScopedRegistryTree&) = delete;
    ScopedRegistryTree& operator=(const ScopedRegistryTree&) = delete;

private:
    HKEY m_root;
    std::string m_subkey;
};

// The shell starts the program registered for a file type: a stand-in that
// records its command line takes the place of a PDF viewer.
TEST(ShellActions, OpenDocumentStartsTheRegisteredProgramForRealFile) {
    const std::string folder = MakeEmptyDir("My Files");
    const std::string document = folder + "\\report.orvtestdoc";
    WriteFileBytes(document, "%PDF-1.4\n");
    const std::string host = CopyProgram(Built("shell_host.exe"), folder, "shell_host.exe");
    const std::string viewer = CopyProgram(Built("command_recorder.exe"), folder, "viewer.exe");
    const std::string record = TestDir() + "\\open-record.txt";

    const std::string command = Quoted(viewer) + " \"%1\"";
    const ScopedRegistryTree fileType(HKEY_CLASSES_ROOT, ".orvtestdoc");
    const ScopedRegistryTree program(HKEY_CLASSES_ROOT, "OrvTestDocument");
    ASSERT_EQ(ERROR_SUCCESS,
              ::RegSetValueA(HKEY_CLASSES_ROOT, ".orvtestdoc", REG_SZ, "OrvTestDocument", 0));
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueA(HKEY_CLASSES_ROOT, "OrvTestDocument\\shell\\open\\command",
                                            REG_SZ, command.c_str(), 0));
    ScopedEnvironment environment;
    environment.Set("ORV_SHELL_RECORD", record);

    auto result = RunProcess(Quoted(host) + " open " + Quoted(document), "", 60000);
    EXPECT_TRUE(result.finished);
    EXPECT_EQ(0u, result.exitCode) << result.output;
    EXPECT_TRUE(WaitForFile(record, 30000));
    if (FileExists(record)) {
        EXPECT_NE(std::string::npos, ReadFileBytes(record).find(Quoted(document)))
            << ReadFileBytes(record);
    }
}

std::set<DWORD> ExplorerProcesses() {
    std::set<DWORD> ids;
    fw::KernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.Get() == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot.Get(), &entry); more;
         more = ::Process32Next(snapshot.Get(), &entry)) {
        if (::lstrcmpiA(entry.szExeFile, "explorer.exe") == 0) ids.insert(entry.th32ProcessID);
    }
    return ids;
}

// The command line of another process of the same word size, read from its
// process parameters; empty when it cannot be read.
std::string CommandLineOf(HANDLE process) {
    using Query = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic = {};
    PEB peb = {};
    RTL_USER_PROCESS_PARAMETERS parameters = {};
    if (!query ||
        query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0 ||
        !::ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof peb, nullptr) ||
        !::ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof parameters,
                             nullptr)) {
        return std::string();
    }
    std::wstring wide(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
    if (wide.empty() || !::ReadProcessMemory(process, parameters.CommandLine.Buffer, &wide[0],
                                             wide.size() * sizeof(wchar_t), nullptr)) {
        return std::string();
    }
    std::string narrow(wide.size() * 2, '\0');
    const int size = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                           &narrow[0], static_cast<int>(narrow.size()), nullptr,
                                           nullptr);
    narrow.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
    return narrow;
}

bool SameWordSize(HANDLE process) {
    BOOL mine = FALSE;
    BOOL theirs = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &mine) && ::IsWow64Process(process, &theirs) &&
           mine == theirs;
}

// The real Explorer starts with the file selected. Its window would stay, so
// the test ends the process that the action started, by its id.
TEST(ShellActions, OpenContainingFolderStartsExplorerForRealFile) {
    // The desktop's own Explorer process is running before the count starts.
    ::DestroyWindow(::CreateWindowA("STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
    const std::string folder = MakeEmptyDir("Open Folder");
    const std::string document = folder + "\\a b.pdf";
    WriteFileBytes(document, "%PDF-1.4\n");
    const std::string host = CopyProgram(Built("shell_host.exe"), folder, "shell_host.exe");
    const std::set<DWORD> before = ExplorerProcesses();

    auto result = RunProcess(Quoted(host) + " folder " + Quoted(document), "", 60000);
    EXPECT_TRUE(result.finished);
    EXPECT_EQ(0u, result.exitCode) << result.output;

    // Any new Explorer process is the one the action started; where its
    // command line can be read (same word size as this test), it must carry
    // the parameters.
    std::vector<std::string> started;
    for (DWORD waited = 0; started.empty() && waited < 30000; waited += 200) {
        ::Sleep(200);
        for (DWORD id : ExplorerProcesses()) {
            if (before.count(id)) continue;
            fw::KernelHandle process(::OpenProcess(
                PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE,
                id));
            if (!process) continue;
            started.push_back(SameWordSize(process.Get()) ? CommandLineOf(process.Get())
                                                          : "(not readable)");
            ::TerminateProcess(process.Get(), 0);
            ::WaitForSingleObject(process.Get(), 10000);
        }
    }
    ASSERT_EQ(1u, started.size());
    if (started[0] != "(not readable)") {
        EXPECT_NE(std::string::npos, started[0].find("/e,/select,\"" + document + "\""))
            << started[0];
    }
}

// ---- Mail, through a stand-in MAPI32.DLL beside a host program ----

// Wine prefers its own mapi32 to a MAPI32.DLL beside the program; its load
// order for one program is set in the prefix's registry ("native,builtin"
// takes the stand-in, "" disables the library). On Windows the key has no
// effect.
std::unique_ptr<ScopedRegistryTree> MapiLoadOrder(const std::string& program,
                                                  const std::string& order) {
    const std::string key = "Software\\Wine\\AppDefaults\\" + program;
    const std::string overrides = key + "\\DllOverrides";
    fw::RegKey handle;
    HKEY created = nullptr;
    if (::RegCreateKeyA(HKEY_CURRENT_USER, overrides.c_str(), &created) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot create " + overrides);
    }
    handle.Reset(created);
    ::RegSetValueExA(handle.Get(), "mapi32", 0, REG_SZ, reinterpret_cast<const BYTE*>(order.c_str()),
                     static_cast<DWORD>(order.size() + 1));
    return std::make_unique<ScopedRegistryTree>(HKEY_CURRENT_USER, key);
}

struct MailRun {
    bool finished = false;
    std::string owner;
    std::string result;
    bool called = false;
    std::string record;
};

std::string ValueAfter(const std::string& output, const std::string& name) {
    const std::size_t at = output.find(name + "=");
    if (at == std::string::npos) return std::string();
    const std::size_t start = at + name.size() + 1;
    return output.substr(start, output.find_first_of("\r\n", start) - start);
}

// A folder holding mail_host.exe under `host` and, unless `library` is
// empty, that built MAPI32.DLL under that name.
std::string MailFolder(const std::string& name, const std::string& library,
                       const std::string& host) {
    const std::string folder = MakeEmptyDir(name);
    CopyProgram(Built("mail_host.exe"), folder, host);
    if (!library.empty()) CopyProgram(Built(library + "\\MAPI32.DLL"), folder, "MAPI32.DLL");
    return folder;
}

// Runs the host once; the stand-in returns `returned`.
MailRun RunMail(const std::string& host, const std::string& ownerMode, const std::string& path,
                const std::string& note, const std::string& returned = "0") {
    const std::string record = TestDir() + "\\mail-record.txt";
    ::DeleteFileA(record.c_str());
    ScopedEnvironment environment;
    environment.Set("ORV_FAKE_MAPI_RECORD", record);
    environment.Set("ORV_FAKE_MAPI_RESULT", returned);

    const std::string command =
        Quoted(host) + " " + ownerMode + " " + Quoted(path) + " " + Quoted(note);
    auto process = RunProcess(command, "", 60000);
    MailRun run;
    run.finished = process.finished && process.exitCode == 0;
    run.owner = ValueAfter(process.output, "owner");
    run.result = ValueAfter(process.output, "result");
    run.called = FileExists(record);
    if (run.called) run.record = ReadFileBytes(record);
    return run;
}

std::string ExpectedRecord(const std::string& owner, const std::string& subject,
                           const std::string& path) {
    return "session=0\nuiParam=" + owner +
           "\nflags=9\nreserved=0\nmessage.reserved=0\nsubject=\"" + subject +
           "\"\nnoteText=null\nmessageType=null\ndateReceived=null\nconversationId=null\n"
           "message.flags=0\noriginator=null\nrecipCount=0\nrecips=null\nfileCount=1\n"
           "file.reserved=0\nfile.flags=0\nfile.position=4294967295\nfile.pathName=\"" +
           path + "\"\nfile.fileName=\"" + path + "\"\nfile.fileType=null\n";
}

class Mail : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_loadOrder = MapiLoadOrder("mail_host.exe", "native,builtin");
        s_host = MailFolder("mail-fake", "fake-mapi", "mail_host.exe") + "\\mail_host.exe";
    }
    static void TearDownTestSuite() { s_loadOrder.reset(); }

    static std::unique_ptr<ScopedRegistryTree> s_loadOrder;
    static std::string s_host;
};
std::unique_ptr<ScopedRegistryTree> Mail::s_loadOrder;
std::string Mail::s_host;

TEST_F(Mail, HandsTheFileToTheMailClientAsOneAttachment) {
    const MailRun run = RunMail(s_host, "window", "C:\\My Files\\a.pdf", kNote);
    ASSERT_TRUE(run.finished);
    ASSERT_TRUE(run.called);
    EXPECT_NE("0", run.owner);
    EXPECT_EQ(ExpectedRecord(run.owner, kNote, "C:\\My Files\\a.pdf"), run.record);
    EXPECT_EQ("1", run.result);
}

TEST_F(Mail, CancelAndFailedLogonCountAsSuccess) {
    const std::pair<const char*, const char*> cases[] = {
        {"0", "1"}, {"1", "1"}, {"3", "1"}, {"2", "0"}, {"26", "0"}, {"4294967295", "0"}};
    for (const auto& c : cases) {
        const MailRun run = RunMail(s_host, "window", "C:\\a.pdf", kNote, c.first);
        EXPECT_TRUE(run.called) << c.first;
        EXPECT_EQ(c.second, run.result) << "MAPISendMail returned " << c.first;
    }
}

// Texts of 263 characters fill a buffer exactly and are sent whole; one
// character more, and nothing is sent.
TEST_F(Mail, TextsUpTo263CharactersAreSentWholeLongerOnesAreRefused) {
    const std::string path263 = "C:\\" + std::string(256, 'p') + ".pdf";
    const std::string note263(263, 'n');
    ASSERT_EQ(263u, path263.size());

    MailRun run = RunMail(s_host, "window", path263, note263);
    EXPECT_EQ("1", run.result);
    EXPECT_EQ(ExpectedRecord(run.owner, note263, path263), run.record);

    for (const auto& texts : {std::make_pair(path263 + "x", std::string(kNote)),
                              std::make_pair(std::string("C:\\a.pdf"), note263 + "x")}) {
        run = RunMail(s_host, "window", texts.first, texts.second);
        EXPECT_TRUE(run.finished);
        EXPECT_EQ("0", run.result) << texts.first.size() << " " << texts.second.size();
        EXPECT_FALSE(run.called);
    }
}

TEST_F(Mail, NoWindowOrNoPathSendsNothing) {
    const std::pair<const char*, const char*> cases[] = {
        {"null", "C:\\a.pdf"}, {"destroyed", "C:\\a.pdf"}, {"window", ""}};
    for (const auto& c : cases) {
        const MailRun run = RunMail(s_host, c.first, c.second, kNote);
        EXPECT_TRUE(run.finished) << c.first;
        EXPECT_EQ("0", run.result) << c.first << " " << c.second;
        EXPECT_FALSE(run.called) << c.first;
    }
}

TEST_F(Mail, MissingEntryPointSendsNothing) {
    const std::string host =
        MailFolder("mail-without-send", "fake-mapi-without-send", "mail_host.exe") +
        "\\mail_host.exe";
    const MailRun run = RunMail(host, "window", "C:\\a.pdf", kNote);
    EXPECT_TRUE(run.finished);
    EXPECT_EQ("0", run.result);
}

TEST(MailSystem, MissingLibrarySendsNothing) {
    const auto disabled = MapiLoadOrder("mail_host_without_mapi.exe", "");
    const std::string host = MailFolder("mail-none", "", "mail_host_without_mapi.exe") +
                             "\\mail_host_without_mapi.exe";
    const MailRun run = RunMail(host, "window", "C:\\a.pdf", kNote);
    EXPECT_TRUE(run.finished);
    EXPECT_EQ("0", run.result);
}

}  // namespace
