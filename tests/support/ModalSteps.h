#pragma once
// Drives the real modal windows that open while an action runs, for tests of the Qt dialogs.

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <vector>

/// Runs the steps on the modal windows that open while `action` runs, one step per window;
/// answers how many steps ran. A window that opens after the last step is closed, so that an
/// unforeseen one fails the test instead of hanging it.
inline size_t withModalSteps(const std::function<void()> &action, std::vector<std::function<bool(QWidget &)>> steps)
{
    size_t next = 0;
    // Guarded: the next box of a caller often takes the freed place of the one before it.
    QPointer<QWidget> handled;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == handled)
            return;
        handled = modal;
        if (next >= steps.size()) {
            modal->close();
            return;
        }
        steps[next++](*modal);
    });
    poll.start();
    action();
    poll.stop();
    return next;
}
