// Keeps a copy of what the engine and its host write to standard output and
// error while a capture is alive, so the caller can show the reason for a
// failure. The text still goes to the process's streams as before.
#pragma once

#include <string>

class EngineErrorCapture {
public:
    EngineErrorCapture();
    ~EngineErrorCapture();
    EngineErrorCapture(const EngineErrorCapture&) = delete;
    EngineErrorCapture& operator=(const EngineErrorCapture&) = delete;

    // What was written since the capture began; of a very long report only
    // the last kKeptBytes bytes are kept, since the reason comes last.
    const std::string& Text() const { return m_text; }

    static constexpr size_t kKeptBytes = 64 * 1024;

private:
    friend void CaptureEngineError(const char* text, size_t length);
    std::string m_text;
    EngineErrorCapture* m_previous;
};

// Appends to the innermost live capture, if any.
void CaptureEngineError(const char* text, size_t length);
