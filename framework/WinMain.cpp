// The process entry point of an application built on this framework.
#include "framework/WinApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    fw::CWinApp* app = fw::AfxGetApp();
    if (!app) return 1;
    if (!app->InitInstance()) return 0;
    return app->Run();
}
