#include "AutomationServer.h"

#include "CQuibo.h"
#include "Quibo_TLB.h"
#include "ServiceExec.h"

#include "platform/rtl/LongWork.h"
#include "platform/rtl/WholeFile.h"
#include "platform/ui/Dialogs.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <limits>
#include <optional>

namespace automation {

namespace {

QString DataFolder() { return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation); }

const QLatin1String kExecKey("Exec=");
const QLatin1String kAutomationSwitch("-automation");

QString WriteFile(const QString &fileName, const QByteArray &contents)
{
    if (!QDir().mkpath(QFileInfo(fileName).absolutePath()))
        return QStringLiteral("Cannot create the folder of %1").arg(fileName);
    try {
        rtl::WriteWholeFile(fileName, contents);
    } catch (const rtl::EInOutError &error) {
        return error.Message();
    }
    return QString();
}

std::optional<QByteArray> ExistingContents(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

QString RemoveFile(const QString &fileName)
{
    QFile file(fileName);
    if (file.exists() && !file.remove())
        return QStringLiteral("Cannot remove %1: %2").arg(fileName, file.errorString());
    return QString();
}

// Reads the activation file back as the bus will: its Exec line must start `executable`, a
// file of that name, with the automation switch.
QString CheckServiceFile(const QString &fileName, const QString &executable)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("Cannot read back %1: %2").arg(fileName, file.errorString());
    const QByteArray contents = file.readAll();
    const QString text = QString::fromUtf8(contents);
    const bool utf8 = text.toUtf8() == contents;
    std::optional<QStringList> arguments;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        if (line.startsWith(kExecKey))
            arguments = ServiceExecArguments(line.mid(kExecKey.size()));
    }
    if (!utf8 || arguments != QStringList{executable, kAutomationSwitch})
        return QStringLiteral("The bus could not start %1 from the activation file %2").arg(executable, fileName);
    if (!QFileInfo(executable).isExecutable())
        return QStringLiteral("The path of the program %1 cannot be written into the activation file %2 as the file "
                              "system names it; move the program to a folder whose name is valid UTF-8")
            .arg(executable, fileName);
    return QString();
}

} // namespace

const char *const CloseWhileHeldQuestion = "A client program still uses this Quibo through automation, and it may fail "
                                           "when Quibo closes.\r\nClose Quibo anyway?";

TServerSwitch FindServerSwitch(const QStringList &arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (!argument.startsWith(QLatin1Char('/')) && !argument.startsWith(QLatin1Char('-')))
            continue;
        const QString name = argument.mid(1).toUpper();
        if (name == QLatin1String("REGSERVER"))
            return TServerSwitch::RegServer;
        if (name == QLatin1String("UNREGSERVER"))
            return TServerSwitch::UnregServer;
        if (name == QLatin1String("AUTOMATION") || name == QLatin1String("EMBEDDING"))
            return TServerSwitch::Automation;
    }
    return TServerSwitch::None;
}

QString ServiceFileName()
{
    return DataFolder() + QStringLiteral("/dbus-1/services/") + QLatin1String(Quibo_TLB::ServiceName)
           + QStringLiteral(".service");
}

QString InterfaceFileName()
{
    return DataFolder() + QStringLiteral("/dbus-1/interfaces/") + QLatin1String(Quibo_TLB::InterfaceICQuibo)
           + QStringLiteral(".xml");
}

QString ServiceFileText(const QString &executable)
{
    return QStringLiteral("[D-BUS Service]\nName=%1\n%2%3 %4\n")
        .arg(QLatin1String(Quibo_TLB::ServiceName), kExecKey, ServiceExecWord(executable), kAutomationSwitch);
}

QString RegisterServer(const QString &executable)
{
    const QString typeLibrary = Quibo_TLB::TypeLibrary();
    if (typeLibrary.isEmpty())
        return QStringLiteral("The interface document is missing from the program");
    const QString interfaceFile = InterfaceFileName();
    const std::optional<QByteArray> interfaceBefore = ExistingContents(interfaceFile);
    QString failure = WriteFile(interfaceFile, typeLibrary.toUtf8());
    if (!failure.isEmpty())
        return failure;
    failure = WriteFile(ServiceFileName(), ServiceFileText(executable).toUtf8());
    if (failure.isEmpty()) {
        failure = CheckServiceFile(ServiceFileName(), executable);
        if (!failure.isEmpty())
            RemoveFile(ServiceFileName()); // a file the bus cannot use would only hide the failure
    }
    // A failed registration leaves the interface document as it found it.
    if (!failure.isEmpty() && interfaceBefore)
        WriteFile(interfaceFile, *interfaceBefore);
    else if (!failure.isEmpty())
        RemoveFile(interfaceFile);
    return failure;
}

