#pragma once

#include <QMessageBox>
#include <QStringList>
#include <QTimer>

// Closes every message box that becomes modal while it lives, in the chosen
// way, and records what each box looked like.
class ModalCloser : public QObject
{
public:
    enum Way { Escape, Discard, CloseButton };

    explicit ModalCloser(Way way);

    QStringList texts;
    bool allLookedRight = true; // parentless, Save|Discard|Cancel, Save default, no icon

private:
    void poll();

    Way way;
    QTimer timer;
};
