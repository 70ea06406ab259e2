#pragma once

#include "render/povray/texturemaprender.h"
#include "ui/texmap/texturemapdocument.h"

#include <QDialog>
#include <QSize>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
struct ProgramSettings;

/// The Create Texture Map dialog: the size of the map (optionally kept at an aspect ratio), how
/// it is made to tile (with the size that gives), antialiasing, and the flat finish's
/// brightness. It starts from the "Texture Map ..." and
/// "Antialiasing" settings. The Antialiasing box changes that setting as soon as it is
/// clicked; everything else reaches the settings only through CopyTo, after "Render...".
class CreateTextureMapDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMinimumSize = kMinimumTextureMapSide;
    static constexpr int kMaximumSize = kMaximumTextureMapSide;

    explicit CreateTextureMapDialog(ProgramSettings& settings, QWidget* parent = nullptr);

    // The values as last read from the fields (all valid once the dialog is accepted).
    int MapWidth() const { return m_width; }
    int MapHeight() const { return m_height; }
    float Aspect() const { return m_aspect; }
    bool Antialiasing() const { return m_antialiasing; }
    bool OverrideFinish() const { return m_override; }
    int Brightness() const { return m_brightness; }
    TileMethod Tiling() const { return m_tiling; }

    /// The size of a map rendered at `width` by `height` once `tiling` has been applied.
    static QSize TiledSize(int width, int height, TileMethod tiling);
    /// "The map will be 512 × 512 pixels."
    static QString MapSizeText(int width, int height, TileMethod tiling);

    /// Writes every value of the dialog into the settings.
    void CopyTo(ProgramSettings& settings) const;

    /// Reads every field, stopping at the first that is refused (its message shown, the focus
    /// back on it). The brightness is read only while the override is on, as its field is
    /// disabled otherwise.
    bool ReadFields();
    /// Shows every value in its field.
    void ShowFields();

public slots:
    /// What leaving each field does: with the aspect kept, leaving the width sets the height,
    /// leaving the height or the aspect sets the width.
    void OnWidthLeft();
    void OnHeightLeft();
    void OnAspectLeft();
    void OnKeepAspectClicked();
    void OnOverrideClicked();
    void OnAntialiasingClicked();
    void OnSliderMoved(int position);
    void OnTilingClicked();
    /// "Render...": applies the rule of the field being left, reads everything and accepts.
    void OnRender();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool LeaveWidth();
    bool LeaveHeight();
    bool LeaveAspect();
    void EnableBrightness();
    /// Width from height and aspect (or the reverse), as the whole number the field holds.
    void CoupleWidth();
    void CoupleHeight();
    /// The size the map will have, from the size fields as they read now (nothing while one
    /// holds no valid size).
    void ShowMapSize();

    ProgramSettings& m_settings;

    int m_width = 120;
    int m_height = 120;
    bool m_keepAspect = true;
    float m_aspect = 1.0f;
    bool m_antialiasing = false;
    bool m_override = true;
    int m_brightness = 100;
    TileMethod m_tiling = TileMethod::None;

    QLineEdit* m_widthEdit = nullptr;
    QLineEdit* m_heightEdit = nullptr;
    QCheckBox* m_keepAspectCheck = nullptr;
    QLineEdit* m_aspectEdit = nullptr;
    QCheckBox* m_antialiasingCheck = nullptr;
    QCheckBox* m_overrideCheck = nullptr;
    QLabel* m_brightnessLabel = nullptr;
    QLineEdit* m_brightnessEdit = nullptr;
    QSlider* m_brightnessSlider = nullptr;
    QButtonGroup* m_tilingGroup = nullptr;
    QLabel* m_mapSizeLabel = nullptr;
    QPushButton* m_renderButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    bool m_inFieldRule = false;
};
