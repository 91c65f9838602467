// CWexDlg: the main dialog (template 102).
#pragma once

#include "framework/Dialog.h"
#include "framework/MessageMap.h"

#include <string>

class CWexDlg : public fw::CDialog {
public:
    CWexDlg();
    ~CWexDlg() override;

    BOOL OnInitDialog() override;

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void LoadStartupSettings();
    void OnStartCreatePdf();
    void OnPostActionClicked(UINT id);
    bool OnSysCommand(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnPaint(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnQueryDragIcon(WPARAM wParam, LPARAM lParam, LRESULT& result);

    static const fw::MessageEntry<CWexDlg> kMessageMap[];

    HICON m_hIcon;
    std::string m_exeFolder;
};

// The "Save as:" proposal: the folder, one backslash, and the name with
// ".pdf" appended unless it already ends with exactly ".pdf".
std::string WithPdfExtension(const std::string& name);
