#include "ui/editors/imagemapdialog.h"

#include "render/files/fileio.h"
#include "ui/dialogs/numberfield.h"
#include "ui/editors/transformedits.h"
#include "ui/framework/prompts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

namespace {

constexpr const char* kCannotOpen = "The image cannot be opened. Please specify another filename.";
constexpr const char* kZeroBump = "Bump Size cannot be zero.";
constexpr const char* kUnknownType = "Cannot determine file type! Assuming GIF.";
constexpr const char* kFilter = "GIF (*.gif);;TGA (*.tga);;PNG (*.png);;JPEG (*.jpg *.jpeg)";

} // namespace

QString ImageFileLocation(const QString& name, const QString& programDirectory) {
    if (name.isEmpty() || QDir::isAbsolutePath(name))
        return name;
    return QDir(programDirectory).absoluteFilePath(name);
}

int InterpolateForIndex(int index) {
    return index == 1 ? 4 : index == 2 ? 2 : 0;
}
int IndexForInterpolate(int interpolate) {
    return interpolate == 4 ? 1 : interpolate == 2 ? 2 : 0;
}
int MapTypeForIndex(int index) {
    return index == 3 ? 5 : std::clamp(index, 0, 2);
}
int IndexForMapType(int mapType) {
    return std::clamp(mapType < 3 ? mapType : mapType - 2, 0, 3);
}

ImageMapDialog::ImageMapDialog(const ImageMap& settings, bool showBumpSize, QWidget* parent)
    : QDialog(parent), m_onceValue(settings.once != 0),
      m_interpolationIndex(IndexForInterpolate(settings.interpolate)),
      m_projectionIndex(IndexForMapType(settings.mapType)),
      m_fileName(QString::fromStdString(settings.fileName)), m_bumpSize(settings.bumpSize),
      m_showBumpSize(showBumpSize) {
    setWindowTitle(QStringLiteral("Image Mapping"));

    auto* fileLabel = new QLabel(QStringLiteral("Image &File:"), this);
    m_file = new QLineEdit(this);
    m_file->setObjectName(QStringLiteral("fileName"));
    m_file->setAccessibleName(QStringLiteral("Image File"));
    m_file->setMinimumWidth(m_file->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 40);
    fileLabel->setBuddy(m_file);
    m_browse = new QPushButton(QStringLiteral("&Browse..."), this);
    m_browse->setObjectName(QStringLiteral("browse"));
    m_browse->setAutoDefault(false);
    m_location = new QLabel(this);
    m_location->setObjectName(QStringLiteral("imageLocation"));
    m_location->setWordWrap(true);
    m_location->setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(m_file, &QLineEdit::textChanged, this, &ImageMapDialog::ShowLocation);

    auto* interpolation = new QGroupBox(QStringLiteral("Interpolation"), this);
    auto* interpolationLayout = new QVBoxLayout(interpolation);
    auto* interpolationButtons = new QButtonGroup(this);
    const char* const interpolationNames[] = {"&None", "Nor&malized", "&Bilinear"};
    for (int i = 0; i < 3; ++i) {
        m_interpolation[static_cast<std::size_t>(i)] =
            new QRadioButton(QString::fromLatin1(interpolationNames[i]), interpolation);
        interpolationButtons->addButton(m_interpolation[static_cast<std::size_t>(i)], i);
        interpolationLayout->addWidget(m_interpolation[static_cast<std::size_t>(i)]);
    }
    auto* projection = new QGroupBox(QStringLiteral("Projection"), this);
    auto* projectionLayout = new QVBoxLayout(projection);
    auto* projectionButtons = new QButtonGroup(this);
    const char* const projectionNames[] = {"&Planar", "&Spherical", "&Cylindrical", "&Torus"};
    for (int i = 0; i < 4; ++i) {
        m_projection[static_cast<std::size_t>(i)] =
            new QRadioButton(QString::fromLatin1(projectionNames[i]), projection);
        projectionButtons->addButton(m_projection[static_cast<std::size_t>(i)], i);
        projectionLayout->addWidget(m_projection[static_cast<std::size_t>(i)]);
    }

    m_once = new QCheckBox(QStringLiteral("&Once"), this);
    m_once->setObjectName(QStringLiteral("once"));
    m_bumpLabel = new QLabel(QStringLiteral("Bump &Size"), this);
    m_bump = new QLineEdit(this);
    m_bump->setObjectName(QStringLiteral("bumpSize"));
    m_bump->setAccessibleName(QStringLiteral("Bump Size"));
    m_bump->setFixedWidth(m_bump->fontMetrics().horizontalAdvance(QStringLiteral("-0000.00")) + 12);
    m_bumpLabel->setBuddy(m_bump);
    m_bumpField = NumberField::Number(m_bump);
    m_bumpLabel->setVisible(showBumpSize);
    m_bump->setVisible(showBumpSize);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ImageMapDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ImageMapDialog::reject);
    connect(m_browse, &QPushButton::clicked, this, &ImageMapDialog::OnBrowse);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileLabel);
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(m_browse);
    auto* groups = new QHBoxLayout;
    groups->addWidget(interpolation);
    groups->addWidget(projection);
    auto* options = new QHBoxLayout;
    options->addWidget(m_once);
    options->addStretch(1);
    options->addWidget(m_bumpLabel);
    options->addWidget(m_bump);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fileRow);
    layout->addWidget(m_location);
    layout->addLayout(groups);
    layout->addLayout(options);
    new FieldMessageLine(this); // the fields tell what is wrong under themselves
    layout->addWidget(buttons);

    WriteFields();
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ImageMapDialog::SetProgramDirectory(const QString& folder) {
    m_programDirectory = folder;
    ShowLocation();
}

