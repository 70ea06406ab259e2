#include "ui/app/lockindicators.h"

#include "ui/app/lockkeys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>
#include <array>
#include <tuple>

namespace {
constexpr std::array kLockKeys = {Qt::Key_CapsLock, Qt::Key_NumLock, Qt::Key_ScrollLock};

QLabel* AddIndicator(QStatusBar& bar, const QString& text) {
    auto* label = new QLabel(text, &bar);
    label->setObjectName(text + QStringLiteral("Indicator"));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 8);
    label->setAlignment(Qt::AlignCenter);
    bar.addPermanentWidget(label);
    return label;
}
} // namespace

LockIndicators::LockIndicators(QStatusBar& bar)
    : QObject(&bar), m_caps(AddIndicator(bar, QStringLiteral("CAP"))),
      m_num(AddIndicator(bar, QStringLiteral("NUM"))),
      m_scroll(AddIndicator(bar, QStringLiteral("SCRL"))) {
    QCoreApplication::instance()->installEventFilter(this);
    Update();
}

bool LockIndicators::eventFilter(QObject* watched, QEvent* event) {
    const bool lockKey =
        event->type() == QEvent::KeyRelease &&
        std::ranges::find(kLockKeys, static_cast<QKeyEvent*>(event)->key()) != kLockKeys.end();
    const bool activated =
        event->type() == QEvent::ApplicationStateChange && watched == QCoreApplication::instance();
    // Once the window system has taken the key in.
    if (lockKey || activated)
        QTimer::singleShot(0, this, &LockIndicators::Update);
    return false;
}

void LockIndicators::Update() {
    const std::optional<LockKeys::State> state = LockKeys::Query();
    for (auto [label, lit, text] : {std::tuple{m_caps, state && state->caps, "CAP"},
                                    std::tuple{m_num, state && state->num, "NUM"},
                                    std::tuple{m_scroll, state && state->scroll, "SCRL"}}) {
        label->setVisible(state.has_value());
        label->setText(lit ? QString::fromLatin1(text) : QString());
    }
}
