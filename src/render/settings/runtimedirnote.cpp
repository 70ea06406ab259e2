#include "render/settings/runtimedirnote.h"

#include <QString>
#include <QtGlobal>

namespace {

QtMessageHandler g_previous = nullptr;

void Filter(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg &&
        message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    if (g_previous) // Qt hands over its own handler when none was installed
        g_previous(type, context, message);
}

} // namespace

void QuietenRuntimeDirNote() {
    QtMessageHandler previous = qInstallMessageHandler(Filter);
    if (previous != Filter)
        g_previous = previous;
}
