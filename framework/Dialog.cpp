#include "framework/Dialog.h"

#include "framework/ErrorReport.h"

namespace fw {

namespace {

// Messages whose dialog-procedure return value is itself the result, rather
// than a TRUE/FALSE with the result in DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}

}  // namespace

HINSTANCE ResourceInstance() { return ::GetModuleHandleA(nullptr); }

CDialog::~CDialog() {
    if (m_hWnd && !m_modal) {
        ::SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
        ::DestroyWindow(m_hWnd);
    }
    m_hWnd = nullptr;
}

INT_PTR CDialog::DoModal() {
    m_modal = true;
    HWND owner = m_parent ? m_parent->m_hWnd : nullptr;
    INT_PTR result = ::DialogBoxParamA(ResourceInstance(), MAKEINTRESOURCEA(m_templateId), owner,
                                       &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return result;
}

bool CDialog::Create(CWnd* parent) {
    m_modal = false;
    m_parent = parent;
    HWND hwnd = ::CreateDialogParamA(ResourceInstance(), MAKEINTRESOURCEA(m_templateId),
                                     parent ? parent->m_hWnd : nullptr, &CDialog::DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr;
}

bool CDialog::UpdateData(bool saveAndValidate) {
    DataExchange dx{*this, saveAndValidate};
    DoDataExchange(dx);
    return true;
}

void CDialog::EndDialog(int result) {
    if (m_modal) ::EndDialog(m_hWnd, result);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK() {
    UpdateData(true);
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::DoDataExchange(DataExchange&) {}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog();

    LRESULT result = 0;
    bool handled = OnMessage(message, wParam, lParam, result);
    if (!handled && message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        // Enter and Esc (and the close box) arrive as IDOK and IDCANCEL.
        if (LOWORD(wParam) == IDOK) { OnOK(); handled = true; }
        else if (LOWORD(wParam) == IDCANCEL) { OnCancel(); handled = true; }
    }
    if (!handled) return FALSE;
    if (ReturnsResultDirectly(message)) return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* dialog = nullptr;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        dialog->m_hWnd = hwnd;
    } else {
        dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    if (!dialog) return FALSE;
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        dialog->m_hWnd = nullptr;
        return FALSE;
    }
    try {
        return dialog->HandleMessage(message, wParam, lParam);
    } catch (...) {
        ReportCurrentException(hwnd);
        return FALSE;
    }
}

}  // namespace fw
