#pragma once
// Another program that holds a file: a child process that takes a flock() lock on it and keeps
// it until the object goes.

#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

class OtherProcessLock
{
public:
    /// `operation` is LOCK_SH or LOCK_EX. held() tells whether the child got the lock.
    OtherProcessLock(const QString &path, int operation)
    {
        int ready[2];
        if (::pipe(ready) != 0 || ::pipe(m_release) != 0)
            return;
        m_child = ::fork();
        if (m_child == 0) {
            ::close(m_release[1]);
            const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
            const char answer = fd >= 0 && ::flock(fd, operation) == 0 ? 'y' : 'n';
            (void)!::write(ready[1], &answer, 1);
            char done;
            (void)!::read(m_release[0], &done, 1); // until the parent closes its end
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(m_release[0]);
        char answer = 0;
        m_held = m_child > 0 && ::read(ready[0], &answer, 1) == 1 && answer == 'y';
        ::close(ready[0]);
    }
    ~OtherProcessLock() { release(); }
    OtherProcessLock(const OtherProcessLock &) = delete;
    OtherProcessLock &operator=(const OtherProcessLock &) = delete;

    bool held() const { return m_held; }
    /// Ends the child, which gives up its lock.
    void release()
    {
        if (m_child <= 0)
            return;
        ::close(m_release[1]);
        int status = 0;
        ::waitpid(m_child, &status, 0);
        m_child = -1;
        m_held = false;
    }

private:
    int m_release[2] = {-1, -1};
    pid_t m_child = -1;
    bool m_held = false;
};
