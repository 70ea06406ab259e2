#include "ui/editors/generalpage.h"

#include "core/model/simpletexture.h"
#include "render/settings/programsettings.h"
#include "ui/dialogs/viewsourcedialog.h"
#include "ui/editors/transformedits.h"
#include "ui/framework/appservices.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

void ShowTextureSource(const SimpleTexture& texture, QWidget* parent) {
    ViewSourceDialog dialog(QString::fromStdString(texture.GetSource(SourceFlag::Declare)), parent);
    dialog.exec();
}

GeneralPage::GeneralPage(AppServices& services, SimpleTexture& texture, QWidget* parent)
    : TexturePage(services, texture, parent) {
    auto* nameLabel = new QLabel(QStringLiteral("&Name"), this);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("name"));
    nameLabel->setBuddy(m_name);
    m_name->setAccessibleName(QStringLiteral("Name"));

    auto* descriptionLabel = new QLabel(QStringLiteral("&Description"), this);
    m_description = new QPlainTextEdit(this);
    m_description->setObjectName(QStringLiteral("description"));
    m_description->setTabChangesFocus(true);
    m_description->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_description->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_description->setAccessibleName(QStringLiteral("Description"));
    descriptionLabel->setBuddy(m_description);

    auto* transformGroup = new QGroupBox(QStringLiteral("Transformations"), this);
    m_transforms = new TransformEdits(transformGroup);
    (new QVBoxLayout(transformGroup))->addWidget(m_transforms);

    m_updateThumbnail = new QCheckBox(QStringLiteral("&Update Thumbnail"), this);
    m_updateThumbnail->setObjectName(QStringLiteral("updateThumbnail"));
    m_viewSource = new QPushButton(QStringLiteral("&View Source..."), this);
    m_viewSource->setObjectName(QStringLiteral("viewSource"));
    m_viewSource->setAutoDefault(false);

    auto* fields = new QGridLayout;
    fields->addWidget(nameLabel, 0, 0);
    fields->addWidget(m_name, 0, 1);
    fields->addWidget(descriptionLabel, 1, 0, Qt::AlignTop);
    fields->addWidget(m_description, 1, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_updateThumbnail);
    bottom->addStretch(1);
    bottom->addWidget(m_viewSource);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addWidget(transformGroup);
    layout->addStretch(0);
    layout->addLayout(bottom);
    setTabOrder(m_name, m_description);
    setTabOrder(m_description, m_transforms->Edit(TransformEdits::Translate, 0));
    setTabOrder(m_transforms->Edit(TransformEdits::Rotate, 2), m_updateThumbnail);
    setTabOrder(m_updateThumbnail, m_viewSource);

    // What the user types goes into the working texture at once.
    connect(m_name, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_texture.SetName(text.toStdString()); });
    connect(m_description, &QPlainTextEdit::textChanged, this, [this] {
        // The description as shown has "\n" line ends: only a change by the user is taken back.
        if (m_description->toPlainText() != ShownDescription())
            m_texture.SetDescription(m_description->toPlainText()
                                         .replace(QLatin1Char('\n'), QLatin1String("\r\n"))
                                         .toStdString());
    });
    m_transforms->OnTyped([this](TransformEdits::Row row, int axis, float value) {
        TransformEdits::ValueOf(m_texture.transformations, row, axis) = value;
        emit textureChanged();
    });
    connect(m_updateThumbnail, &QCheckBox::toggled, this,
            [this](bool checked) { m_services.Settings().updateThumbnail = checked ? 1 : 0; });
    connect(m_viewSource, &QPushButton::clicked, this, [this] {
        if (ReadFields())
            ShowTextureSource(m_texture, this);
    });

    ShowFields();
}

bool GeneralPage::ReadFields() {
    return m_transforms->Check(this);
}

QString GeneralPage::ShownDescription() const {
    return QString::fromStdString(m_texture.GetDescription())
        .replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

void GeneralPage::ShowFields() {
    m_updateThumbnail->setChecked(m_services.Settings().updateThumbnail != 0);
    m_name->setText(QString::fromStdString(m_texture.GetName()));
    if (m_description->toPlainText() != ShownDescription())
        m_description->setPlainText(ShownDescription());
    m_transforms->ShowValues(m_texture.transformations);
}

QPushButton* GeneralPage::DefaultButton() const {
    return m_viewSource;
}
