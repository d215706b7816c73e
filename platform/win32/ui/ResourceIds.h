#pragma once
// Resource numbers shared by the program's resource script and the bindings
// that load them. Plain defines: the resource compiler reads this file too.
#define QM_IDI_PROGRAM 1
#define QM_IDB_ABOUT 101