QString UnregisterServer()
{
    const QString failure = RemoveFile(ServiceFileName());
    const QString second = RemoveFile(InterfaceFileName());
    return failure.isEmpty() ? second : failure;
}

TAutomationServer::TAutomationServer(bool startedForClient, const QDBusConnection &connection)
    : m_startedForClient(startedForClient), m_connection(connection), m_object(std::make_unique<TCQuibo>())
{
    // The name goes before the first call is answered, so that the client's next call reaches
    // this instance and another client's starts a new one.
    connect(m_object.get(), &TCQuibo::ClientBound, this, &TAutomationServer::GiveUpName);
    // Queued: the object is inside the bus library's delivery of a call when it signals.
    connect(m_object.get(), &TCQuibo::ClientBound, this, &TAutomationServer::Bind, Qt::QueuedConnection);
    connect(m_object.get(), &TCQuibo::ClientReleased, this, &TAutomationServer::EndUse, Qt::QueuedConnection);
    connect(m_object.get(), &TCQuibo::StrayCall, this, [this](const QDBusMessage &call) {
        QMetaObject::invokeMethod(this, [this, call] { Relay(call); }, Qt::QueuedConnection);
    });
    connect(m_object.get(), &TCQuibo::StrayNoticed, this, [this](const QString &client) {
        QMetaObject::invokeMethod(this, [this, client] { RelayFor(client); }, Qt::QueuedConnection);
    });
    m_relayWatcher = new QDBusServiceWatcher(QString(), m_connection, QDBusServiceWatcher::WatchForUnregistration, this);
    connect(m_relayWatcher, &QDBusServiceWatcher::serviceUnregistered, this, &TAutomationServer::RelayClientLeft);
}

TAutomationServer::~TAutomationServer()
{
    if (!m_connection.isConnected())
        return;
    m_connection.unregisterObject(QLatin1String(Quibo_TLB::ObjectPath));
    if (m_object->Client().isEmpty())
        GiveUpName();
}

QString TAutomationServer::Start()
{
    if (!m_connection.isConnected())
        return QStringLiteral("No session bus: %1").arg(m_connection.lastError().message());
    if (!m_connection.registerVirtualObject(QLatin1String(Quibo_TLB::ObjectPath), m_object.get()))
        return QStringLiteral("Cannot serve the object %1").arg(QLatin1String(Quibo_TLB::ObjectPath));
    // Waits in line behind a running instance that already offers the name.
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = m_connection.interface()->registerService(
        QLatin1String(Quibo_TLB::ServiceName), QDBusConnectionInterface::QueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid())
        return QStringLiteral("Cannot offer the name %1: %2")
            .arg(QLatin1String(Quibo_TLB::ServiceName), reply.error().message());
    m_connection.connect(QString(), QStringLiteral("/org/freedesktop/DBus/Local"),
                         QStringLiteral("org.freedesktop.DBus.Local"), QStringLiteral("Disconnected"), this,
                         SLOT(BusLost()));
    return QString();
}

void TAutomationServer::BusLost()
{
    m_relays.clear();
    if (m_finishing)
        m_finishing->quit();
    if (m_startedForClient)
        QCoreApplication::exit(0);
}

bool TAutomationServer::ClientHolds() const { return m_object->Held(); }

bool TAutomationServer::CanClose() const
{
    return !ClientHolds()
           || ui::MessageDlg(QLatin1String(CloseWhileHeldQuestion), ui::TMsgDlgType::mtWarning,
                             ui::TMsgDlgButtons::mbYesNo, 0, ui::mrNo)
                  == ui::mrYes;
}

void TAutomationServer::GiveUpName()
{
    // A plain call: the bus library's own bookkeeping of names must not be touched during a delivery.
    QDBusMessage release = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ReleaseName"));
    release << QLatin1String(Quibo_TLB::ServiceName);
    m_connection.call(release);
}

void TAutomationServer::Bind(const QString &client)
{
    m_watcher = new QDBusServiceWatcher(client, m_connection, QDBusServiceWatcher::WatchForUnregistration, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, &TAutomationServer::EndUse);
    // A client that left before the watcher looked is not announced any more.
    if (!m_connection.interface()->isServiceRegistered(client))
        QMetaObject::invokeMethod(this, &TAutomationServer::EndUse, Qt::QueuedConnection);
}

