#pragma once

#include <QWidget>

class QLineEdit;
class QPlainTextEdit;
class Texture;

/// A texture's name and description, labelled and reachable by their access keys. What the user
/// types goes into the texture at once; the description shows "\n" line ends and is kept with
/// "\r\n", as stored.
class NameFields : public QWidget {
    Q_OBJECT
public:
    /// `nameLabel` carries the name's access key ("&Name", or another letter where N is taken).
    /// A description of `descriptionLines` lines keeps that height; 0 lets it grow.
    NameFields(Texture& texture, const QString& nameLabel, int descriptionLines, QWidget* parent);

    /// Shows the texture's name and description (after the texture changed elsewhere).
    void Show();

    QLineEdit* NameEdit() const { return m_name; }
    QPlainTextEdit* DescriptionEdit() const { return m_description; }

signals:
    /// The user changed the name or the description.
    void edited();

private:
    QString ShownDescription() const;

    Texture& m_texture;
    QLineEdit* m_name;
    QPlainTextEdit* m_description;
};
