#include "settings/Ini.h"

#include "framework/Text.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

std::unique_ptr<char[]> EmptyText() {
    std::unique_ptr<char[]> text(new char[1]);
    text[0] = '\0';
    return text;
}

}  // namespace

std::unique_ptr<char[]> CIni::ReadValue(const char* section, const char* key) const {
    // Without a path the private-profile functions would read win.ini.
    if (!section || !key || !Path()) return EmptyText();
    DWORD size = 512;
    for (;;) {
        std::unique_ptr<char[]> buffer(new char[size + 1]);
        buffer[0] = '\0';
        DWORD length = ::GetPrivateProfileStringA(section, key, "", buffer.get(), size, Path());
        // A result of size - 1 means the value may have been cut: read again
        // with a larger buffer until it fits.
        if (length + 1 < size) return buffer;
        size += 512;
    }
}

std::string CIni::GetString(const char* section, const char* key) const {
    return std::string(ReadValue(section, key).get());
}

std::uint32_t CIni::GetPermissions() const {
    return ParsePermissions(GetString("command", "-dPermissions"));
}

std::uint32_t ParsePermissions(const std::string& stored) {
    char buffer[65] = {};
    std::string prefix = fw::CopyMultibytePrefix(stored, 64);
    std::memcpy(buffer, prefix.data(), prefix.size());
    if (buffer[0] == '\0') return 0;
    return static_cast<std::uint32_t>(std::strtoul(buffer, nullptr, 10));
}
