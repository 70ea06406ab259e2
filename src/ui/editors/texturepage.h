#pragma once

#include <QWidget>

class AppServices;
class PreviewLink;
class SimpleTexture;

/// A page of the texture edit sheet. Every page edits the sheet's working texture directly, as
/// the user goes, so the Preview window always renders the current state.
class TexturePage : public QWidget {
    Q_OBJECT
public:
    TexturePage(AppServices& services, SimpleTexture& texture, QWidget* parent = nullptr)
        : QWidget(parent), m_services(services), m_texture(texture) {}

    /// Reads and checks every field into the working texture, in the page's reading order. On the
    /// first failing field its message has been shown, the focus is back on it, and the result is
    /// false (the sheet then refuses the page change or OK).
    virtual bool ReadFields() = 0;
    /// Writes the working texture's values into the controls (each time the page is shown).
    virtual void ShowFields() = 0;

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
