#include "ui/texmap/createtexturemapdialog.h"

#include "core/model/numberformat.h"
#include "render/settings/programsettings.h"
#include "ui/dialogs/validation.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <tuple>

namespace {

/// A computed size as the whole number a size field holds: truncated, and kept within the
/// range of int so that an extreme aspect gives a size the field then refuses.
int TruncatedSize(float value) {
    if (std::isnan(value))
        return 0;
    const double bounded =
        std::clamp(static_cast<double>(value), static_cast<double>(std::numeric_limits<int>::min()),
                   static_cast<double>(std::numeric_limits<int>::max()));
    return static_cast<int>(std::trunc(bounded));
}

QLineEdit* MakeEdit(const QString& name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("000000000")));
    return edit;
}

/// A stored setting or a button's id as a method; anything unknown is None.
TileMethod TilingFrom(int value) {
    switch (value) {
    case static_cast<int>(TileMethod::EdgeFade):
        return TileMethod::EdgeFade;
    case static_cast<int>(TileMethod::Mirror):
        return TileMethod::Mirror;
    default:
        return TileMethod::None;
    }
}

} // namespace

QSize CreateTextureMapDialog::TiledSize(int width, int height, TileMethod tiling) {
    return tiling == TileMethod::Mirror ? QSize(2 * width, 2 * height) : QSize(width, height);
}

QString CreateTextureMapDialog::MapSizeText(int width, int height, TileMethod tiling) {
    const QSize size = TiledSize(width, height, tiling);
    return QStringLiteral("The map will be %1 %2 %3 pixels.")
        .arg(QString::number(size.width()), QString(QChar(0x00D7)), QString::number(size.height()));
}

