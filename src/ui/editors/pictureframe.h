#pragma once

#include "core/bitmap/bitmap.h"

#include <QGroupBox>
#include <QSize>

class AppServices;

/// The frame without a caption in which the Preview window and the shape editor show their
/// rendered picture. The picture is as large as the frame less 14 pixels in width and 25 in
/// height, and is drawn 7 pixels right of the frame's left edge and 17 below its top.
class PictureFrame : public QGroupBox {
    Q_OBJECT
public:
    static constexpr int kLeft = 7;
    static constexpr int kTop = 17;
    static constexpr int kExtraWidth = 14;
    static constexpr int kExtraHeight = 25;

    PictureFrame(AppServices& services, QWidget* parent = nullptr);

    /// Gives the frame the size that holds a picture of `picture`.
    void SetPictureSize(QSize picture);
    /// The size a picture rendered for this frame has.
    QSize PictureSize() const;

    const Bitmap& Picture() const { return m_picture; }
    /// Shows `picture` from the next paint on.
    void SetPicture(Bitmap picture);

    /// How many times a newly set picture has been painted on the screen (the first paint
    /// after each SetPicture counts).
    int ShownPictures() const { return m_shownPictures; }

signals:
    /// A newly set picture has just been painted.
    void pictureShown();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    AppServices& m_services;
    Bitmap m_picture;
    bool m_newPicture = false;
    int m_shownPictures = 0;
};
