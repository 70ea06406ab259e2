#include "ui/editors/colorselectordialog.h"

#include "core/color/hsv.h"
#include "core/color/namedcolor.h"
#include "core/model/simpletexture.h"
#include "core/text/textcodec.h"
#include "render/settings/programsettings.h"
#include "ui/dialogs/numberfield.h"
#include "ui/dialogs/validation.h"
#include "ui/editors/addcolordialog.h"
#include "ui/editors/colorswatch.h"
#include "ui/framework/appservices.h"
#include "ui/framework/prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr int kPickerSize = 160; ///< picker square, pixels
constexpr int kStripWidth = 20;  ///< hue strip, pixels
constexpr int kArrowLength = 12; ///< room right of the strip for the hue arrow
constexpr int kArrowHalf = 5;
constexpr std::size_t kShownNameLength = 80;

/// A named colour's name as the list shows it: a name of megabytes from a damaged file would
/// take the list long to lay out.
QString ShownName(const std::string& name) {
    return QString::fromStdString(ShortenedUtf8(name, kShownNameLength));
}
constexpr int kArmLength = 8; ///< picker marker
constexpr int kArmHalfWidth = 2;
constexpr float kBy255 = 0.003921569f;
constexpr float kBy360 = 0.0027777778f;

const char* const kCaptions[] = {"&Red", "&Green", "&Blue",      "&Filter",
                                 "&Hue", "Va&lue", "&Saturation"};
const char* const kNames[] = {"Red", "Green", "Blue", "Filter", "Hue", "Value", "Saturation"};
const char* const kTips[] = {
    "This specifies how much red is in the color.",
    "This specifies how much green is in the color.",
    "This specifies how much blue is in the color.",
    "This specifies how much light passes through the color.",
    "This specifies the hue for the color.",
    "This specifies the value (brightness) of the color.",
    "This specifies how saturated the color is.",
};
constexpr const char* kHexTip = "This specifies the color as a hexadecimal number, #RRGGBB.";
constexpr const char* kHexMessage = "Hexadecimal: please enter a color as #RRGGBB or #RGB.";
constexpr const char* kRemoveQuestion = "Are you sure that you want to remove the selected color?";

int Maximum(int channel) {
    return channel == ColorSelectorDialog::Hue ? 360 : 255;
}
float Factor(int channel) {
    return channel == ColorSelectorDialog::Hue ? kBy360 : kBy255;
}
bool IsRgb(int channel) {
    return channel <= ColorSelectorDialog::Blue;
}
bool IsHsv(int channel) {
    return channel >= ColorSelectorDialog::Hue;
}

/// The colour "#RRGGBB", "RRGGBB" or "#RGB" gives (in either case), or nothing.
std::optional<QRgb> ReadHex(const QString& text) {
    static const QRegularExpression hex(
        QStringLiteral("^#?([0-9A-Fa-f]{6})$|^#([0-9A-Fa-f])([0-9A-Fa-f])([0-9A-Fa-f])$"));
    const QRegularExpressionMatch match = hex.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    QString digits = match.captured(1);
    if (digits.isEmpty())
        for (int i = 2; i <= 4; ++i)
            digits += match.captured(i).repeated(2);
    return 0xff000000u | digits.toUInt(nullptr, 16);
}

QString HexText(QRgb rgb) {
    return QStringLiteral("#%1").arg(rgb & 0xffffffu, 6, 16, QLatin1Char('0')).toUpper();
}

} // namespace

/// The picker square and the hue strip take the mouse alike: a left press starts a drag on one
/// (unless the other is being dragged), moves go on with it, and the release ends it.
class DragArea : public QWidget {
public:
    DragArea(ColorSelectorDialog& dialog, ColorSelectorDialog::Drag drag)
        : QWidget(&dialog), m_dialog(dialog), m_drag(drag) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton &&
            (m_dialog.m_drag == ColorSelectorDialog::Drag::None || m_dialog.m_drag == m_drag))
            DragTo(event->position().toPoint());
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (m_dialog.m_drag == m_drag)
            DragTo(event->position().toPoint());
    }
    void mouseReleaseEvent(QMouseEvent*) override { m_dialog.EndDrag(); }

    ColorSelectorDialog& m_dialog;

