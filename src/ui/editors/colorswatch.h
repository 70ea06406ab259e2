#pragma once

#include <QColor>
#include <QFrame>

/// A sunken frame filled with one colour, inset by a few pixels; empty while no colour is set.
class ColorSwatch : public QFrame {
public:
    explicit ColorSwatch(QWidget* parent = nullptr);

    void SetColor(const QColor& color);
    void Clear();
    QColor Color() const { return m_color; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color;
};
