/* Identifiers of the string resources of the resource library (vgres.dll). Plain defines,
   so that both the resource compiler and C++ code can include this header. */
#ifndef VGRES_IDS_H
#define VGRES_IDS_H

/* The about box (template 104): its five version lines, each "Ver. " and a version, and
   two items that it hides. */
#define IDD_ABOUT 104
#define IDC_ABOUT_PRODUCT_VERSION 289
#define IDC_ABOUT_POPUP_VERSION 290
#define IDC_ABOUT_LIBRARY_VERSION 291
#define IDC_ABOUT_QVAPI_VERSION 292
#define IDC_ABOUT_AGENT_VERSION 293
#define IDC_ABOUT_HIDDEN_1 294
#define IDC_ABOUT_HIDDEN_2 295

/* The trouble dialog (template 103) and its items. The OK button (1) finishes it. */
#define IDD_TROUBLE 103
#define IDC_TROUBLE_PICTURE 230
#define IDC_TROUBLE_TEXT 231
#define IDC_TROUBLE_BACK 232
#define IDC_TROUBLE_NEXT 233
#define IDC_TROUBLE_CLOSE 234

/* Trouble resources (RCDATA): this id plus a status's help number. 11010 walks the user
   through a paper problem (a jam, or no paper). */
#define IDR_TROUBLE_BASE 11010
#define IDR_TROUBLE_PAPER 11010

/* Page texts of the paper walk-through. */
#define IDS_TROUBLE_PAPER_START 4001
#define IDS_TROUBLE_PAPER_JAM 4002
#define IDS_TROUBLE_PAPER_LOAD 4003
#define IDS_TROUBLE_PAPER_DONE 4004

/* Its pictures (bitmaps of 160 x 120 pixels, 256 colours); an animated page shows the
   frames from its first id on, one after the other. */
#define IDB_TROUBLE_PRINTER 11100
#define IDB_TROUBLE_JAM_FIRST 11110
#define IDB_TROUBLE_JAM_FRAMES 4
#define IDB_TROUBLE_LOAD_FIRST 11120
#define IDB_TROUBLE_LOAD_FRAMES 4
#define IDB_TROUBLE_DONE_FIRST 11130
#define IDB_TROUBLE_DONE_FRAMES 3

/* Message box title and message texts. */
#define IDS_APP_TITLE 1100
#define IDS_NO_MEMORY 1216
#define IDS_NO_PRINTER_INFO 1222
#define IDS_NO_PRINTER_DRIVER_INFO 1223
#define IDS_FILE_NOT_FOUND 1224
#define IDS_FILE_OPEN_FAILED 1225
#define IDS_ERR_FILE_REPLACED 1233
#define IDS_ERR_QVAPI_IN_USE 1234
#define IDS_ERR_OTHERS 1235

/* Default poll interval in seconds, as decimal text. */
#define IDS_DEFAULT_TIMER 1340

/* Status texts without a printer reply: explanations (2xxx) of the default records. */
#define IDS_STATUS_SEARCH_TEXT 2001
#define IDS_STATUS_COMM_ERROR_TEXT 2002
#define IDS_STATUS_UNKNOWN_TEXT 2101
#define IDS_STATUS_UNAVAILABLE_TEXT 2102

/* Status explanations (30xx) and titles (35xx) of the built-in status records. */
#define IDS_STATUS_WARMING_UP_TEXT 3001
#define IDS_STATUS_BUSY_TEXT 3002
#define IDS_STATUS_READY_TEXT 3004
#define IDS_STATUS_OFFLINE_TEXT 3005
#define IDS_STATUS_ERROR_TEXT 3006
#define IDS_STATUS_CLEANING_TEXT 3007
#define IDS_STATUS_PAPER_JAM_TEXT 3008
#define IDS_STATUS_COVER_OPEN_TEXT 3009
#define IDS_STATUS_INK_OUT_TEXT 3010
#define IDS_STATUS_CARTRIDGE_CHANGE_TEXT 3011
#define IDS_STATUS_PAPER_OUT_TEXT 3012
#define IDS_STATUS_INK_DRYING_TEXT 3013
#define IDS_STATUS_OTHER_MODEL_TEXT 3025
#define IDS_STATUS_NO_SLIP_TEXT 3036
#define IDS_STATUS_CARTRIDGE_ERROR_TEXT 3037
#define IDS_STATUS_REMOVE_PAPER_TEXT 3038

#define IDS_STATUS_WARMING_UP 3501
#define IDS_STATUS_BUSY 3502
#define IDS_STATUS_READY 3504
#define IDS_STATUS_OFFLINE 3505
#define IDS_STATUS_ERROR 3506
#define IDS_STATUS_CLEANING 3507
#define IDS_STATUS_PAPER_JAM 3508
#define IDS_STATUS_COVER_OPEN 3509
#define IDS_STATUS_INK_OUT 3510
#define IDS_STATUS_CARTRIDGE_CHANGE 3511
#define IDS_STATUS_PAPER_OUT 3512
#define IDS_STATUS_INK_DRYING 3513
#define IDS_STATUS_OTHER_MODEL 3525
#define IDS_STATUS_SEARCH 3527
#define IDS_STATUS_COMM_ERROR 3528
#define IDS_STATUS_UNKNOWN 3529
#define IDS_STATUS_UNAVAILABLE 3530
#define IDS_STATUS_NO_SLIP 3540
#define IDS_STATUS_CARTRIDGE_ERROR 3541
#define IDS_STATUS_REMOVE_PAPER 3542

/* Sounds (WAVE resources). The status records name a notification sound by number; the
   built-in ones use 16000 offline, 16001 paper or slip missing, 16003 ink or cartridge,
   16004 paper jam, 16009 no communication and 16010 printer error. The others are free for
   a model's own status lines. 17000 is the imitated printer buzzer. */
#define IDW_NOTIFY_FIRST 16000
#define IDW_NOTIFY_LAST 16010
#define IDW_BUZZER 17000

#endif
