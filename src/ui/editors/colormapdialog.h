#pragma once

#include "core/model/colormap.h"
#include "ui/editors/colorchannelrow.h"

#include <QDialog>
#include <QImage>
#include <QString>
#include <array>

class AppServices;
class ColorMapBand;
class ColorSwatch;
class NumberField;
class PreviewLink;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTreeWidget;
class SimpleTexture;

/// The Color Map dialog: the entries of a pigment's colour map as a list, the selected entry's
/// position and channels in edits and sliders, a band that shows the whole map (colours above,
/// filter as greys below) with markers at the entries that can be picked, dragged, added and
/// deleted there, and ".txc" files. The texture's colour
/// map follows every change, so the Preview renders what the dialog shows; the caller restores
/// it when the dialog does not end with OK.
class ColorMapDialog : public QDialog {
    Q_OBJECT
public:
    enum Channel { Red, Green, Blue, Filter };

    ColorMapDialog(AppServices& services, SimpleTexture& texture, QWidget* parent = nullptr);
    ~ColorMapDialog() override;

    void SetPreview(PreviewLink* preview) { m_preview = preview; }

    const ColorMap& Map() const { return m_map; }
    int Selected() const { return m_selected; }
    bool IsDecimal() const { return m_decimalView; }
    /// Selects a line as a click on it does.
    void SelectLine(int index);

    QTreeWidget* List() const { return m_list; }
    QPushButton* InsertButton() const { return m_insert; }
    QPushButton* DeleteButton() const { return m_delete; }
    QCheckBox* DecimalCheck() const { return m_decimal; }
    QLineEdit* PositionEdit() const { return m_positionEdit; }
    QSlider* PositionSlider() const { return m_positionSlider; }
    QLabel* PositionLabel() const { return m_positionLabel; }
    QSlider* ChannelSlider(Channel channel) const { return m_rows[channel]->Slider(); }
    QLineEdit* IntegerEdit(Channel channel) const { return m_rows[channel]->IntegerEdit(); }
    QLineEdit* DecimalEdit(Channel channel) const { return m_rows[channel]->DecimalEdit(); }
    QPushButton* SelectButton() const { return m_select; }
    QPushButton* OpenButton() const { return m_open; }
    QPushButton* SaveAsButton() const { return m_saveAs; }
    /// The band picture.
    const QImage& Band() const;

    void accept() override;

    /// One list line: "%.2f\t%d\t%d\t%d\t%d\t" (decimal view: every value "%.2f", channels /255;
    /// POV-Ray's numbers: the channels as POV-Ray writes them, "0.502").
    static QString LineText(const ColorMap& map, int index, bool decimal, bool povRay = false);

signals:
    /// The colour map changed; the texture already holds it.
    void mapChanged();

private:
    void BuildControls();
    void Initialise();
    void FillList();
    void RewriteLine(int index);
    void TakeEntry(int index);
    void SetSlidersAndEdits();
    void EnableForSelection();
    void RebuildBand();
    void Changed();
    void SortAndSelect(int entry);
    void OnChannelSlider(Channel channel);
    void OnChannelTyped(Channel channel, bool decimalEdit);
    void OnPositionSlider();
    void OnPositionTyped();
    /// Puts the selected entry at a position from 0 to 1, as typing it does.
    void SetPosition(float position);
    /// The band's way to the same: only interior entries move, and the position edit follows.
    void MoveSelected(float position);
    /// After the selected entry's position changed: sorted where it went past a neighbour.
    void PositionChanged(float position);
    void OnInsert();
    /// Adds an entry and selects it, unless the map is full.
    void AddEntry(float position, const ColorRGBF& color);
    /// The band's accessible description: which entry is selected and where.
    void DescribeBand();
    void OnDelete();
    void OnDecimal(bool checked);
    void OnSelectColor();
    void OnOpen();
    void OnSaveAs();

    AppServices& m_services;
    SimpleTexture& m_texture;
    PreviewLink* m_preview = nullptr;
    ColorMap m_map;
    int m_selected = 0;
    bool m_decimalView = false;
    /// The channels show as POV-Ray writes them; the Decimal box then stays checked and off.
    bool m_povRay = false;
    bool m_updating = false;

    QTreeWidget* m_list = nullptr;
    QPushButton* m_insert = nullptr;
    QPushButton* m_delete = nullptr;
    QCheckBox* m_decimal = nullptr;
    QLabel* m_positionLabel = nullptr;
    QLineEdit* m_positionEdit = nullptr;
    QSlider* m_positionSlider = nullptr;
    NumberField* m_positionField = nullptr;
    std::array<ColorChannelRow*, 4> m_rows{};
    QPushButton* m_select = nullptr;
    ColorSwatch* m_swatch = nullptr;
    ColorMapBand* m_bandArea = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_saveAs = nullptr;
};
