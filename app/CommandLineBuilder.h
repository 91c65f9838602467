// CCommandLineBuilder: the ordered engine arguments of one conversion, as
// owned copies, plus the temporary PostScript file that ends the list. The
// one builder of the process deletes that file when it is destroyed at exit.
#pragma once

#include <list>
#include <memory>
#include <string>

class CCommandLineBuilder {
public:
    CCommandLineBuilder() = default;
    virtual ~CCommandLineBuilder();
    CCommandLineBuilder(const CCommandLineBuilder&) = delete;
    CCommandLineBuilder& operator=(const CCommandLineBuilder&) = delete;

    // Appends a private, unchanged copy of `text` (no quoting, no trimming).
    void AddArgument(const std::string& text);
    // Splits `text` by the Windows command-line rules and appends each piece.
    void AddCommandLine(const std::string& text);

    void SetTempFilePath(const std::string& path) { m_tempFilePath = path; }
    std::string GetTempFilePath() const { return m_tempFilePath; }

    int GetCount() const { return static_cast<int>(m_arguments.size()); }
    // Writes the entries' pointers, in order, into `destination`, which has
    // room for GetCount() pointers. They stay owned by the builder.
    void CopyArguments(char** destination) const;

    // Starts the list afresh for another attempt at the same conversion: the
    // arguments are dropped and any temporary file is deleted.
    void Reset();

private:
    std::list<std::unique_ptr<char[]>> m_arguments;
    std::string m_tempFilePath;
};

// The process's builder, created on first use and destroyed at exit.
CCommandLineBuilder& GetCommandLineBuilder();
