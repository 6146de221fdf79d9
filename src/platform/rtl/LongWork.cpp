#include "LongWork.h"

namespace rtl {

namespace {

constexpr qint64 kBoxAfterMs = 1000;
// Often enough for the windows to repaint and the Stop button to answer at once.
constexpr qint64 kLookEveryMs = 40;

StopBoxMaker &installedMaker()
{
    static StopBoxMaker maker;
    return maker;
}

thread_local TLongWork *t_innermost = nullptr;

} // namespace

StopBoxMaker SetStopBoxMaker(StopBoxMaker maker)
{
    StopBoxMaker previous = std::move(installedMaker());
    installedMaker() = std::move(maker);
    return previous;
}

TLongWork::TLongWork(QString text) : m_text(std::move(text)), m_nextLook(kBoxAfterMs), m_outer(t_innermost)
{
    m_clock.start();
    t_innermost = this;
}

TLongWork::~TLongWork() { t_innermost = m_outer; }

bool TLongWork::stopRequested()
{
    if (m_stopped || m_clock.elapsed() < m_nextLook)
        return m_stopped;
    m_nextLook = m_clock.elapsed() + kLookEveryMs;
    if (!m_boxAsked && installedMaker())
        m_box = installedMaker()(m_text);
    m_boxAsked = true;
    // The box lets events through, and with them StopLongWork.
    if (m_box && m_box->stopAsked())
        m_stopped = true;
    return m_stopped;
}

void StopLongWork()
{
    for (TLongWork *work = t_innermost; work; work = work->m_outer)
        work->m_stopped = true;
}

} // namespace rtl
