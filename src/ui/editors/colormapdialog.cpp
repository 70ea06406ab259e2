#include "ui/editors/colormapdialog.h"

#include "core/model/numberformat.h"
#include "core/model/simpletexture.h"
#include "render/files/colormapfileio.h"
#include "render/settings/programsettings.h"
#include "ui/dialogs/numberfield.h"
#include "ui/editors/colormapband.h"
#include "ui/editors/colorselectordialog.h"
#include "ui/editors/colorswatch.h"
#include "ui/editors/previewlink.h"
#include "ui/framework/appservices.h"
#include "ui/framework/prompts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <numeric>

namespace {

constexpr const char* kFilter = "Color Map (*.txc)";

const char* const kCaptions[] = {"&Red", "&Green", "&Blue", "&Filter"};
const char* const kNames[] = {"Red", "Green", "Blue", "Filter"};
constexpr const char* kPovRayDecimalTip =
    "The values show as POV-Ray writes them (Options > Preferences).";

std::uint8_t& ChannelOf(ColorRGBF& color, int channel) {
    return channel == 0   ? color.red
           : channel == 1 ? color.green
           : channel == 2 ? color.blue
                          : color.filter;
}

QString Fixed2(double value) {
    return QString::number(value, 'f', 2);
}

} // namespace

ColorMapDialog::ColorMapDialog(AppServices& services, SimpleTexture& texture, QWidget* parent)
    : QDialog(parent), m_services(services), m_texture(texture), m_map(texture.pigment.colorMap) {
    setWindowTitle(QStringLiteral("Color Map"));
    m_povRay = services.Settings().povRayNumbers;
    m_decimalView = !m_povRay && services.Settings().decimalInColorMap;
    BuildControls();
    Initialise();
}

ColorMapDialog::~ColorMapDialog() {
    if (!m_povRay)
        m_services.Settings().decimalInColorMap = m_decimalView;
}

