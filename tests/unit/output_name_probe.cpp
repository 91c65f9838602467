// Prints the proposed output name of its own command line.
#include "app/JobInput.h"

#include <cstdio>

int main() {
    std::printf("%s\n", GetOutputNameFromCommandLine().c_str());
    return 0;
}