void TAutomationServer::EndUse()
{
    if (m_ended)
        return;
    m_ended = true;
    // A statement run for the client (a read by a condition) has no one left to answer.
    rtl::StopLongWork();
    m_object->End();
    emit UseEnded();
    if (!m_startedForClient)
        return;
    // A call to the bus returns only after the release's reply, sent before it, has left.
    m_connection.interface()->isServiceRegistered(QLatin1String(Quibo_TLB::ServiceName));
    QCoreApplication::exit(0);
}

void TAutomationServer::FinishRelays()
{
    // Calls and introspections that arrived before the end are taken up first.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(this);
    if (m_relays.empty() || !m_connection.isConnected())
        return;
    QEventLoop loop;
    m_finishing = &loop;
    loop.exec();
    m_finishing = nullptr;
}

void TAutomationServer::Relay(const QDBusMessage &call)
{
    // Also after the use ended: the client may have resolved this instance just before.
    RelayFor(call.service()).waiting.push_back(call);
    PassOn(call.service());
}

TAutomationServer::TRelay &TAutomationServer::RelayFor(const QString &client)
{
    if (const auto found = m_relays.find(client); found != m_relays.end())
        return found->second;
    TRelay &relay = m_relays[client];
    m_relayWatcher->addWatchedService(client);
    // A client that left before the watcher looked is not announced any more.
    if (!m_connection.interface()->isServiceRegistered(client))
        QMetaObject::invokeMethod(this, [this, client] { RelayClientLeft(client); }, Qt::QueuedConnection);
    return relay;
}

void TAutomationServer::PassOn(const QString &client)
{
    TRelay &relay = m_relays.at(client);
    if (relay.passing || relay.waiting.empty())
        return;
    // Every call passed on comes from this instance: two first calls could reach the same free
    // instance, which would take both for its one client's. The next goes once the instance that
    // took the one before has bound itself (and given up the name) by answering.
    const bool finding = std::any_of(m_relays.cbegin(), m_relays.cend(), [](const auto &other) {
        return other.second.server.isEmpty() && other.second.passing;
    });
    if (relay.server.isEmpty() && finding)
        return;
    const QDBusMessage call = relay.waiting.front();
    relay.waiting.pop_front();
    // The first call goes to the service name, which this instance has given up: the bus hands
    // it to a free instance, or starts one.
    QDBusMessage forward = QDBusMessage::createMethodCall(
        relay.server.isEmpty() ? QLatin1String(Quibo_TLB::ServiceName) : relay.server, call.path(), call.interface(),
        call.member());
    forward.setArguments(call.arguments());
    relay.passing = true;
    // A member may wait for the user at the other instance's screen for as long as it takes.
    auto *pending = new QDBusPendingCallWatcher(m_connection.asyncCall(forward, std::numeric_limits<int>::max()), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, client, call, pending] {
        pending->deleteLater();
        PassBack(client, call, pending->reply());
    });
}

void TAutomationServer::PassBack(const QString &client, const QDBusMessage &call, const QDBusMessage &reply)
{
    const auto found = m_relays.find(client);
    if (found == m_relays.end())
        return;
    TRelay &relay = found->second;
    relay.passing = false;
    if (relay.server.isEmpty() && reply.service().startsWith(QLatin1Char(':')))
        relay.server = reply.service();
    m_connection.send(reply.type() == QDBusMessage::ReplyMessage
                          ? call.createReply(reply.arguments())
                          : call.createErrorReply(reply.errorName(), reply.errorMessage()));
    if (relay.clientGone) {
        ReleaseServer(relay.server);
        DropRelay(client);
    } else if (IsReleaseCall(call)) {
        DropRelay(client);
    }
    for (const auto &[other, otherRelay] : m_relays)
        PassOn(other);
}

void TAutomationServer::RelayClientLeft(const QString &client)
{
    const auto found = m_relays.find(client);
    if (found == m_relays.end())
        return;
    if (found->second.passing) { // the reply tells which instance to release
        found->second.clientGone = true;
        return;
    }
    ReleaseServer(found->second.server);
    DropRelay(client);
}

void TAutomationServer::ReleaseServer(const QString &server)
{
    if (server.isEmpty())
        return;
    m_connection.send(QDBusMessage::createMethodCall(server, QLatin1String(Quibo_TLB::ObjectPath),
                                                     QLatin1String(Quibo_TLB::InterfaceLifetime),
                                                     QStringLiteral("Release")));
}

void TAutomationServer::DropRelay(const QString &client)
{
    m_relayWatcher->removeWatchedService(client);
    m_relays.erase(client);
    if (m_relays.empty() && m_finishing)
        m_finishing->quit();
}

} // namespace automation
