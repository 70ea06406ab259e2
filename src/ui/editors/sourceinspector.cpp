#include "ui/editors/sourceinspector.h"

#include "core/povtext/editing/outlineedit.h"
#include "ui/editors/colormapband.h"
#include "ui/editors/colorselectordialog.h"
#include "ui/editors/outlinemodel.h"
#include "ui/editors/propertyrow.h"

#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QTreeView>
#include <QVBoxLayout>
#include <QtConcurrent>
#include <algorithm>
#include <cmath>

namespace {

/// The path of the part a property or part at `path` stands in.
QString ParentPath(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash);
}

std::uint8_t Byte(double channel) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(channel, 0.0, 1.0) * 255));
}

double FromByte(std::uint8_t byte) {
    return std::round(byte / 255.0 * 1000) / 1000;
}

/// The colours of a map whose entries are each a plain position and colour; none otherwise.
std::optional<ColorMap> PlainColorMap(const OutlinePart& map) {
    if (map.parts.empty() || map.parts.size() > static_cast<std::size_t>(ColorMap::kMaxEntries) ||
        (map.place & PovLanguage::kColor) == 0)
        return std::nullopt;
    ColorMap colors;
    colors.count = static_cast<int>(map.parts.size());
    for (std::size_t i = 0; i < map.parts.size(); ++i) {
        const OutlineProperty* at = map.parts[i].Property("value");
        const OutlineProperty* color = map.parts[i].Property("color");
        if (!at || at->numbers.size() != 1 || !color || color->numbers.empty())
            return std::nullopt;
        const std::vector<double>& c = color->numbers;
        const auto channel = [&](std::size_t k) { return c.size() == 1 ? c[0] : c[k]; };
        colors.positions[i] = static_cast<float>(at->numbers[0]);
        colors.colors[i] = {Byte(channel(0)), Byte(channel(1)), Byte(channel(2)),
                            Byte(c.size() == 1 ? 0 : c[3])};
    }
    return colors;
}

} // namespace

SourceInspector::SourceInspector(AppServices& services, QWidget* parent)
    : QWidget(parent), m_services(services) {
    m_model = new OutlineModel(this);
    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("outline"));
    m_tree->setAccessibleName(QStringLiteral("Outline"));
    m_tree->setModel(m_model);
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* outlineCaption = new QLabel(QStringLiteral("O&utline:"), this);
    outlineCaption->setBuddy(m_tree);

    m_partLabel = new QLabel(this);
    m_partLabel->setObjectName(QStringLiteral("partLabel"));
    QFont bold = m_partLabel->font();
    bold.setBold(true);
    m_partLabel->setFont(bold);

    m_band = new ColorMapBand(this);
    m_band->setAccessibleName(QStringLiteral("Colour map"));
    m_band->hide();
    connect(m_band, &ColorMapBand::selectRequested, this, &SourceInspector::ChooseEntry);
    connect(m_band, &ColorMapBand::moveRequested, this, &SourceInspector::MoveEntry);

    m_rowsArea = new QWidget;
    m_form = new QFormLayout(m_rowsArea);
    m_form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("properties"));
    m_scroll->setAccessibleName(QStringLiteral("Properties"));
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidget(m_rowsArea);

    m_add = new QPushButton(QStringLiteral("&Add…"), this);
    m_add->setAccessibleName(QStringLiteral("Add"));
    m_addMenu = new QMenu(m_add);
    m_add->setMenu(m_addMenu);
    connect(m_addMenu, &QMenu::aboutToShow, this, &SourceInspector::FillAddMenu);
    m_removePart = new QPushButton(QStringLiteral("Re&move"), this);
    m_removePart->setAccessibleName(QStringLiteral("Remove"));
    m_removePart->setToolTip(
        QStringLiteral("Takes the part chosen in the outline out of the text"));
    connect(m_removePart, &QPushButton::clicked, this, [this] {
        if (const OutlinePart* part = ChosenPart())
            RemoveItem(QString::fromStdString(part->path));
    });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_removePart);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(outlineCaption);
    layout->addWidget(m_tree, 2);
    layout->addWidget(m_partLabel);
    layout->addWidget(m_band);
    layout->addWidget(m_scroll, 3);
    layout->addLayout(buttons);
    setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 28);

    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) {
                    m_chosen = current.data(OutlineModel::PathRole).toString();
                    ShowPart();
                }
            });
    m_readTimer.setSingleShot(true);
    m_readTimer.setInterval(10);
    connect(&m_readTimer, &QTimer::timeout, this, &SourceInspector::StartRead);
    connect(&m_read, &QFutureWatcher<std::shared_ptr<TextureOutline>>::finished, this,
            &SourceInspector::ReadDone);
}

SourceInspector::~SourceInspector() {
    m_read.waitForFinished();
}

void SourceInspector::ShowText(const QString& text) {
    m_given = text;
    std::string bytes = text.toStdString();
    if (bytes == m_text && !m_readRunning && !m_readTimer.isActive())
        return;
    if (text.size() <= kReadHereBytes) {
        m_readTimer.stop();
        TextureOutline outline = ReadOutline(bytes);
        ShowOutline(std::move(outline), bytes);
        return;
    }
    m_readTimer.start();
}

