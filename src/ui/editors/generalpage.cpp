#include "ui/editors/generalpage.h"

#include "core/model/simpletexture.h"
#include "render/settings/programsettings.h"
#include "ui/dialogs/viewsourcedialog.h"
#include "ui/editors/namefields.h"
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
    m_names = new NameFields(texture, QStringLiteral("&Name"), 0, this);

    auto* transformGroup = new QGroupBox(QStringLiteral("Transformations"), this);
    m_transforms = new TransformEdits(transformGroup);
    (new QVBoxLayout(transformGroup))->addWidget(m_transforms);

    m_updateThumbnail = new QCheckBox(QStringLiteral("&Update Thumbnail"), this);
    m_updateThumbnail->setObjectName(QStringLiteral("updateThumbnail"));
    m_viewSource = new QPushButton(QStringLiteral("&View Source..."), this);
    m_viewSource->setObjectName(QStringLiteral("viewSource"));
    m_viewSource->setAutoDefault(false);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_updateThumbnail);
    bottom->addStretch(1);
    bottom->addWidget(m_viewSource);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_names, 1);
    layout->addWidget(transformGroup);
    layout->addStretch(0);
    layout->addLayout(bottom);
    setTabOrder(m_names->DescriptionEdit(), m_transforms->Edit(TransformEdits::Translate, 0));
    setTabOrder(m_transforms->Edit(TransformEdits::Rotate, 2), m_updateThumbnail);
    setTabOrder(m_updateThumbnail, m_viewSource);

    // What the user types goes into the working texture at once.
    m_transforms->OnTyped([this](TransformEdits::Row row, int axis, float value) {
        TransformEdits::ValueOf(m_texture.transformations, row, axis) = value;
        emit textureChanged();
    });
    connect(m_updateThumbnail, &QCheckBox::toggled, this,
            [this](bool checked) { m_services.Settings().updateThumbnail = checked; });
    connect(m_viewSource, &QPushButton::clicked, this, [this] {
        if (ReadFields())
            ShowTextureSource(m_texture, this);
    });

    ShowFields();
}

bool GeneralPage::ReadFields() {
    return m_transforms->Check(this);
}

void GeneralPage::ShowFields() {
    m_updateThumbnail->setChecked(m_services.Settings().updateThumbnail);
    m_names->Show();
    m_transforms->ShowValues(m_texture.transformations);
}

QLineEdit* GeneralPage::NameEdit() const {
    return m_names->NameEdit();
}

QPlainTextEdit* GeneralPage::DescriptionEdit() const {
    return m_names->DescriptionEdit();
}

QPushButton* GeneralPage::DefaultButton() const {
    return m_viewSource;
}
