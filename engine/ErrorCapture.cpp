#include "engine/ErrorCapture.h"

namespace {
// The engine calls back on the thread that runs it; captures nest on it.
thread_local EngineErrorCapture* t_capture = nullptr;
}  // namespace

EngineErrorCapture::EngineErrorCapture() : m_previous(t_capture) { t_capture = this; }

EngineErrorCapture::~EngineErrorCapture() { t_capture = m_previous; }

void CaptureEngineError(const char* text, size_t length) {
    EngineErrorCapture* capture = t_capture;
    if (!capture || length == 0) return;
    std::string& kept = capture->m_text;
    kept.append(text, length);
    if (kept.size() > EngineErrorCapture::kKeptBytes) {
        kept.erase(0, kept.size() - EngineErrorCapture::kKeptBytes);
    }
}
