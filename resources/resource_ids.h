/* Resource and control identifiers, shared by the resource script and the
   program. */
#ifndef SETUP_RESOURCE_IDS_H
#define SETUP_RESOURCE_IDS_H

#define IDI_SETUP 1

/* The progress dialog. */
#define IDD_PROGRESS 101
#define IDC_PROGRESS_BAR 1009
#define IDC_PROGRESS_CANCEL 1010
#define IDC_PROGRESS_STATUS 1011

/* The install-path dialog. */
#define IDD_PATH 106
#define IDC_PATH_CANCEL 1000
#define IDC_PATH_TITLE 1001
#define IDC_PATH_NEED_LABEL 1002
#define IDC_PATH_FREE_LABEL 1003
#define IDC_PATH_OK 1004
#define IDC_PATH_BROWSE 1005
#define IDC_PATH_EDIT 1006
#define IDC_PATH_NEED_VALUE 1007
#define IDC_PATH_FREE_VALUE 1008
#define IDC_PATH_INNER_FRAME 1018

#endif
