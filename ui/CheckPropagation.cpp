#include "ui/CheckPropagation.h"

namespace {

void SetSubtree(ICheckTree& tree, HTREEITEM node, int state)
{
    for (HTREEITEM child = tree.FirstChild(node); child; child = tree.NextSibling(child)) {
        tree.SetCheck(child, state);
        SetSubtree(tree, child, state);
    }
}

} // namespace

int ToggledCheck(int state) noexcept
{
    return state == kCheckCleared ? kChecked : kCheckCleared;
}

int ParentCheck(const ICheckTree& tree, HTREEITEM parent)
{
    bool anyChecked = false;
    bool anyCleared = false;
    for (HTREEITEM child = tree.FirstChild(parent); child; child = tree.NextSibling(child)) {
        const int state = tree.GetCheck(child);
        anyChecked = anyChecked || state == kChecked;
        anyCleared = anyCleared || state == kCheckCleared;
        if (state == kCheckMixed || (anyChecked && anyCleared))
            return kCheckMixed;
    }
    return anyChecked ? kChecked : kCheckCleared;
}

void ToggleCheck(ICheckTree& tree, HTREEITEM node)
{
    const int state = ToggledCheck(tree.GetCheck(node));
    tree.SetCheck(node, state);
    SetSubtree(tree, node, state);

    int childState = state;
    for (HTREEITEM parent = tree.Parent(node); parent; parent = tree.Parent(parent)) {
        // A mixed child makes every ancestor mixed without looking at the siblings.
        childState = childState == kCheckMixed ? kCheckMixed : ParentCheck(tree, parent);
        tree.SetCheck(parent, childState);
    }
}
