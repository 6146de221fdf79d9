#pragma once
// The automation object CQuibo: the members of ICQuibo, each forwarding to the main window, so
// that the window shows what the client sees. The object serves one client: the connection that
// makes the first call; calls of any other are handed to the server support. Calls are served one
// at a time: one that arrives while another runs (its box open) waits until that one ends.

#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QVariantList>

#include <deque>

class TCQuibo : public QDBusVirtualObject
{
    Q_OBJECT
public:
    explicit TCQuibo(QObject *parent = nullptr);

    QString introspect(const QString &path) const override;
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

    /// The unique name of the connection the object serves; empty until the first call.
    const QString &Client() const { return m_client; }
    /// True from the client's first call until it releases the object or its use ends.
    bool Held() const { return !m_client.isEmpty() && !m_ended; }
    /// The use ended: the client's further calls, and calls waiting, are refused.
    void End();

signals:
    /// The first call came from `client`: from now on the object serves only it.
    void ClientBound(const QString &client);
    /// The client released the object (its reply is already sent).
    void ClientReleased();
    /// A call from another connection than the client's; whoever handles it sends its reply.
    void StrayCall(const QDBusMessage &call);
    /// Another connection than the client's introspected the object: its calls are to come.
    void StrayNoticed(const QString &sender);

private:
    void ServeInTurn(const QDBusMessage &call, const QDBusConnection &connection);
    QDBusMessage Answer(const QDBusMessage &call);

    QString m_client;
    bool m_ended = false;
    bool m_serving = false;
    std::deque<QDBusMessage> m_waiting;
};

/// True for the call that ends the client's use of the object.
bool IsReleaseCall(const QDBusMessage &message);

/// Runs member `member` of ICQuibo with the arguments of a call of signature `signature`, on
/// FormQuibo; answers its out values. Throws what the main window raises,
/// EMemberSignature for arguments the member does not take and rtl::EConvertError for a value
/// its automation type cannot hold.
QVariantList InvokeICQuibo(const QString &member, const QString &signature, const QVariantList &arguments);

/// The member exists but was called with other argument types.
class EMemberSignature : public std::exception
{
public:
    explicit EMemberSignature(QString expected) : m_expected(std::move(expected)) {}
    const QString &Expected() const { return m_expected; }
    const char *what() const noexcept override { return "wrong argument types"; }

private:
    QString m_expected;
};

/// There is no such member.
class EUnknownMember : public std::exception
{
public:
    const char *what() const noexcept override { return "no such member"; }
};
