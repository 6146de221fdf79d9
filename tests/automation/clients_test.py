#!/usr/bin/python3
"""Drives the automation object of Quibo from outside, as its clients do: registration with
-regserver and start by D-Bus activation, the typical sequence of a dbus-python client on tables
made with the dbf module (numbers checked against values computed here), every member through
`gdbus call`, error replies, one instance per client, and the end of an instance whose client
leaves or is killed, also while its boxes, answered on an X server of the test's own, are shown.

    clients_test.py QUIBO_EXECUTABLE EMPTY_CRITICAL_TABLES_DIR

It copies the program into a temporary folder (so that the history file beside it is its own),
points the user's data folder there and runs itself again under dbus-run-session.
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import unittest

SERVICE = "example.quibo.Quibo"
PATH = "/example/quibo/CQuibo"
ICQUIBO = "example.quibo.ICQuibo"
LIFETIME = "example.quibo.Lifetime"
UNEXPECTED = "example.quibo.Error.Unexpected"
SOURCE_XML = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "automation",
                          "example.quibo.ICQuibo.xml")
LONG_CALL = 300  # seconds: the first class statistics simulate their critical values


def outer(quibo, tables):
    """Lays out the program, its tables and the user's folders, then runs the tests on a bus of their own."""
    root = tempfile.mkdtemp(prefix="quibo-automation-")
    try:
        bin_dir = os.path.join(root, "bin")
        os.makedirs(bin_dir)
        shutil.copy2(quibo, bin_dir)
        for name in os.listdir(tables):
            shutil.copy2(os.path.join(tables, name), bin_dir)
        env = dict(os.environ)
        env.update({
            "QUIBO_TEST_ROOT": root,
            "XDG_DATA_HOME": os.path.join(root, "share"),
            "XDG_CONFIG_HOME": os.path.join(root, "config"),
            "QT_QPA_PLATFORM": "offscreen",
            "LC_ALL": "C.UTF-8",
        })
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        return subprocess.call(["dbus-run-session", "--", sys.executable, os.path.abspath(__file__), "--inner"],
                               env=env)
    finally:
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__" and "--inner" not in sys.argv:
    sys.exit(outer(sys.argv[1], sys.argv[2]))

import dbf  # noqa: E402  (only on the test's own bus)
import dbus  # noqa: E402

ROOT = os.environ.get("QUIBO_TEST_ROOT", "")
BIN = os.path.join(ROOT, "bin")
QUIBO = os.path.join(BIN, "quibo")
HISTORY = os.path.join(BIN, "history.txt")
DATA = os.path.join(ROOT, "data")

# The regression stored in the output table and the items: ID, then three values; the first two
# lie near 1 and the third near 5 once the line c0 + c1*ID is taken off.
C0, C1 = 0.5, 0.25
ITEMS = [(i, [1.0 + 0.01 * i, 1.1 + 0.013 * i, 5.0 + 0.02 * i * i]) for i in range(1, 9)]


def raw_value(item_id, detrended):
    return round(detrended + C0 + C1 * item_id, 3)


def make_data_table(name, items):
    os.makedirs(DATA, exist_ok=True)
    path = os.path.join(DATA, name)
    table = dbf.Table(path, "ID N(4,0); START N(6,2); RF1 N(8,3); RF2 N(8,3); RF3 N(8,3)", dbf_type="db3")
    table.open(mode=dbf.READ_WRITE)
    for item_id, values in items:
        table.append((item_id, 0.0) + tuple(raw_value(item_id, v) for v in values))
    table.close()
    return path


def make_output_table(memo_lines):
    table = dbf.Table(os.path.join(DATA, "out.dbf"), "RUN N(4,0); RES M", dbf_type="db3")
    table.open(mode=dbf.READ_WRITE)
    table.append((7, "\r\n".join(memo_lines)))
    table.append((8, ""))
    table.close()


def mean_and_std(values):
    n = len(values)
    mean = sum(values) / n
    return mean, (sum((v - mean) ** 2 for v in values) / (n - 1)) ** 0.5


