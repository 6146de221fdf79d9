#pragma once
// Work that may run long and that the user may stop. The work asks `stopRequested` often; once
// it has run about a second, a stop box is shown (the program points the maker at the dialog
// seam) and every later question lets the windows repaint and answers whether Stop was pressed.
// Whoever the work is done for may also end it: `StopLongWork` (an automation client left).

#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <memory>

namespace rtl {

/// The box shown while long work runs, with a button that asks to stop it; it closes when
/// destroyed.
class StopBox
{
public:
    virtual ~StopBox() = default;
    /// Lets the windows handle their events; answers true once the user asked to stop.
    virtual bool stopAsked() = 0;
};

/// Makes the stop box for work described by `text`; may answer null (no box).
using StopBoxMaker = std::function<std::unique_ptr<StopBox>(const QString &text)>;

/// Installs `maker` (an empty one shows no box) and answers the one before it.
StopBoxMaker SetStopBoxMaker(StopBoxMaker maker);

/// Long work under way on the calling thread, from construction to destruction.
class TLongWork
{
public:
    /// `text` tells the user what runs.
    explicit TLongWork(QString text);
    ~TLongWork();
    TLongWork(const TLongWork &) = delete;
    TLongWork &operator=(const TLongWork &) = delete;

    /// True once the work must stop: Stop was pressed or StopLongWork was called. Cheap enough
    /// to be asked thousands of times a second.
    bool stopRequested();

private:
    friend void StopLongWork();

    QString m_text;
    QElapsedTimer m_clock;
    qint64 m_nextLook;
    std::unique_ptr<StopBox> m_box;
    bool m_boxAsked = false;
    bool m_stopped = false;
    TLongWork *m_outer;
};

/// Stops all long work under way on the calling thread.
void StopLongWork();

} // namespace rtl