private:
    void DragTo(const QPoint& point) {
        if (m_drag == ColorSelectorDialog::Drag::Picker)
            m_dialog.DragPicker(point);
        else
            m_dialog.DragHue(point);
    }

    ColorSelectorDialog::Drag m_drag;
};

/// The picker square: the picker image and the marker.
class PickerSquare : public DragArea {
public:
    explicit PickerSquare(ColorSelectorDialog& dialog)
        : DragArea(dialog, ColorSelectorDialog::Drag::Picker) {
        setFixedSize(kPickerSize, kPickerSize);
        setObjectName(QStringLiteral("picker"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawImage(0, 0, m_dialog.m_pickerImage);
        const QPoint c = m_dialog.MarkerCentre();
        painter.setPen(Qt::white);
        painter.setBrush(Qt::black);
        const int gap = kArmHalfWidth + 1;
        const int far = gap + kArmLength;
        painter.drawRect(QRect(QPoint(c.x() - far, c.y() - kArmHalfWidth),
                               QPoint(c.x() - gap, c.y() + kArmHalfWidth)));
        painter.drawRect(QRect(QPoint(c.x() + gap, c.y() - kArmHalfWidth),
                               QPoint(c.x() + far, c.y() + kArmHalfWidth)));
        painter.drawRect(QRect(QPoint(c.x() - kArmHalfWidth, c.y() - far),
                               QPoint(c.x() + kArmHalfWidth, c.y() - gap)));
        painter.drawRect(QRect(QPoint(c.x() - kArmHalfWidth, c.y() + gap),
                               QPoint(c.x() + kArmHalfWidth, c.y() + far)));
    }
};

/// The hue strip with the arrow right of it; the strip itself is the left kStripWidth pixels.
class HueStripArea : public DragArea {
public:
    explicit HueStripArea(ColorSelectorDialog& dialog)
        : DragArea(dialog, ColorSelectorDialog::Drag::Hue) {
        setFixedSize(kStripWidth + kArrowLength + 1, kPickerSize + 2 * kArrowHalf);
        setObjectName(QStringLiteral("hueStrip"));
    }
    /// The strip's rectangle within the widget (room above and below for the arrow's ends).
    static QRect Strip() { return QRect(0, kArrowHalf, kStripWidth, kPickerSize); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect strip = Strip();
        for (int r = 0; r < strip.height(); ++r) {
            const RgbColor rgb =
                HsvToRgb((1.0 - static_cast<double>(r) / strip.height()) * 360.0, 1.0, 255.0);
            painter.setPen(QColor(rgb.red, rgb.green, rgb.blue));
            painter.drawLine(strip.left(), strip.top() + r, strip.right(), strip.top() + r);
        }
        const int y = m_dialog.HueArrowY();
        const int right = strip.left() + strip.width();
        const QPoint arrow[] = {{right, y},
                                {right + kArrowLength, y - kArrowHalf},
                                {right + kArrowLength, y + kArrowHalf}};
        painter.setPen(palette().color(QPalette::WindowText));
        painter.setBrush(palette().color(QPalette::WindowText));
        painter.drawPolygon(arrow, 3);
    }
};

ColorSelectorDialog::ColorSelectorDialog(AppServices& services, Mode mode, QWidget* parent)
    : QDialog(parent), m_services(services), m_mode(mode) {
    setWindowTitle(QStringLiteral("Color Selector"));
    m_povRay = m_services.Settings().povRayNumbers;
    m_decimalView = !m_povRay && m_services.Settings().decimalInColorPicker;
    BuildControls();
    SetColor(ColorRGBF{});
}

void ColorSelectorDialog::BuildControls() {
    auto* pickerGroup = new QGroupBox(QStringLiteral("Color Picker"), this);
    m_picker = new PickerSquare(*this);
    m_picker->setParent(pickerGroup);
    (new QVBoxLayout(pickerGroup))->addWidget(m_picker, 0, Qt::AlignCenter);
    auto* hueGroup = new QGroupBox(QStringLiteral("Hue"), this);
    m_hueStrip = new HueStripArea(*this);
    m_hueStrip->setParent(hueGroup);
    (new QVBoxLayout(hueGroup))->addWidget(m_hueStrip, 0, Qt::AlignCenter);

    auto* grid = new QGridLayout;
    for (int c = 0; c < ChannelCount; ++c) {
        const auto channel = static_cast<Channel>(c);
        // Hue counts degrees, as POV-Ray's CHSV colours do.
        auto* row = new ColorChannelRow(this, grid, c, QString::fromLatin1(kCaptions[c]),
                                        QString::fromLatin1(kNames[c]), Maximum(c),
                                        c == Hue ? 30 : 16, m_povRay && c != Hue);
        row->Slider()->setToolTip(QString::fromLatin1(kTips[c]));
        row->Slider()->setMinimumWidth(160);
        connect(row, &ColorChannelRow::sliderChanged, this,
                [this, channel] { OnSliderMoved(channel); });
        connect(row, &ColorChannelRow::sliderReleased, this,
                &ColorSelectorDialog::OnSliderReleased);
        connect(row, &ColorChannelRow::typed, this,
                [this, channel](bool decimalEdit) { OnEditTyped(channel, decimalEdit); });
        m_rows[c] = row;
    }
    // A gap between the colour channels and the hue group of three.
    grid->setRowMinimumHeight(Hue, m_rows[Red]->Slider()->sizeHint().height() + 8);
    grid->setAlignment(m_rows[Hue]->Label(), Qt::AlignBottom);

    auto* hexLabel = new QLabel(QStringLiteral("He&x"), this);
    hexLabel->setObjectName(QStringLiteral("hexLabel"));
    m_hex = new QLineEdit(this);
    m_hex->setObjectName(QStringLiteral("hex"));
    m_hex->setAccessibleName(QStringLiteral("Hexadecimal"));
    m_hex->setToolTip(QString::fromLatin1(kHexTip));
    m_hex->setFixedWidth(m_rows[Red]->IntegerEdit()->minimumWidth());
    hexLabel->setBuddy(m_hex);
    grid->addWidget(hexLabel, ChannelCount, 0);
    grid->addWidget(m_hex, ChannelCount, 2);
    connect(m_hex, &QLineEdit::textChanged, this, &ColorSelectorDialog::OnHexEdited);
    connect(m_hex, &QLineEdit::editingFinished, this, &ColorSelectorDialog::OnHexFinished);

    m_swatch = new ColorSwatch(this);
    m_swatch->setObjectName(QStringLiteral("swatch"));
    m_swatch->setMinimumSize(80, 40);
    m_decimalCheck = new QCheckBox(QStringLiteral("&Decimal"), this);
    m_decimalCheck->setObjectName(QStringLiteral("decimal"));
    m_decimalCheck->setToolTip(QStringLiteral(
        "Check if you want to display the values as decimals ranging from 0.0 to 1.0"));
    m_decimalCheck->setChecked(m_decimalView || m_povRay);
    if (m_povRay) {
        m_decimalCheck->setEnabled(false);
        m_decimalCheck->setToolTip(
            QStringLiteral("The values show as POV-Ray writes them (Options > Preferences)."));
    }
    connect(m_decimalCheck, &QCheckBox::toggled, this, &ColorSelectorDialog::OnDecimalToggled);

    auto* nameLabel = new QLabel(QStringLiteral("&Name"), this);
    m_names = new QComboBox(this);
    m_names->setObjectName(QStringLiteral("names"));
    m_names->setToolTip(
        QStringLiteral("Use this combobox to select a named color into the color picker."));
    m_names->setMinimumContentsLength(16);
    LabelFor(nameLabel, m_names);
    m_add = new QPushButton(QStringLiteral("&Add..."), this);
    m_add->setToolTip(
        QStringLiteral("Use this button to add the current color to the list of named colors."));
    m_remove = new QPushButton(QStringLiteral("R&emove"), this);
    m_remove->setToolTip(
        QStringLiteral("Use this button to remove the selected named color from the list."));
    m_save = new QPushButton(QStringLiteral("Sa&ve"), this);
    m_save->setToolTip(
        QStringLiteral("Use this button to save the current color as the selected named color."));
    for (QPushButton* button : {m_add, m_remove, m_save})
        button->setAutoDefault(false);
    m_add->setObjectName(QStringLiteral("add"));
    m_remove->setObjectName(QStringLiteral("remove"));
    m_save->setObjectName(QStringLiteral("save"));
    connect(m_names, &QComboBox::activated, this, &ColorSelectorDialog::OnNameChosen);
    connect(m_add, &QPushButton::clicked, this, &ColorSelectorDialog::OnAdd);
    connect(m_remove, &QPushButton::clicked, this, &ColorSelectorDialog::OnRemove);
    connect(m_save, &QPushButton::clicked, this, &ColorSelectorDialog::OnSave);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ColorSelectorDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ColorSelectorDialog::reject);

    auto* pictures = new QHBoxLayout;
    pictures->addWidget(pickerGroup);
    pictures->addWidget(hueGroup);
    auto* swatchRow = new QHBoxLayout;
    swatchRow->addWidget(m_swatch, 1);
    swatchRow->addWidget(m_decimalCheck);
    auto* left = new QVBoxLayout;
    left->addLayout(pictures);
    left->addLayout(swatchRow);
    left->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addLayout(left);
    top->addLayout(grid, 1);
    auto* names = new QHBoxLayout;
    names->addWidget(nameLabel);
    names->addWidget(m_names, 1);
    names->addWidget(m_add);
    names->addWidget(m_remove);
    names->addWidget(m_save);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(names);
    new FieldMessageLine(this); // the fields tell what is wrong under themselves
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Tab order: the channels in order, then Decimal, the names and the buttons.
    QWidget* previous = nullptr;
    for (ColorChannelRow* row : m_rows)
        previous = row->FollowInTabOrder(previous);
    setTabOrder(previous, m_hex);
    setTabOrder(m_hex, m_decimalCheck);
    setTabOrder(m_decimalCheck, m_names);
    setTabOrder(m_names, m_add);
    setTabOrder(m_add, m_remove);
    setTabOrder(m_remove, m_save);
}

void ColorSelectorDialog::SetColor(const ColorRGBF& color) {
    m_value[Red] = color.red;
    m_value[Green] = color.green;
    m_value[Blue] = color.blue;
    m_value[Filter] = color.filter;
    const HsvColor hsv = RgbToHsv(color.red, color.green, color.blue);
    m_value[Hue] = hsv.hue;
    m_value[Saturation] = hsv.saturation;
    m_value[HsvValue] = hsv.value;
    RecomputeDecimals();
    SetDecimalView(m_decimalView);
    WriteEdits();
    SetSliders();
    RebuildPicker();
    FillNameList();
    m_swatch->SetColor(QColor(m_value[Red], m_value[Green], m_value[Blue]));
    ShowHex();
}

ColorRGBF ColorSelectorDialog::Color() const {
    return ColorRGBF{
        static_cast<std::uint8_t>(m_value[Red]), static_cast<std::uint8_t>(m_value[Green]),
        static_cast<std::uint8_t>(m_value[Blue]), static_cast<std::uint8_t>(m_value[Filter])};
}

void ColorSelectorDialog::FillNameList() {
    const QSignalBlocker quiet(m_names);
    m_names->clear();
    m_names->addItem(QStringLiteral("(New Color)"));
    int selected = 0;
    const NamedColorList& colors = m_services.NamedColors();
    const ColorRGBF current = Color();
    for (std::size_t i = 0; i < colors.size(); ++i) {
        m_names->addItem(ShownName(colors[i]->GetName()));
        if (selected == 0 && colors[i]->GetColor() == current)
            selected = static_cast<int>(i) + 1;
    }
    m_names->setCurrentIndex(selected);
    m_remove->setEnabled(selected > 0);
    m_save->setEnabled(selected > 0);
}

void ColorSelectorDialog::FromRgb() {
    const HsvColor hsv = RgbToHsv(m_value[Red], m_value[Green], m_value[Blue]);
    if (hsv.hue != m_value[Hue])
        m_rebuildPicker = true;
    m_value[Hue] = hsv.hue;
    m_value[Saturation] = hsv.saturation;
    m_value[HsvValue] = hsv.value;
}

void ColorSelectorDialog::FromHsv() {
    const RgbColor rgb = HsvToRgb(m_value[Hue], m_value[Saturation] / 255.0, m_value[HsvValue]);
    m_value[Red] = rgb.red;
    m_value[Green] = rgb.green;
    m_value[Blue] = rgb.blue;
}

void ColorSelectorDialog::RecomputeDecimals(int except) {
    for (int c = 0; c < ChannelCount; ++c)
        if (c != except)
            m_decimal[c] = static_cast<float>(m_value[c]) * Factor(c);
}

void ColorSelectorDialog::WriteEdits() {
    for (int c = 0; c < ChannelCount; ++c)
        m_rows[c]->ShowInEdits(m_value[c], static_cast<double>(m_decimal[c]));
}

void ColorSelectorDialog::SetSliders(int except) {
    for (int c = 0; c < ChannelCount; ++c)
        if (c != except)
            m_rows[c]->SetSlider(m_value[c], static_cast<int>(m_decimal[c] * 100.0f));
}

void ColorSelectorDialog::RebuildPicker() {
    m_rebuildPicker = false;
    const int width = kPickerSize;
    const int height = kPickerSize;
    const RgbColor base = HsvToRgb(m_value[Hue], 1.0, 255.0);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        const int v = static_cast<int>(static_cast<double>(y) / height * 100.0);
        const int rowRed = (v * 255 + (100 - v) * base.red) / 100;
        const int rowGreen = (v * 255 + (100 - v) * base.green) / 100;
        const int rowBlue = (v * 255 + (100 - v) * base.blue) / 100;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int column = static_cast<int>(static_cast<double>(x) / width * 100.0);
            line[x] = qRgb(rowRed * column / 100, rowGreen * column / 100, rowBlue * column / 100);
        }
    }
    m_pickerImage = image;
    m_picker->update();
}

