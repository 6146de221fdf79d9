#pragma once
// The automation object CQuibo: the members of ICQuibo, each forwarding to the main window, so
// that the window shows what the client sees. The object serves one client: the connection that
// makes the first call; any other gets an error.

#include <QDBusVirtualObject>
#include <QVariantList>

class TCQuibo : public QDBusVirtualObject
{
    Q_OBJECT
public:
    explicit TCQuibo(QObject *parent = nullptr);

    QString introspect(const QString &path) const override;
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

    /// The unique name of the connection the object serves; empty until the first call.
    const QString &Client() const { return m_client; }
    /// True from the client's first call until it releases the object.
    bool Held() const { return !m_client.isEmpty() && !m_released; }

signals:
    /// The first call came from `client`: from now on the object serves only it.
    void ClientBound(const QString &client);
    /// The client released the object (its reply is already sent).
    void ClientReleased();

private:
    QDBusMessage Answer(const QDBusMessage &call);

    QString m_client;
    bool m_released = false;
};

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