void ColorMapDialog::BuildControls() {
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("entries"));
    m_list->setAccessibleName(QStringLiteral("Color Map Entries"));
    m_list->setColumnCount(5);
    m_list->setHeaderLabels({QStringLiteral("Position"), QStringLiteral("Red"),
                             QStringLiteral("Green"), QStringLiteral("Blue"),
                             QStringLiteral("Filter")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->header()->setSectionsMovable(false);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(QHeaderView::Stretch);
    m_list->setMinimumWidth(300);
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this] {
        if (!m_updating)
            SelectLine(m_list->indexOfTopLevelItem(m_list->currentItem()));
    });

    m_insert = new QPushButton(QStringLiteral("&Insert"), this);
    m_delete = new QPushButton(QStringLiteral("De&lete"), this);
    m_decimal = new QCheckBox(QStringLiteral("&Decimal"), this);
    m_insert->setObjectName(QStringLiteral("insert"));
    m_delete->setObjectName(QStringLiteral("delete"));
    m_decimal->setObjectName(QStringLiteral("decimal"));
    connect(m_insert, &QPushButton::clicked, this, &ColorMapDialog::OnInsert);
    connect(m_delete, &QPushButton::clicked, this, &ColorMapDialog::OnDelete);
    connect(m_decimal, &QCheckBox::toggled, this, &ColorMapDialog::OnDecimal);
    if (m_povRay) {
        m_decimal->setEnabled(false);
        m_decimal->setToolTip(QString::fromUtf8(kPovRayDecimalTip));
    }

    auto* grid = new QGridLayout;
    m_positionLabel = new QLabel(QStringLiteral("&Position"), this);
    m_positionSlider = new QSlider(Qt::Horizontal, this);
    m_positionSlider->setRange(0, 100);
    m_positionSlider->setObjectName(QStringLiteral("positionSlider"));
    m_positionSlider->setAccessibleName(QStringLiteral("Position"));
    m_positionEdit = new QLineEdit(this);
    m_positionEdit->setObjectName(QStringLiteral("positionEdit"));
    m_positionEdit->setAccessibleName(QStringLiteral("Position"));
    m_positionEdit->setFixedWidth(
        m_positionEdit->fontMetrics().horizontalAdvance(QStringLiteral("0000.00")) + 12);
    m_positionLabel->setBuddy(m_positionEdit);
    grid->addWidget(m_positionLabel, 0, 0);
    grid->addWidget(m_positionSlider, 0, 1);
    grid->addWidget(m_positionEdit, 0, 2);
    connect(m_positionSlider, &QSlider::valueChanged, this, &ColorMapDialog::OnPositionSlider);
    // Any number is taken; one outside 0 to 1 is held as the nearest end, and shown so once left.
    m_positionField = NumberField::Number(m_positionEdit);
    connect(m_positionField, &NumberField::typed, this, &ColorMapDialog::OnPositionTyped);
    connect(m_positionField, &NumberField::left, this, [this] {
        const float typed = m_positionField->NumberValue();
        if (typed < 0.0f || typed > 1.0f)
            m_positionField->Show(Fixed2(std::clamp(typed, 0.0f, 1.0f)));
    });
    for (int c = 0; c < 4; ++c) {
        const auto channel = static_cast<Channel>(c);
        auto* row = new ColorChannelRow(this, grid, c + 1, QString::fromLatin1(kCaptions[c]),
                                        QString::fromLatin1(kNames[c]), 255, 10, m_povRay);
        row->Slider()->setMinimumWidth(140);
        connect(row, &ColorChannelRow::sliderChanged, this,
                [this, channel] { OnChannelSlider(channel); });
        connect(row, &ColorChannelRow::sliderReleased, this, [this] {
            RebuildBand();
            Changed();
        });
        connect(row, &ColorChannelRow::typed, this,
                [this, channel](bool decimalEdit) { OnChannelTyped(channel, decimalEdit); });
        m_rows[c] = row;
    }

    m_swatch = new ColorSwatch(this);
    m_swatch->setObjectName(QStringLiteral("swatch"));
    m_swatch->setMinimumSize(70, 60);
    m_select = new QPushButton(QStringLiteral("&Select..."), this);
    m_select->setObjectName(QStringLiteral("select"));
    connect(m_select, &QPushButton::clicked, this, &ColorMapDialog::OnSelectColor);

    auto* bandGroup = new QGroupBox(QStringLiteral("Color Map"), this);
    m_bandArea = new ColorMapBand(bandGroup);
    connect(m_bandArea, &ColorMapBand::selectRequested, this, &ColorMapDialog::SelectLine);
    connect(m_bandArea, &ColorMapBand::moveRequested, this, &ColorMapDialog::MoveSelected);
    connect(m_bandArea, &ColorMapBand::addRequested, this, &ColorMapDialog::AddEntry);
    connect(m_bandArea, &ColorMapBand::insertRequested, this, &ColorMapDialog::OnInsert);
    connect(m_bandArea, &ColorMapBand::deleteRequested, this, &ColorMapDialog::OnDelete);
    (new QVBoxLayout(bandGroup))->addWidget(m_bandArea, 0, Qt::AlignCenter);

    m_open = new QPushButton(QStringLiteral("&Open..."), this);
    m_saveAs = new QPushButton(QStringLiteral("Save &As..."), this);
    m_open->setObjectName(QStringLiteral("open"));
    m_saveAs->setObjectName(QStringLiteral("saveAs"));
    connect(m_open, &QPushButton::clicked, this, &ColorMapDialog::OnOpen);
    connect(m_saveAs, &QPushButton::clicked, this, &ColorMapDialog::OnSaveAs);
    for (QPushButton* button : {m_insert, m_delete, m_select, m_open, m_saveAs})
        button->setAutoDefault(false);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->addButton(m_open, QDialogButtonBox::ActionRole);
    buttons->addButton(m_saveAs, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &ColorMapDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ColorMapDialog::reject);

    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(m_insert);
    listButtons->addWidget(m_delete);
    listButtons->addStretch(1);
    listButtons->addWidget(m_decimal);
    auto* left = new QVBoxLayout;
    left->addWidget(m_list, 1);
    left->addLayout(listButtons);
    auto* swatchColumn = new QVBoxLayout;
    swatchColumn->addWidget(m_swatch, 1);
    swatchColumn->addWidget(m_select);
    auto* entry = new QHBoxLayout;
    entry->addLayout(grid, 1);
    entry->addLayout(swatchColumn);
    auto* right = new QVBoxLayout;
    right->addLayout(entry);
    right->addWidget(bandGroup);
    right->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    new FieldMessageLine(this); // the fields tell what is wrong under themselves
    layout->addWidget(buttons);

    setTabOrder(m_list, m_insert);
    setTabOrder(m_insert, m_delete);
    setTabOrder(m_delete, m_decimal);
    setTabOrder(m_decimal, m_positionSlider);
    setTabOrder(m_positionSlider, m_positionEdit);
    QWidget* previous = m_positionEdit;
    for (ColorChannelRow* row : m_rows)
        previous = row->FollowInTabOrder(previous);
    setTabOrder(previous, m_select);
    setTabOrder(m_select, m_bandArea);
}

