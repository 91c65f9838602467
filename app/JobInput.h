// The print job arrives on the process's standard input.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The standard-input handle that carries the job; null until captured.
extern HANDLE JobInputHandle;

// Stores the standard-input handle of the start-up information in
// JobInputHandle. Where the start-up information carries no usable handle,
// the process's standard input handle is taken instead.
void CaptureJobInput();

// The proposed PDF name: the text after the first argument that begins with
// "-sOutputFile=" (exact case), or "out.pdf" when there is none or it is empty.
std::string GetOutputNameFromCommandLine();

// The rule above applied to arguments already split (first is the program).
std::string OutputNameFromArguments(const std::vector<std::string>& arguments);
