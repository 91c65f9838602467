// CWnd: a thin, non-owning view of a window handle with the control helpers
// the dialogs use. Text is ANSI.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

class CWnd {
public:
    CWnd() = default;
    explicit CWnd(HWND hwnd) : m_hWnd(hwnd) {}
    virtual ~CWnd() = default;

    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }
    void Attach(HWND hwnd) { m_hWnd = hwnd; }
    HWND Detach() { HWND h = m_hWnd; m_hWnd = nullptr; return h; }

    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    std::string GetWindowText() const;
    void SetWindowText(const std::string& text) const { ::SetWindowTextA(m_hWnd, text.c_str()); }
    std::string GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const std::string& text) const {
        ::SetDlgItemTextA(m_hWnd, id, text.c_str());
    }

    void CheckRadioButton(int firstId, int lastId, int checkId) const {
        ::CheckRadioButton(m_hWnd, firstId, lastId, checkId);
    }
    // The ID of the first checked button from firstId to lastId, or 0.
    int GetCheckedRadioButton(int firstId, int lastId) const;
    bool IsDlgButtonChecked(int id) const {
        return ::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED;
    }
    void CheckDlgButton(int id, bool checked) const {
        ::SendDlgItemMessageA(m_hWnd, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }

    int MessageBox(const std::string& text, const std::string& caption, UINT type) const {
        return ::MessageBoxA(m_hWnd, text.c_str(), caption.c_str(), type);
    }

    HWND m_hWnd = nullptr;
};

// The text of any window, read whole whatever its length.
std::string ReadWindowText(HWND hwnd);

}  // namespace fw
