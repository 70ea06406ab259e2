#pragma once

#include <QScrollArea>
#include <functional>

/// A scroll area that asks for the whole of its contents and lets itself be made smaller only
/// as far as the screen is too small for them: a window holding it is as large as its contents
/// where the screen allows, and the contents scroll only where it does not.
class FittingScrollArea : public QScrollArea {
    Q_OBJECT
public:
    /// `around` tells how much of the window is not the scroll area (its margins, its buttons).
    FittingScrollArea(std::function<QSize()> around, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    /// The room the screen leaves once the window's frame and the rest of it are counted.
    QSize Room() const;
    /// `contents` with the width of the scroll bar they need when they are taller than the
    /// room, so they need not scroll sideways too.
    QSize WithScrollBar(QSize contents) const;

    std::function<QSize()> m_around;
};
