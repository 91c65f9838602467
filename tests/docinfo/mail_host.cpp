// Runs SendMailWithAttachment once, as the conversion does, and prints
// "owner=<handle>" and "result=<0 or 1>".
//   mail_host.exe window|null|destroyed <path> <note>
// "window" passes a real (hidden) window, "null" no window, "destroyed" the
// handle of a window that no longer exists. The MAPI32.DLL found is whatever
// lies beside this program.
#include "app/PostActionRunner.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    HWND owner = nullptr;
    if (std::strcmp(argv[1], "null") != 0) {
        owner = ::CreateWindowA("STATIC", "mail owner", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                nullptr, nullptr, nullptr);
        if (!owner) return 3;
        if (std::strcmp(argv[1], "destroyed") == 0) ::DestroyWindow(owner);
    }
    const bool result = SendMailWithAttachment(owner, argv[2], argv[3]);
    std::printf("owner=%llu\nresult=%d\n",
                static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(owner)), result ? 1 : 0);
    return 0;
}
