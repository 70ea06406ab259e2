#include "ui/dialogs/renderprogressdialog.h"

#include "ui/framework/prompts.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

RenderProgressDialog::RenderProgressDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(QStringLiteral("Velvane - Rendering Progress"));

    m_caption = new QLabel(QStringLiteral("Rendering..."), this);
    m_caption->setObjectName(QStringLiteral("captionLabel"));
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("progressBar"));
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    m_percent = new QLabel(QStringLiteral("0%"), this);
    m_percent->setObjectName(QStringLiteral("percentLabel"));
    m_percent->setMinimumWidth(m_percent->fontMetrics().horizontalAdvance(QStringLiteral("%100")) + 4);
    m_stopButton = new QPushButton(QStringLiteral("&Stop"), this);
    m_stopButton->setObjectName(QStringLiteral("stopButton"));
    m_stopButton->setDefault(true);
    m_stopButton->setEnabled(false);
    connect(m_stopButton, &QPushButton::clicked, this, &RenderProgressDialog::StopPressed);

    auto* barRow = new QHBoxLayout;
    barRow->addWidget(m_bar, 1);
    barRow->addWidget(m_percent);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_stopButton);
    buttonRow->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_caption);
    layout->addLayout(barRow);
    layout->addLayout(buttonRow);
    setMinimumWidth(320);
}

void RenderProgressDialog::Begin(const QString& caption) {
    m_caption->setText(caption);
    m_bar->setValue(0);
    m_percent->setText(QStringLiteral("0%"));
    m_stop = nullptr;
    m_stopButton->setEnabled(false);

    // Application modal without a loop of its own: the render's loop keeps every window
    // painting, while only this dialog takes the user's input.
    setWindowModality(Qt::ApplicationModal);
    adjustSize();
    CentreOnScreen();
    show();
    raise();
    activateWindow();
    setFocus(Qt::OtherFocusReason);
}

void RenderProgressDialog::CentreOnScreen() {
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect desktop = screen->geometry();
    const QSize size = this->size();
    move(desktop.left() + desktop.width() / 2 - size.width() / 2, desktop.top() + desktop.height() / 2 - size.height() / 2);
}

void RenderProgressDialog::Started(std::function<void()> stop) {
    m_stop = std::move(stop);
    m_stopButton->setEnabled(static_cast<bool>(m_stop));
    if (m_stop && isVisible())
        m_stopButton->setFocus(Qt::OtherFocusReason);
}

void RenderProgressDialog::SetCaption(const QString& caption) { m_caption->setText(caption); }

void RenderProgressDialog::Progress(int percent) {
    m_bar->setValue(percent);
    // The percent sign comes first: "%37".
    m_percent->setText(QStringLiteral("%") + QString::number(percent));
}

void RenderProgressDialog::End() {
    m_bar->setValue(100);
    m_stop = nullptr;
    m_stopButton->setEnabled(false);
    hide();
}

void RenderProgressDialog::Notice(const QString& title, const QString& text) {
    // A hidden dialog cannot own a box the user must answer; the main window can.
    QWidget* owner = isVisible() ? this : parentWidget();
    Prompts::Message(owner, Prompts::Icon::Warning, title, text);
}

void RenderProgressDialog::Status(const QString& text) {
    if (m_status)
        m_status(text);
}

QString RenderProgressDialog::CaptionText() const { return m_caption->text(); }

QString RenderProgressDialog::PercentText() const { return m_percent->text(); }

int RenderProgressDialog::BarValue() const { return m_bar->value(); }

void RenderProgressDialog::closeEvent(QCloseEvent* event) { event->ignore(); }

void RenderProgressDialog::StopPressed() {
    if (!m_stop)
        return;
    // A copy: stopping may end the render, which clears the stored function.
    const std::function<void()> stop = m_stop;
    stop();
}
