// Resource and control ids of Qor.exe, by type: dialogs 118-138, menus 218-229, icons 233
// and 239, cursors 254-271, strings 300-399. Never reuse an id. Every menu, dialog and string
// comes in Japanese (resources/ja.rc) and English (resources/en.rc) under the same id.
#pragma once

// Settings dialog (ui/settings_dialog.cpp): templates, menus and commands. Commands 3,
// 101 and 146 are the tray menu's About and help items, which the dialog offers too.
#define IDD_SETTINGS_SMALL 118
#define IDD_SETTINGS_LARGE 131
#define IDR_SETTINGS_POPUP 228
#define IDR_SETTINGS_MENUBAR 229
#define IDM_ABOUT 3
#define IDM_HELP_CONTENTS 101
#define IDM_HELP_SEARCH 146
#define IDM_UPDATE 140
#define IDM_ADD 178
#define IDM_DELETE 180
#define IDC_SETTINGS_OK 1138
#define IDC_DEFAULT 1071
#define IDC_TEST 141
#define IDC_UPDATE 115
#define IDC_TITLE_LABEL 1139
#define IDC_TITLE 1129
#define IDC_TABS 1154

// Settings pages (ui/settings_pages.cpp): templates by size, and their controls. Ids
// repeat between pages, never within one.
#define IDD_SYSTEM_PAGE_SMALL 119
#define IDD_PAN_PAGE_SMALL 130
#define IDD_SCROLL_PAGE_SMALL 127
#define IDD_SYSTEM_PAGE_LARGE 136
#define IDD_PAN_PAGE_LARGE 135
#define IDD_SCROLL_PAGE_LARGE 133
#define IDD_LEFT_ALONE_PAGE_SMALL 137
#define IDD_LEFT_ALONE_PAGE_LARGE 138
#define IDC_STANDBY_AT_START 1246
#define IDC_MOVE_TO_START 1098
#define IDC_OPEN_START_MENU 1091
#define IDC_DELAYED_START 1092
#define IDC_START_DELAY 153
#define IDC_START_DELAY_SPIN 162
#define IDC_ALWAYS_ON_TOP 1094
#define IDC_SAVE_ON_EXIT 1093
#define IDC_DIALOG_SIZE 1242
#define IDC_SIZE_SMALL_LABEL 1243
#define IDC_SIZE_LARGE_LABEL 1244
#define IDC_SIZE_AUTO_LABEL 1245
#define IDC_SIZE_FRAME 196
#define IDC_PAN_ENABLED 1098
#define IDC_EXT_SCROLL_ENABLED 1098
#define IDC_SWAP_BUTTONS 1091
#define IDC_VCOUNT 1129
#define IDC_HCOUNT 1131
#define IDC_VRESPONSE 1130
#define IDC_HRESPONSE 1132
#define IDC_VCOUNT_LABEL 150
#define IDC_HCOUNT_LABEL 151
#define IDC_VRESPONSE_LABEL 152
#define IDC_HRESPONSE_LABEL 153
#define IDC_PAN_BUTTON_LABEL 1250
#define IDC_PAN_BUTTON 1251
#define IDC_LEFT_ALONE_LABEL 1252
#define IDC_LEFT_ALONE_LIST 1253
#define IDC_LEFT_ALONE_NAME_LABEL 1254
#define IDC_LEFT_ALONE_NAME 1255
#define IDC_LEFT_ALONE_ADD 1256
#define IDC_LEFT_ALONE_REMOVE 1257
#define IDC_CLICK_PAN 1258
#define IDC_LEFT_ALONE_PICK 1259
#define IDC_PROGRAM_PROFILE_LABEL 1260
#define IDC_PROGRAM_PROFILE 1261
#define IDC_LANGUAGE_LABEL 1270
#define IDC_LANGUAGE 1271

