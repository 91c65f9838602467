// CIni: reads setting.ini through the Windows private-profile functions, so
// the file stays exactly what those functions read and write. There is no
// write operation: writers call WritePrivateProfileStringA with Path().
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class CIni {
public:
    CIni() = default;
    virtual ~CIni() = default;
    CIni(const CIni&) = delete;
    CIni& operator=(const CIni&) = delete;

    // The value of section/key, whole whatever its length; the empty text
    // when section or key is null, the key is not set, or the file is missing.
    std::unique_ptr<char[]> ReadValue(const char* section, const char* key) const;
    std::string GetString(const char* section, const char* key) const;
    // "command"/"-dPermissions" as a number (strtoul rules); 0 when not set.
    std::uint32_t GetPermissions() const;

    void SetPath(const std::string& path) { m_path = path; }
    // Null until a folder is set.
    const char* Path() const { return m_path.empty() ? nullptr : m_path.c_str(); }

private:
    std::string m_path;
};

// Parses the text stored for "-dPermissions": at most 64 bytes of it, strtoul
// rules in base 10 (leading blanks skipped, parsing stops at the first
// character that is not a digit); 0 for an empty text.
std::uint32_t ParsePermissions(const std::string& stored);
