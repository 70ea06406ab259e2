#include "ui/dialogs/startupnoticedialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

QString WelcomeText() {
    return QStringLiteral(
        "Welcome to Velvane, an editor for catalogs of POV-Ray textures.\n\n"
        "Build textures from pigments, normals and finishes, combine them into layered "
        "textures, and keep them in catalogs. Velvane writes the POV-Ray source of every "
        "texture, exports it to include files and renders thumbnails and texture maps with "
        "the POV-Ray installed on your computer.");
}

StartupNoticeDialog::StartupNoticeDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Welcome to Velvane"));

    auto* text = new QLabel(
        WelcomeText() +
            QStringLiteral(
                "\n\nOptions > Preferences tells Velvane which POV-Ray to run (\"POV-Ray "
                "Executable\"); when the field is empty, the povray program found on your PATH "
                "is used."),
        this);
    text->setObjectName(QStringLiteral("noticeLabel"));
    text->setWordWrap(true);
    text->setMinimumWidth(380);

    m_again = new QCheckBox(QString::fromLatin1(kDisplayAgainText), this);
    m_again->setObjectName(QStringLiteral("displayAgainCheck"));
    m_again->setChecked(false);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(m_again);
    layout->addWidget(buttons);
}

bool StartupNoticeDialog::DisplayAgain() const {
    return m_again->isChecked();
}

void StartupNoticeDialog::SetDisplayAgain(bool display) {
    m_again->setChecked(display);
}
