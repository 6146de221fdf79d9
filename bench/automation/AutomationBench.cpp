// 10,000 `Value` calls from one QtDBus client to a program instance started for it (as the bus
// starts one for a client), over the session bus; the mean round trip and the total (goal: at most
// 2 s). Beside it, the same number of round trips to the bus itself, for the machine's floor.
// `OpenData` of a table of 10^5 and 10^6 records (ID, START, RF1-RF5) in a fresh instance: the
// call's time (goal at 10^6: at most 1.5 s, ten times that of 10^5) and the instance's peak
// resident memory, VmHWM (goal: at most 1 GB).
// Run: build/bench/bench_automation (without a session bus it runs itself under dbus-run-session).

#include "RunBenchmarks.h"

#include "automation/Quibo_TLB.h"

#include "platform/db/Database.h"
#include "platform/db/Query.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <random>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kItems = 100;
constexpr int kValuesPerItem = 3;

QString writeTable(const QString &folder)
{
    db::TDatabase database;
    database.SetDatabaseName(QStringLiteral("bench"));
    database.Params().Add(QStringLiteral("PATH=") + folder);
    database.Open();
    const auto exec = [](const QString &sql) {
        db::TQuery query;
        query.SetDatabaseName(QStringLiteral("bench"));
        query.SQL().Add(sql);
        query.ExecSQL();
    };
    exec(QStringLiteral("CREATE TABLE 'v.dbf' (ID INTEGER, START DECIMAL(6,2), Rf1 DECIMAL(8,3), Rf2 DECIMAL(8,3), "
                        "Rf3 DECIMAL(8,3))"));
    for (int i = 1; i <= kItems; ++i)
        exec(QStringLiteral("INSERT INTO 'v.dbf' VALUES (%1, 0, %2, %3, %4)")
                 .arg(i)
                 .arg(i + 0.5)
                 .arg(i + 0.25)
                 .arg(2 * i));
    return folder + QStringLiteral("/v.dbf");
}

// A dBASE III table of `records` records (ID N(8,0), START N(6,2), RF1-RF5 N(8,3)), written
// byte by byte: through the database layer a million records would take longer than the read.
QString writeWideTable(const QString &folder, int records)
{
    constexpr int kRf = 5;
    struct Field
    {
        QByteArray name;
        int width, decimals;
    };
    std::vector<Field> fields{{"ID", 8, 0}, {"START", 6, 2}};
    for (int j = 1; j <= kRf; ++j)
        fields.push_back({"RF" + QByteArray::number(j), 8, 3});
    int recordSize = 1;
    for (const Field &field : fields)
        recordSize += field.width;
    const int headerSize = 32 + 32 * int(fields.size()) + 1;
    QByteArray header(32, '\0');
    header[0] = 0x03;
    header[1] = char(126), header[2] = 1, header[3] = 1;
    qToLittleEndian<quint32>(quint32(records), header.data() + 4);
    qToLittleEndian<quint16>(quint16(headerSize), header.data() + 8);
    qToLittleEndian<quint16>(quint16(recordSize), header.data() + 10);
    for (const Field &field : fields) {
        QByteArray descriptor(32, '\0');
        descriptor.replace(0, int(field.name.size()), field.name);
        descriptor[11] = 'N';
        descriptor[16] = char(field.width);
        descriptor[17] = char(field.decimals);
        header += descriptor;
    }
    header += '\r';
    QFile file(folder + QStringLiteral("/wide.dbf"));
    file.open(QIODevice::WriteOnly);
    file.write(header);
    std::mt19937 random(5);
    std::normal_distribution<double> noise(0.0, 5.0);
    QByteArray record;
    for (int i = 1; i <= records; ++i) {
        record = " " + QByteArray::number(i).rightJustified(8) + QByteArray::number(i % 5, 'f', 2).rightJustified(6);
        for (int j = 0; j < kRf; ++j)
            record += QByteArray::number(100.0 + 20.0 * double(j % 3) + noise(random), 'f', 3).rightJustified(8);
        file.write(record);
    }
    file.write("\x1a");
    return file.fileName();
}

// The peak resident memory of a process so far (VmHWM), in megabytes.
double peakResidentMegabytes(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

// CPU time a process has spent so far, in seconds (user and system, from /proc).
double cpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 12 ? double(fields[11].toLongLong() + fields[12].toLongLong()) / double(sysconf(_SC_CLK_TCK))
                              : 0.0;
}

qint64 busProcessId()
{
    return QDBusConnection::sessionBus().interface()->servicePid(QStringLiteral("org.freedesktop.DBus")).value();
}