// Gesture cursors, named by what their triangles point at (the way the content moves).
#define IDCUR_LEFT 254
#define IDCUR_RIGHT 255
#define IDCUR_HORIZONTAL 256
#define IDCUR_UP_RIGHT 257
#define IDCUR_UP 258
#define IDCUR_UP_LEFT 259
#define IDCUR_FOUR_WAY 260
#define IDCUR_DOWN_RIGHT 261
#define IDCUR_DOWN 262
#define IDCUR_DOWN_LEFT 263
#define IDCUR_VERTICAL 264
#define IDCUR_STANDBY_ARROW 266
#define IDCUR_STANDBY_IBEAM 267
#define IDCUR_STANDBY_CROSS 271

// Application shell (app/): the tray menus, icons and commands. Commands 3, 101 and 146
// are above; the profile items take 184 and up, one per listed profile.
#define IDR_TRAY_RIGHT 218
#define IDR_TRAY_LEFT 227
#define IDI_TRAY 233
#define IDI_ABOUT 239
#define IDM_PROPERTIES 115
#define IDM_STANDBY 123
#define IDM_EXT_SCROLL 124
#define IDM_SETTINGS 133
#define IDM_MOVE_TO_START 143
#define IDM_DELAYED_START 144
#define IDM_SAVE_ON_EXIT 145
#define IDM_OPEN_START_MENU 148
#define IDM_EXIT 183
#define IDM_FIRST_PROFILE 184

// Strings: what the code puts on screen itself.
#define IDS_EXIT 300
#define IDS_WELCOME_TITLE 301
#define IDS_WELCOME_TEXT 302  // after IDS_WELCOME_CLICK_PAN or IDS_WELCOME_DRAG_PAN
#define IDS_WELCOME_RIGHT 303
#define IDS_WELCOME_MIDDLE 304
#define IDS_WELCOME_CLICK_PAN 307  // %s: the pan button, IDS_WELCOME_RIGHT or IDS_WELCOME_MIDDLE
#define IDS_WELCOME_DRAG_PAN 308   // %s as in IDS_WELCOME_CLICK_PAN
#define IDS_SAMPLE_PROFILE 305
#define IDS_LOAD_FAILED_PROFILE 306
#define IDS_WOW64_REFUSED 310
#define IDS_ELEVATED_REFUSED 311
#define IDS_SLOTS_TAKEN 312
#define IDS_REPORT_CAPTION 320
#define IDS_CANNOT_LOAD_LIBRARY 321
#define IDS_CANNOT_HOOK_MOUSE 322
#define IDS_CANNOT_HOOK_MSG_FILTER 323
#define IDS_CANNOT_UNHOOK_MOUSE 324
#define IDS_CANNOT_UNHOOK_MSG_FILTER 325
#define IDS_CANNOT_FREE_LIBRARY 326
#define IDS_DIALOG_TITLE 330  // %d/%d: the current profile's number and the count
#define IDS_TAB_SYSTEM 331
#define IDS_TAB_PAN 332
#define IDS_TAB_SCROLL 333
#define IDS_TAB_LEFT_ALONE 334
#define IDS_TIP_SYSTEM 335
#define IDS_TIP_PAN 336
#define IDS_TIP_SCROLL 337
#define IDS_TIP_LEFT_ALONE 338
#define IDS_TITLE_REFUSED 339
#define IDS_PROFILES_FULL 340  // %d: how many can be stored
#define IDS_CONFIRM_CAPTION 341
#define IDS_CONFIRM_DELETE 342
#define IDS_TEST 343
#define IDS_STOP 344
#define IDS_RESPONSE_1 350
#define IDS_RESPONSE_2 351
#define IDS_RESPONSE_3 352
#define IDS_RESPONSE_4 353
#define IDS_RESPONSE_5 354
#define IDS_PAN_BUTTON_RIGHT 355
#define IDS_PAN_BUTTON_MIDDLE 356
#define IDS_LANGUAGE_AUTO 357
#define IDS_LANGUAGE_JAPANESE 358
#define IDS_LANGUAGE_ENGLISH 359
#define IDS_NAME_REFUSED 360
#define IDS_LEFT_ALONE_FULL 361
#define IDS_CHOICE_LEFT_ALONE 362
#define IDS_PROFILE_GONE 363  // %s: the title no stored profile has
