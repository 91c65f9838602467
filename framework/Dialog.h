// CDialog: a dialog made from a resource template, run modally (DoModal) or
// created modeless as a child (Create). The object pointer is stored in the
// window at WM_INITDIALOG; every later message reaches the virtual OnMessage,
// which derived classes answer with their message table. No exception ever
// unwinds into the system: the callback boundary catches and reports it.
#pragma once

#include "framework/Wnd.h"

namespace fw {

class CDialog;

// What DoDataExchange sees: the dialog and the direction of the exchange.
struct DataExchange {
    CDialog& dialog;
    bool saveAndValidate;
};

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr)
        : m_templateId(templateId), m_parent(parent) {}
    ~CDialog() override;

    // Runs the dialog modally; returns the value given to EndDialog, or -1
    // when the template could not be loaded.
    INT_PTR DoModal();

    // Creates the dialog modeless, as a child of `parent`. Returns false when
    // the window could not be made.
    bool Create(CWnd* parent);

    bool UpdateData(bool saveAndValidate = true);
    void EndDialog(int result);
    UINT TemplateId() const { return m_templateId; }

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(DataExchange& dx);

protected:
    // Message hook for derived classes; returns true when handled.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    CWnd* m_parent;
    bool m_modal = false;
};

// The module whose resources the dialogs are made from.
HINSTANCE ResourceInstance();

}  // namespace fw
