// The actions after a PDF has been created: open it, show it selected in
// Explorer, or hand it to the mail client as an attachment. Each is fire and
// forget; nothing here shows a message.
#pragma once

#include <windows.h>

#include <string>

// The shell's "open" on the path, with no owner window.
void OpenDocument(const std::string& path);
// Explorer with the path selected: explorer.exe /e,/select,"<path>".
void OpenContainingFolder(const std::string& path);

// Starts the mail client's compose window (Simple MAPI, MAPI32.DLL) with the
// path as the one attachment and `note` as the subject, owned by `owner`.
// True when the client accepted, the user cancelled, or the logon failed;
// false for an empty path, an owner that is no window, a path or note longer
// than 263 characters, a missing MAPI32.DLL or MAPISendMail, or any other
// result of the call.
bool SendMailWithAttachment(HWND owner, const std::string& path, const std::string& note);

// The shell call behind OpenDocument and OpenContainingFolder: ShellExecuteA
// unless replaced, so that tests can see the exact values passed. Returns the
// function in use before; a null replacement restores ShellExecuteA.
using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
ShellExecuteFunction ReplaceShellExecute(ShellExecuteFunction replacement);
