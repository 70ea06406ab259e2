#pragma once

#include "render/files/sidefiles.h"

#include <QDialog>

class AppServices;
class QListWidget;
class QPushButton;

/// "IOR Presets": the named indices of refraction kept in "iorvalue.dat". The user adds,
/// removes and changes presets and picks one; OK saves the list (atomically) and closes with
/// the picked preset, Cancel forgets every change.
class IorPresetsDialog : public QDialog {
    Q_OBJECT
public:
    /// Loads the presets ("Vacuum" 1.0 when there is no file; a damaged file is reported and
    /// treated as missing, and stays as it is unless OK saves a new list).
    IorPresetsDialog(AppServices& services, QWidget* parent = nullptr);

    const IorPresetList& Presets() const { return m_presets; }
    /// The selected entry, -1 when none.
    int SelectedIndex() const { return m_selected; }
    /// The selected preset's value; only meaningful when SelectedIndex() >= 0.
    float SelectedValue() const;

    /// Saves the list and closes (also when the file cannot be written, after saying so).
    void accept() override;

    void Add();
    void Remove();
    void Modify();

    QListWidget* List() const { return m_list; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* AddButton() const { return m_add; }
    QPushButton* RemoveButton() const { return m_remove; }
    QPushButton* ModifyButton() const { return m_modifyButton; }

private:
    int SelectedRow() const;
    void Select(int row);
    void EnableCommands(bool enabled);

    AppServices& m_services;
    IorPresetList m_presets;
    int m_selected = -1;
    QListWidget* m_list = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_modifyButton = nullptr;
};
