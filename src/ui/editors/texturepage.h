#pragma once

#include <QWidget>

class AppServices;
class QPushButton;
class PreviewLink;
class SimpleTexture;

/// A page of the texture edit sheet. Every page edits the sheet's working texture directly, as
/// the user goes, so the Preview window always renders the current state.
class TexturePage : public QWidget {
    Q_OBJECT
public:
    TexturePage(AppServices& services, SimpleTexture& texture, QWidget* parent = nullptr)
        : QWidget(parent), m_services(services), m_texture(texture) {}

    /// Checks every field in the page's reading order (what the user types is in the working
    /// texture already). On the first failing field its message has been shown, the focus is
    /// back on it, and the result is false (the sheet then refuses the page change or OK).
    virtual bool ReadFields() = 0;
    /// Writes the working texture's values into the controls (each time the page is shown).
    virtual void ShowFields() = 0;
    /// The button Return presses while the page is shown; null for the sheet's OK.
    virtual QPushButton* DefaultButton() const { return nullptr; }

    /// The Preview window beside the sheet, or null.
    void SetPreview(PreviewLink* preview) { m_preview = preview; }
    PreviewLink* Preview() const { return m_preview; }

signals:
    /// A control changed the working texture.
    void textureChanged();

protected:
    AppServices& m_services;
    SimpleTexture& m_texture;
    PreviewLink* m_preview = nullptr;
};
