#include "engine/ImageMessages.h"

#include <atomic>

namespace {

// Set on one thread, read on the GUI thread.
std::atomic<ImageMessageHandler> g_handler{nullptr};

}  // namespace

void SetImageMessageHandler(ImageMessageHandler handler) { g_handler = handler; }

void HandleImageMessage(UINT message, void* image) {
    if (ImageMessageHandler handler = g_handler) handler(message, image);
}