QString ColorMapDialog::LineText(const ColorMap& map, int index, bool decimal, bool povRay) {
    const ColorRGBF& c = map.colors[static_cast<std::size_t>(index)];
    const double position = map.positions[static_cast<std::size_t>(index)];
    if (povRay) {
        const auto channel = [](std::uint8_t value) {
            return QString::fromStdString(ChannelText(value));
        };
        return QStringLiteral("%1\t%2\t%3\t%4\t%5\t")
            .arg(Fixed2(position), channel(c.red), channel(c.green), channel(c.blue),
                 channel(c.filter));
    }
    if (decimal)
        return QStringLiteral("%1\t%2\t%3\t%4\t%5\t")
            .arg(Fixed2(position), Fixed2(c.red / 255.0), Fixed2(c.green / 255.0),
                 Fixed2(c.blue / 255.0), Fixed2(c.filter / 255.0));
    return QStringLiteral("%1\t%2\t%3\t%4\t%5\t")
        .arg(Fixed2(position))
        .arg(c.red)
        .arg(c.green)
        .arg(c.blue)
        .arg(c.filter);
}

void ColorMapDialog::Initialise() {
    {
        const QSignalBlocker quiet(m_decimal);
        m_decimal->setChecked(m_decimalView || m_povRay);
    }
    for (ColorChannelRow* row : m_rows)
        row->SetDecimalView(m_decimalView);
    RebuildBand();
    m_selected = 0;
    FillList();
    TakeEntry(0);
    EnableForSelection();
    m_insert->setEnabled(m_map.count <= 19);
    Changed();
}

void ColorMapDialog::FillList() {
    m_updating = true;
    m_list->clear();
    for (int i = 0; i < m_map.count; ++i) {
        auto* item = new QTreeWidgetItem(m_list);
        const QStringList columns =
            LineText(m_map, i, m_decimalView, m_povRay).split(QLatin1Char('\t'));
        for (int column = 0; column < 5; ++column)
            item->setText(column, columns.value(column));
    }
    m_list->setCurrentItem(m_list->topLevelItem(m_selected));
    m_updating = false;
}

void ColorMapDialog::RewriteLine(int index) {
    QTreeWidgetItem* item = m_list->topLevelItem(index);
    if (!item)
        return;
    const QStringList columns =
        LineText(m_map, index, m_decimalView, m_povRay).split(QLatin1Char('\t'));
    for (int column = 0; column < 5; ++column)
        item->setText(column, columns.value(column));
}

