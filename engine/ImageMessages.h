// Thread messages that the display callbacks post to the GUI thread, each
// with an image record in lParam. The GUI thread hands them to
// HandleImageMessage instead of dispatching them.
#pragma once

#include <windows.h>

constexpr UINT kMsgImageOpen = WM_USER + 101;
constexpr UINT kMsgImageClose = WM_USER + 102;
constexpr UINT kMsgImageSize = WM_USER + 103;
constexpr UINT kMsgImageSync = WM_USER + 104;
constexpr UINT kMsgImagePage = WM_USER + 105;
constexpr UINT kMsgImageUpdate = WM_USER + 106;

inline bool IsImageMessage(UINT message) {
    return message >= kMsgImageOpen && message <= kMsgImageUpdate;
}

// Receives an image message on the GUI thread.
using ImageMessageHandler = void (*)(UINT message, void* image);

// Installs the handler that owns the image windows; null removes it. Install
// it before the GUI thread starts.
void SetImageMessageHandler(ImageMessageHandler handler);

// Called by the GUI thread for every image message. Without a handler the
// message is consumed and nothing happens.
void HandleImageMessage(UINT message, void* image);