bool SourceInspector::IsReading() const {
    return m_readTimer.isActive() || m_readRunning || m_given.toStdString() != m_text;
}

void SourceInspector::StartRead() {
    if (m_readRunning)
        return; // read again when the running read ends
    m_readRunning = true;
    m_reading = m_given.toStdString();
    m_read.setFuture(QtConcurrent::run(
        [text = m_reading] { return std::make_shared<TextureOutline>(ReadOutline(text)); }));
}

void SourceInspector::ReadDone() {
    m_readRunning = false;
    const std::string given = m_given.toStdString();
    if (m_reading == given)
        ShowOutline(std::move(*m_read.result()), m_reading);
    else
        StartRead();
}

void SourceInspector::ShowOutline(TextureOutline outline, const std::string& text) {
    m_text = text;
    const QString keep = m_chosen;
    m_model->SetOutline(std::move(outline));
    if (m_model->PartCount() < 500)
        m_tree->expandAll();
    else
        m_tree->expandToDepth(0);
    // The part chosen stays chosen, or the nearest part around it that is still there.
    QString path = keep;
    QModelIndex index = m_model->IndexOf(path);
    while (!index.isValid() && !path.isEmpty()) {
        path = ParentPath(path);
        index = m_model->IndexOf(path);
    }
    if (!index.isValid())
        index = m_model->index(0, 0);
    m_chosen = index.isValid() ? index.data(OutlineModel::PathRole).toString() : QString();
    if (index.isValid()) {
        const QSignalBlocker quiet(m_tree->selectionModel());
        m_tree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        m_tree->scrollTo(index);
    }
    if (!keep.isEmpty() && m_chosen != keep && !m_chosen.isEmpty())
        m_chosen = keep; // chosen again once the text has it again
    ShowPart();
    emit outlined();
}

const OutlinePart* SourceInspector::ChosenPart() const {
    return m_model->PartAt(m_tree->selectionModel()->currentIndex());
}

QString SourceInspector::ChosenPath() const {
    const OutlinePart* part = ChosenPart();
    return part ? QString::fromStdString(part->path) : QString();
}

bool SourceInspector::Choose(const QString& path) {
    const QModelIndex index = m_model->IndexOf(path);
    if (!index.isValid())
        return false;
    m_tree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    return true;
}

PropertyRow* SourceInspector::Row(const QString& path) const {
    const auto found = std::find_if(m_rows.begin(), m_rows.end(),
                                    [&](const PropertyRow* row) { return row->Path() == path; });
    return found != m_rows.end() ? *found : nullptr;
}

void SourceInspector::ShowPart() {
    const OutlinePart* part = ChosenPart();
    const QModelIndex current = m_tree->selectionModel()->currentIndex();
    m_partLabel->setText(part ? current.data(Qt::DisplayRole).toString() : QString());
    m_removePart->setEnabled(part && !part->path.empty());
    m_add->setEnabled(part != nullptr);
    ShowBand(part);
    const std::vector<OutlineProperty> none;
    const std::vector<OutlineProperty>& properties = part ? part->properties : none;
    const bool same =
        properties.size() == m_rows.size() &&
        std::equal(properties.begin(), properties.end(), m_rows.begin(),
                   [](const OutlineProperty& p, const PropertyRow* row) { return row->Fits(p); });
    if (same) {
        for (std::size_t i = 0; i < properties.size(); ++i)
            m_rows[i]->Show(properties[i]);
        return;
    }
    const bool hadFocus = m_rowsArea->isAncestorOf(QApplication::focusWidget());
    while (m_form->rowCount() > 0)
        m_form->removeRow(0);
    m_rows.clear();
    for (const OutlineProperty& property : properties) {
        auto* row = new PropertyRow(property, m_rowsArea);
        auto* label = new QLabel(row->Label() + QStringLiteral(":"), m_rowsArea);
        label->setBuddy(row->FirstControl());
        m_form->addRow(label, row);
        connect(row, &PropertyRow::valueEdited, this, &SourceInspector::Edit);
        connect(row, &PropertyRow::removeRequested, this, &SourceInspector::RemoveItem);
        connect(row, &PropertyRow::colorPickRequested, this, &SourceInspector::PickColor);
        m_rows.push_back(row);
    }
    if (hadFocus && !m_rows.empty())
        m_rows.front()->FirstControl()->setFocus(Qt::OtherFocusReason);
}

void SourceInspector::ShowBand(const OutlinePart* part) {
    const OutlinePart* map = part;
    int selected = 0;
    if (part && part->IsEntry()) {
        map = m_model->Outline().Part(ParentPath(QString::fromStdString(part->path)).toStdString());
        selected = std::stoi(part->name) - 1;
    }
    const std::optional<ColorMap> colors = map ? PlainColorMap(*map) : std::nullopt;
    m_band->setVisible(colors.has_value());
    if (colors)
        m_band->Show(*colors, std::clamp(selected, 0, colors->count - 1));
}