QPoint ColorSelectorDialog::MarkerCentre() const {
    return {static_cast<int>(m_value[HsvValue] / 255.0 * kPickerSize),
            static_cast<int>((255 - m_value[Saturation]) / 255.0 * kPickerSize)};
}

int ColorSelectorDialog::HueArrowY() const {
    const QRect strip = HueStripArea::Strip();
    return strip.top() + strip.height() - static_cast<int>(m_value[Hue] / 360.0 * strip.height());
}

void ColorSelectorDialog::Changed() {
    m_swatch->SetColor(QColor(m_value[Red], m_value[Green], m_value[Blue]));
    m_picker->update();
    m_hueStrip->update();
    ShowHex();
    if (m_mode == PigmentColor && m_texture)
        m_texture->pigment.color = Color();
    emit colorChanged();
}

void ColorSelectorDialog::OnSliderMoved(Channel channel) {
    const int position = Slider(channel)->value();
    if (m_decimalView) {
        m_decimal[channel] = static_cast<float>(position * 0.01);
        m_value[channel] =
            static_cast<int>(m_decimal[channel] * static_cast<float>(Maximum(channel)));
    } else {
        m_value[channel] = position;
    }
    if (IsRgb(channel))
        FromRgb();
    else if (IsHsv(channel)) {
        if (channel == Hue)
            m_rebuildPicker = true;
        FromHsv();
    }
    if (channel != Filter)
        RecomputeDecimals(m_decimalView ? channel : -1);
    else if (!m_decimalView)
        m_decimal[Filter] = static_cast<float>(m_value[Filter]) * kBy255;
    WriteEdits();
    SetSliders(channel);
    // A drag rebuilds the picker when the slider is let go; keys rebuild it at once.
    if (m_rebuildPicker && !Slider(channel)->isSliderDown())
        RebuildPicker();
    Changed();
}

