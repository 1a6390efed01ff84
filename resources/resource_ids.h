// Ids of the resources in zephlon.rc and of the commands its menus and accelerators send.
// Command ids keep the values the program's menu handler expects.
#pragma once

// The test menu and accelerator table of the window layer's demo.
#define IDM_STARTUP 101
#define IDM_OPENPLAN 159
#define IDM_EXIT 168
#define IDM_PAUSE 464
#define IDM_SLEW 463
#define IDM_DAWN 177
#define IDM_DAY 178
#define IDM_DUSK 179
#define IDM_NIGHT 180
#define IDM_CRASHDETECT 672
#define IDM_ABOUT 545

#define IDS_APPNAME 1
#define IDS_NOTIMPLEMENTED 2
