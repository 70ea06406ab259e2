#pragma once

#include <QDialog>

/// About Velvane: the program's icon, name and version, what it is, and the Qt it runs on.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);

    /// "Velvane 1.0.0" (the name alone when no version is set).
    static QString NameAndVersion();
};