void ColorMapDialog::TakeEntry(int index) {
    m_selected = std::clamp(index, 0, m_map.count - 1);
    SetSlidersAndEdits();
}

void ColorMapDialog::SetSlidersAndEdits() {
    const ColorRGBF& color = m_map.colors[static_cast<std::size_t>(m_selected)];
    const float position = m_map.positions[static_cast<std::size_t>(m_selected)];
    for (int c = 0; c < 4; ++c) {
        const int value = ChannelOf(const_cast<ColorRGBF&>(color), c);
        m_rows[c]->SetSlider(value, static_cast<int>(value / 255.0 * 100.0));
        m_rows[c]->ShowInEdits(value, value / 255.0);
    }
    {
        const QSignalBlocker quiet(m_positionSlider);
        m_positionSlider->setValue(static_cast<int>(position * 100.0f));
    }
    m_positionField->Show(Fixed2(position));
    m_swatch->SetColor(QColor(color.red, color.green, color.blue));
    DescribeBand();
}

void ColorMapDialog::DescribeBand() {
    if (!m_bandArea)
        return;
    const QString text = QStringLiteral("Entry %1 of %2 selected, at position %3")
                             .arg(m_selected + 1)
                             .arg(m_map.count)
                             .arg(Fixed2(m_map.positions[static_cast<std::size_t>(m_selected)]));
    if (m_bandArea->accessibleDescription() != text)
        m_bandArea->setAccessibleDescription(text);
}

void ColorMapDialog::EnableForSelection() {
    const bool interior = m_selected > 0 && m_selected < m_map.count - 1;
    m_positionEdit->setEnabled(interior);
    m_positionSlider->setEnabled(interior);
    m_positionLabel->setEnabled(interior);
    m_delete->setEnabled(interior && m_map.count >= 3);
}

void ColorMapDialog::SelectLine(int index) {
    if (index < 0 || index >= m_map.count)
        return;
    TakeEntry(index);
    EnableForSelection();
    m_updating = true;
    m_list->setCurrentItem(m_list->topLevelItem(index));
    m_updating = false;
    m_bandArea->Show(m_map, m_selected);
}

void ColorMapDialog::RebuildBand() {
    if (!m_bandArea)
        return;
    m_bandArea->Show(m_map, m_selected);
    m_bandArea->RedrawPicture();
}

const QImage& ColorMapDialog::Band() const {
    return m_bandArea->Picture();
}

void ColorMapDialog::Changed() {
    // The texture follows the dialog at once, so the Preview renders what is shown.
    m_texture.pigment.colorMap = m_map;
    const ColorRGBF& color = m_map.colors[static_cast<std::size_t>(m_selected)];
    m_swatch->SetColor(QColor(color.red, color.green, color.blue));
    m_bandArea->Show(m_map, m_selected);
    DescribeBand();
    emit mapChanged();
    if (m_preview)
        m_preview->TextureChanged();
}

void ColorMapDialog::OnChannelSlider(Channel channel) {
    const ColorChannelRow& row = *m_rows[channel];
    const int position = row.Slider()->value();
    std::uint8_t& value = ChannelOf(m_map.colors[static_cast<std::size_t>(m_selected)], channel);
    if (m_decimalView) {
        value = static_cast<std::uint8_t>(std::clamp(static_cast<int>(position * 2.55), 0, 255));
        row.DecimalField()->Show(Fixed2(position * 0.01));
    } else {
        value = static_cast<std::uint8_t>(position);
        row.IntegerField()->ShowInteger(position);
    }
    RewriteLine(m_selected);
    // Dragging rebuilds the band when the slider is let go; keys rebuild it at once.
    if (!row.Slider()->isSliderDown())
        RebuildBand();
    Changed();
}

