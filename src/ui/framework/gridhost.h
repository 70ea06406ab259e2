#pragma once

class QWidget;

/// What the commands of a window showing a grid of items need of that window: where their
/// dialogs open, the selection of what it shows, Find, and the anchor of Shift-click ranges.
class GridHost {
public:
    virtual ~GridHost() = default;

    /// The window the commands' dialogs and messages open over.
    virtual QWidget& DialogParent() = 0;
    /// Selects every item shown, or none.
    virtual void SelectAllShown() = 0;
    virtual void SelectNone() = 0;
    /// Shows the Find field and puts the cursor in it.
    virtual void ShowFind() = 0;
    /// Forgets the item a Shift-click range starts from.
    virtual void ForgetAnchor() = 0;
};
