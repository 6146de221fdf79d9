#include "CQuibo.h"

#include "Quibo_TLB.h"

#include "platform/rtl/SysUtils.h"
#include "workspace/FQuibo.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include <cstdint>
#include <functional>
#include <limits>

namespace {

TFormQuibo &MainWindow()
{
    if (!FormQuibo)
        throw rtl::EInvalidOperation(QStringLiteral("The main window of Quibo is not there"));
    return *FormQuibo;
}

// Class_ is an 8-bit signed number on the wire of a 16-bit one: a value outside cannot be meant.
int32_t ClassArgument(const QVariant &value)
{
    const int wide = value.toInt();
    if (wide < std::numeric_limits<int8_t>::min() || wide > std::numeric_limits<int8_t>::max())
        throw rtl::EConvertError(QStringLiteral("Class_ %1 is out of the range of its type (-128 to 127)").arg(wide));
    return int8_t(wide);
}

// A routine of the window that failed has shown the user its box; the client gets the same text.
void ThrowFailure(const QString &failure)
{
    if (!failure.isEmpty())
        throw rtl::Exception(failure);
}

using Arguments = QVariantList;

struct Member
{
    const char *name;
    const char *signature;
    std::function<QVariantList(const Arguments &)> run;
};

// The members of ICQuibo, in the interface's order.
const Member kMembers[] = {
    {"OpenDatabase", "s",
     [](const Arguments &a) {
         MainWindow().PrepareAutomation();
         ThrowFailure(MainWindow().OpenDatabaseTable(a[0].toString()));
         return QVariantList{};
     }},
    {"OpenData", "bs",
     [](const Arguments &a) {
         MainWindow().SetLogTransformation(a[0].toBool());
         ThrowFailure(MainWindow().QueryWhere(a[1].toString()));
         return QVariantList{};
     }},
    {"SetOutput", "sssis",
     [](const Arguments &a) {
         MainWindow().SetOutputTable(a[0].toString(), a[1].toString(), a[2].toString());
         MainWindow().SetOutputKey(a[3].toInt(), a[4].toString());
         return QVariantList{};
     }},
    {"RunRegression", "i", [](const Arguments &) { return QVariantList{MainWindow().RunRegressionScript()}; }},
    {"SeriesCount", "", [](const Arguments &) { return QVariantList{MainWindow().GetItemCount()}; }},
    {"Count", "i", [](const Arguments &a) { return QVariantList{MainWindow().GetItemValueCount(a[0].toInt())}; }},
    {"Value", "iid",
     [](const Arguments &a) {
         double x = a[2].toDouble();
         const int32_t answer = MainWindow().GetItemValue(a[0].toInt(), a[1].toInt(), x);
         return QVariantList{answer, x};
     }},
    {"ClassAverage", "ndd",
     [](const Arguments &a) {
         const int32_t cls = ClassArgument(a[0]);
         double avg = a[1].toDouble();
         double std = a[2].toDouble();
         const int32_t answer = MainWindow().GetClassStat(cls, avg, std);
         return QVariantList{answer, avg, std};
     }},
    {"ClassCount", "", [](const Arguments &) { return QVariantList{MainWindow().GetClassCount()}; }},
    {"NewLimit", "i", [](const Arguments &a) { return QVariantList{MainWindow().SetLimitAfter(a[0].toInt())}; }},
    {"ReadClasses", "i", [](const Arguments &) { return QVariantList{MainWindow().ReadClassLimits()}; }},
    {"SetMinStd", "d",
     [](const Arguments &a) {
         MainWindow().SetMinStd(a[0].toDouble());
         return QVariantList{};
     }},
};

const QLatin1String kReleaseMember("Release");

bool IsObjectInterface(const QString &interface)
{
    return interface.isEmpty() || interface == QLatin1String(Quibo_TLB::InterfaceICQuibo)
           || interface == QLatin1String(Quibo_TLB::InterfaceLifetime);
}

QString ErrorText(const std::exception &error)
{
    if (const auto *own = dynamic_cast<const rtl::Exception *>(&error))
        return own->Message();
    return QString::fromUtf8(error.what());
}

} // namespace

