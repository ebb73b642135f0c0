// Resource ids shared by the resource script and the program.
#pragma once

#define IDI_MORVA 1
#define IDB_ARTWORK 101
#define IDB_CHECK 102
#define IDB_CHECK_DISABLED 103
