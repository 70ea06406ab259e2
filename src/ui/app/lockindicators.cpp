#include "ui/app/lockindicators.h"

#include "ui/app/lockkeys.h"

#include <QLabel>
#include <QStatusBar>
#include <QTimer>
#include <tuple>

namespace {
constexpr int kPollMilliseconds = 500;

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
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, &LockIndicators::Update);
    poll->start(kPollMilliseconds);
    Update();
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
