// The engine's standard streams: the process's own standard input, output
// and error, passed through byte for byte.
#pragma once

#include <windows.h>

// Puts standard output and error, and standard input unless it is a
// terminal, into untranslated mode, so that no newline or end-of-file byte
// of a job or of the engine's output is converted.
void SetEngineStreamModes();

// Reads up to `length` bytes from file descriptor 0 without buffering;
// returns the count, 0 at end of input, -1 on error.
int WINAPI EngineStdin(void* callerHandle, char* buffer, int length);

// Write `length` bytes to stdout or stderr and flush. The result is always
// `length`: a failed write (for instance, no stream at all) is not reported.
// A negative length writes nothing.
int WINAPI EngineStdout(void* callerHandle, const char* text, int length);
int WINAPI EngineStderr(void* callerHandle, const char* text, int length);

// Writes a line of the host's own to stderr and flushes it. Redirected to a
// file, stderr is fully buffered by the C runtime; unflushed, the host's
// lines would trail behind later output on stdout.
void ReportHostError(const char* text);
