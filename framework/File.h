// CFile: a binary file on a Win32 handle, byte for byte, no text translation.
// Open reports failure as false; Read and Write throw CFileException, which
// the window callback boundary reports to the user (see ErrorReport.h).
#pragma once

#include "framework/Handles.h"

#include <stdexcept>
#include <string>

namespace fw {

class CFileException : public std::runtime_error {
public:
    CFileException(const std::string& path, DWORD error, const char* action);
    const std::string& Path() const { return m_path; }
    DWORD Error() const { return m_error; }

private:
    std::string m_path;
    DWORD m_error;
};

class CFile {
public:
    enum OpenFlags : unsigned {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeCreate = 0x1000,  // create, or truncate an existing file
    };

    CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    bool Open(const std::string& path, unsigned flags);
    // Reads up to `size` bytes; returns the count, 0 at the end of the file.
    size_t Read(void* buffer, size_t size);
    void Write(const void* data, size_t size);
    void Close();
    bool IsOpen() const { return m_handle.IsValid(); }
    const std::string& Path() const { return m_path; }

private:
    FileHandle m_handle;
    std::string m_path;
};

}  // namespace fw
