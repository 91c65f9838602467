// CWexApp: the application object. InitInstance runs the main dialog
// modally and returns FALSE, so the process ends when the dialog closes.
#pragma once

#include "framework/WinApp.h"

class CWexApp : public fw::CWinApp {
public:
    CWexApp() = default;
    ~CWexApp() override = default;

    BOOL InitInstance() override;
};
