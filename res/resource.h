// Resource, menu command and control identifiers of Kestrane. The test
// driver includes this file to find the controls of a running program.
#pragma once

#define IDI_KESTRANE 1
#define IDR_MAINMENU 100
#define IDR_ST60 101
#define IDR_HANDCURSOR 102
// The phone picture is stored under the resource type "GIF".

#define IDM_FILE_QUIT 40001
#define IDM_HELP_HELP 40002
#define IDM_HELP_ABOUT 40003
#define IDM_FILE_MAKEJAD 40004
#define IDM_FILE_FOLDER 40005

#define IDC_LBLRAR 1001
#define IDC_TXTRAR 1002
#define IDC_CMDSEARCHRAR 1003
#define IDC_LBLJAR 1004
#define IDC_TXTJAR 1005
#define IDC_CMDSEARCHJAR 1006
#define IDC_LBLJAD 1007
#define IDC_TXTJAD 1008
#define IDC_CMDSEARCHJAD 1009
#define IDC_LBLOBJ 1010
#define IDC_TXTOBJ 1011
#define IDC_CMDSEARCHOBJ 1012
#define IDC_LBLINI 1013
#define IDC_TXTINI 1014
#define IDC_CMDINI 1015
#define IDC_CMDSEARCHSTJ 1016
#define IDC_LBLSTJ 1017
#define IDC_TXTSTJ 1018
#define IDC_CMDSTJ 1019
#define IDC_LBLWAIT 1020

// "Ordner umwandeln"
#define IDC_FOLDER_LBLSOURCE 1101
#define IDC_FOLDER_TXTSOURCE 1102
#define IDC_FOLDER_CMDSOURCE 1103
#define IDC_FOLDER_LBLTARGET 1104
#define IDC_FOLDER_TXTTARGET 1105
#define IDC_FOLDER_CMDTARGET 1106
#define IDC_FOLDER_CHKSUBFOLDERS 1107
#define IDC_FOLDER_CHKOVERWRITE 1108
#define IDC_FOLDER_CMDSTART 1109
#define IDC_FOLDER_CMDCLOSE 1110
#define IDC_FOLDER_LVWRESULTS 1111
#define IDC_FOLDER_PRGPROGRESS 1112
#define IDC_FOLDER_LBLSTATUS 1113
#define IDC_FOLDER_CHKARCHIVER 1114
#define IDC_FOLDER_TXTDETAIL 1115

// Window classes, so that the driver can tell the program's windows apart.
#define KESTRANE_MAIN_CLASS L"KestraneMain"
#define KESTRANE_INFO_CLASS L"KestraneInfo"
#define KESTRANE_FOLDER_CLASS L"KestraneFolder"