def detrended_items():
    """Each item's values as the program holds them after the stored regression."""
    return [[raw_value(i, v) - (C0 + C1 * i) for v in values] for i, values in ITEMS]


def expected_classes():
    ordered = sorted(v for values in detrended_items() for v in values)
    return [mean_and_std(ordered[:16]), mean_and_std(ordered[16:])]


def process_ended(pid, timeout=20):
    deadline = time.time() + timeout
    while time.time() < deadline:
        try:
            with open("/proc/%d/stat" % pid) as stat:
                if stat.read().split(")")[-1].split()[0] == "Z":
                    return True
        except FileNotFoundError:
            return True
        time.sleep(0.1)
    return False


def running_instances():
    pids = []
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                if os.readlink("/proc/%s/exe" % entry) == QUIBO:
                    pids.append(int(entry))
            except OSError:
                pass
    return [pid for pid in pids if not process_ended(pid, 0)]


class Client:
    """One client on a connection of its own: the proxy binds to the unique name of the instance
    that owns the service name when it is made, starting one when none does."""

    def __init__(self):
        self.bus = dbus.bus.BusConnection(os.environ["DBUS_SESSION_BUS_ADDRESS"])
        self.proxy = self.bus.get_object(SERVICE, PATH)
        self.owner = self.proxy.bus_name
        self.pid = int(self.bus.call_blocking("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                              "GetConnectionUnixProcessID", "s", (self.owner,)))
        self.q = dbus.Interface(self.proxy, ICQUIBO)

    def release(self):
        self.proxy.Release(dbus_interface=LIFETIME)

    def introspect(self):
        return self.proxy.Introspect(dbus_interface="org.freedesktop.DBus.Introspectable")

    def close(self):
        self.bus.close()


def send_open(client, table):
    """Sends OpenDatabase without waiting for its reply; answers once the instance runs it: a call
    that the bus library answers itself comes back only after the instance took up the one before."""
    message = dbus.lowlevel.MethodCallMessage(client.owner, PATH, ICQUIBO, "OpenDatabase")
    message.append(table, signature="s")
    client.bus.send_message(message)
    client.introspect()


def run_registration(switch, data_home):
    env = dict(os.environ, XDG_DATA_HOME=data_home)
    return subprocess.run([QUIBO, switch], env=env, capture_output=True, text=True, timeout=60)


def reload_bus_config():
    """Makes the bus read the activation files again: a file rewritten within the second it was
    last read keeps its time stamp, by which the bus notices a change."""
    bus = dbus.SessionBus()
    bus.call_blocking("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "ReloadConfig", "", ())


def setUpModule():
    # The activation file the bus starts instances by; no instance is running yet.
    done = run_registration("-regserver", os.environ["XDG_DATA_HOME"])
    assert done.returncode == 0 and done.stdout == "" and done.stderr == "", done


def tearDownModule():
    left = running_instances()
    for pid in left:
        os.kill(pid, signal.SIGKILL)
    assert not left, "instances still running after their clients: %s" % left


class RegistrationTest(unittest.TestCase):
    def test_regserver_writes_activation_file_and_interface_unregserver_removes_them(self):
        data_home = tempfile.mkdtemp(dir=ROOT)
        service = os.path.join(data_home, "dbus-1", "services", SERVICE + ".service")
        interface = os.path.join(data_home, "dbus-1", "interfaces", ICQUIBO + ".xml")
        for switch in ("/RegServer", "-REGSERVER"):
            done = run_registration(switch, data_home)
            self.assertEqual((done.returncode, done.stdout, done.stderr), (0, "", ""))
        with open(service) as f:
            self.assertEqual(f.read(), "[D-BUS Service]\nName=%s\nExec='%s' -automation\n" % (SERVICE, QUIBO))
        with open(interface) as f, open(SOURCE_XML) as source:
            self.assertEqual(f.read(), source.read())
        done = run_registration("/unregserver", data_home)
        self.assertEqual((done.returncode, done.stdout, done.stderr), (0, "", ""))
        self.assertFalse(os.path.exists(service) or os.path.exists(interface))
        self.assertEqual(run_registration("-UnRegServer", data_home).returncode, 0)  # nothing left to remove

    def test_registration_that_cannot_write_says_what_failed_and_leaves_nothing(self):
        blocker = os.path.join(ROOT, "a-file")
        open(blocker, "w").close()
        done = run_registration("-regserver", blocker)
        self.assertNotEqual(done.returncode, 0)
        self.assertIn(blocker, done.stderr)
        # The interface document is written, the activation file cannot be: a file stands where its folder would.
        data_home = tempfile.mkdtemp(dir=ROOT)
        os.makedirs(os.path.join(data_home, "dbus-1"))
        open(os.path.join(data_home, "dbus-1", "services"), "w").close()
        done = run_registration("-regserver", data_home)
        self.assertNotEqual(done.returncode, 0)
        self.assertFalse(os.path.exists(os.path.join(data_home, "dbus-1", "interfaces", ICQUIBO + ".xml")))

    def test_program_in_a_folder_with_quotes_and_backslashes_is_started_by_activation(self):
        folder = os.path.join(ROOT, "it's \"odd\" \\s $HOME #1")
        os.makedirs(folder)
        program = os.path.join(folder, "quibo")
        shutil.copy2(QUIBO, program)
        try:
            done = subprocess.run([program, "-regserver"], capture_output=True, text=True, timeout=60)
            self.assertEqual((done.returncode, done.stderr), (0, ""))
            reload_bus_config()
            client = Client()
            try:
                self.assertEqual(os.readlink("/proc/%d/exe" % client.pid), program)
                self.assertEqual(client.q.SeriesCount(), 0)
            finally:
                client.release()
                client.close()
            self.assertTrue(process_ended(client.pid))
        finally:
            self.assertEqual(run_registration("-regserver", os.environ["XDG_DATA_HOME"]).returncode, 0)
            reload_bus_config()

    def test_program_whose_path_the_bus_cannot_name_is_not_registered(self):
        # A folder name that is no UTF-8 cannot stand in an activation file, which must be UTF-8.
        folder = os.path.join(os.fsencode(ROOT), b"caf\xe9")
        os.makedirs(folder)
        program = os.path.join(folder, b"quibo")
        shutil.copy2(QUIBO, program)
        data_home = tempfile.mkdtemp(dir=ROOT)
        done = subprocess.run([program, b"-regserver"], env=dict(os.environ, XDG_DATA_HOME=data_home),
                              capture_output=True, timeout=60)
        self.assertNotEqual(done.returncode, 0)
        self.assertIn(b"activation file", done.stderr)
        self.assertFalse(os.path.exists(os.path.join(data_home, "dbus-1", "services", SERVICE + ".service")))

    def test_activation_by_name_starts_the_registered_program(self):
        client = Client()
        try:
            self.assertEqual(os.readlink("/proc/%d/exe" % client.pid), QUIBO)
            with open("/proc/%d/cmdline" % client.pid) as f:
                self.assertEqual(f.read().split("\0")[1], "-automation")
            self.assertEqual(client.q.SeriesCount(), 0)
        finally:
            client.release()
            client.close()
        self.assertTrue(process_ended(client.pid))


class TypicalSequenceTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.table = make_data_table("items.dbf", ITEMS)
        (avg_a, std_a), (avg_b, std_b) = expected_classes()
        make_output_table([
            "log=0",
            "class_A=(n 16; std %r; avg %r)" % (std_a, avg_a),
            "class_B=(n 8; std %r; avg %r)" % (std_b, avg_b),
            "number_of_regression=1", "regression1=1",
            "regression1_c0=%r" % C0, "regression1_c1=%r" % C1,
        ])

    def test_typical_sequence_reads_what_the_tables_hold(self):
        client = Client()
        q = client.q
        try:
            q.OpenDatabase(self.table)
            q.SetOutput("out.dbf", "RUN", "RES", 3, "7")
            q.OpenData(False, "ID <= 8")
            self.assertEqual(q.RunRegression(0, timeout=LONG_CALL), 1)
            self.assertEqual(q.ReadClasses(0, timeout=LONG_CALL), 2)
            self.assertEqual(q.ClassCount(), 2)
            expected = expected_classes()
            for cls, size in ((0, 16), (1, 8)):
                answer, avg, std = q.ClassAverage(cls, 0.0, 0.0)
                self.assertEqual(answer, size)
                self.assertAlmostEqual(avg, expected[cls][0], delta=1e-9 * abs(expected[cls][0]))
                self.assertAlmostEqual(std, expected[cls][1], delta=1e-9 * abs(expected[cls][1]))
            # A class past the last answers -1 and leaves the numbers as they came.
            self.assertEqual(tuple(q.ClassAverage(2, 1.5, 2.5)), (-1, 1.5, 2.5))
            self.assertEqual(q.SeriesCount(), 8)
            values = detrended_items()
            for series, item in enumerate(values):
                self.assertEqual(q.Count(series), 3)
                for index, value in enumerate(item):
                    answer, x = q.Value(series, index, 0.0)
                    self.assertEqual(answer, 1)
                    self.assertAlmostEqual(x, value, delta=1e-12)
            self.assertEqual(tuple(q.Value(8, 0, 42.5)), (-1, 42.5))  # beyond the last item: x unchanged
            self.assertEqual(tuple(q.Value(0, 3, 42.5)), (-1, 42.5))
            self.assertEqual(q.Count(8), -1)
            # A limit toggled inside class A makes three classes.
            self.assertEqual(q.NewLimit(7), 1)
            self.assertEqual(q.NewLimit(23), 0)
            self.assertEqual(q.NewLimit(24), -1)
        finally:
            client.release()
            client.close()
        self.assertTrue(process_ended(client.pid))
        self.assertFalse(os.path.exists(HISTORY))

    def test_untransformed_read_and_key_errors(self):
        client = Client()
        q = client.q
        try:
            with self.assertRaises(dbus.DBusException) as raised:
                q.ClassAverage(0, 0.0, 0.0)
            self.assertEqual(raised.exception.get_dbus_name(), UNEXPECTED)
            self.assertEqual(raised.exception.get_dbus_message(), "No data are open: there are no classes")
            with self.assertRaises(dbus.DBusException) as raised:
                q.ClassCount()
            self.assertEqual(raised.exception.get_dbus_name(), UNEXPECTED)
            q.OpenDatabase(self.table)
            q.OpenData(False, "ID = 2")
            self.assertEqual(q.SeriesCount(), 1)
            self.assertEqual([q.Value(0, j, 0.0)[1] for j in range(3)], [raw_value(2, v) for v in ITEMS[1][1]])
            with self.assertRaises(dbus.DBusException) as raised:
                q.ClassAverage(-1, 0.0, 0.0)
            self.assertEqual(raised.exception.get_dbus_name(), UNEXPECTED)
            self.assertIn("-1", raised.exception.get_dbus_message())
            with self.assertRaises(dbus.DBusException) as raised:
                q.ClassAverage(200, 0.0, 0.0)  # no 8-bit number
            self.assertEqual(raised.exception.get_dbus_name(), UNEXPECTED)
            with self.assertRaises(dbus.DBusException) as raised:
                q.SetOutput("out.dbf", "RUN", "RES", 3, "seven")
            self.assertEqual(raised.exception.get_dbus_name(), UNEXPECTED)
            self.assertIn("seven", raised.exception.get_dbus_message())
            with self.assertRaises(dbus.DBusException) as raised:
                q.Value(0, 0, signature="ii")  # x missing
            self.assertEqual(raised.exception.get_dbus_name(), "org.freedesktop.DBus.Error.InvalidArgs")
        finally:
            client.close()  # leaves the bus without releasing
        self.assertTrue(process_ended(client.pid))


class InstancesTest(unittest.TestCase):
    maxDiff = None
    @classmethod
    def setUpClass(cls):
        cls.eight = make_data_table("eight.dbf", ITEMS)
        cls.three = make_data_table("three.dbf", ITEMS[:3])

    def test_two_clients_two_instances_each_with_its_own_data(self):
        first = Client()
        first.q.OpenDatabase(self.eight)
        second = Client()  # the first instance gave the name up at its first call
        second.q.OpenDatabase(self.three)
        try:
            self.assertNotEqual(first.pid, second.pid)
            first.q.OpenData(False, "1 = 1")
            second.q.OpenData(False, "1 = 1")
            self.assertEqual((first.q.SeriesCount(), second.q.SeriesCount()), (8, 3))
            # Another client's call that reaches an instance is served by another instance.
            stranger = dbus.Interface(second.bus.get_object(first.owner, PATH, introspect=False), ICQUIBO)
            self.assertEqual(stranger.SeriesCount(signature=""), 0)
            self.assertEqual(first.q.SeriesCount(), 8)
        finally:
            first.release()
            second.release()
            first.close()
            second.close()
        self.assertTrue(process_ended(first.pid) and process_ended(second.pid))

    def test_clients_started_together_each_get_an_instance_of_their_own(self):
        script = ("import sys; sys.path.insert(0, %r); import clients_test as t; c = t.Client(); "
                  "c.q.OpenDatabase(sys.argv[1]); c.q.OpenData(False, '1 = 1'); print(c.q.SeriesCount()); c.release()"
                  % os.path.dirname(os.path.abspath(__file__)))
        for _ in range(10):
            clients = [subprocess.Popen([sys.executable, "-c", script, table], stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, text=True) for table in (self.eight, self.three)]
            self.assertEqual([p.communicate(timeout=120) for p in clients], [("8\n", ""), ("3\n", "")])
            calls = [subprocess.Popen(gdbus_command("SeriesCount"), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                      text=True) for _ in range(2)]
            self.assertEqual([p.communicate(timeout=120) for p in calls], [("(0,)\n", "")] * 2)
        deadline = time.time() + 30
        while running_instances() and time.time() < deadline:
            time.sleep(0.1)
        self.assertEqual(running_instances(), [])

    def test_killed_client_ends_its_instance_without_history(self):
        pid = kill_client_after("c.q.OpenDatabase(%r); c.q.OpenData(False, '1 = 1')" % self.eight)
        self.assertTrue(process_ended(pid))
        self.assertFalse(os.path.exists(HISTORY))

    def test_client_killed_during_create_question_creates_no_table(self):
        # The call that asks "Create new?" on the server's screen is sent without waiting.
        missing = os.path.join(DATA, "asked.dbf")
        pid = kill_client_after("t.send_open(c, %r)" % missing)
        self.assertTrue(process_ended(pid))
        self.assertFalse(os.path.exists(missing))

    def test_client_killed_during_a_read_that_never_ends_ends_its_instance(self):
        # The read is sent without waiting; it would count for ever without a word.
        endless = "ID = (WITH RECURSIVE x(n) AS (SELECT 1 UNION ALL SELECT n+1 FROM x) SELECT count(*) FROM x)"
        pid = kill_client_after("c.q.OpenDatabase(%r); "
                                "m = dbus.lowlevel.MethodCallMessage(c.owner, t.PATH, t.ICQUIBO, 'OpenData'); "
                                "m.append(False, %r, signature='bs'); c.bus.send_message(m); time.sleep(2)"
                                % (self.eight, endless))
        self.assertTrue(process_ended(pid))


def kill_client_after(statements, before_kill=lambda pid: None):
    """Runs a client in a process of its own (`c`, with this module as `t`) through `statements`,
    then, after `before_kill`, kills it; answers the pid of the instance that served it, still
    running until then."""
    script = ("import sys, time, dbus; sys.path.insert(0, %r); import clients_test as t; c = t.Client(); %s; "
              "print(c.pid, flush=True); time.sleep(600)" % (os.path.dirname(os.path.abspath(__file__)), statements))
    child = subprocess.Popen([sys.executable, "-c", script], stdout=subprocess.PIPE, text=True)
    try:
        pid = int(child.stdout.readline())
        if process_ended(pid, 0):
            raise AssertionError("the instance ended before its client was killed")
        before_kill(pid)
        if process_ended(pid, 0):
            raise AssertionError("the instance ended before its client was killed")
        child.send_signal(signal.SIGKILL)
        child.wait()
    finally:
        child.kill()
        child.stdout.close()
    return pid


def set_activation_environment(variables):
    bus = dbus.SessionBus()
    bus.call_blocking("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                      "UpdateActivationEnvironment", "a{ss}", (variables,))


class ScreenTest(unittest.TestCase):
    """The boxes an instance shows on its screen answered as its user answers them: the instances
    started meanwhile show their windows on an X server of the test's own, keys come from xdotool."""

    @classmethod
    def setUpClass(cls):
        if not (shutil.which("Xvfb") and shutil.which("xdotool")):
            raise unittest.SkipTest("needs Xvfb and xdotool")
        read, write = os.pipe()
        cls.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                    pass_fds=(write,), stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as display:
            cls.display = ":" + display.readline().strip()
        set_activation_environment({"DISPLAY": cls.display, "QT_QPA_PLATFORM": "xcb"})

    @classmethod
    def tearDownClass(cls):
        set_activation_environment({"QT_QPA_PLATFORM": "offscreen"})
        cls.xvfb.kill()
        cls.xvfb.wait()

    def shown_windows(self, title):
        done = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^%s$" % title],
                              env=dict(os.environ, DISPLAY=self.display), capture_output=True, text=True, timeout=60)
        return done.stdout.split()

    def press_return_in(self, window):
        subprocess.run(["xdotool", "windowfocus", "--sync", window, "key", "Return"],
                       env=dict(os.environ, DISPLAY=self.display), check=True, timeout=60)

    def boxes_of(self, pid, title):
        done = subprocess.run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(pid), "--name",
                               "^%s$" % title], env=dict(os.environ, DISPLAY=self.display), capture_output=True,
                              text=True, timeout=60)
        windows = sorted(int(w) for w in done.stdout.split())
        return windows[1:] if title == "Quibo" else windows  # the first "Quibo" is the main window

    def next_box(self, pid, title, seen):
        """The box titled `title` that instance `pid` shows next, besides those `seen`."""
        deadline = time.time() + 60
        while time.time() < deadline:
            fresh = [w for w in self.boxes_of(pid, title) if w not in seen]
            if fresh:
                seen.add(fresh[-1])
                return str(fresh[-1])
            time.sleep(0.1)
        raise AssertionError("no box %r shown" % title)

    def answer_creation(self, pid, last_yeses):
        """Yes to "Create new?", the defaults of the input boxes, Yes to `last_yeses` of the last two
        questions; answers the box shown next."""
        seen = set()
        self.press_return_in(self.next_box(pid, "Quibo", seen))
        for _ in range(3):  # no optional field, 3 Rf values, their format
            self.press_return_in(self.next_box(pid, "Create new DBF table", seen))
        for _ in range(last_yeses):
            self.press_return_in(self.next_box(pid, "Quibo", seen))
        return self.next_box(pid, "Quibo", seen) if last_yeses < 2 else None

    def test_client_killed_at_the_creations_last_questions_creates_no_table(self):
        # The client leaves while "Include FACTOR variable field?" is shown, or, after Yes to it,
        # "Include Classification variable field?".
        for last_yeses in (0, 1):
            missing = os.path.join(DATA, "late%d.dbf" % last_yeses)
            pid = kill_client_after("t.send_open(c, %r)" % missing,
                                    lambda pid: self.answer_creation(pid, last_yeses))
            self.assertTrue(process_ended(pid))
            self.assertFalse(os.path.exists(missing))

    def test_open_that_opens_nothing_is_an_error_reply(self):
        folder = os.path.join(DATA, "folder.dbf")
        os.makedirs(folder, exist_ok=True)
        text = os.path.join(DATA, "values.txt")
        with open(text, "w") as f:
            f.write("a;1\n")
        client = Client()
        try:
            for table, key, said in ((os.path.join(DATA, "declined.dbf"), "Escape", "answered No"),
                                     ("items.dbf", "Return", "not a full path"),
                                     (folder, "Return", "no table file"),
                                     (text, "Return", "not a dBASE or Paradox table")):
                replies = []

                def open_table():
                    try:
                        client.q.OpenDatabase(table, timeout=120)
                        replies.append("opened")
                    except dbus.DBusException as error:
                        replies.append((error.get_dbus_name(), error.get_dbus_message()))

                call = threading.Thread(target=open_table)
                call.start()
                box = self.next_box(client.pid, "Quibo", set())
                subprocess.run(["xdotool", "windowfocus", "--sync", box, "key", key],
                               env=dict(os.environ, DISPLAY=self.display), check=True, timeout=60)
                call.join(120)
                self.assertEqual(replies[0][0], UNEXPECTED, replies)
                self.assertIn(said, replies[0][1])
                self.assertIn(table, replies[0][1])
        finally:
            client.release()
            client.close()

    def test_call_made_while_a_box_is_open_waits_for_the_call_before_it(self):
        other = os.path.join(ROOT, "data2")
        os.makedirs(other, exist_ok=True)
        table = make_data_table("waits.dbf", ITEMS[:2])
        client = Client()
        try:
            send_open(client, os.path.join(other, "new.dbf"))  # asks "Create new?"
            send_open(client, table)
            self.answer_creation(client.pid, 2)
            client.q.OpenData(False, "1 = 1")
            self.assertEqual(client.q.SeriesCount(), 2)
        finally:
            client.release()
            client.close()
        self.assertTrue(os.path.exists(os.path.join(other, "new.dbf")))
        self.assertFalse(os.path.exists(os.path.join(DATA, "new.dbf")))

    def test_client_killed_during_the_creations_input_boxes_creates_no_table(self):
        # Yes to "Create new?" on the server's screen; the client leaves while the first of the
        # input boxes that follow is shown.
        missing = os.path.join(DATA, "answered.dbf")
        asked = []

        def answer_yes(pid):
            question = self.shown_windows("Quibo")[-1]
            self.press_return_in(question)
            asked.extend(self.shown_windows("Create new DBF table"))

        pid = kill_client_after("t.send_open(c, %r)" % missing,
                                answer_yes)
        self.assertTrue(asked)
        self.assertTrue(process_ended(pid))
        self.assertFalse(os.path.exists(missing))


def gdbus_command(member, *arguments):
    return ["gdbus", "call", "--session", "--dest", SERVICE, "--object-path", PATH,
            "--method", ICQUIBO + "." + member, "--"] + [str(a) for a in arguments]


def gdbus_call(member, *arguments):
    done = subprocess.run(gdbus_command(member, *arguments), capture_output=True, text=True, timeout=120)
    return done.stdout.strip() if done.returncode == 0 else done.stderr.strip()


class GdbusTest(unittest.TestCase):
    """Each `gdbus call` is a client of its own: it starts an instance, which ends when it leaves."""

    @classmethod
    def setUpClass(cls):
        cls.table = make_data_table("gdbus.dbf", ITEMS[:2])

    def test_each_member_over_gdbus(self):
        self.assertEqual(gdbus_call("OpenDatabase", self.table), "()")
        self.assertEqual(gdbus_call("SeriesCount"), "(0,)")
        self.assertEqual(gdbus_call("Count", 0), "(-1,)")
        self.assertEqual(gdbus_call("Value", 0, 0, 2.5), "(-1, 2.5)")
        self.assertEqual(gdbus_call("NewLimit", 0), "(-1,)")
        self.assertEqual(gdbus_call("SetMinStd", 0.25), "()")
        unexpected = "GDBus.Error:" + UNEXPECTED + ": "
        self.assertEqual(gdbus_call("ClassCount"), "Error: " + unexpected + "No data are open: there are no classes")
        self.assertEqual(gdbus_call("ClassAverage", -1, 0.0, 0.0), "Error: " + unexpected + "There is no class -1")
        self.assertTrue(gdbus_call("SetOutput", "out.dbf", "RUN", "RES", 3, "7").startswith("Error: " + unexpected))
        # The other three show the main window's warnings on the server's screen without data
        # or an output table; the dbus-python client above drives them.
        deadline = time.time() + 20
        while running_instances() and time.time() < deadline:
            time.sleep(0.1)
        self.assertEqual(running_instances(), [])


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
