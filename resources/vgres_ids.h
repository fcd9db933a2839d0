/* Identifiers of the resources of the resource library (vgres.dll): strings, dialog
   templates and their controls, bitmaps, icons and sounds. Plain defines, so that both the
   resource compiler and C++ code can include this header. */
#ifndef VGRES_IDS_H
#define VGRES_IDS_H

/* Context help: the one item of the pop-up menu on a preferences control. */
#define IDS_HELP_WHATS_THIS 244

/* Notification items of the preferences list: their count (decimal text), then the labels
   of notification numbers 12 and 11 in that order. */
#define IDS_NOTIFY_ITEM_COUNT 1000
#define IDS_NOTIFY_ITEM_ATTENTION 1001
#define IDS_NOTIFY_ITEM_COMM_ERROR 1002

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
/* Column headers of the notification list, and the state texts of an item (1122 on,
   1123 off). */
#define IDS_NOTIFY_COLUMN_EVENT 1120
#define IDS_NOTIFY_COLUMN_STATE 1121
#define IDS_NOTIFY_STATE_ON 1122
#define IDS_NOTIFY_STATE_OFF 1123
/* The tray icon's menu: the status window, the preferences, and closing the icon. */
#define IDS_ICON_MENU_STATUS 1140
#define IDS_ICON_MENU_PREFERENCES 1141
#define IDS_ICON_MENU_CLOSE 1142
/* The status window's system menu item that opens the about box. */
#define IDS_MENU_ABOUT 1131
#define IDS_STATUS_WINDOW_NOT_OPENED 1202
#define IDS_NO_MEMORY 1216
#define IDS_NO_PRINTER_INFO 1222
#define IDS_NO_PRINTER_DRIVER_INFO 1223
#define IDS_FILE_NOT_FOUND 1224
#define IDS_FILE_OPEN_FAILED 1225
/* Network monitoring agent messages of the preferences dialog. */
#define IDS_AGENT_LEGACY_NETWORK 1226
#define IDS_AGENT_PENDING_CANCELLED 1230
#define IDS_ERR_FILE_REPLACED 1233
#define IDS_ERR_QVAPI_IN_USE 1234
#define IDS_ERR_OTHERS 1235

/* Default poll interval in seconds, as decimal text. */
#define IDS_DEFAULT_TIMER 1340

/* Title of the preferences dialog and of its wait dialog. */
#define IDS_PREFERENCES_TITLE 1360
/* Text of the wait dialog while the network agent's setting changes. */
#define IDS_AGENT_WAIT 3003

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
#define IDW_NOTIFY_OFFLINE 16000
#define IDW_NOTIFY_PAPER_OUT 16001
#define IDW_NOTIFY_INK 16003
#define IDW_NOTIFY_PAPER_JAM 16004
#define IDW_NOTIFY_COMM_ERROR 16009
#define IDW_NOTIFY_ERROR 16010
#define IDW_BUZZER 17000

/* Dialog templates. */
#define IDD_PREFERENCES 100         /* without the buzzer check boxes */
#define IDD_STATUS 102
#define IDD_PREFERENCES_BUZZER 110  /* with them */
#define IDD_AGENT_WAIT 111

/* Controls of the preferences dialogs (the standard buttons are IDOK, IDCANCEL and 9). */
#define IDC_PREF_HELP 9
#define IDC_NOTIFY_LIST 200
#define IDC_SOUND_ICON 201
#define IDC_SOUND_ENABLE 202
#define IDC_RESTORE_DEFAULTS 203
#define IDC_TRAY_ICON 204
#define IDC_TRAY_ICON_LIST 205
#define IDC_TRAY_ENABLE 206
#define IDC_TRAY_PREVIEW 207
#define IDC_AGENT_ALLOW 208
#define IDC_AGENT_PENDING 209
#define IDC_NOTIFY_GROUP 220  /* group boxes and labels named by the context help */
#define IDC_TRAY_GROUP 221
#define IDC_TRAY_LIST_LABEL 222
#define IDC_TRAY_PREVIEW_LABEL 223
#define IDC_BUZZER_ENABLE 392
#define IDC_BUZZER_LOOP 393

/* Controls of the wait dialog. */
#define IDC_WAIT_TEXT 222

/* Controls of the status window (besides IDOK). */
#define IDC_STATUS_PICTURE 210
#define IDC_STATUS_LINE 212
#define IDC_STATUS_HELP 215
#define IDC_STATUS_HELP_NOTE 241
#define IDC_STATUS_SIZE_MARK 380
#define IDC_STATUS_ICON 383
#define IDC_STATUS_MESSAGE 384

/* Bitmaps: the notification list's state images (16 x 16 each: off, on; mask colour
   RGB(0, 0, 128)), the tray previews (500 no tray icon, 501 to 503 tray icons 700 to 702)
   and the printer pictures of the status window (75 x 60, 256 colours). */
#define IDB_NOTIFY_STATES 400
#define IDB_TRAY_PREVIEW_OFF 500
#define IDB_TRAY_PREVIEW_FIRST 501
#define IDB_PRINTER_YELLOW 510
#define IDB_PRINTER_BLUE 511
#define IDB_PRINTER_RED 512

/* Icons. */
#define IDI_TRAY_SETTING 611
#define IDI_SOUND_SETTING 612
#define IDI_APP 621
#define IDI_TRAY_FIRST 700 /* three tray icon designs, 700 to 702 */
#define IDI_TRAY_LAST 702
/* Status icons; 765 alternates with a blinking status icon. */
#define IDI_STATUS_COMM_ERROR 750
#define IDI_STATUS_CARTRIDGE_ERROR 751
#define IDI_STATUS_INK_OUT 752
#define IDI_STATUS_COVER_OPEN 753
#define IDI_STATUS_OFFLINE 754
#define IDI_STATUS_PRINTING 755
#define IDI_STATUS_WAIT 756
#define IDI_STATUS_WARNING 757
#define IDI_STATUS_ERROR 758
#define IDI_STATUS_READY 759
#define IDI_STATUS_PAPER_OUT 760
#define IDI_STATUS_INK_LOW 761
#define IDI_STATUS_PAPER_JAM 762
#define IDI_STATUS_PAPER_LOW 763
#define IDI_STATUS_CHECKING 764
#define IDI_STATUS_BLINK 765
/* Overlays that blink over the printer picture; each also holds a 75 x 60 image. */
#define IDI_OVERLAY_ATTENTION 771
#define IDI_OVERLAY_COVER_OPEN 777

#endif
