#pragma once
// Registration of open windows in the window tables that every process of a name set shares
// (named mappings on the paging file). Each call maps the table only for its own duration
// and holds the table's named mutex meanwhile, so that two processes registering the same
// new name at once cannot both take a record.
#include <vector>

#include "common/map_records.h"
#include "common/unique_handle.h"
#include "common/win.h"

// Results of RegisterMapWindow.
constexpr int kMapRegistered = 0;  // stored; also when the table has no free record left
constexpr int kMapWindowOpen = 1;  // the slot holds a live window, handed back in
                                   // *existingWindow (null there for an invalid kind)
constexpr int kMapNoView = 2;      // the table cannot be mapped into this process
constexpr int kMapNoMapping = 3;   // the table's mapping cannot be created
constexpr int kMapBadName = 4;     // no name, or a name that no table can hold (over 520
                                   // characters, or starting with the byte 0xFF)

// Registers window as the given kind (0 to 3) for the printer: under the port name when the
// printer name is empty and the port name is not, else under the printer name. On results
// 0 and 1 *mapping receives the table's mapping, which keeps the table alive: hold it until
// the window is unregistered (a null mapping pointer closes it at once, for a mere query).
// existingWindow may be null. A null window asks whether a live window is registered
// without keeping one.
int RegisterMapWindow(MapNameSet set, const char* printerName, const char* portName,
                      int windowKind, HWND window, HWND* existingWindow, ScopedHandle* mapping);

// Clears the kind's slot of the record of the printer name (of the port name when usePort
// is set) in the table behind mapping (as returned by RegisterMapWindow), and frees the
// record when its other slots are empty.
void UnregisterMapWindow(MapNameSet set, HANDLE mapping, const char* printerName,
                         const char* portName, int windowKind, int usePort);

// The live window registered for the printer (the port name when the printer name is
// empty) and kind, or null; null too when no process holds the table.
HWND FindMapWindow(MapNameSet set, const char* printerName, const char* portName,
                   int windowKind);

// The mapping of a table, created empty when no process holds it yet: holding it keeps the
// table alive, so that its records can be read after every window's process has gone. Null
// when it cannot be created.
ScopedHandle HoldMapTable(MapNameSet set, vgmap::MapTableKind table);

// The taken records of a table, read under its lock; empty when no process holds the table.
std::vector<vgmap::MapRecordEntry> ReadMapRecords(MapNameSet set, vgmap::MapTableKind table);
