// The conversion job: everything "Start Create PDF" does between reading the
// "Save as:" text and closing the dialog.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Reads one value of setting.ini (section, key); empty when not set.
using SettingReader = std::function<std::string(const char* section, const char* key)>;

// The stored engine switches, in their fixed order, each as one "key=value"
// argument. The five security switches are left out only when "option"/"set
// password" is exactly "false"; empty values are always left out.
std::vector<std::string> StoredSwitchArguments(const SettingReader& read);

// The engine reads '%' in an output file name as a page-number format; "%%"
// stands for a literal '%'.
std::string EscapeOutputPathForEngine(const std::string& path);

// Copies the job from standard input (JobInputHandle) into a new temporary
// file recorded in the builder, counting the bytes into `spooledBytes` when
// given. False when no temporary file could be made or opened; a write
// failure throws fw::CFileException.
bool SpoolJobInput(unsigned long long* spooledBytes = nullptr);

// Appends the stored switches to the builder.
void AddStoredSwitches();

// The steps of a conversion, in order, as reported to an observer.
enum class ConversionPhase { ArgumentsStarted, Spooled, HeaderScanned, HeaderRewritten,
                             ArgumentsComplete, EngineFinished };

// Told as each step of ConvertJob ends; used to time them.
class ConversionObserver {
public:
    virtual ~ConversionObserver() = default;
    virtual void OnPhaseEnd(ConversionPhase phase) = 0;
};

// What became of one engine run.
struct EngineOutcome {
    int status = 0;           // RunEngine's exit status
    bool pdfWritten = false;  // the output file exists and was written by this run
    std::string errorText;    // what the engine host reported on standard error
    bool emptyJob = false;    // standard input delivered nothing: the PDF has no page
    unsigned long long spooledBytes = 0;
    bool Succeeded() const { return status == 0 && pdfWritten && !emptyJob; }
};

// Builds the whole argument list for `outputPath` and runs the engine once.
// Returns false, with nothing run, when the job could not be spooled; file
// errors while the job's copies are written throw fw::CFileException.
bool ConvertJob(const std::string& outputPath, EngineOutcome& outcome,
                ConversionObserver* observer = nullptr);

// The text shown to the user when the engine failed or wrote no PDF.
std::string DescribeEngineFailure(const EngineOutcome& outcome, const std::string& outputPath);