CreateTextureMapDialog::CreateTextureMapDialog(ProgramSettings& settings, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_settings(settings), m_width(settings.textureMapWidth), m_height(settings.textureMapHeight),
      m_keepAspect(settings.textureMapUseAspectRatio), m_aspect(settings.textureMapAspectRatio),
      m_antialiasing(settings.antialiasing), m_override(settings.textureMapOverrideFinish),
      m_brightness(settings.textureMapBrightness), m_tiling(TilingFrom(settings.textureMapTiling)) {
    setWindowTitle(QStringLiteral("Create Texture Map"));

    auto* sizeGroup = new QGroupBox(QStringLiteral("Image Size"), this);
    m_widthEdit = MakeEdit(QStringLiteral("widthEdit"), sizeGroup);
    m_heightEdit = MakeEdit(QStringLiteral("heightEdit"), sizeGroup);
    auto* widthLabel = new QLabel(QStringLiteral("&Width:"), sizeGroup);
    widthLabel->setBuddy(m_widthEdit);
    auto* heightLabel = new QLabel(QStringLiteral("&Height:"), sizeGroup);
    heightLabel->setBuddy(m_heightEdit);
    m_keepAspectCheck = new QCheckBox(QStringLiteral("&Maintain Aspect Ratio"), sizeGroup);
    m_keepAspectCheck->setObjectName(QStringLiteral("keepAspectCheck"));
    m_keepAspectCheck->setChecked(m_keepAspect);
    m_aspectEdit = MakeEdit(QStringLiteral("aspectEdit"), sizeGroup);
    m_aspectEdit->setAccessibleName(QStringLiteral("Aspect ratio"));
    auto* aspectRow = new QHBoxLayout;
    aspectRow->addWidget(new QLabel(QStringLiteral("of"), sizeGroup));
    aspectRow->addWidget(m_aspectEdit);
    aspectRow->addWidget(new QLabel(QStringLiteral("to 1.0"), sizeGroup));
    aspectRow->addStretch(1);
    auto* sizeLayout = new QGridLayout(sizeGroup);
    sizeLayout->addWidget(widthLabel, 0, 0);
    sizeLayout->addWidget(m_widthEdit, 0, 1);
    sizeLayout->addWidget(heightLabel, 1, 0);
    sizeLayout->addWidget(m_heightEdit, 1, 1);
    sizeLayout->addWidget(m_keepAspectCheck, 2, 0, 1, 2);
    sizeLayout->addLayout(aspectRow, 3, 0, 1, 2);
    sizeLayout->setColumnStretch(1, 1);

    auto* tilingGroup = new QGroupBox(QStringLiteral("Tiling"), this);
    m_tilingGroup = new QButtonGroup(this);
    auto* tilingRow = new QHBoxLayout;
    for (const auto& [method, text, name, accessibleName] :
         {std::tuple{TileMethod::None, "&None", "tileNoneRadio", "No tiling"},
          std::tuple{TileMethod::EdgeFade, "&Edge Fade", "tileEdgeFadeRadio", "Edge Fade tiling"},
          std::tuple{TileMethod::Mirror, "M&irror", "tileMirrorRadio", "Mirror tiling"}}) {
        auto* radio = new QRadioButton(QString::fromLatin1(text), tilingGroup);
        radio->setObjectName(QString::fromLatin1(name));
        radio->setAccessibleName(QString::fromLatin1(accessibleName));
        radio->setChecked(method == m_tiling);
        m_tilingGroup->addButton(radio, static_cast<int>(method));
        tilingRow->addWidget(radio);
    }
    tilingRow->addStretch(1);
    m_mapSizeLabel = new QLabel(tilingGroup);
    m_mapSizeLabel->setObjectName(QStringLiteral("mapSizeLabel"));
    // The dialog keeps its height while a size being typed leaves the label empty.
    m_mapSizeLabel->setMinimumHeight(m_mapSizeLabel->fontMetrics().lineSpacing());
    auto* tilingLayout = new QVBoxLayout(tilingGroup);
    tilingLayout->addLayout(tilingRow);
    tilingLayout->addWidget(m_mapSizeLabel);

    m_antialiasingCheck = new QCheckBox(QStringLiteral("&Antialiasing"), this);
    m_antialiasingCheck->setObjectName(QStringLiteral("antialiasingCheck"));
    m_antialiasingCheck->setChecked(m_antialiasing);
    m_overrideCheck = new QCheckBox(QStringLiteral("&Override finish settings"), this);
    m_overrideCheck->setObjectName(QStringLiteral("overrideCheck"));
    m_overrideCheck->setChecked(m_override);
    m_brightnessLabel = new QLabel(QStringLiteral("&Brightness"), this);
    m_brightnessLabel->setObjectName(QStringLiteral("brightnessLabel"));
    m_brightnessEdit = MakeEdit(QStringLiteral("brightnessEdit"), this);
    m_brightnessLabel->setBuddy(m_brightnessEdit);
    m_brightnessSlider = new QSlider(Qt::Horizontal, this);
    m_brightnessSlider->setObjectName(QStringLiteral("brightnessSlider"));
    m_brightnessSlider->setRange(0, 100);
    m_brightnessSlider->setValue(std::clamp(m_brightness, 0, 100));
    auto* brightnessRow = new QHBoxLayout;
    brightnessRow->addWidget(m_brightnessLabel);
    brightnessRow->addWidget(m_brightnessEdit);
    brightnessRow->addWidget(m_brightnessSlider, 1);

    m_renderButton = new QPushButton(QStringLiteral("&Render..."), this);
    m_renderButton->setObjectName(QStringLiteral("renderButton"));
    m_renderButton->setDefault(true);
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_cancelButton->setAutoDefault(false);
    // A click on a button leaves the focus in the field, so Cancel never checks a half-typed
    // value and Render applies the rule of the field being left itself (see OnRender).
    m_renderButton->setFocusPolicy(Qt::TabFocus);
    m_cancelButton->setFocusPolicy(Qt::TabFocus);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_renderButton);
    buttons->addWidget(m_cancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sizeGroup);
    layout->addWidget(tilingGroup);
    layout->addWidget(m_antialiasingCheck);
    layout->addWidget(m_overrideCheck);
    layout->addLayout(brightnessRow);
    layout->addStretch(1);
    layout->addLayout(buttons);

    for (QLineEdit* edit : {m_widthEdit, m_heightEdit, m_aspectEdit})
        edit->installEventFilter(this);
    connect(m_keepAspectCheck, &QCheckBox::toggled, this,
            &CreateTextureMapDialog::OnKeepAspectClicked);
    connect(m_overrideCheck, &QCheckBox::toggled, this, &CreateTextureMapDialog::OnOverrideClicked);
    connect(m_antialiasingCheck, &QCheckBox::toggled, this,
            &CreateTextureMapDialog::OnAntialiasingClicked);
    connect(m_brightnessSlider, &QSlider::valueChanged, this,
            &CreateTextureMapDialog::OnSliderMoved);
    connect(m_tilingGroup, &QButtonGroup::idClicked, this,
            &CreateTextureMapDialog::OnTilingClicked);
    for (QLineEdit* edit : {m_widthEdit, m_heightEdit})
        connect(edit, &QLineEdit::textChanged, this, &CreateTextureMapDialog::ShowMapSize);
    connect(m_renderButton, &QPushButton::clicked, this, &CreateTextureMapDialog::OnRender);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    ShowFields();
    ShowMapSize();
    EnableBrightness();
    m_widthEdit->setFocus(Qt::OtherFocusReason);
}

void CreateTextureMapDialog::CopyTo(ProgramSettings& settings) const {
    settings.textureMapWidth = m_width;
    settings.textureMapHeight = m_height;
    settings.textureMapAspectRatio = m_aspect;
    settings.textureMapUseAspectRatio = m_keepAspect;
    settings.textureMapOverrideFinish = m_override;
    settings.textureMapBrightness = m_brightness;
    settings.antialiasing = m_antialiasing;
    settings.textureMapTiling = static_cast<int>(m_tiling);
}