void ColorMapDialog::OnChannelTyped(Channel channel, bool decimalEdit) {
    if (decimalEdit != m_decimalView)
        return;
    ColorChannelRow& row = *m_rows[channel];
    std::uint8_t& value = ChannelOf(m_map.colors[static_cast<std::size_t>(m_selected)], channel);
    if (decimalEdit) {
        const float typed = row.DecimalField()->NumberValue();
        value = static_cast<std::uint8_t>(typed * 255.0f);
        row.SetSlider(value, static_cast<int>(typed * 100.0f));
    } else {
        value = static_cast<std::uint8_t>(row.IntegerField()->IntegerValue());
        row.SetSlider(value, 0);
    }
    RewriteLine(m_selected);
    RebuildBand();
    Changed();
}

void ColorMapDialog::SortAndSelect(int entry) {
    // Stable selection by position: equal positions keep their list order.
    std::vector<int> order(static_cast<std::size_t>(m_map.count));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
        return m_map.positions[static_cast<std::size_t>(a)] <
               m_map.positions[static_cast<std::size_t>(b)];
    });
    ColorMap sorted = m_map;
    for (int i = 0; i < m_map.count; ++i) {
        sorted.positions[static_cast<std::size_t>(i)] =
            m_map.positions[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])];
        sorted.colors[static_cast<std::size_t>(i)] =
            m_map.colors[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])];
    }
    m_map = sorted;
    m_selected = static_cast<int>(std::find(order.begin(), order.end(), entry) - order.begin());
    FillList();
}

void ColorMapDialog::OnPositionSlider() {
    float& position = m_map.positions[static_cast<std::size_t>(m_selected)];
    if (static_cast<int>(position * 100.0f) == m_positionSlider->value()) {
        RewriteLine(m_selected);
        return;
    }
    position = static_cast<float>(m_positionSlider->value() * 0.01);
    m_positionEdit->setText(Fixed2(position));
    PositionChanged(position);
}

void ColorMapDialog::OnPositionTyped() {
    if (!m_positionEdit->isEnabled())
        return;
    SetPosition(std::clamp(m_positionField->NumberValue(), 0.0f, 1.0f));
}

void ColorMapDialog::SetPosition(float position) {
    m_map.positions[static_cast<std::size_t>(m_selected)] = position;
    {
        const QSignalBlocker quiet(m_positionSlider);
        m_positionSlider->setValue(static_cast<int>(position * 100.0f));
    }
    PositionChanged(position);
}

void ColorMapDialog::MoveSelected(float position) {
    if (!m_positionEdit->isEnabled())
        return;
    position = std::clamp(position, 0.0f, 1.0f);
    if (position == m_map.positions[static_cast<std::size_t>(m_selected)])
        return;
    m_positionField->Show(Fixed2(position));
    SetPosition(position);
}

void ColorMapDialog::PositionChanged(float position) {
    const bool outOfOrder =
        (m_selected + 1 < m_map.count &&
         m_map.positions[static_cast<std::size_t>(m_selected + 1)] < position) ||
        (m_selected > 0 && m_map.positions[static_cast<std::size_t>(m_selected - 1)] > position);
    if (outOfOrder) {
        // The moved entry stays selected wherever it sorts to.
        SortAndSelect(m_selected);
        EnableForSelection();
    } else {
        RewriteLine(m_selected);
    }
    RebuildBand();
    Changed();
}

void ColorMapDialog::OnInsert() {
    // Halfway to the next entry; from the last, halfway back to the one before it.
    const int s = m_selected;
    const int other = s + 1 < m_map.count ? s + 1 : s - 1;
    if (other < 0)
        return;
    const float position = (m_map.positions[static_cast<std::size_t>(s)] +
                            m_map.positions[static_cast<std::size_t>(other)]) /
                           2.0f;
    AddEntry(position, m_map.ColorAt(position));
}

