#pragma once

#include <QString>
#include <QStringList>

/// Where renders keep their files, safe also in a temporary folder that every user may write.
/// Below a base folder of the user's own (made with mode 0700 and checked before use: a real
/// folder, not a symbolic link, owned by the user and closed to everybody else) each runner has
/// an area, and each job a folder in that area, both made exclusively under names of their own.
/// When an area is made, the areas that killed or crashed runs left in the base are removed:
/// only real folders of the user's, named like an area, whose process has ended; nothing is
/// ever followed through a symbolic link.
class ScratchArea {
public:
    /// The bases are tried in order; the first that passes the checks is used.
    explicit ScratchArea(QStringList bases);
    /// Removes the area and everything in it.
    ~ScratchArea();
    ScratchArea(const ScratchArea&) = delete;
    ScratchArea& operator=(const ScratchArea&) = delete;

    /// Makes a new, empty folder for one job (and the area first, when there is none yet or it
    /// has gone); false, with `problem` saying why, when none can be made.
    bool NewJobFolder(QString& folder, QString& problem);
    /// The area's folder; empty until the first job folder was made.
    const QString& Path() const { return m_path; }
    /// What the user should be told about bases that were refused before the one in use:
    /// empty when the first was used. Given once.
    QString TakeNotice();

    /// Where renders of a program with this program directory keep their files, in the order
    /// tried: "velvane-UID" in the temporary folder ($TMPDIR), "velvane" in $XDG_RUNTIME_DIR,
    /// "scratch" in the program directory.
    static QStringList DefaultBases(const QString& programDirectory);
    /// Makes `base` when it is missing and checks it; empty when it may be used, otherwise why
    /// not ("it is a symbolic link").
    static QString CheckBase(const QString& base);
    /// Removes the areas in `base` whose process has ended.
    static void RemoveAbandonedAreas(const QString& base);
    /// Removes the folder `folder` and everything in it without following a symbolic link: a
    /// link in it is removed, never what it points to, and when `folder` itself is a link
    /// nothing is removed. False when something could not be removed.
    static bool RemoveTree(const QString& folder);

private:
    bool MakeArea(QString& problem);

    QStringList m_bases;
    QString m_path;
    QString m_notice;
};