void SourceInspector::ChooseEntry(int index) {
    const OutlinePart* part = ChosenPart();
    if (!part)
        return;
    const QString map = part->IsEntry() ? ParentPath(QString::fromStdString(part->path))
                                        : QString::fromStdString(part->path);
    Choose(map + QStringLiteral("/%1").arg(index + 1));
}

void SourceInspector::MoveEntry(float position) {
    const OutlinePart* part = ChosenPart();
    if (!part || !part->IsEntry() || !part->Property("value"))
        return;
    const double at = std::round(static_cast<double>(position) * 1000) / 1000;
    const double numbers[] = {at};
    Edit(QString::fromStdString(part->Property("value")->path),
         QString::fromStdString(OutlineEdit::ValueText(PovLanguage::PovValue::Float, numbers)));
}

void SourceInspector::FillAddMenu() {
    m_addMenu->clear();
    const OutlinePart* part = ChosenPart();
    if (!part)
        return;
    const QString path = QString::fromStdString(part->path);
    if ((part->place & PovLanguage::kMap) != 0 && !part->IsEntry()) {
        QAction* entry = m_addMenu->addAction(QStringLiteral("Entry"));
        connect(entry, &QAction::triggered, this, [this, path] {
            const OutlinePart* map = m_model->Outline().Part(path.toStdString());
            if (map)
                Changed(OutlineEdit::WithEntryAdded(m_text, *map),
                        path + QStringLiteral("/%1").arg(map->parts.size() + 1));
        });
        return;
    }
    std::vector<const PovLanguage::PovKeyword*> rows = OutlineEdit::Addable(*part);
    std::sort(rows.begin(), rows.end(),
              [](const auto* a, const auto* b) { return a->label < b->label; });
    for (const PovLanguage::PovKeyword* row : rows) {
        const QString word =
            QString::fromUtf8(row->word.data(), static_cast<int>(row->word.size()));
        const QString label =
            QString::fromUtf8(row->label.data(), static_cast<int>(row->label.size()));
        QAction* action = m_addMenu->addAction(QStringLiteral("%1 (%2)").arg(label, word));
        connect(action, &QAction::triggered, this, [this, path, word, row] {
            const OutlinePart* into = m_model->Outline().Part(path.toStdString());
            if (!into)
                return;
            const bool block = row->value == PovLanguage::PovValue::Block ||
                               row->value == PovLanguage::PovValue::Map;
            int already = 0;
            for (const OutlinePart& child : into->parts)
                already += child.keyword == row->word;
            QString chosen = path;
            if (block) {
                chosen = (path.isEmpty() ? QString() : path + QLatin1Char('/')) + word;
                if (already > 0)
                    chosen += QStringLiteral("#%1").arg(already + 1);
            }
            Changed(OutlineEdit::WithAdded(m_text, *into, row->word), chosen);
        });
    }
}

void SourceInspector::Changed(const std::string& text, const QString& choose,
                              const QString& property) {
    if (text == m_text)
        return;
    if (!choose.isNull())
        m_chosen = choose;
    m_readTimer.stop();
    m_given = QString::fromStdString(text);
    TextureOutline outline = ReadOutline(text);
    ShowOutline(std::move(outline), text);
    emit textChanged(m_given, property);
}

void SourceInspector::Edit(const QString& path, const QString& povText) {
    const TextureOutline& outline = m_model->Outline();
    const OutlineProperty* property = outline.Property(path.toStdString());
    if (!property)
        return;
    const std::string value = povText.toStdString();
    if (property->kind == PovLanguage::PovValue::Pattern) {
        if (const OutlinePart* part = outline.Part(ParentPath(path).toStdString())) {
            Changed(OutlineEdit::WithPattern(m_text, *part, value), {}, path);
            return;
        }
    }
    Changed(OutlineEdit::WithValue(m_text, *property, value), {}, path);
}

void SourceInspector::RemoveItem(const QString& path) {
    const OutlineEdit::Outcome outcome = OutlineEdit::Remove(m_text, path.toStdString());
    if (outcome.Done())
        Changed(outcome.text,
                m_model->Outline().Part(path.toStdString()) ? ParentPath(path) : QString());
}

void SourceInspector::PickColor(const QString& path) {
    const OutlineProperty* property = m_model->Outline().Property(path.toStdString());
    if (!property || property->numbers.size() != 5)
        return;
    const std::vector<double> was = property->numbers;
    ColorSelectorDialog dialog(m_services, ColorSelectorDialog::MapEntryColor, this);
    dialog.SetColor({Byte(was[0]), Byte(was[1]), Byte(was[2]), Byte(was[3])});
    if (dialog.exec() != QDialog::Accepted)
        return;
    const ColorRGBF picked = dialog.Color();
    const double numbers[] = {FromByte(picked.red), FromByte(picked.green), FromByte(picked.blue),
                              FromByte(picked.filter), was[4]};
    Edit(path,
         QString::fromStdString(OutlineEdit::ValueText(PovLanguage::PovValue::Color, numbers)));
}
