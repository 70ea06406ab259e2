#pragma once

#include <QString>

/// The most of a version answer that is kept.
constexpr qint64 kMaxVersionOutput = 64 * 1024;

/// What `executable --version` prints (standard output and errors together), or an empty
/// string when it cannot be run or does not answer within `timeoutMs`. Only the first
/// kMaxVersionOutput bytes are kept; a program that prints more is ended there. It runs in an
/// empty scratch folder, removed afterwards. The program's events go on being handled while
/// it waits, so windows keep repainting.
QString PovVersionOutput(const QString& executable, int timeoutMs = 10000);

/// The line of that output that names POV-Ray ("POV-Ray 3.7.0.10.unofficial"; older versions
/// call themselves "Persistence of Vision"), or an empty string.
QString PovVersionLine(const QString& output);
