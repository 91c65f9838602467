#include "framework/Text.h"

#include "framework/Handles.h"

#include <windows.h>
#include <shellapi.h>

namespace fw {

std::wstring AnsiToWide(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length = static_cast<int>(text.size());
    int wideLength = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (wideLength <= 0) return std::wstring();
    // Zero-filled, one wider than the text, so the result is always terminated.
    std::wstring wide(static_cast<size_t>(wideLength) + 1, L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, &wide[0], wideLength);
    wide.resize(static_cast<size_t>(wideLength));
    return wide;
}

bool WideToAnsiLimited(const std::wstring& text, size_t capacity, std::string& out) {
    out.clear();
    if (capacity == 0) return false;
    std::vector<char> buffer(capacity, '\0');
    // With -1 the terminator is converted too; the call fails instead of
    // writing past the buffer when the text needs more room.
    int written = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, buffer.data(),
                                        static_cast<int>(capacity), nullptr, nullptr);
    if (written <= 0) return false;
    out.assign(buffer.data());
    return true;
}

std::vector<std::string> SplitCommandLine(const std::string& text) {
    std::vector<std::string> tokens;
    std::wstring wide = AnsiToWide(text);
    int count = 0;
    LocalMemory argv(reinterpret_cast<HLOCAL>(::CommandLineToArgvW(wide.c_str(), &count)));
    if (!argv) return tokens;
    auto* args = static_cast<LPWSTR*>(argv.Get());
    for (int i = 0; i < count; ++i) {
        std::string token;
        if (WideToAnsiLimited(args[i], MAX_PATH, token)) tokens.push_back(token);
    }
    return tokens;
}

size_t FindLastBackslash(const std::string& text) {
    size_t found = std::string::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        if (::IsDBCSLeadByte(static_cast<BYTE>(text[i])) && i + 1 < text.size()) {
            ++i;  // skip the trail byte
            continue;
        }
        if (text[i] == '\\') found = i;
    }
    return found;
}

std::string FolderOf(const std::string& text) {
    size_t pos = FindLastBackslash(text);
    return pos == std::string::npos ? std::string() : text.substr(0, pos);
}

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string CopyMultibytePrefix(const std::string& text, size_t maxBytes) {
    size_t end = 0;
    while (end < text.size()) {
        size_t width = ::IsDBCSLeadByte(static_cast<BYTE>(text[end])) ? 2 : 1;
        if (end + width > maxBytes || end + width > text.size()) break;
        end += width;
    }
    return text.substr(0, end);
}

}  // namespace fw