void ColorSelectorDialog::OnSliderReleased() {
    if (m_rebuildPicker)
        RebuildPicker();
    SetSliders();
}

void ColorSelectorDialog::OnEditTyped(Channel channel, bool decimalEdit) {
    if (decimalEdit != m_decimalView)
        return;
    if (decimalEdit) {
        const float decimal = m_rows[channel]->DecimalField()->NumberValue();
        if (decimal == m_decimal[channel])
            return;
        m_decimal[channel] = decimal;
        m_value[channel] = static_cast<int>(decimal * static_cast<float>(Maximum(channel)));
    } else {
        const int value = m_rows[channel]->IntegerField()->IntegerValue();
        if (value == m_value[channel])
            return;
        m_value[channel] = value;
    }
    if (IsRgb(channel))
        FromRgb();
    else if (IsHsv(channel)) {
        if (channel == Hue)
            m_rebuildPicker = true;
        FromHsv();
    }
    RecomputeDecimals(decimalEdit ? channel : -1);
    if (m_rebuildPicker)
        RebuildPicker();
    WriteEdits();
    SetSliders();
    Changed();
}

void ColorSelectorDialog::ShowChange() {
    RecomputeDecimals();
    WriteEdits();
    SetSliders();
    Changed();
}

void ColorSelectorDialog::DragPicker(const QPoint& point) {
    m_drag = Drag::Picker;
    const double x = std::clamp(point.x(), 0, kPickerSize);
    const double y = std::clamp(point.y(), 0, kPickerSize);
    m_value[HsvValue] = std::clamp(static_cast<int>(x / kPickerSize * 255.0), 0, 255);
    m_value[Saturation] = std::clamp(255 - static_cast<int>(y / kPickerSize * 255.0), 0, 255);
    FromHsv();
    ShowChange();
}

