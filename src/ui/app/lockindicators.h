#pragma once

#include <QObject>

class QLabel;
class QStatusBar;

/// The CAP, NUM and SCRL panes at the right of a status bar: each shows its text while its lock
/// is on, as keyboards light theirs. They are read again when a lock key is let go and when the
/// program becomes active (the lock may have changed in another program). Where the window
/// system cannot tell, the panes go rather than show a guess.
class LockIndicators : public QObject {
    Q_OBJECT
public:
    explicit LockIndicators(QStatusBar& bar);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Update();

    QLabel* m_caps;
    QLabel* m_num;
    QLabel* m_scroll;
};
