#pragma once

/// What the editors tell the Preview window that stands beside them. The pages and dialogs
/// hold a pointer that may be null while no Preview window is shown.
class PreviewLink {
public:
    virtual ~PreviewLink() = default;

    /// The working texture changed (a control wrote into it); an automatic preview renders again.
    virtual void TextureChanged() = 0;
    /// Hides the window while a modal dialog of the editor is open.
    virtual void HideForDialog() = 0;
    /// Shows the window again after that dialog closed.
    virtual void ShowAfterDialog() = 0;
};