void ColorSelectorDialog::DragHue(const QPoint& point) {
    m_drag = Drag::Hue;
    const QRect strip = HueStripArea::Strip();
    if (point.y() < strip.top())
        m_value[Hue] = 360;
    else if (point.y() >= strip.top() + strip.height())
        m_value[Hue] = 0;
    else
        m_value[Hue] = static_cast<int>(
            (1.0 - static_cast<double>(point.y() - strip.top()) / strip.height()) * 360.0);
    FromHsv();
    ShowChange();
}

void ColorSelectorDialog::EndDrag() {
    if (m_drag == Drag::Hue)
        RebuildPicker();
    m_drag = Drag::None;
    SetSliders();
}

void ColorSelectorDialog::OnDecimalToggled(bool checked) {
    if (checked == m_decimalView)
        return;
    SetDecimalView(checked);
    WriteEdits();
    SetSliders();
    m_services.Settings().decimalInColorPicker = m_decimalView;
}

void ColorSelectorDialog::SetDecimalView(bool decimal) {
    m_decimalView = decimal;
    for (ColorChannelRow* row : m_rows)
        row->SetDecimalView(decimal);
}

void ColorSelectorDialog::ShowHex() {
    const QRgb rgb = qRgb(m_value[Red], m_value[Green], m_value[Blue]);
    if (ReadHex(m_hex->text()) == rgb)
        return;
    const QSignalBlocker quiet(m_hex);
    m_hex->setText(HexText(rgb));
    MarkHex(true);
}

