#include "app/WexApp.h"

#include "app/WexDlg.h"

#include <commctrl.h>

// The single application object, constructed before start-up.
CWexApp theApp;

BOOL CWexApp::InitInstance() {
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);

    SetRegistryKey("Local AppWizard-Generated Applications");

    CWexDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
