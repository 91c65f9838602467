// Times the phases of one conversion: ConvertJob itself, with an observer
// that takes the performance counter at the end of each step.
//
//   bench_convert OUTPUT.pdf < job.ps     convert; the job comes on standard input
//   bench_convert --noop                  only start and report (Wine start-up cost)
//
// setting.ini and orvpdf.dll are looked for beside this program, as the
// application does. Results go to standard output as "key=value" lines:
//   setup_s    builder reset, fixed arguments
//   spool_s    SpoolJobInput: standard input into the temporary file
//   scan_s     ScanDscHeader and ApplyStoredDocInfo
//   rewrite_s  RewriteDscHeader: the rewritten copy of the job
//   args_s     stored switches, DOCINFO mark, argument vector
//   engine_s   RunEngine: load, interpret, unload
//   main_s     from entering main to the engine's return
//   engine_cpu_s  processor time (user + kernel) of the process during RunEngine
//   argument   one line for each engine argument, in order
//   peak_ws_front_bytes  peak working set after the front end, before the engine
//   peak_ws_bytes        peak working set of the whole run
//   peak_commit_bytes    peak private commit (pagefile usage) of the whole run
#include "app/CommandLineBuilder.h"
#include "app/ConversionJob.h"
#include "app/JobInput.h"
#include "framework/Text.h"
#include "settings/Singleton.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

class Stopwatch {
public:
    Stopwatch() {
        ::QueryPerformanceFrequency(&frequency_);
        ::QueryPerformanceCounter(&start_);
        last_ = start_;
    }
    // Seconds since the previous lap (or the start).
    double Lap() {
        LARGE_INTEGER now;
        ::QueryPerformanceCounter(&now);
        double seconds = Seconds(last_, now);
        last_ = now;
        return seconds;
    }
    double Total() const {
        LARGE_INTEGER now;
        ::QueryPerformanceCounter(&now);
        return Seconds(start_, now);
    }

private:
    double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) const {
        return static_cast<double>(to.QuadPart - from.QuadPart) /
               static_cast<double>(frequency_.QuadPart);
    }
    LARGE_INTEGER frequency_, start_, last_;
};

PROCESS_MEMORY_COUNTERS MemoryCounters() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

// User plus kernel time of the process so far.
double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
    auto seconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

void Line(const char* key, double seconds) { std::printf("%s=%.6f\n", key, seconds); }
void Line(const char* key, unsigned long long value) { std::printf("%s=%llu\n", key, value); }

// Laps the stopwatch at the end of each step; before the engine it also
// notes the process's memory and processor time.
class PhaseTimer : public ConversionObserver {
public:
    explicit PhaseTimer(Stopwatch& clock) : clock_(clock) {}

    void OnPhaseEnd(ConversionPhase phase) override {
        seconds_[static_cast<int>(phase)] = clock_.Lap();
        if (phase == ConversionPhase::ArgumentsComplete) {
            front = MemoryCounters();
            cpuBeforeEngine_ = ProcessCpuSeconds();
        } else if (phase == ConversionPhase::EngineFinished) {
            engineCpu = ProcessCpuSeconds() - cpuBeforeEngine_;
        }
    }
    double Seconds(ConversionPhase phase) const { return seconds_[static_cast<int>(phase)]; }

    PROCESS_MEMORY_COUNTERS front = {};
    double engineCpu = 0;

private:
    Stopwatch& clock_;
    double seconds_[6] = {};
    double cpuBeforeEngine_ = 0;
};

std::string ExecutableFolder() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH - 1);
    return fw::FolderOf(path);
}

}  // namespace

int main(int argc, char** argv) {
    Stopwatch clock;
    if (argc == 2 && std::strcmp(argv[1], "--noop") == 0) {
        Line("main_s", clock.Total());
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_convert OUTPUT.pdf < job.ps | bench_convert --noop\n");
        return 2;
    }
    const std::string outputPath = argv[1];

    // What the dialog does at start-up.
    CaptureJobInput();
    CSingleton::GetInstance().SetFolder(ExecutableFolder());

    PhaseTimer timer(clock);
    EngineOutcome outcome;
    if (!ConvertJob(outputPath, outcome, &timer)) {
        std::fprintf(stderr, "bench_convert: cannot make the spool file\n");
        return 1;
    }
    const double total = clock.Total();
    const PROCESS_MEMORY_COUNTERS all = MemoryCounters();
    const int status = outcome.status;
    const std::string& errorText = outcome.errorText;
    std::vector<char*> arguments(static_cast<size_t>(GetCommandLineBuilder().GetCount()));
    GetCommandLineBuilder().CopyArguments(arguments.data());
    const double setup = timer.Seconds(ConversionPhase::ArgumentsStarted);
    const double spool = timer.Seconds(ConversionPhase::Spooled);
    const double scan = timer.Seconds(ConversionPhase::HeaderScanned);
    const double rewrite = timer.Seconds(ConversionPhase::HeaderRewritten);
    const double args = timer.Seconds(ConversionPhase::ArgumentsComplete);
    const double engine = timer.Seconds(ConversionPhase::EngineFinished);
    const double engineCpu = timer.engineCpu;
    const PROCESS_MEMORY_COUNTERS& front = timer.front;
    const unsigned long long spooledBytes = outcome.spooledBytes;

    for (const char* argument : arguments) std::printf("argument=%s\n", argument);
    Line("spooled_bytes", spooledBytes);
    Line("engine_status", static_cast<unsigned long long>(status));
    Line("setup_s", setup);
    Line("spool_s", spool);
    Line("scan_s", scan);
    Line("rewrite_s", rewrite);
    Line("args_s", args);
    Line("engine_s", engine);
    Line("main_s", total);
    Line("engine_cpu_s", engineCpu);
    Line("peak_ws_front_bytes", static_cast<unsigned long long>(front.PeakWorkingSetSize));
    Line("peak_ws_bytes", static_cast<unsigned long long>(all.PeakWorkingSetSize));
    Line("peak_commit_bytes", static_cast<unsigned long long>(all.PeakPagefileUsage));
    std::fflush(stdout);
    if (status != 0) {
        std::fprintf(stderr, "bench_convert: engine status %d\n%s\n", status, errorText.c_str());
        return 1;
    }
    return 0;
}
