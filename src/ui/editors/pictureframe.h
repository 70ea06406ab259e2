#pragma once

#include "core/bitmap/bitmap.h"

#include <QGroupBox>
#include <QRect>
#include <QSize>

class AppServices;

/// The frame without a caption in which the Preview window and the shape editor show their
/// rendered picture. The picture is as large as the frame less 14 pixels in width and 25 in
/// height, and is drawn 7 pixels right of the frame's left edge and 17 below its top.
///
/// A resizable frame (the Preview's) grows with its window: its picture is the largest square
/// that fits (the preview scenes are square), centred, rendered at the screen's device pixels,
/// and a picture of another size is stretched to fill it until a new one comes.
class PictureFrame : public QGroupBox {
    Q_OBJECT
public:
    static constexpr int kLeft = 7;
    static constexpr int kTop = 17;
    static constexpr int kExtraWidth = 14;
    static constexpr int kExtraHeight = 25;

    PictureFrame(AppServices& services, QWidget* parent = nullptr);

    /// Gives the frame the fixed size that holds a picture of `picture`.
    void SetPictureSize(QSize picture);
    /// Lets the frame grow with its window, its picture never smaller than `side` square.
    void SetResizable(int side);

    /// The size a picture takes on the screen, in the window's (logical) pixels.
    QSize PictureSize() const;
    /// The size a picture rendered for this frame has: PictureSize() in device pixels.
    QSize RenderSize() const;
    /// Where the picture goes within the frame.
    QRect PictureRect() const;

    const Bitmap& Picture() const { return m_picture; }
    /// Shows `picture` from the next paint on.
    void SetPicture(Bitmap picture);

    /// Marks the picture as about to be replaced (a small mark in its corner) or not.
    void SetBusy(bool busy);
    bool IsBusy() const { return m_busy; }
    /// The corner of the picture where the busy mark goes.
    QRect BusyMarkRect() const;

    /// How many times a newly set picture has been painted on the screen (the first paint
    /// after each SetPicture counts).
    int ShownPictures() const { return m_shownPictures; }

signals:
    /// A newly set picture has just been painted.
    void pictureShown();
    /// The size of the picture the frame shows has changed.
    void pictureSizeChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    AppServices& m_services;
    Bitmap m_picture;
    bool m_resizable = false;
    bool m_busy = false;
    bool m_newPicture = false;
    int m_shownPictures = 0;
};
