#include "whenshown.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QTimer>
#include <gtest/gtest.h>

void WhenShownWidget(const QMetaObject& type, std::function<void(QWidget*)> act, bool modalOnly,
                     int giveUpMs) {
    auto* poll = new QTimer;
    const QDeadlineTimer deadline =
        giveUpMs > 0 ? QDeadlineTimer(giveUpMs) : QDeadlineTimer(QDeadlineTimer::Forever);
    QObject::connect(
        poll, &QTimer::timeout, [poll, &type, act = std::move(act), modalOnly, deadline] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (widget->metaObject()->inherits(&type) && widget->isVisible() &&
                    (!modalOnly || widget->isModal())) {
                    poll->stop();
                    poll->deleteLater();
                    act(widget);
                    return;
                }
            if (deadline.hasExpired()) {
                poll->stop();
                poll->deleteLater();
                ADD_FAILURE() << "no " << type.className() << " showed";
                if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                    modal->reject();
            }
        });
    poll->start(10);
}
