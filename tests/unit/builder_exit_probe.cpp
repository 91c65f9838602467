// Gives the process-wide builder a temporary file, prints its path and ends;
// "fail" ends with a non-zero status, as after a failed conversion.
#include "app/CommandLineBuilder.h"
#include "app/TempFile.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    std::string path;
    if (!CreateTempFilePath(path)) return 2;
    GetCommandLineBuilder().AddCommandLine("gs -q");
    GetCommandLineBuilder().SetTempFilePath(path);
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);
    return argc > 1 && std::strcmp(argv[1], "fail") == 0 ? 3 : 0;
}
