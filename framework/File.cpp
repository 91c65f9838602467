#include "framework/File.h"

namespace fw {

namespace {

std::string DescribeFileError(const std::string& path, DWORD error, const char* action) {
    std::string text = "An error occurred while ";
    text += action;
    text += " '";
    text += path;
    text += "'.";
    char* system = nullptr;
    DWORD length = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                        FORMAT_MESSAGE_IGNORE_INSERTS,
                                    nullptr, error, 0, reinterpret_cast<LPSTR>(&system), 0, nullptr);
    if (length > 0 && system) {
        text += "\n";
        text.append(system, length);
    }
    if (system) ::LocalFree(system);
    return text;
}

}  // namespace

CFileException::CFileException(const std::string& path, DWORD error, const char* action)
    : std::runtime_error(DescribeFileError(path, error, action)), m_path(path), m_error(error) {}

bool CFile::Open(const std::string& path, unsigned flags) {
    Close();
    const bool write = (flags & modeWrite) != 0;
    const DWORD access = write ? GENERIC_WRITE : GENERIC_READ;
    const DWORD disposition = (flags & modeCreate) ? CREATE_ALWAYS : OPEN_EXISTING;
    HANDLE handle = ::CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    m_handle.Reset(handle);
    m_path = path;
    return true;
}

size_t CFile::Read(void* buffer, size_t size) {
    DWORD read = 0;
    DWORD request = size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(size);
    if (!::ReadFile(m_handle.Get(), buffer, request, &read, nullptr)) {
        throw CFileException(m_path, ::GetLastError(), "reading");
    }
    return read;
}

void CFile::Write(const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        DWORD chunk = size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!::WriteFile(m_handle.Get(), bytes, chunk, &written, nullptr) || written == 0) {
            throw CFileException(m_path, ::GetLastError(), "writing");
        }
        bytes += written;
        size -= written;
    }
}

void CFile::Close() { m_handle.Reset(); }

}  // namespace fw
