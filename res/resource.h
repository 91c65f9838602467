// Resource and control IDs shared by the templates and the handlers.
#pragma once

#define IDD_ABOUTBOX            100
#define IDS_ABOUTBOX            101
#define IDD_ORVPDF_DIALOG       102
#define IDR_MAINFRAME           128
#define IDB_BANNER              132

#define IDC_DO_NOTHING          1001
#define IDC_OPEN                1002
#define IDC_OPEN_FOLDER         1003
#define IDC_EMAIL_TO            1004
#define IDC_SAVE_AS             1005
#define IDC_BROWSE              1006
#define IDC_TAB                 1007
#define IDC_ABOUT_LINK          1028
#define IDC_BANNER              1029

#define IDM_ABOUTBOX            0x0010
