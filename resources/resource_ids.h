/* Resource identifiers shared by the resource script and the program. */
#ifndef VYK_RESOURCE_IDS_H
#define VYK_RESOURCE_IDS_H

#define IDS_SAVER_NAME       1
#define IDS_PROFILE_FILE     1001
#define IDS_SAVER_KEY        1002
#define IDS_PROFILE_SECTION  1007
#define IDS_HELP_NO_MEMORY   1008
#define IDS_WINDOW_TITLE     1010

#define IDI_VYK              101
#define IDB_TEXTURE          108
#define IDR_MANIFEST         1    /* RT_MANIFEST: the process manifest (CREATEPROCESS_MANIFEST_RESOURCE_ID) */

#define IDD_CONFIG           2003
#define IDD_ABOUT            3000

#define IDC_SPEED_GROUP      101
#define IDC_FAST_LABEL       103
#define IDC_SLOW_LABEL       104
#define IDC_SPEED_SCROLL     1000
#define IDC_ABOUT            1001
#define IDC_LOGOS            1002
#define IDC_LINEAR           1003
#define IDC_HARDWARE         1004
#define IDC_ALL_MONITORS     1005

#endif
