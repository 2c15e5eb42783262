// Resource and control ids shared by the resource script and the pages. The
// test harness finds pages by caption and controls by these ids, so they are
// fixed.
#ifndef TREMLOK_RES_RESOURCE_IDS_H
#define TREMLOK_RES_RESOURCE_IDS_H

#define IDD_WELCOME_PAGE 142
#define IDD_PROGRESS_PAGE 151
#define IDD_COMPLETION_PAGE 179

#define IDI_PROGRAM 170
#define IDI_PAGE 180
#define IDB_SIDEBAR 181

#define IDC_INSTALL_FOLDER 1030
#define IDC_DESKTOP_SHORTCUT 1032
#define IDC_CANCEL 1034
#define IDC_BROWSE 1035
#define IDC_NEXT 1036 // "Install >", "Next >" and "Finish" share it
#define IDC_PROGRESS_BAR 1038
#define IDC_VIEW_README 1039
#define IDC_CURRENT_FILE 1041
#define IDC_WELCOME_NOTE 1042 // the welcome page's refusals

#endif
