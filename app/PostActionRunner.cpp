#include "app/PostActionRunner.h"

#include <mapi.h>
#include <shellapi.h>

#include <cstddef>
#include <utility>

namespace {

ShellExecuteFunction g_shellExecute = &::ShellExecuteA;

// Each text handed to the mail client lives in a buffer of this size: 263
// characters and the terminator.
constexpr std::size_t kMailTextSize = 264;

LPMAPISENDMAIL FindSendMail(HMODULE mapi) {
    // Through the generic function type, so that the calling convention is
    // written once, in LPMAPISENDMAIL.
    const FARPROC entry = ::GetProcAddress(mapi, "MAPISendMail");
    return reinterpret_cast<LPMAPISENDMAIL>(reinterpret_cast<void (*)()>(entry));
}

}  // namespace

ShellExecuteFunction ReplaceShellExecute(ShellExecuteFunction replacement) {
    return std::exchange(g_shellExecute, replacement ? replacement : &::ShellExecuteA);
}

void OpenDocument(const std::string& path) {
    g_shellExecute(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void OpenContainingFolder(const std::string& path) {
    const std::string parameters = "/e,/select,\"" + path + "\"";
    g_shellExecute(nullptr, "open", "explorer.exe", parameters.c_str(), nullptr, SW_SHOWNORMAL);
}

bool SendMailWithAttachment(HWND owner, const std::string& path, const std::string& note) {
    if (path.empty() || !owner || !::IsWindow(owner)) return false;
    // A path or note too long for its buffer is refused, nothing is sent: a
    // cut path would name another file, or none.
    if (path.size() >= kMailTextSize || note.size() >= kMailTextSize) return false;

    // The library stays loaded for the rest of the process: a mail client may
    // keep running code of its own from it after the call has returned.
    const HMODULE mapi = ::LoadLibraryA("MAPI32.DLL");
    if (!mapi) return false;
    const LPMAPISENDMAIL sendMail = FindSendMail(mapi);
    if (!sendMail) return false;

    char pathName[kMailTextSize] = {};
    char fileName[kMailTextSize] = {};
    char subject[kMailTextSize] = {};
    ::lstrcpyA(pathName, path.c_str());
    ::lstrcpyA(fileName, path.c_str());
    ::lstrcpyA(subject, note.c_str());

    // Position -1: the mail client places the attachment. The full path is
    // also the attachment's name.
    MapiFileDesc attachment = {};
    attachment.nPosition = static_cast<ULONG>(-1);
    attachment.lpszPathName = pathName;
    attachment.lpszFileName = fileName;

    MapiMessage message = {};
    message.lpszSubject = subject;
    message.nFileCount = 1;
    message.lpFiles = &attachment;

    const ULONG result = sendMail(0, reinterpret_cast<ULONG_PTR>(owner), &message,
                                  MAPI_LOGON_UI | MAPI_DIALOG, 0);
    // A cancelled compose window and a failed logon count as done.
    return result == SUCCESS_SUCCESS || result == MAPI_USER_ABORT || result == MAPI_E_LOGIN_FAILURE;
}
