#include "app/CommandLineBuilder.h"

#include "framework/Text.h"

#include <windows.h>

#include <cstring>

CCommandLineBuilder::~CCommandLineBuilder() {
    // An empty or already deleted path simply fails, silently.
    if (!m_tempFilePath.empty()) ::DeleteFileA(m_tempFilePath.c_str());
}

void CCommandLineBuilder::AddArgument(const std::string& text) {
    std::unique_ptr<char[]> copy(new char[text.size() + 1]);
    std::memcpy(copy.get(), text.c_str(), text.size() + 1);
    m_arguments.push_back(std::move(copy));
}

void CCommandLineBuilder::AddCommandLine(const std::string& text) {
    for (const std::string& token : fw::SplitCommandLine(text)) AddArgument(token);
}

void CCommandLineBuilder::CopyArguments(char** destination) const {
    for (const auto& argument : m_arguments) *destination++ = argument.get();
}

void CCommandLineBuilder::Reset() {
    m_arguments.clear();
    if (!m_tempFilePath.empty()) ::DeleteFileA(m_tempFilePath.c_str());
    m_tempFilePath.clear();
}

CCommandLineBuilder& GetCommandLineBuilder() {
    static CCommandLineBuilder builder;
    return builder;
}
