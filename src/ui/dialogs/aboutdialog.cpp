#include "ui/dialogs/aboutdialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr const char* kIconPath = ":/icons/velvane.png";
} // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Velvane"));

    auto* row = new QHBoxLayout;
    if (QFile::exists(QString::fromLatin1(kIconPath))) {
        const QPixmap icon(QString::fromLatin1(kIconPath));
        if (!icon.isNull()) {
            auto* picture = new QLabel(this);
            picture->setObjectName(QStringLiteral("iconLabel"));
            picture->setPixmap(icon.scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));
            picture->setAlignment(Qt::AlignTop);
            row->addWidget(picture);
        }
    }

    auto* name = new QLabel(NameAndVersion(), this);
    name->setObjectName(QStringLiteral("nameLabel"));
    QFont bold = name->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    name->setFont(bold);
    auto* what = new QLabel(QStringLiteral("An editor for catalogs of POV-Ray textures."), this);
    what->setObjectName(QStringLiteral("descriptionLabel"));
    auto* qt =
        new QLabel(QStringLiteral("Built with Qt %1, running on Qt %2.")
                       .arg(QString::fromLatin1(QT_VERSION_STR), QString::fromLatin1(qVersion())),
                   this);
    qt->setObjectName(QStringLiteral("qtLabel"));

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(what);
    texts->addWidget(qt);
    texts->addStretch(1);
    row->addLayout(texts, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

QString AboutDialog::NameAndVersion() {
    const QString version = QCoreApplication::applicationVersion();
    return version.isEmpty() ? QStringLiteral("Velvane") : QStringLiteral("Velvane ") + version;
}
