// Runs one shell action with the real shell call and ends.
//   shell_host.exe open|folder <path>
#include "app/PostActionRunner.h"

#include <cstring>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    if (std::strcmp(argv[1], "open") == 0) {
        OpenDocument(argv[2]);
    } else if (std::strcmp(argv[1], "folder") == 0) {
        OpenContainingFolder(argv[2]);
    } else {
        return 2;
    }
    return 0;
}
