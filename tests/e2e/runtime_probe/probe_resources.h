// Resource identifiers of the runtime probe, shared by its resource script
// and code. Its pictures and icon are the player's.
#pragma once

#define IDI_PROBE 1
#define IDB_PROBE_FACE 111
#define IDB_PROBE_PICTURE 122
// Drawn for 100% only: a window at any other scale cannot load it.
#define IDB_PROBE_FACE_AT_100_ONLY 131
