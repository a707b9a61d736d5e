#pragma once

namespace qdv {

// Which entries of an editor's context menu are available.
struct EditMenuState {
    bool cut = true;
    bool copy = true;
    bool paste = false;
    bool del = true;
    bool undo = false;
    bool redo = false;

    bool operator==(const EditMenuState&) const = default;
};

} // namespace qdv
