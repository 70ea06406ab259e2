#pragma once

#include <QStringList>
#include <QWidget>

class QCommandLinkButton;
class QLabel;
class QPushButton;
class QVBoxLayout;

/// What the workspace shows while no document is open: the program's name, the ways to start
/// (a new catalog, opening a file, importing POV-Ray files) and the recent files, each opening
/// its file. It fills its parent, following its size, and keeps its panel in the middle.
class StartPage : public QWidget {
    Q_OBJECT
public:
    explicit StartPage(QWidget* parent = nullptr);

    /// Lists `files`, catalogs newest first, under "Recent Catalogs".
    void SetRecentFiles(const QStringList& files);

    QCommandLinkButton* NewButton() const { return m_new; }
    QCommandLinkButton* OpenButton() const { return m_open; }
    QCommandLinkButton* ImportButton() const { return m_import; }
    /// One button for each recent file, in the order listed, named after the file and
    /// described by its folder.
    QList<QPushButton*> RecentButtons() const { return m_recentButtons; }
    /// "No recent catalogs", shown while the list is empty.
    QLabel* NoRecentLabel() const { return m_noRecent; }

signals:
    void newRequested();
    void openRequested();
    void importRequested();
    void openFileRequested(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QCommandLinkButton* AddButton(QVBoxLayout* layout, const QString& text,
                                  const QString& description);
    QPushButton* AddRecentEntry(const QString& path);

    QCommandLinkButton* m_new;
    QCommandLinkButton* m_open;
    QCommandLinkButton* m_import;
    QVBoxLayout* m_recentLayout;
    QLabel* m_noRecent;
    QList<QPushButton*> m_recentButtons;
};
