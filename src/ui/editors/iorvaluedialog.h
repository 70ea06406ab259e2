#pragma once

#include <QDialog>
#include <string>

class NumberField;
class QLineEdit;

/// "IOR Value Dialog": the description and index of refraction of one preset.
class IorValueDialog : public QDialog {
    Q_OBJECT
public:
    /// The longest description the dialog takes.
    static constexpr int kMaximumDescription = 1018;

    explicit IorValueDialog(QWidget* parent = nullptr);

    void SetPreset(const std::string& description, float value);
    const std::string& Description() const { return m_description; }
    float Value() const { return m_value; }

    /// Reads the fields; closes only for a number of 1.0 or more.
    void accept() override;

    QLineEdit* DescriptionEdit() const { return m_descriptionEdit; }
    QLineEdit* ValueEdit() const { return m_valueEdit; }

private:
    std::string m_description;
    float m_value = 1.0f;
    QLineEdit* m_descriptionEdit = nullptr;
    QLineEdit* m_valueEdit = nullptr;
    NumberField* m_valueField = nullptr;
};
