// The three-state check boxes of the device tree: toggling a node gives its new state to
// every node below it, and every node above it shows checked, cleared or mixed by its
// children. The rules work on any tree through ICheckTree, so they are tested without a
// window as well as on the tree control.
#pragma once

#include <windows.h>
#include <commctrl.h>

// A node's check box is its state image index.
enum CheckState : int {
    kNoCheckBox = 0,
    kCheckCleared = 1,
    kChecked = 2,
    kCheckMixed = 3,
};

class ICheckTree {
public:
    virtual HTREEITEM Parent(HTREEITEM node) const = 0;
    virtual HTREEITEM FirstChild(HTREEITEM node) const = 0;
    virtual HTREEITEM NextSibling(HTREEITEM node) const = 0;
    virtual int GetCheck(HTREEITEM node) const = 0;
    virtual void SetCheck(HTREEITEM node, int state) = 0;

protected:
    ~ICheckTree() = default;
};

// A cleared box becomes checked; a checked, mixed or missing one becomes cleared.
int ToggledCheck(int state) noexcept;

// The state a parent shows for its children: mixed as soon as one child is mixed or both
// checked and cleared children occur; otherwise checked when a child is checked, else
// cleared. Children without a box do not count.
int ParentCheck(const ICheckTree& tree, HTREEITEM parent);

// Toggles `node`, gives its new state to all its descendants and updates its ancestors.
void ToggleCheck(ICheckTree& tree, HTREEITEM node);
