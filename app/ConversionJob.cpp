#include "app/ConversionJob.h"

#include "app/CommandLineBuilder.h"
#include "app/DocumentInfo.h"
#include "app/JobInput.h"
#include "app/TempFile.h"
#include "engine/EngineRun.h"
#include "engine/ErrorCapture.h"
#include "framework/File.h"
#include "settings/Singleton.h"

#include <windows.h>

#include <limits>
#include <memory>

namespace {

const char* const kStoredSwitchKeys[] = {
    "-dPDFSETTINGS", "-sProcessColorModel", "-dCompressFonts",
    // The security switches, gated by "set password":
    "-sOwnerPassword", "-sUserPassword", "-dPermissions", "-dEncryptionR", "-dKeyLength",
};
const int kFirstSecurityKey = 3;

// When the output file was last written, or zero when there is none.
ULONGLONG LastWriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

bool FileHasData(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
    return data.nFileSizeLow != 0 || data.nFileSizeHigh != 0;
}

}  // namespace

std::vector<std::string> StoredSwitchArguments(const SettingReader& read) {
    std::vector<std::string> arguments;
    const std::string setPassword = read("option", "set password");
    for (int i = 0; i < static_cast<int>(std::size(kStoredSwitchKeys)); ++i) {
        if (i == kFirstSecurityKey && setPassword == "false") break;
        std::string value = read("command", kStoredSwitchKeys[i]);
        if (!value.empty()) arguments.push_back(std::string(kStoredSwitchKeys[i]) + "=" + value);
    }
    return arguments;
}

std::string EscapeOutputPathForEngine(const std::string& path) {
    std::string escaped;
    escaped.reserve(path.size());
    for (char c : path) {
        escaped += c;
        if (c == '%') escaped += '%';
    }
    return escaped;
}

bool SpoolJobInput(unsigned long long* spooledBytes) {
    if (spooledBytes) *spooledBytes = 0;
    std::string path;
    if (!CreateTempFilePath(path)) return false;
    fw::CFile spool;
    if (!spool.Open(path, fw::CFile::modeCreate | fw::CFile::modeWrite)) {
        ::DeleteFileA(path.c_str());
        return false;
    }
    GetCommandLineBuilder().SetTempFilePath(path);

    char buffer[520];
    for (;;) {
        DWORD read = 0;
        // A pipe whose writer has closed fails the read; a file returns 0.
        if (!::ReadFile(JobInputHandle, buffer, sizeof buffer, &read, nullptr) || read == 0) break;
        spool.Write(buffer, read);
        if (spooledBytes) *spooledBytes += read;
    }
    spool.Close();
    return true;
}

void AddStoredSwitches() {
    CIni& ini = CSingleton::GetInstance().Ini();
    auto read = [&ini](const char* section, const char* key) { return ini.GetString(section, key); };
    for (const std::string& argument : StoredSwitchArguments(read)) {
        GetCommandLineBuilder().AddArgument(argument);
    }
}

bool ConvertJob(const std::string& outputPath, EngineOutcome& outcome,
                ConversionObserver* observer) {
    auto phaseEnd = [observer](ConversionPhase phase) {
        if (observer) observer->OnPhaseEnd(phase);
    };
    CCommandLineBuilder& builder = GetCommandLineBuilder();
    // Each attempt starts afresh, so a retry after a failed spool passes
    // nothing twice.
    builder.Reset();
    builder.AddCommandLine("gs -dBATCH -dSAFER -DNOPAUSE -q -sDEVICE=pdfwrite");
    builder.AddArgument("-sOutputFile=" + EscapeOutputPathForEngine(outputPath));
    phaseEnd(ConversionPhase::ArgumentsStarted);

    if (!SpoolJobInput(&outcome.spooledBytes)) return false;
    outcome.emptyJob = outcome.spooledBytes == 0;
    phaseEnd(ConversionPhase::Spooled);
    ScanDscHeader();
    ApplyStoredDocInfo();
    phaseEnd(ConversionPhase::HeaderScanned);
    RewriteDscHeader();
    phaseEnd(ConversionPhase::HeaderRewritten);

    AddStoredSwitches();
    builder.AddCommandLine("-c .setpdfwrite");
    builder.AddArgument("-f");
    builder.AddArgument(builder.GetTempFilePath());
    // Subject, keywords and creation date reach the PDF only through a
    // DOCINFO mark; given after the job, the job's own comments cannot
    // override it.
    std::string docInfoMark = BuildDocInfoPdfmark();
    if (!docInfoMark.empty()) {
        builder.AddArgument("-c");
        builder.AddArgument(docInfoMark);
    }

    const size_t count = static_cast<size_t>(builder.GetCount());
    // On overflow ask for the largest size, so the allocation fails rather
    // than comes out short.
    const size_t bytes = count > std::numeric_limits<size_t>::max() / sizeof(char*)
                             ? std::numeric_limits<size_t>::max()
                             : count * sizeof(char*);
    std::unique_ptr<char*[]> argv(new char*[bytes / sizeof(char*)]);
    builder.CopyArguments(argv.get());
    phaseEnd(ConversionPhase::ArgumentsComplete);

    const ULONGLONG before = LastWriteTime(outputPath);
    EngineErrorCapture capture;
    outcome.status = RunEngine(static_cast<int>(count), argv.get());
    outcome.errorText = capture.Text();
    const ULONGLONG after = LastWriteTime(outputPath);
    outcome.pdfWritten = after != 0 && after != before && FileHasData(outputPath);
    phaseEnd(ConversionPhase::EngineFinished);
    return true;
}

std::string DescribeEngineFailure(const EngineOutcome& outcome, const std::string& outputPath) {
    if (outcome.emptyJob && outcome.status == 0) {
        return "The print job on standard input was empty, so the PDF file has no page:\n" +
               outputPath;
    }
    std::string text = "The PDF file could not be created:\n" + outputPath;
    // Only the end of a long report is shown; it holds the engine's reason.
    const size_t kShown = 1500;
    std::string detail = outcome.errorText;
    if (detail.size() > kShown) detail = "..." + detail.substr(detail.size() - kShown);
    if (!detail.empty()) text += "\n\n" + detail;
    return text;
}