// A program instance started for this client, with a table read.
class Server
{
public:
    explicit Server(const QString &table = QString())
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_process.setProcessEnvironment(environment);
        m_process.start(QStringLiteral(QUIBO_EXECUTABLE), {QStringLiteral("-automation")});
        QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
        for (int wait = 0; wait < 1000 && !bus->isServiceRegistered(QLatin1String(Quibo_TLB::ServiceName)); ++wait)
            QThread::msleep(20);
        m_owner = bus->serviceOwner(QLatin1String(Quibo_TLB::ServiceName));
        if (!table.isEmpty()) {
            Call(QStringLiteral("OpenDatabase"), {table});
            return;
        }
        Call(QStringLiteral("OpenDatabase"), {writeTable(m_folder.path())});
        Call(QStringLiteral("OpenData"), {false, QStringLiteral("1 = 1")});
    }

    ~Server()
    {
        Call(QStringLiteral("Release"), {}, Quibo_TLB::InterfaceLifetime);
        if (!m_process.waitForFinished(10000))
            m_process.kill();
    }

    qint64 ProcessId() const { return m_process.processId(); }

    QDBusMessage Call(const QString &member, const QVariantList &arguments,
                      const char *interface = Quibo_TLB::InterfaceICQuibo) const
    {
        QDBusMessage call = QDBusMessage::createMethodCall(m_owner, QLatin1String(Quibo_TLB::ObjectPath),
                                                           QLatin1String(interface), member);
        call.setArguments(arguments);
        return QDBusConnection::sessionBus().call(call, QDBus::Block, 600000);
    }

private:
    QTemporaryDir m_folder;
    QProcess m_process;
    QString m_owner;
};

void BM_ValueRoundTrip(benchmark::State &state)
{
    Server server;
    if (server.Call(QStringLiteral("SeriesCount"), {}).arguments().value(0).toInt() != kItems) {
        state.SkipWithError("the instance did not read the table");
        return;
    }
    int call = 0;
    const double serverCpu = cpuSeconds(server.ProcessId());
    const double busCpu = cpuSeconds(busProcessId());
    QElapsedTimer clock;
    clock.start();
    for (auto _ : state) {
        const QDBusMessage reply = server.Call(
            QStringLiteral("Value"), {call % kItems, call % kValuesPerItem, 0.0});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().value(0).toInt() != 1) {
            state.SkipWithError("Value failed");
            break;
        }
        ++call;
    }
    const double seconds = double(clock.nsecsElapsed()) * 1e-9;
    state.counters["total_s"] = seconds;
    state.counters["mean_round_trip_us"] = call > 0 ? seconds * 1e6 / call : 0.0;
    // What the wall clock includes besides the client's own CPU time: the server's and the bus's.
    state.counters["server_cpu_us"] = call > 0 ? (cpuSeconds(server.ProcessId()) - serverCpu) * 1e6 / call : 0.0;
    state.counters["bus_cpu_us"] = call > 0 ? (cpuSeconds(busProcessId()) - busCpu) * 1e6 / call : 0.0;
}
BENCHMARK(BM_ValueRoundTrip)->Iterations(10000)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_OpenDataOfWideTable(benchmark::State &state)
{
    const int records = int(state.range(0));
    QTemporaryDir folder;
    const QString table = writeWideTable(folder.path(), records);
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto server = std::make_unique<Server>(table);
        state.ResumeTiming();
        const QDBusMessage reply = server->Call(QStringLiteral("OpenData"), {false, QStringLiteral("1 = 1")});
        state.PauseTiming();
        if (reply.type() != QDBusMessage::ReplyMessage
            || server->Call(QStringLiteral("SeriesCount"), {}).arguments().value(0).toInt() != records) {
            state.SkipWithError("the instance did not read the table");
            break;
        }
        peak = std::max(peak, peakResidentMegabytes(server->ProcessId()));
        server.reset();
        state.ResumeTiming();
    }
    state.counters["server_VmHWM_MB"] = peak;
}
BENCHMARK(BM_OpenDataOfWideTable)->Arg(100000)->Arg(1000000)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor under the same load: a round trip to the bus itself, which every member call makes twice.
void BM_BusGetId(benchmark::State &state)
{
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId"));
    for (auto _ : state)
        QDBusConnection::sessionBus().call(call);
}
BENCHMARK(BM_BusGetId)->Iterations(10000)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        std::vector<char *> command{const_cast<char *>("dbus-run-session"), const_cast<char *>("--")};
        command.insert(command.end(), argv, argv + argc);
        command.push_back(nullptr);
        execvp(command[0], command.data());
        std::perror("dbus-run-session");
        return 1;
    }
    QCoreApplication application(argc, argv);
    return RunBenchmarks(argc, argv);
}
