#pragma once

#include <QString>
#include <QStringList>
#include <vector>

/// How a render ended. Only Ok gives a picture; Stopped carries no message.
struct RenderResult {
    enum Status {
        Ok,
        StartFailed,  ///< POV-Ray could not be started
        Stopped,      ///< the user (or the program, closing) stopped it
        PovRayFailed, ///< POV-Ray ended with an error
        FileFailed,   ///< a scene or include file could not be written
        ImageFailed,  ///< POV-Ray ran, but its picture could not be read
        TimedOut,     ///< POV-Ray took longer than the time limit and was ended
    };

    Status status = Ok;
    QString title;   ///< message box title when there is a message
    QString message; ///< what to tell the user, empty when nothing

    bool Succeeded() const { return status == Ok; }
    static RenderResult Failure(Status status, const QString& title, const QString& message) {
        return {status, title, message};
    }
};

/// What a render remarks on the way without stopping: warnings the user should see (a scene
/// that does not include the texture's file) and notes for the status line.
struct RenderRemarks {
    struct Notice {
        QString title;
        QString text;
    };
    std::vector<Notice> notices;
    QStringList statuses;
};

namespace RenderMessages {
inline constexpr const char* ExecutionErrorTitle = "Execution Error";
inline constexpr const char* CannotStart =
    "Error executing POV-RAY. Make sure the path in the Preferences is valid.";
inline constexpr const char* CannotStartDebug = "Error executing POV-RAY.";
inline constexpr const char* NoTerminal =
    "No terminal program was found to run POV-Ray in: install xterm or set TERMINAL";
inline constexpr const char* PovRayFailed = "POV-Ray could not render the texture.";
inline constexpr const char* PovRayFailedNamed = "POV-Ray could not render the texture \"%1\".";
inline constexpr const char* TimedOut =
    "POV-Ray did not finish the render within %1 seconds and was ended.";
inline constexpr const char* TimedOutNamed =
    "POV-Ray did not finish rendering \"%2\" within %1 seconds and was ended.";
inline constexpr const char* AppTitle = "Velvane";
} // namespace RenderMessages