void ImageMapDialog::ShowLocation() {
    const QString name = m_file->text();
    const QString location = ImageFileLocation(name, m_programDirectory);
    const bool found = QFileInfo(location).isFile();
    QString text;
    if (name.isEmpty() || (found && location == name))
        text.clear();
    else if (location == name)
        text = QStringLiteral("There is no such file.");
    else if (found)
        text = QStringLiteral("Found in the program directory: %1").arg(location);
    else
        text = QStringLiteral("Not found in the program directory %1, where renders look for it.")
                   .arg(QDir::toNativeSeparators(m_programDirectory));
    m_location->setText(text);
    m_location->setVisible(!text.isEmpty());
}

void ImageMapDialog::WriteFields() {
    m_once->setChecked(m_onceValue);
    m_interpolation[static_cast<std::size_t>(m_interpolationIndex)]->setChecked(true);
    m_projection[static_cast<std::size_t>(m_projectionIndex)]->setChecked(true);
    m_file->setText(m_fileName);
    m_bumpField->Show(QString::number(static_cast<double>(m_bumpSize), 'f', 1));
}

bool ImageMapDialog::ReadFields() {
    m_onceValue = m_once->isChecked();
    for (int i = 0; i < 3; ++i)
        if (m_interpolation[static_cast<std::size_t>(i)]->isChecked())
            m_interpolationIndex = i;
    for (int i = 0; i < 4; ++i)
        if (m_projection[static_cast<std::size_t>(i)]->isChecked())
            m_projectionIndex = i;
    m_fileName = m_file->text();
    if (!m_bumpField->Check(this))
        return false;
    m_bumpSize = m_bumpField->NumberValue();
    return true;
}

void ImageMapDialog::OnBrowse() {
    const QString path = Prompts::OpenFileName(this, QStringLiteral("Open"), m_file->text(),
                                               QString::fromLatin1(kFilter));
    if (path.isEmpty())
        return;
    ReadFields();
    m_fileName = QFileInfo(path).absoluteFilePath();
    WriteFields();
}

void ImageMapDialog::accept() {
    if (!ReadFields())
        return;
    // Such a name may exist on disk, but POV-Ray source cannot carry it between its quotes.
    if (!IsWritableImageFileName(m_fileName.toStdString())) {
        Prompts::Message(this, Prompts::Icon::Warning, QStringLiteral("File Error"),
                         QString::fromLatin1(kUnwritableImageFileName));
        m_file->setFocus(Qt::OtherFocusReason);
        return;
    }
    // Checked where renders will look for it, not in the folder the program was started from,
    // and opened through the checked road, so a pipe cannot hang the dialog.
    const QString location = ImageFileLocation(m_fileName, m_programDirectory);
    FileResult unreadable;
    if (m_fileName.isEmpty() ||
        !ReadableFile::Open(location, std::numeric_limits<qint64>::max(), unreadable)) {
        Prompts::Message(this, Prompts::Icon::Warning, QStringLiteral("File Error"),
                         QString::fromLatin1(kCannotOpen));
        m_file->setFocus(Qt::OtherFocusReason);
        return;
    }
    // A bump size the user cannot see (the pigment's) cannot be mended by them, so it is not
    // held against the dialog; the pigment never uses it.
    if (m_showBumpSize && m_bumpSize == 0.0f) {
        Prompts::Message(this, Prompts::Icon::Warning, QStringLiteral("Error"),
                         QString::fromLatin1(kZeroBump));
        m_bump->setFocus(Qt::OtherFocusReason);
        return;
    }
    QDialog::accept();
}

bool RunImageMapDialog(ImageMap& image, bool withBumpSize, const QString& programDirectory,
                       QWidget* parent) {
    ImageMapDialog dialog(image, withBumpSize, parent);
    dialog.SetProgramDirectory(programDirectory);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    image.once = dialog.Once() ? 1 : 0;
    image.interpolate = static_cast<std::uint8_t>(InterpolateForIndex(dialog.InterpolationIndex()));
    image.mapType = static_cast<std::uint8_t>(MapTypeForIndex(dialog.ProjectionIndex()));
    const std::string name = dialog.FileName().toStdString();
    const auto type = ImageMap::FileTypeForName(name);
    if (!type)
        Prompts::Message(parent, Prompts::Icon::Warning, QStringLiteral("File type error"),
                         QString::fromLatin1(kUnknownType));
    image.fileType = type.value_or(ImageMap::kGif);
    image.fileName = name;
    if (withBumpSize)
        image.bumpSize = dialog.BumpSize();
    return true;
}
