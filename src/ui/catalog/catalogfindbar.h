#pragma once

#include <QWidget>

class QLineEdit;

/// The Find bar above a catalog grid: a field whose text narrows the grid as the user types.
/// Escape in it asks to close the bar; Return, Up and Down go on to the grid.
class CatalogFindBar : public QWidget {
    Q_OBJECT
public:
    explicit CatalogFindBar(QWidget* parent = nullptr);

    QLineEdit* Field() const { return m_field; }

signals:
    void textChanged(const QString& text);
    void closeRequested();
    void leaveRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_field;
};
