// One complete interpretation of an engine argument list, in this process.
#pragma once

// Runs the engine over `argv` (argc entries; the first stands for the
// program name) with the process's standard streams, then unloads it.
// Returns 0 on success or a quit/informational end, 1 when the library or
// an instance could not be had or the engine ended fatally (stack overflow
// included), 255 on any other engine error. Failures are reported only as
// lines on stderr. Blocks for the whole interpretation; made to be called
// once per process.
int RunEngine(int argc, char** argv);
