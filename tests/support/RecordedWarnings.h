#pragma once
// The warnings of the computing units, recorded instead of shown: each must have been expected
// beforehand, in order; an unexpected one, or an expected one never shown, fails the test.

#include "platform/rtl/Warnings.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

class RecordedWarnings
{
public:
    struct Shown
    {
        rtl::WarningKind kind;
        QString text;
    };

    RecordedWarnings()
    {
        m_previous = rtl::SetWarningHandler([this](rtl::WarningKind kind, const QString &text) { record(kind, text); });
    }
    ~RecordedWarnings()
    {
        rtl::SetWarningHandler(std::move(m_previous));
        for (const QString &text : m_expected)
            ADD_FAILURE() << "expected warning \"" << text.toStdString() << "\" was never shown";
    }
    RecordedWarnings(const RecordedWarnings &) = delete;
    RecordedWarnings &operator=(const RecordedWarnings &) = delete;

    /// The next warning's text must contain `expectedText`.
    void expectMessage(const QString &expectedText) { m_expected.push_back(expectedText); }
    const std::vector<Shown> &shown() const { return m_shown; }

private:
    void record(rtl::WarningKind kind, const QString &text)
    {
        m_shown.push_back({kind, text});
        if (m_expected.empty()) {
            ADD_FAILURE() << "unexpected warning: \"" << text.toStdString() << "\"";
            return;
        }
        EXPECT_TRUE(text.contains(m_expected.front())) << "expected \"" << m_expected.front().toStdString()
                                                       << "\", shown \"" << text.toStdString() << "\"";
        m_expected.pop_front();
    }

    rtl::WarningHandler m_previous;
    std::deque<QString> m_expected;
    std::vector<Shown> m_shown;
};