bool CreateTextureMapDialog::ReadFields() {
    m_keepAspect = m_keepAspectCheck->isChecked();
    m_antialiasing = m_antialiasingCheck->isChecked();
    m_override = m_overrideCheck->isChecked();
    m_tiling = TilingFrom(m_tilingGroup->checkedId());
    Validation::FieldReader reader(this);
    reader.Integer(m_widthEdit, m_width, kMinimumSize, kMaximumSize);
    reader.Integer(m_heightEdit, m_height, kMinimumSize, kMaximumSize);
    reader.Number(m_aspectEdit, m_aspect);
    if (m_override)
        reader.Integer(m_brightnessEdit, m_brightness, 0, 100);
    return reader.Ok();
}

void CreateTextureMapDialog::ShowFields() {
    m_widthEdit->setText(QString::number(m_width));
    m_heightEdit->setText(QString::number(m_height));
    m_aspectEdit->setText(QString::fromStdString(FloatToText(m_aspect)));
    m_brightnessEdit->setText(QString::number(m_brightness));
}

void CreateTextureMapDialog::CoupleHeight() {
    m_height = TruncatedSize(static_cast<float>(m_width) / m_aspect);
}

void CreateTextureMapDialog::CoupleWidth() {
    m_width = TruncatedSize(static_cast<float>(m_height) * m_aspect);
}

bool CreateTextureMapDialog::LeaveWidth() {
    const int oldWidth = m_width;
    if (!ReadFields())
        return false;
    if (m_keepAspect && m_width != oldWidth)
        CoupleHeight();
    ShowFields();
    return true;
}

bool CreateTextureMapDialog::LeaveHeight() {
    const int oldHeight = m_height;
    if (!ReadFields())
        return false;
    if (m_keepAspect && m_height != oldHeight)
        CoupleWidth();
    ShowFields();
    return true;
}

bool CreateTextureMapDialog::LeaveAspect() {
    if (!ReadFields())
        return false;
    if (m_keepAspect)
        CoupleWidth();
    ShowFields();
    return true;
}

void CreateTextureMapDialog::OnWidthLeft() {
    LeaveWidth();
}

void CreateTextureMapDialog::OnHeightLeft() {
    LeaveHeight();
}

void CreateTextureMapDialog::OnAspectLeft() {
    LeaveAspect();
}

void CreateTextureMapDialog::OnKeepAspectClicked() {
    LeaveAspect();
}

void CreateTextureMapDialog::OnOverrideClicked() {
    ReadFields();
    // The controls follow the box even when a field was refused.
    EnableBrightness();
}

void CreateTextureMapDialog::OnAntialiasingClicked() {
    ReadFields();
    // Takes effect at once, whether the dialog then renders or is cancelled.
    m_settings.antialiasing = m_antialiasingCheck->isChecked();
}

void CreateTextureMapDialog::OnSliderMoved(int position) {
    if (position == m_brightness)
        return;
    m_brightness = position;
    // Only the brightness field changes, so a value being typed elsewhere is not overwritten.
    m_brightnessEdit->setText(QString::number(m_brightness));
}

void CreateTextureMapDialog::OnTilingClicked() {
    m_tiling = TilingFrom(m_tilingGroup->checkedId());
    ShowMapSize();
}

void CreateTextureMapDialog::ShowMapSize() {
    const auto valid = [](const QLineEdit* edit) {
        const std::optional<int> size = Validation::ParseInteger(edit->text());
        return size && *size >= kMinimumSize && *size <= kMaximumSize ? size : std::nullopt;
    };
    const std::optional<int> width = valid(m_widthEdit);
    const std::optional<int> height = valid(m_heightEdit);
    m_mapSizeLabel->setText(width && height ? MapSizeText(*width, *height, m_tiling) : QString());
}

void CreateTextureMapDialog::EnableBrightness() {
    const bool on = m_overrideCheck->isChecked();
    m_brightnessLabel->setEnabled(on);
    m_brightnessEdit->setEnabled(on);
    m_brightnessSlider->setEnabled(on);
}

void CreateTextureMapDialog::OnRender() {
    // The buttons take no focus from a click, so the field being left is still focused:
    // a width typed and straight away rendered still sets the height.
    m_inFieldRule = true;
    bool ok = true;
    QWidget* focused = focusWidget();
    if (focused == m_widthEdit)
        ok = LeaveWidth();
    else if (focused == m_heightEdit)
        ok = LeaveHeight();
    else if (focused == m_aspectEdit)
        ok = LeaveAspect();
    ok = ok && ReadFields();
    m_inFieldRule = false;
    if (ok)
        accept();
}

bool CreateTextureMapDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && !m_inFieldRule && isVisible()) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        QWidget* next = QApplication::focusWidget();
        // Switching to another window, opening a menu or going to Cancel is not leaving the field.
        const bool leaving = reason != Qt::ActiveWindowFocusReason &&
                             reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason &&
                             next != m_cancelButton && next != nullptr && isAncestorOf(next);
        if (leaving) {
            m_inFieldRule = true;
            if (watched == m_widthEdit)
                LeaveWidth();
            else if (watched == m_heightEdit)
                LeaveHeight();
            else if (watched == m_aspectEdit)
                LeaveAspect();
            m_inFieldRule = false;
        }
    }
    return QDialog::eventFilter(watched, event);
}
