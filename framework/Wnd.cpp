#include "framework/Wnd.h"

#include <vector>

namespace fw {

std::string ReadWindowText(HWND hwnd) {
    int length = ::GetWindowTextLengthA(hwnd);
    if (length <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    int copied = ::GetWindowTextA(hwnd, buffer.data(), length + 1);
    return std::string(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

std::string CWnd::GetWindowText() const { return ReadWindowText(m_hWnd); }

std::string CWnd::GetDlgItemText(int id) const { return ReadWindowText(GetDlgItem(id)); }

int CWnd::GetCheckedRadioButton(int firstId, int lastId) const {
    for (int id = firstId; id <= lastId; ++id) {
        if (::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED) return id;
    }
    return 0;
}

}  // namespace fw
