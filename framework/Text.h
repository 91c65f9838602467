// ANSI text helpers. Text is held in the system's ANSI code page; UTF-16 is
// used only where a platform call demands it.
#pragma once

#include <string>
#include <vector>

namespace fw {

// Converts ANSI text (CP_ACP) to UTF-16.
std::wstring AnsiToWide(const std::string& text);

// Converts UTF-16 text to ANSI (CP_ACP). Returns false when the ANSI form,
// with its terminator, needs more than `capacity` bytes; `out` is then left
// empty and nothing past `capacity` bytes is ever written or read.
bool WideToAnsiLimited(const std::wstring& text, size_t capacity, std::string& out);

// Splits text by the Windows command-line rules (CommandLineToArgvW): the
// first token follows the rules for a program path, later tokens are
// separated by blanks or tabs, double quotes group and are removed,
// backslashes escape a following quote. Each token is converted back to ANSI
// through a 260-byte buffer; a token whose ANSI form does not fit is skipped
// (left out of the result), never cut.
std::vector<std::string> SplitCommandLine(const std::string& text);

// Position of the last backslash of `text`, or npos. Multibyte-aware: a trail
// byte of a double-byte character is never taken for a backslash.
size_t FindLastBackslash(const std::string& text);

// `text` up to, not including, its last backslash; empty when it has none.
std::string FolderOf(const std::string& text);

bool EndsWith(const std::string& text, const std::string& suffix);

// Copies at most `maxBytes` bytes of `text`, never splitting a double-byte
// character: a lead byte whose trail byte would not fit is left out.
std::string CopyMultibytePrefix(const std::string& text, size_t maxBytes);

}  // namespace fw
