// Every numeric id of tarvina: resources, menu commands and controls.
// Shared by tarvina.rc and the C++ code, so keep it to plain #defines.
#pragma once

// Icon pictures of the label markup: bitmap resources 1..99 (id = icon number).
#define IDB_ICON_FIRST 1
#define IDB_ICON_LAST 99

// Reference charts shown in the label entry dialog.
#define IDB_LEGEND_FACES_1 300
#define IDB_LEGEND_FACES_2 301
#define IDB_LEGEND_OBJECTS_1 302
#define IDB_LEGEND_OBJECTS_2 303

// The same pictures drawn again for larger screens, PNG in RCDATA: in set k
// (1..4: 125, 150, 200 and 250 %), IDP_PICTURES + 10 k is the strip of the 99
// icons and IDP_PICTURES + 10 k + 1 + j the chart IDB_LEGEND_FACES_1 + j.
#define IDP_PICTURES 400

// Icon groups: the program (index 0) and a .zanual document (index 1).
#define IDI_PROGRAM 200
#define IDI_DOCUMENT 201

// Main window.
#define IDC_ALMANAC 1001
#define IDM_NEW 1051
#define IDM_OPEN 1052
#define IDM_ABOUT 1055
#define IDM_EXIT 1056
#define IDM_LABEL_NEW 1063

// Changing labels: "Deshacer" in "Etiquetas", and the label menu of a right click.
#define IDM_LABEL_UNDO 1100
#define IDM_LABEL_CHANGE 1101
#define IDM_LABEL_REMOVE 1102

// Menu "Ir" and the main window's keyboard shortcuts (accelerator table).
#define IDA_MAIN 1150
#define IDM_GO_TODAY 1151
#define IDM_GO_DATE 1152
#define IDM_FIND 1153
#define IDM_FIND_NEXT 1154

// Menu "Compartir".
#define IDM_SHARE_EXPORT_ICS 1200
#define IDM_SHARE_IMPORT_ICS 1201
#define IDM_SHARE_PICTURE 1202
#define IDM_SHARE_SYNC 1203

// Label entry dialog; its keyboard shortcut (Ctrl+Enter: "Aceptar").
#define IDA_LABEL_ENTRY 1250
#define IDC_LABEL_TEXT 1002
#define IDC_LEGEND_1 1005
#define IDC_LEGEND_2 1006
#define IDC_LEGEND_3 1008
#define IDC_LEGEND_4 1009
#define IDC_SWATCH_FIRST 1010
#define IDC_SWATCH_LAST 1049
#define IDC_COLOR_PREVIEW 1050
#define IDC_LABEL_OK 1057
#define IDC_LABEL_CANCEL 1058
#define IDC_DAY_COMBO 1059
#define IDC_MONTH_COMBO 1060
#define IDC_DAY_CAPTION 1061
#define IDC_MONTH_CAPTION 1062
#define IDC_YEAR_CAPTION 1064
#define IDC_YEAR_COMBO 1065
// Its repeat: "Repetir:" and "hasta el".
#define IDC_REPEAT_CAPTION 1066
#define IDC_REPEAT_COMBO 1067
#define IDC_UNTIL_CAPTION 1068
#define IDC_UNTIL_DATE 1069

// New almanac dialog.
#define IDC_START_DATE 2001
#define IDC_DAY_COUNT 2002
#define IDC_START_CAPTION 2003
#define IDC_COUNT_CAPTION 2004
#define IDC_END_PREVIEW 2005
#define IDC_NEW_OK 2006
#define IDC_NEW_CANCEL 2007
#define IDC_NAME_CAPTION 2008
#define IDC_NAME 2009
#define IDC_BRING_LABELS 2010  // "Traer etiquetas de otro almanaque"

// "Ir a la fecha" dialog.
#define IDC_GO_DATE 5001
#define IDC_GO_CAPTION 5002
#define IDC_GO_OK 5003
#define IDC_GO_CANCEL 5004

// "Buscar" dialog.
#define IDC_FIND_TEXT 5011
#define IDC_FIND_CAPTION 5012
#define IDC_FIND_OK 5013
#define IDC_FIND_CANCEL 5014

// The progress window of long work ("Guardar imagen").
#define IDC_PROGRESS_CAPTION 5021
#define IDC_PROGRESS_BAR 5022
#define IDC_PROGRESS_CANCEL 5023

// "Serie": a change to one label of a series, or to the following ones too.
#define IDC_SERIES_QUESTION 5031
#define IDC_SERIES_THIS 5032
#define IDC_SERIES_FOLLOWING 5033
#define IDC_SERIES_CANCEL 5034

// "Traer etiquetas": the labels of another almanac to bring into the new one.
#define IDC_BRING_LIST 5041
#define IDC_BRING_ALL 5042
#define IDC_BRING_NONE 5043
#define IDC_BRING_OK 5044
#define IDC_BRING_CANCEL 5045

// "Sincronizar" dialog.
#define IDC_SYNC_ADDRESS_CAPTION 5051
#define IDC_SYNC_ADDRESS 5052
#define IDC_SYNC_USER_CAPTION 5053
#define IDC_SYNC_USER 5054
#define IDC_SYNC_PASSWORD_CAPTION 5055
#define IDC_SYNC_PASSWORD 5056
#define IDC_SYNC_NOW 5057
#define IDC_SYNC_UNLINK 5058
#define IDC_SYNC_CLOSE 5059
// Timers of a linked almanac: a sync soon after a change, and one every few minutes.
#define IDT_SYNC_SOON 5060
#define IDT_SYNC_EVERY 5061

// About dialog.
#define IDC_ABOUT_PICTURE 4001
