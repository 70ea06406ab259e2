#pragma once

#include "core/model/imagemap.h"

#include <QDialog>
#include <array>

class QCheckBox;
class NumberField;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

/// The Image Mapping dialog: the image file of an image-map pigment or a bump-map normal, its
/// "&Once" flag, interpolation and projection, and (for a normal) the bump size.
class ImageMapDialog : public QDialog {
    Q_OBJECT
public:
    ImageMapDialog(const ImageMap& settings, bool showBumpSize, QWidget* parent = nullptr);

    bool Once() const { return m_onceValue; }
    int InterpolationIndex() const { return m_interpolationIndex; }
    int ProjectionIndex() const { return m_projectionIndex; }
    QString FileName() const { return m_fileName; }
    float BumpSize() const { return m_bumpSize; }

    /// The folder renders look in for an image named without a full path (the program
    /// directory, which POV-Ray is given as its library path).
    void SetProgramDirectory(const QString& folder);

    QCheckBox* OnceCheck() const { return m_once; }
    QRadioButton* InterpolationButton(int index) const {
        return m_interpolation[static_cast<std::size_t>(index)];
    }
    QRadioButton* ProjectionButton(int index) const {
        return m_projection[static_cast<std::size_t>(index)];
    }
    QLineEdit* FileEdit() const { return m_file; }
    QLineEdit* BumpSizeEdit() const { return m_bump; }
    QPushButton* BrowseButton() const { return m_browse; }
    /// Says where the image named in the file field is found, or where it was looked for.
    QLabel* LocationLabel() const { return m_location; }

    /// OK: the bump size must be a number and not zero, and the file must open for reading.
    void accept() override;

private:
    bool ReadFields();
    void WriteFields();
    void OnBrowse();
    void ShowLocation();

    bool m_onceValue = false;
    int m_interpolationIndex = 0;
    int m_projectionIndex = 0;
    QString m_fileName;
    float m_bumpSize = 4.0f;
    bool m_showBumpSize = false;
    QString m_programDirectory;

    QCheckBox* m_once;
    std::array<QRadioButton*, 3> m_interpolation{};
    std::array<QRadioButton*, 4> m_projection{};
    QLineEdit* m_file;
    QLabel* m_location;
    QLabel* m_bumpLabel;
    QLineEdit* m_bump;
    NumberField* m_bumpField;
    QPushButton* m_browse;
};

/// Runs the Image Mapping dialog on a copy of `image`, looking for images named without a full
/// path in `programDirectory`; on OK writes back the once flag, interpolation, projection, the
/// file type from the file name (an unknown one is taken as GIF after saying so), the file name
/// and, when shown, the bump size. True on OK.
bool RunImageMapDialog(ImageMap& image, bool withBumpSize, const QString& programDirectory,
                       QWidget* parent);

/// The file a render reads for an image named `name` in a texture: a full path stands for
/// itself; any other name is looked up in `programDirectory`, as POV-Ray looks it up in its
/// library path (the folder a render runs in holds only the render's own files).
QString ImageFileLocation(const QString& name, const QString& programDirectory);

/// The interpolate value of an interpolation button (0 none, 4 normalized, 2 bilinear) and back.
int InterpolateForIndex(int index);
int IndexForInterpolate(int interpolate);
/// The map_type of a projection button (planar 0, spherical 1, cylindrical 2, torus 5) and back.
int MapTypeForIndex(int index);
int IndexForMapType(int mapType);