QVariantList InvokeICQuibo(const QString &member, const QString &signature, const QVariantList &arguments)
{
    for (const Member &m : kMembers) {
        if (member != QLatin1String(m.name))
            continue;
        if (signature != QLatin1String(m.signature))
            throw EMemberSignature(QLatin1String(m.signature));
        return m.run(arguments);
    }
    throw EUnknownMember();
}

bool IsReleaseCall(const QDBusMessage &message)
{
    return message.member() == kReleaseMember
           && (message.interface().isEmpty() || message.interface() == QLatin1String(Quibo_TLB::InterfaceLifetime));
}

TCQuibo::TCQuibo(QObject *parent) : QDBusVirtualObject(parent) {}

QString TCQuibo::introspect(const QString &) const { return Quibo_TLB::InterfaceElements(); }

bool TCQuibo::handleMessage(const QDBusMessage &message, const QDBusConnection &connection)
{
    if (message.type() != QDBusMessage::MethodCallMessage)
        return false;
    const bool stray = !m_client.isEmpty() && message.service() != m_client;
    // Introspection, properties and peer calls are the bus library's own; another client's
    // introspection (a proxy's first step) announces calls to come.
    if (!IsObjectInterface(message.interface())) {
        if (stray)
            emit StrayNoticed(message.service());
        return false;
    }
    if (stray) {
        emit StrayCall(message);
        return true;
    }
    if (m_ended) {
        connection.send(message.createErrorReply(QDBusError::UnknownObject,
                                                 QStringLiteral("This instance of Quibo serves no client any more")));
        return true;
    }
    if (m_client.isEmpty()) {
        m_client = message.service();
        emit ClientBound(m_client);
    }
    if (IsReleaseCall(message)) {
        // Not in turn: a release ends a call still waiting for the user (its boxes unanswered).
        End();
        connection.send(message.createReply());
        emit ClientReleased();
        return true;
    }
    ServeInTurn(message, connection);
    return true;
}

void TCQuibo::End()
{
    m_ended = true;
    m_waiting.clear();
}

void TCQuibo::ServeInTurn(const QDBusMessage &call, const QDBusConnection &connection)
{
    m_waiting.push_back(call);
    // A member's box runs the event loop, which delivers the client's next call here: the call
    // running below serves it when it is done.
    if (m_serving)
        return;
    m_serving = true;
    while (!m_waiting.empty()) {
        const QDBusMessage next = m_waiting.front();
        m_waiting.pop_front();
        connection.send(Answer(next));
    }
    m_serving = false;
}

QDBusMessage TCQuibo::Answer(const QDBusMessage &call)
{
    if (!call.interface().isEmpty() && call.interface() != QLatin1String(Quibo_TLB::InterfaceICQuibo))
        return call.createErrorReply(QDBusError::UnknownMethod,
                                     QStringLiteral("No member %1 in %2").arg(call.member(), call.interface()));
    try {
        return call.createReply(InvokeICQuibo(call.member(), call.signature(), call.arguments()));
    } catch (const EUnknownMember &) {
        return call.createErrorReply(QDBusError::UnknownMethod,
                                     QStringLiteral("ICQuibo has no member %1").arg(call.member()));
    } catch (const EMemberSignature &wrong) {
        return call.createErrorReply(QDBusError::InvalidArgs,
                                     QStringLiteral("%1 takes arguments of signature \"%2\", not \"%3\"")
                                         .arg(call.member(), wrong.Expected(), call.signature()));
    } catch (const std::exception &error) {
        return call.createErrorReply(QLatin1String(Quibo_TLB::ErrorUnexpected), ErrorText(error));
    } catch (...) {
        return call.createErrorReply(QLatin1String(Quibo_TLB::ErrorUnexpected), QStringLiteral("Unexpected error"));
    }
}
