// CWinApp: the single application object. The framework's entry point calls
// InitInstance; when it returns FALSE the process ends without a message loop.
#pragma once

#include "framework/Wnd.h"

#include <string>

namespace fw {

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();

    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return FALSE; }
    // Message loop for applications whose InitInstance returns TRUE.
    virtual int Run();

    // Names the registry key under which framework-kept settings would live.
    void SetRegistryKey(const char* name) { m_registryKey = name ? name : ""; }
    const std::string& RegistryKey() const { return m_registryKey; }

    CWnd* m_pMainWnd = nullptr;

private:
    std::string m_registryKey;
};

// The application object, or null before it is constructed.
CWinApp* AfxGetApp();

}  // namespace fw
