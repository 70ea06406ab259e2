#pragma once

#include <QObject>

class QLabel;
class QStatusBar;

/// The CAP, NUM and SCRL panes at the right of a status bar: each shows its text while its lock
/// is on, as keyboards light theirs. Where the window system cannot tell, the panes go rather
/// than show a guess.
class LockIndicators : public QObject {
    Q_OBJECT
public:
    explicit LockIndicators(QStatusBar& bar);

private:
    void Update();

    QLabel* m_caps;
    QLabel* m_num;
    QLabel* m_scroll;
};
