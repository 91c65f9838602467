#include "engine/ConsoleIo.h"

#include "engine/ErrorCapture.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>

namespace {

int WriteAndFlush(std::FILE* stream, const char* text, int length) {
    if (length > 0) std::fwrite(text, 1, static_cast<size_t>(length), stream);
    std::fflush(stream);
    return length;
}

}  // namespace

void SetEngineStreamModes() {
    if (!_isatty(_fileno(stdin))) _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

int WINAPI EngineStdin(void*, char* buffer, int length) {
    if (length < 0) return -1;
    return _read(0, buffer, static_cast<unsigned>(length));
}

int WINAPI EngineStdout(void*, const char* text, int length) {
    // The engine reports its errors on standard output too (with -q nothing
    // else is written there), so both streams are kept for the caller.
    if (length > 0) CaptureEngineError(text, static_cast<size_t>(length));
    return WriteAndFlush(stdout, text, length);
}

int WINAPI EngineStderr(void*, const char* text, int length) {
    if (length > 0) CaptureEngineError(text, static_cast<size_t>(length));
    return WriteAndFlush(stderr, text, length);
}

void ReportHostError(const char* text) {
    CaptureEngineError(text, std::strlen(text));
    std::fputs(text, stderr);
    std::fflush(stderr);
}
