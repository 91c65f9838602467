#include "app/WexDlg.h"

#include "app/ConversionJob.h"
#include "app/JobInput.h"
#include "app/PostActionRunner.h"
#include "app/PostActions.h"
#include "framework/Text.h"
#include "res/resource.h"
#include "settings/RestoreControls.h"
#include "settings/Singleton.h"

const fw::MessageEntry<CWexDlg> CWexDlg::kMessageMap[] = {
    fw::OnMessage<CWexDlg>(WM_SYSCOMMAND, &CWexDlg::OnSysCommand),
    fw::OnMessage<CWexDlg>(WM_PAINT, &CWexDlg::OnPaint),
    fw::OnMessage<CWexDlg>(WM_QUERYDRAGICON, &CWexDlg::OnQueryDragIcon),
    fw::OnCommand<CWexDlg>(BN_CLICKED, IDOK, &CWexDlg::OnStartCreatePdf),
    fw::OnCommandId<CWexDlg>(BN_CLICKED, IDC_DO_NOTHING, &CWexDlg::OnPostActionClicked),
    fw::OnCommandId<CWexDlg>(BN_CLICKED, IDC_OPEN, &CWexDlg::OnPostActionClicked),
    fw::OnCommandId<CWexDlg>(BN_CLICKED, IDC_OPEN_FOLDER, &CWexDlg::OnPostActionClicked),
    fw::OnCommandId<CWexDlg>(BN_CLICKED, IDC_EMAIL_TO, &CWexDlg::OnPostActionClicked),
};

std::string WithPdfExtension(const std::string& name) {
    return fw::EndsWith(name, ".pdf") ? name : name + ".pdf";
}

CWexDlg::CWexDlg()
    : fw::CDialog(IDD_ORVPDF_DIALOG),
      m_hIcon(::LoadIconA(fw::ResourceInstance(), MAKEINTRESOURCEA(IDR_MAINFRAME))) {}

CWexDlg::~CWexDlg() = default;

bool CWexDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return fw::Dispatch(this, kMessageMap, message, wParam, lParam, result);
}

BOOL CWexDlg::OnInitDialog() {
    fw::CDialog::OnInitDialog();

    if (HMENU systemMenu = ::GetSystemMenu(m_hWnd, FALSE)) {
        char about[256] = {};  // a longer string resource is cut to fit
        if (::LoadStringA(fw::ResourceInstance(), IDS_ABOUTBOX, about, sizeof about) > 0) {
            ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, about);
        }
    }

    LoadStartupSettings();

    ::SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    // Centre on the screen, show, and come to the front.
    RECT window;
    ::GetWindowRect(m_hWnd, &window);
    RECT work;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    int x = work.left + ((work.right - work.left) - (window.right - window.left)) / 2;
    int y = work.top + ((work.bottom - work.top) - (window.bottom - window.top)) / 2;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ::ShowWindow(m_hWnd, SW_SHOW);
    ::SetForegroundWindow(m_hWnd);
    return TRUE;
}

void CWexDlg::LoadStartupSettings() {
    CaptureJobInput();

    char modulePath[MAX_PATH] = {};  // at most 259 characters are taken
    ::GetModuleFileNameA(nullptr, modulePath, MAX_PATH - 1);
    m_exeFolder = fw::FolderOf(modulePath);
    CSingleton::GetInstance().SetFolder(m_exeFolder);

    RestoreRadioGroup(m_hWnd, "option", "post action", PostActions, PostActionCount,
                      IDC_DO_NOTHING, IDC_EMAIL_TO, IDC_OPEN);

    std::string folder = m_exeFolder;
    SetDlgItemText(IDC_SAVE_AS, folder + "\\" + WithPdfExtension(GetOutputNameFromCommandLine()));
}

void CWexDlg::OnPostActionClicked(UINT id) {
    CheckRadioButton(IDC_DO_NOTHING, IDC_EMAIL_TO, static_cast<int>(id));
    int checked = GetCheckedRadioButton(IDC_DO_NOTHING, IDC_EMAIL_TO);
    for (const OptionChoice& choice : PostActions) {
        if (choice.controlId == checked) WriteSetting("option", "post action", choice.value);
    }
}

void CWexDlg::OnStartCreatePdf() {
    const std::string outputPath = WithPdfExtension(GetDlgItemText(IDC_SAVE_AS));
    SetDlgItemText(IDC_SAVE_AS, outputPath);

    EngineOutcome outcome;
    if (!ConvertJob(outputPath, outcome)) {
        MessageBox("Can not create temporary file!", "ORV PDF Creator", MB_OK);
        return;
    }
    if (outcome.Succeeded()) {
        switch (GetCheckedRadioButton(IDC_DO_NOTHING, IDC_EMAIL_TO)) {
        case IDC_OPEN:
            OpenDocument(outputPath);
            break;
        case IDC_OPEN_FOLDER:
            OpenContainingFolder(outputPath);
            break;
        case IDC_EMAIL_TO:
            SendMailWithAttachment(m_hWnd, outputPath, "Please see attachment for more infomation!");
            break;
        default:
            break;
        }
    } else {
        // No action on a PDF that the engine did not write.
        MessageBox(DescribeEngineFailure(outcome, outputPath), "ORV PDF Creator",
                   MB_OK | MB_ICONERROR);
    }
    OnOK();
}

bool CWexDlg::OnSysCommand(WPARAM wParam, LPARAM, LRESULT& result) {
    if ((wParam & 0xFFF0) != IDM_ABOUTBOX) return false;
    fw::CDialog about(IDD_ABOUTBOX, this);
    about.DoModal();
    result = 0;
    return true;
}

bool CWexDlg::OnPaint(WPARAM, LPARAM, LRESULT& result) {
    if (!::IsIconic(m_hWnd)) return false;
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_hWnd, &paint);
    ::SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, m_hIcon);
    ::EndPaint(m_hWnd, &paint);
    result = 0;
    return true;
}

bool CWexDlg::OnQueryDragIcon(WPARAM, LPARAM, LRESULT& result) {
    result = reinterpret_cast<LRESULT>(m_hIcon);
    return true;
}