void ColorSelectorDialog::OnHexEdited() {
    const std::optional<QRgb> rgb = ReadHex(m_hex->text());
    MarkHex(rgb.has_value());
    if (!rgb || *rgb == qRgb(m_value[Red], m_value[Green], m_value[Blue]))
        return;
    m_value[Red] = qRed(*rgb);
    m_value[Green] = qGreen(*rgb);
    m_value[Blue] = qBlue(*rgb);
    FromRgb();
    if (m_rebuildPicker)
        RebuildPicker();
    ShowChange();
}

void ColorSelectorDialog::OnHexFinished() {
    if (!m_hexGood)
        return;
    const QString shown = HexText(qRgb(m_value[Red], m_value[Green], m_value[Blue]));
    if (m_hex->text() != shown) {
        const QSignalBlocker quiet(m_hex);
        m_hex->setText(shown);
    }
}

void ColorSelectorDialog::MarkHex(bool good) {
    if (good == m_hexGood)
        return;
    m_hexGood = good;
    const QString message = good ? QString() : QString::fromLatin1(kHexMessage);
    m_hex->setAccessibleDescription(message);
    if (good) {
        m_hex->setPalette(QPalette());
        m_hex->setToolTip(QString::fromLatin1(kHexTip));
        ClearFieldMessage(m_hex);
        return;
    }
    // Marked as number fields mark text that is no good.
    QPalette marked = m_hex->palette();
    marked.setColor(QPalette::Base, marked.color(QPalette::Base).lightness() >= 128
                                        ? QColor(255, 214, 214)
                                        : QColor(110, 30, 30));
    m_hex->setPalette(marked);
    m_hex->setToolTip(message);
}

