#include "ui/editors/iorpresetsdialog.h"

#include "render/settings/programsettings.h"
#include "ui/editors/iorvaluedialog.h"
#include "ui/framework/appservices.h"
#include "ui/framework/prompts.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace {

/// The list's one tab stop, in dialog units (a quarter of the font's average character width).
constexpr int kTabStopUnits = 110;

/// Draws an entry's text before its tab at the left and the rest at the tab stop, so the
/// values line up in a column.
class TabStopDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem item(option);
        initStyleOption(&item, index);
        const QString text = item.text;
        item.text.clear();
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

        const QRect area =
            style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget).adjusted(2, 0, -2, 0);
        const qsizetype tab = text.indexOf(QLatin1Char('\t'));
        const int stop = item.fontMetrics.averageCharWidth() * kTabStopUnits / 4;
        painter->save();
        painter->setPen(item.palette.color(QPalette::Normal, (item.state & QStyle::State_Selected)
                                                                 ? QPalette::HighlightedText
                                                                 : QPalette::Text));
        const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
        painter->drawText(area.adjusted(0, 0, -(area.width() - std::min(stop, area.width())), 0),
                          flags, tab < 0 ? text : text.left(tab));
        if (tab >= 0)
            painter->drawText(area.adjusted(std::min(stop, area.width()), 0, 0, 0), flags,
                              text.mid(tab + 1));
        painter->restore();
    }
};

QString EntryText(const IorPreset& preset, bool trimmed) {
    return QString::fromStdString(
        IorPresetEntryText(preset.GetDescription(), preset.GetValue(), trimmed));
}

} // namespace

IorPresetsDialog::IorPresetsDialog(AppServices& services, QWidget* parent)
    : QDialog(parent), m_services(services) {
    setWindowTitle(QStringLiteral("IOR Presets"));

    auto* label = new QLabel(QStringLiteral("IOR (Index of Refraction) presets:"), this);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("presetList"));
    m_list->setAccessibleName(QStringLiteral("IOR (Index of Refraction) presets"));
    m_list->setItemDelegate(new TabStopDelegate(m_list));
    m_list->setMinimumSize(m_list->fontMetrics().averageCharWidth() * (kTabStopUnits + 60) / 4,
                           160);
    label->setBuddy(m_list);
    // Selection, not the current line: a list that takes the focus makes its first line current
    // without anyone choosing it.
    connect(m_list, &QListWidget::itemSelectionChanged, this, [this] { Select(SelectedRow()); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, &IorPresetsDialog::accept);

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    m_ok = buttons->addButton(QDialogButtonBox::Ok);
    m_ok->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    m_add = new QPushButton(QStringLiteral("&Add..."), this);
    m_add->setObjectName(QStringLiteral("addButton"));
    m_remove = new QPushButton(QStringLiteral("&Remove"), this);
    m_remove->setObjectName(QStringLiteral("removeButton"));
    m_modifyButton = new QPushButton(QStringLiteral("&Modify..."), this);
    m_modifyButton->setObjectName(QStringLiteral("modifyButton"));
    for (QPushButton* button : {m_add, m_remove, m_modifyButton})
        button->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &IorPresetsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &IorPresetsDialog::reject);
    connect(m_add, &QPushButton::clicked, this, &IorPresetsDialog::Add);
    connect(m_remove, &QPushButton::clicked, this, &IorPresetsDialog::Remove);
    connect(m_modifyButton, &QPushButton::clicked, this, &IorPresetsDialog::Modify);

    auto* side = new QVBoxLayout;
    side->addWidget(buttons);
    side->addSpacing(12);
    side->addWidget(m_add);
    side->addWidget(m_remove);
    side->addWidget(m_modifyButton);
    side->addStretch(1);
    auto* left = new QVBoxLayout;
    left->addWidget(label);
    left->addWidget(m_list, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(side);

    std::optional<SideFileNotice> notice;
    m_presets = LoadIorPresets(m_services.Settings().EffectiveProgramDirectory(), notice);
    if (notice)
        Prompts::Message(parent, Prompts::Icon::Warning, notice->title, notice->text);
    for (const auto& preset : m_presets)
        m_list->addItem(EntryText(*preset, true));
    m_list->setCurrentRow(-1);
    m_selected = -1;
    EnableCommands(false);
}

float IorPresetsDialog::SelectedValue() const {
    if (m_selected < 0 || m_selected >= static_cast<int>(m_presets.size()))
        return 1.0f;
    return m_presets[static_cast<std::size_t>(m_selected)]->GetValue();
}

void IorPresetsDialog::EnableCommands(bool enabled) {
    m_ok->setEnabled(enabled);
    m_remove->setEnabled(enabled);
    m_modifyButton->setEnabled(enabled);
}

void IorPresetsDialog::Select(int row) {
    m_selected = row;
    if (row >= 0)
        EnableCommands(true);
}

void IorPresetsDialog::Add() {
    IorValueDialog dialog(this);
    dialog.SetPreset({}, 1.0f);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_presets.push_back(std::make_unique<IorPreset>(dialog.Description(), dialog.Value()));
    m_list->addItem(EntryText(*m_presets.back(), true));
    m_list->setCurrentRow(m_list->count() - 1);
    EnableCommands(true);
}

int IorPresetsDialog::SelectedRow() const {
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->row(selected.first());
}

void IorPresetsDialog::Remove() {
    const int row = SelectedRow();
    if (row < 0 || row >= static_cast<int>(m_presets.size()))
        return;
    if (Prompts::Message(
            this, Prompts::Icon::Stop, QStringLiteral("Confirmation"),
            QStringLiteral("Are you sure that you want to delete the selected IOR value?"),
            QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    m_presets.erase(m_presets.begin() + row);
    delete m_list->takeItem(row);
    if (m_list->count() == 0) {
        m_list->setCurrentRow(-1);
        m_selected = -1;
        EnableCommands(false);
    } else {
        m_list->setCurrentRow(std::min(row, m_list->count() - 1));
    }
}

void IorPresetsDialog::Modify() {
    const int row = SelectedRow();
    if (row < 0 || row >= static_cast<int>(m_presets.size()))
        return;
    IorPreset& preset = *m_presets[static_cast<std::size_t>(row)];
    IorValueDialog dialog(this);
    dialog.SetPreset(preset.GetDescription(), preset.GetValue());
    if (dialog.exec() != QDialog::Accepted)
        return;
    preset.SetDescription(dialog.Description());
    preset.SetValue(dialog.Value());
    // The changed line keeps all four decimals until the list is read again.
    m_list->item(row)->setText(EntryText(preset, false));
    m_list->setCurrentRow(row);
}

void IorPresetsDialog::accept() {
    if (!m_ok->isEnabled())
        return; // a double-click in an emptied list
    m_selected = SelectedRow();
    if (const auto notice =
            SaveIorPresets(m_services.Settings().EffectiveProgramDirectory(), m_presets))
        Prompts::Message(this, Prompts::Icon::Warning, notice->title, notice->text);
    QDialog::accept();
}
