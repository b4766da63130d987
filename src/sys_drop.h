// The shelf's drop target and drag-out (Windows only: included by *_win.cpp
// files and Windows tests).
//
// ShelfDropTarget is the only COM object the program implements. It accepts
// file drags over the island window, opens the shelf while a drag hovers and
// hands the dropped paths to the App. It reaches the App only through the
// DropSink the host gives it, so a drag arriving while another handler of the
// user-interface thread holds the App is refused.
//
// Drag-out needs no COM object of ours: the shell item's own data object and
// the shell's default drop source carry the drag (SHDoDragDrop).
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sys_win.h"

#include <ole2.h>
#include <wrl/client.h>

// The App as a drag sees it, lent by the host for one drop-target call: the
// App's own fields, and the host's reactions (run with the App still lent).
struct DropApp {
    bool& drag_hover;                         // a drag hovers over the island
    const bool& drag_out;                     // the island itself drags a shelf file out
    const bool& pointer_inside;               // the pointer is over the island
    const double& now;                        // the App clock, seconds
    std::optional<double>& close_deadline;    // pending collapse time
    bool& redraw;
    // A file drag entered: set the drag-hover flag and open the island on the shelf.
    std::function<void()> begin_drag_hover;
    // The drop: a non-empty list is added to the shelf (or imported); an empty
    // list ends the hover as a drag leaving does.
    std::function<void(std::vector<std::string>)> add_dropped_files;
};

// How the drop target reaches the App; the host wires it to its
// user-interface thread slot.
struct DropSink {
    // Lends the App for one call: runs `use` and returns true, or returns false
    // without running it when the slot is empty or already borrowed.
    std::function<bool(const std::function<void(DropApp&)>& use)> with_app;
};

// A new drop target for the island window with a reference count of 1 (held
// by the returned pointer).
Microsoft::WRL::ComPtr<IDropTarget> make_shelf_drop_target(HWND window, DropSink sink);

// RegisterDragDrop for the island window (OLE initialised on this thread);
// the result only feeds the start-up log line.
HRESULT register_shelf_drop_target(HWND window, IDropTarget* target);
// RevokeDragDrop when the frame loop ends; a failure is ignored.
void revoke_shelf_drop_target(HWND window);

// Effects a drop accepts: copy when allowed, else link when allowed, else none.
DWORD shelf_drop_effect(DWORD allowed);

// The file paths of a data object's CF_HDROP list (every entry, no limit);
// empty when it carries none.
std::vector<std::string> data_object_files(IDataObject* data);

// Drags one file out of the island with the shell's data object and drop
// source (copy, move and link allowed); blocks in the drag loop. Returns the
// effect the drag ended with (a cancelled drag included), nothing on failure.
std::optional<uint32_t> drag_file_out(HWND window, const std::string& path);
