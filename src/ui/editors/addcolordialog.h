#pragma once

#include <QDialog>

class QLineEdit;

/// Asks for the name of a new named colour ("Untitled" to start with; any name is taken).
class AddColorDialog : public QDialog {
    Q_OBJECT
public:
    explicit AddColorDialog(QWidget* parent = nullptr);

    QString Name() const;
    QLineEdit* NameEdit() const { return m_name; }

private:
    QLineEdit* m_name;
};