void ColorMapDialog::AddEntry(float position, const ColorRGBF& color) {
    if (m_map.count >= ColorMap::kMaxEntries)
        return;
    const int added = m_map.count;
    m_map.positions[static_cast<std::size_t>(added)] = position;
    m_map.colors[static_cast<std::size_t>(added)] = color;
    m_map.count += 1;
    // Sorted after any entry at the same position, so never before the first.
    SortAndSelect(added);
    m_updating = true;
    m_list->setCurrentItem(m_list->topLevelItem(m_selected));
    m_updating = false;
    SetSlidersAndEdits();
    EnableForSelection();
    m_insert->setEnabled(m_map.count <= 19);
    RebuildBand();
    Changed();
}

void ColorMapDialog::OnDelete() {
    // Only interior entries go: the first and last hold the map's ends.
    if (m_selected <= 0 || m_selected >= m_map.count - 1 || m_map.count < 3)
        return;
    for (int i = m_selected; i + 1 < m_map.count; ++i) {
        m_map.positions[static_cast<std::size_t>(i)] =
            m_map.positions[static_cast<std::size_t>(i + 1)];
        m_map.colors[static_cast<std::size_t>(i)] = m_map.colors[static_cast<std::size_t>(i + 1)];
    }
    m_map.count -= 1;
    m_map.positions[static_cast<std::size_t>(m_map.count)] = 0.0f;
    m_map.colors[static_cast<std::size_t>(m_map.count)] = ColorRGBF{};
    FillList();
    TakeEntry(m_selected);
    m_updating = true;
    m_list->setCurrentItem(m_list->topLevelItem(m_selected));
    m_updating = false;
    EnableForSelection();
    m_insert->setEnabled(true);
    RebuildBand();
    Changed();
}

void ColorMapDialog::OnDecimal(bool checked) {
    if (checked == m_decimalView)
        return;
    m_decimalView = checked;
    for (ColorChannelRow* row : m_rows)
        row->SetDecimalView(checked);
    SetSlidersAndEdits();
    for (int i = 0; i < m_map.count; ++i)
        RewriteLine(i);
}

void ColorMapDialog::OnSelectColor() {
    ColorSelectorDialog selector(m_services, ColorSelectorDialog::MapEntryColor, this);
    selector.SetColor(m_map.colors[static_cast<std::size_t>(m_selected)]);
    if (m_preview)
        m_preview->HideForDialog();
    const bool accepted = selector.exec() == QDialog::Accepted;
    if (m_preview)
        m_preview->ShowAfterDialog();
    if (!accepted)
        return;
    m_map.colors[static_cast<std::size_t>(m_selected)] = selector.Color();
    RebuildBand();
    SetSlidersAndEdits();
    RewriteLine(m_selected);
    Changed();
}

void ColorMapDialog::OnOpen() {
    const QString path = Prompts::OpenFileName(this, QStringLiteral("Open"), QString(),
                                               QString::fromLatin1(kFilter));
    if (path.isEmpty())
        return;
    ColorMap loaded = m_map;
    const FileResult result = LoadColorMapFile(path, loaded);
    if (!result) {
        // A file that is no sound colour map changes nothing.
        Prompts::Error(this, QStringLiteral("Velvane"), result.message);
        return;
    }
    m_map = loaded;
    Initialise();
}

void ColorMapDialog::OnSaveAs() {
    // The dialog adds ".txc" itself, so its question about replacing a file is asked about
    // "sunset.txc" when the user types "sunset".
    QString path = Prompts::SaveFileName(this, QStringLiteral("Save As"), QString(),
                                         QString::fromLatin1(kFilter), QStringLiteral("txc"));
    if (path.isEmpty())
        return;
    const FileResult result = SaveColorMapFile(path, m_map);
    if (!result)
        Prompts::Error(this, QStringLiteral("Velvane"), result.message);
}

void ColorMapDialog::accept() {
    if (!CheckFields({m_positionField, m_rows[Red]->ShownField(), m_rows[Green]->ShownField(),
                      m_rows[Blue]->ShownField(), m_rows[Filter]->ShownField()},
                     this))
        return;
    Changed();
    QDialog::accept();
}
