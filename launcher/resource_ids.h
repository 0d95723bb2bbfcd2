// Resource identifiers of SETUP.exe, shared by the resource script and code.
#pragma once

#define IDI_SETUP 1
#define IDB_COVER 101
#define IDB_SIMPLIFIED_FACE 102
#define IDB_TRADITIONAL_FACE 103
