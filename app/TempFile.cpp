#include "app/TempFile.h"

#include <windows.h>

bool CreateTempFilePath(std::string& path) {
    char folder[520] = {};
    DWORD length = ::GetTempPathA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder) return false;

    // GetTempFileNameA writes at most MAX_PATH characters.
    char name[MAX_PATH] = {};
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (::GetTempFileNameA(folder, "~orv", 0, name) != 0) {
            path = name;
            return true;
        }
    }
    return false;
}
