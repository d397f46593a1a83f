/* Resource and control identifiers shared by the code and the resource
   script. One block per feature; every id is used exactly once. */
#ifndef MIRTAVOLEN_RESOURCE_H
#define MIRTAVOLEN_RESOURCE_H

/* 1: version information */
#define IDV_VERSION            1

/* 100: main window menu bar, shortcuts and title */
#define IDR_MAINMENU           100
#define IDR_ACCELERATORS       102
#define IDS_APP_TITLE          103

/* 1010: File menu */
#define IDM_FILE_ADD           1010
#define IDM_FILE_DELETE        1011
#define IDM_FILE_EXIT          1012

/* 1020: Item menu; 1023 + ConvType are the type commands */
#define IDM_ITEM_CONVERTALL    1020
#define IDM_ITEM_CONVERTSEL    1021
#define IDM_ITEM_SETTINGS      1022
#define IDM_ITEM_TYPEINVERT    1023
#define IDM_ITEM_TYPEREVERSE   1024
#define IDM_ITEM_TYPEPASSWORD  1025
#define IDM_ITEM_TYPENONE      1026
#define IDM_ITEM_SELECTALL     1027

/* 1030: Settings menu */
#define IDM_SET_DEFAULTS       1033
#define IDM_SET_OVERWRITE      1034

/* 1040: Help menu */
#define IDM_HELP_CHM           1040
#define IDM_HELP_TXT           1041
#define IDM_HELP_ABOUT         1042

/* 2001: progress dialog */
#define IDD_PROGRESS           2001
#define IDC_PROG_FILE          2040
#define IDC_PROG_TYPE          2041
#define IDC_PROG_BAR           2042

/* 2002: item settings dialog; radio 2026 + ConvType */
#define IDD_ITEMSETTINGS       2002
#define IDC_ITEM_FILELABEL     2020
#define IDC_ITEM_NAMELABEL     2021
#define IDC_ITEM_DESTFILE      2022
#define IDC_ITEM_NAME          2023
#define IDC_ITEM_DIR           2024
#define IDC_ITEM_BROWSE        2025
#define IDC_ITEM_INVERT        2026
#define IDC_ITEM_REVERSE       2027
#define IDC_ITEM_PASSWORD      2028
#define IDC_ITEM_NONE          2029
#define IDC_ITEM_PASSEDIT      2030
#define IDS_ITEM_DEFAULTS      2031  /* caption in defaults mode */
#define IDS_ITEM_BROWSE        2032  /* title of the folder browser */

/* 2004: password prompt */
#define IDD_PASSWORD           2004
#define IDC_PASS_EDIT          2060
#define IDC_PASS_SAME          2061

/* 2005: overwrite question */
#define IDD_OVERWRITE          2005
#define IDC_OVER_YES           2080
#define IDC_OVER_NO            2081
#define IDC_OVER_KEEP          2082
#define IDS_OVER_KEEP_MAIN     2083  /* check-box text when owned by the main window */

/* 3000: job list view (3000 is its control id) */
#define IDC_JOBLIST            3000
#define IDS_COL_SRCFILE        3001
#define IDS_COL_DESTFILE       3002
#define IDS_COL_TYPE           3003
#define IDS_FILTER_ALL         3004

/* 4000: artwork */
#define IDI_APP                4000
#define IDW_CHIME              4001

/* 9999: about box */
#define IDD_ABOUT              9999
#define IDC_ABOUT_LINK         9998
#define IDC_ABOUT_ICON         9997
#define IDC_ABOUT_VERSION      9996
#define IDC_ABOUT_COPYRIGHT    9995
#define IDC_ABOUT_AUTHOR       9994

#endif