void ColorSelectorDialog::OnNameChosen(int index) {
    const NamedColorList& colors = m_services.NamedColors();
    if (index <= 0 || index > static_cast<int>(colors.size())) {
        m_remove->setEnabled(false);
        m_save->setEnabled(false);
        return;
    }
    m_remove->setEnabled(true);
    m_save->setEnabled(true);
    const ColorRGBF color = colors[static_cast<std::size_t>(index - 1)]->GetColor();
    m_value[Red] = color.red;
    m_value[Green] = color.green;
    m_value[Blue] = color.blue;
    m_value[Filter] = color.filter;
    FromRgb();
    RebuildPicker();
    ShowChange();
}

void ColorSelectorDialog::OnAdd() {
    AddColorDialog ask(this);
    if (ask.exec() != QDialog::Accepted)
        return;
    NamedColorList& colors = m_services.NamedColors();
    colors.push_back(std::make_unique<NamedColor>(ask.Name().toStdString(), Color()));
    m_names->addItem(ShownName(colors.back()->GetName()));
    m_names->setCurrentIndex(m_names->count() - 1);
    m_remove->setEnabled(true);
    m_save->setEnabled(true);
}

void ColorSelectorDialog::OnRemove() {
    const int index = m_names->currentIndex();
    NamedColorList& colors = m_services.NamedColors();
    if (index <= 0 || index > static_cast<int>(colors.size()))
        return;
    if (Prompts::Message(this, Prompts::Icon::Stop, QStringLiteral("Remove Color"),
                         QString::fromLatin1(kRemoveQuestion),
                         QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    colors.erase(colors.begin() + (index - 1));
    m_names->removeItem(index);
    m_names->setCurrentIndex(0);
    m_remove->setEnabled(false);
    m_save->setEnabled(false);
}

void ColorSelectorDialog::OnSave() {
    const int index = m_names->currentIndex();
    NamedColorList& colors = m_services.NamedColors();
    if (index <= 0 || index > static_cast<int>(colors.size()))
        return;
    colors[static_cast<std::size_t>(index - 1)]->SetColor(Color());
}

void ColorSelectorDialog::accept() {
    for (ColorChannelRow* row : m_rows)
        if (!row->ShownField()->Check(this))
            return;
    if (!m_hexGood) {
        RefuseAtField(m_hex, QString::fromLatin1(kHexMessage), this);
        return;
    }
    QDialog::accept();
}
