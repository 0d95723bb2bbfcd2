// Resource identifiers of Velk.exe, shared by the resource script and code.
#pragma once

#define IDI_VELK 1
#define IDI_ABOUT 2
#define IDB_PLAYER_BACKGROUND 101
#define IDB_FACE_TRACK1 111
#define IDB_FACE_TRACK2 112
#define IDB_FACE_TRACK3 113
#define IDB_FACE_TRACK4 114
#define IDB_FACE_TRACK5 115
#define IDB_FACE_STOP 116
#define IDB_FACE_ABOUT 117
#define IDB_FACE_EXIT 118
#define IDB_ABOUT_CARD 121
#define IDB_ABOUT_LOGO 122
