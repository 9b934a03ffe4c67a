/* The swap of a device's frame methods (see frame_methods_win32.h). The
 * copied table is allocated per device and remembers the system's, so that
 * it can be given back. */
#define WIN32_LEAN_AND_MEAN
#include <stdlib.h>
#include <windows.h>
#include <d3d9.h>

#include "platform/win32/frame_methods_win32.h"

typedef struct SwappedTable {
    IDirect3DDevice9Vtbl table; /* first: the device points at it */
    IDirect3DDevice9Vtbl* system;
    struct SwappedTable* next;
} SwappedTable;

/* Every table handed out and not yet given back: only these are ours. A
 * device is made and swapped on the game's one thread. */
static SwappedTable* swapped_tables;

static void read_methods(const IDirect3DDevice9Vtbl* table, FrameMethods* methods) {
    methods->clear = table->Clear;
    methods->begin_scene = table->BeginScene;
    methods->end_scene = table->EndScene;
    methods->present = table->Present;
    methods->reset = table->Reset;
    methods->test_cooperative_level = table->TestCooperativeLevel;
}

static SwappedTable** link_of(IDirect3DDevice9* device) {
    SwappedTable** link = &swapped_tables;
    while (*link && &(*link)->table != device->lpVtbl) link = &(*link)->next;
    return *link ? link : NULL;
}

int replace_frame_methods(IDirect3DDevice9* device, const FrameMethods* ours, FrameMethods* system) {
    SwappedTable* swapped;
    if (!device || !ours || !system || !device->lpVtbl) return 0;
    if (link_of(device)) {
        read_methods((*link_of(device))->system, system);
        return 1;
    }
    swapped = (SwappedTable*)calloc(1, sizeof *swapped);
    if (!swapped) return 0;
    swapped->table = *device->lpVtbl;
    swapped->system = device->lpVtbl;
    swapped->next = swapped_tables;
    swapped_tables = swapped;
    read_methods(device->lpVtbl, system);
    swapped->table.Clear = ours->clear;
    swapped->table.BeginScene = ours->begin_scene;
    swapped->table.EndScene = ours->end_scene;
    swapped->table.Present = ours->present;
    swapped->table.Reset = ours->reset;
    swapped->table.TestCooperativeLevel = ours->test_cooperative_level;
    device->lpVtbl = &swapped->table;
    return 1;
}

void restore_frame_methods(IDirect3DDevice9* device) {
    SwappedTable** link;
    SwappedTable* swapped;
    if (!device || !device->lpVtbl || !(link = link_of(device))) return;
    swapped = *link;
    *link = swapped->next;
    device->lpVtbl = swapped->system;
    free(swapped);
}
