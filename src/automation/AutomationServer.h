#pragma once
// The server support of the automation object: the registration switches, the activation file
// and the interface document in the user's data folder, and one instance per client. A free
// instance offers the service name; the first call binds it to its client and it gives the name
// up, so that the next client's call starts another instance. A client that reached the instance
// all the same (it resolved the name, or sent its call to it, at the moment another client bound
// it) is served by another instance through this one: its calls are passed on and their replies
// passed back until it releases or leaves. When the client releases the object or leaves the bus,
// an instance started for it ends (without the user's quitting, so without writing the history)
// once it passes on no calls any more; one the user started goes on without the object.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QStringList>

#include <deque>
#include <map>
#include <memory>

class QDBusServiceWatcher;
class QEventLoop;
class TCQuibo;

namespace automation {

enum class TServerSwitch { None, RegServer, UnregServer, Automation };

/// The first server switch among the program's arguments (after the program name): "REGSERVER",
/// "UNREGSERVER", "AUTOMATION" or "EMBEDDING" after "/" or "-", in any letter case.
TServerSwitch FindServerSwitch(const QStringList &arguments);

/// The D-Bus activation file of the service, in the user's data folder.
QString ServiceFileName();
/// The interface document installed for clients, in the user's data folder.
QString InterfaceFileName();
/// The activation file's text: the service starts `executable` with "-automation".
QString ServiceFileText(const QString &executable);
/// Writes the activation file and the interface document, then reads the activation file back
/// as the bus will and removes it unless it starts `executable`; answers what failed, or ''.
QString RegisterServer(const QString &executable);
/// Removes both files; answers what failed, or ''.
QString UnregisterServer();

/// The question asked when the user ends the program while a client holds the object.
extern const char *const CloseWhileHeldQuestion;

class TAutomationServer : public QObject
{
    Q_OBJECT
public:
    TAutomationServer(bool startedForClient, const QDBusConnection &connection);
    ~TAutomationServer() override;

    /// Serves the object and offers the service name; answers what failed, or ''.
    QString Start();
    bool StartedForClient() const { return m_startedForClient; }
    /// True while a client holds the object.
    bool ClientHolds() const;
    /// Asks the user, while a client holds the object, whether to close anyway (No by default).
    bool CanClose() const;
    /// Passes on the calls of the other clients this instance serves through another until they
    /// are done (or the bus goes); the program's own use has ended.
    void FinishRelays();

signals:
    /// The client's use ended (release or leave); an instance started for it is ending.
    void UseEnded();

private slots:
    /// The bus went away: no client can reach an instance started for one any more.
    void BusLost();

private:
    // The calls of one other client, passed on to the instance that serves it.
    struct TRelay
    {
        QString server; // its unique name; '' until its first reply names it
        std::deque<QDBusMessage> waiting;
        bool passing = false; // a call is on its way; the next waits for its reply
        bool clientGone = false;
    };

    void GiveUpName();
    void Bind(const QString &client);
    void EndUse();
    void Relay(const QDBusMessage &call);
    /// Watches `client` as one whose calls this instance passes on; answers its relay.
    TRelay &RelayFor(const QString &client);
    void PassOn(const QString &client);
    void PassBack(const QString &client, const QDBusMessage &call, const QDBusMessage &reply);
    void RelayClientLeft(const QString &client);
    void ReleaseServer(const QString &server);
    void DropRelay(const QString &client);

    bool m_startedForClient;
    QDBusConnection m_connection;
    std::unique_ptr<TCQuibo> m_object;
    QDBusServiceWatcher *m_watcher = nullptr;
    QDBusServiceWatcher *m_relayWatcher = nullptr;
    std::map<QString, TRelay> m_relays;
    bool m_ended = false;
    QEventLoop *m_finishing = nullptr;
};

} // namespace automation
