#include "ui/editors/shapeeditordialog.h"

#include "core/model/texture.h"
#include "core/povray/povcommand.h"
#include "core/shapes/customshape.h"
#include "render/povray/scenerender.h"
#include "render/settings/programsettings.h"
#include "ui/editors/pictureframe.h"
#include "ui/framework/appservices.h"
#include "ui/framework/prompts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr const char* kNoObject =
    "Warning! You have not defined an object using the texture %%TEXTURE_NAME%%";
constexpr int kPictureSize = 160;

} // namespace

ShapeEditorDialog::ShapeEditorDialog(AppServices& services, QWidget* parent)
    : QDialog(parent), m_services(services) {
    setWindowTitle(QStringLiteral("Modify Custom Shape"));

    auto* sourceGroup = new QGroupBox(QStringLiteral("POV Source Code"), this);
    m_sourceEdit = new QPlainTextEdit(sourceGroup);
    m_sourceEdit->setObjectName(QStringLiteral("sourceEdit"));
    m_sourceEdit->setAccessibleName(QStringLiteral("POV Source Code"));
    m_sourceEdit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_sourceEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab moves on to the next control; the source is indented with blanks.
    m_sourceEdit->setTabChangesFocus(true);
    m_sourceEdit->setMinimumSize(360, 320);
    auto* sourceLayout = new QVBoxLayout(sourceGroup);
    sourceLayout->addWidget(m_sourceEdit);

    m_nameEdit = new QLineEdit(this);
    m_nameEdit->setObjectName(QStringLiteral("nameEdit"));
    auto* nameLabel = new QLabel(QStringLiteral("&Name"), this);
    nameLabel->setBuddy(m_nameEdit);
    m_nameEdit->setAccessibleName(QStringLiteral("Name"));
    m_descriptionEdit = new QLineEdit(this);
    m_descriptionEdit->setObjectName(QStringLiteral("descriptionEdit"));
    auto* descriptionLabel = new QLabel(QStringLiteral("&Description"), this);
    descriptionLabel->setBuddy(m_descriptionEdit);
    m_descriptionEdit->setAccessibleName(QStringLiteral("Description"));

    m_render = new QPushButton(QStringLiteral("&Render..."), this);
    m_render->setObjectName(QStringLiteral("renderButton"));
    m_render->setAutoDefault(false);
    connect(m_render, &QPushButton::clicked, this, &ShapeEditorDialog::Render);
    m_antialiasing = new QCheckBox(QStringLiteral("&Antialiasing"), this);
    m_antialiasing->setObjectName(QStringLiteral("antialiasingBox"));
    m_antialiasing->setChecked(m_services.Settings().antialiasing);
    connect(m_antialiasing, &QCheckBox::toggled, this,
            [this](bool checked) { m_services.Settings().antialiasing = checked; });
    m_debugMode = new QCheckBox(QStringLiteral("Debug &Mode"), this);
    m_debugMode->setObjectName(QStringLiteral("debugModeBox"));

    m_frame = new PictureFrame(services, this);
    m_frame->setObjectName(QStringLiteral("pictureFrame"));
    m_frame->SetPictureSize({kPictureSize, kPictureSize});

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &ShapeEditorDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ShapeEditorDialog::reject);

    auto* fields = new QGridLayout;
    fields->addWidget(nameLabel, 0, 0);
    fields->addWidget(m_nameEdit, 0, 1);
    fields->addWidget(descriptionLabel, 1, 0);
    fields->addWidget(m_descriptionEdit, 1, 1);

    auto* side = new QVBoxLayout;
    side->addLayout(fields);
    side->addWidget(m_render, 0, Qt::AlignLeft);
    side->addWidget(m_antialiasing);
    side->addWidget(m_debugMode);
    side->addWidget(m_frame, 0, Qt::AlignHCenter);
    side->addStretch(1);
    side->addWidget(buttons);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(sourceGroup, 1);
    layout->addLayout(side);

    setTabOrder(m_sourceEdit, m_nameEdit);
    setTabOrder(m_nameEdit, m_descriptionEdit);
    setTabOrder(m_descriptionEdit, m_render);
    setTabOrder(m_render, m_antialiasing);
    setTabOrder(m_antialiasing, m_debugMode);
}

ShapeEditorDialog::~ShapeEditorDialog() = default;

void ShapeEditorDialog::SetShape(const std::string& source, const std::string& name,
                                 const std::string& description) {
    m_source = source;
    m_name = name;
    m_description = description;
    m_sourceEdit->setPlainText(QString::fromStdString(ReplaceAll(source, "\r\n", "\n")));
    m_nameEdit->setText(QString::fromStdString(name));
    m_descriptionEdit->setText(QString::fromStdString(description));
}

void ShapeEditorDialog::ReadControls() {
    // The edit shows lines ending in LF; the shape keeps the CR LF ends of the program's scenes.
    m_source = ReplaceAll(m_sourceEdit->toPlainText().toStdString(), "\n", "\r\n");
    m_name = m_nameEdit->text().toStdString();
    m_description = m_descriptionEdit->text().toStdString();
}

void ShapeEditorDialog::accept() {
    ReadControls();
    QDialog::accept();
}

void ShapeEditorDialog::Render() {
    if (m_running)
        return;
    // The scene names the texture as its source declares it, as every other render does.
    m_textureName = DeclaredIdentifier(m_textureName);
    ReadControls();

    CustomShape shape;
    shape.SetSource(m_source);
    std::string scene = m_source;
    if (!shape.UsesTexture()) {
        Prompts::Message(this, Prompts::Icon::Warning, QStringLiteral("Warning"),
                         QString::fromUtf8(kNoObject));
    } else {
        if (shape.LacksInclude())
            Prompts::Message(this, Prompts::Icon::Warning,
                             QString::fromUtf8(ShapeMessages::MissingIncludeTitle),
                             QString::fromUtf8(ShapeMessages::MissingInclude));
        scene = shape.GetSceneSource(m_textureName);
    }

    const QSize size = m_frame->PictureSize();
    m_running = std::make_unique<SceneRender>(scene, m_textureSource, m_textureName, size.width(),
                                              size.height(), m_debugMode->isChecked());
    connect(m_running.get(), &QueuedRender::finished, this, &ShapeEditorDialog::RenderEnded);
    m_render->setEnabled(false);
    m_running->Start(m_services.Renders());
}

void ShapeEditorDialog::RenderEnded() {
    const std::unique_ptr<SceneRender> ended = std::move(m_running);
    m_render->setEnabled(true);
    // A run that never started has no picture to show; a failed run shows POV-Ray's own lines,
    // which say more about a scene being written than a missing image would.
    const RenderResult& result = ended->Result();
    if (result.Succeeded())
        m_frame->SetPicture(std::move(ended->Picture()));
    else if (!result.message.isEmpty())
        Prompts::Message(this, Prompts::Icon::Warning, result.title, result.message);
    emit renderFinished();
}
