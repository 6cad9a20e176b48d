/* Resource and command ids of Jotter, shared by jotter.rc and jotter.c. */
#pragma once

#define JOTTER_VERSION_TEXT L"1.2"
#define JOTTER_VERSION_RC "1.2.0.0"
#define JOTTER_VERSION_BINARY 1, 2, 0, 0

#define IDI_JOTTER 1
#define IDR_MENU 10
#define IDR_KEYS 11
#define IDC_NOTE 100

#define IDM_NEW 200
#define IDM_OPEN 201
#define IDM_SAVE 202
#define IDM_SAVE_AS 203
#define IDM_EXIT 204
#define IDM_HELP 210
#define IDM_ABOUT 211
