"""Accessibility answer time for bench/run: starts a program with Qt's AT-SPI
bridge on, waits until a given file says the program is at the point to
measure, then asks the program's accessible root for its child count, again
and again, for a number of seconds, and prints the answer times.

Run it inside its own session bus (dbus-run-session). The accessibility bus
and its registry are started before the program, as a desktop would have them.

A query that gets no answer within --timeout-ms counts as --timeout-ms: a
program that does not answer scores its time-out, not nothing. The program is
found through the registry (which answers on its own) and matched by process
id (which the bus answers), so finding it costs nothing from the program;
while it is not registered yet, a sample waits for it inside the same time-out.

Prints one line:  samples=<n> timeouts=<t> p50_ms=<x> p95_ms=<y> max_ms=<z>
registered=<yes|no> children=<c>   (registered: the registry listed the program)
"""

import argparse
import os
import signal
import subprocess
import sys
import time

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

ROOT = "/org/a11y/atspi/accessible/root"
REGISTRY = "org.a11y.atspi.Registry"
ACCESSIBLE = "org.a11y.atspi.Accessible"


def call(bus, name, path, interface, method, args, reply, timeout_ms):
    return bus.call_sync(name, path, interface, method, args,
                         GLib.VariantType.new(reply) if reply else None,
                         Gio.DBusCallFlags.NO_AUTO_START, max(1, int(timeout_ms)), None).unpack()


def accessibility_bus():
    session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    # Activation starts at-spi-bus-launcher, which starts the registry.
    address = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress",
                                None, GLib.VariantType.new("(s)"), Gio.DBusCallFlags.NONE,
                                10000, None).unpack()[0]
    bus = Gio.DBusConnection.new_for_address_sync(
        address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
        | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
    bus.call_sync(REGISTRY, ROOT, ACCESSIBLE, "GetChildren", None, None,
                  Gio.DBusCallFlags.NONE, 10000, None)
    return bus


def find_application(bus, pid, timeout_ms):
    """The program's bus name once the registry lists it, else None."""
    children = call(bus, REGISTRY, ROOT, ACCESSIBLE, "GetChildren", None, "(a(so))",
                    timeout_ms)[0]
    for name, _path in children:
        try:
            owner = call(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                         "org.freedesktop.DBus", "GetConnectionUnixProcessID",
                         GLib.Variant("(s)", (name,)), "(u)", timeout_ms)[0]
        except GLib.Error:
            continue
        if owner == pid:
            return name
    return None


def sample(bus, state, pid, timeout_ms):
    """One query, returns (milliseconds, child count or None)."""
    start = time.monotonic()
    deadline = start + timeout_ms / 1000

    def left_ms():
        return (deadline - time.monotonic()) * 1000

    try:
        while state.get("name") is None:
            if left_ms() <= 0:
                return timeout_ms, None
            state["name"] = find_application(bus, pid, left_ms())
            if state["name"] is None:
                time.sleep(min(0.01, max(0, left_ms()) / 1000))
        if left_ms() <= 0:
            return timeout_ms, None
        count = call(bus, state["name"], ROOT, "org.freedesktop.DBus.Properties", "Get",
                     GLib.Variant("(ss)", (ACCESSIBLE, "ChildCount")), "(v)", left_ms())[0]
    except GLib.Error:
        return timeout_ms, None
    return min(timeout_ms, (time.monotonic() - start) * 1000), count


def percentile(values, share):
    ordered = sorted(values)
    rank = max(1, -(-len(ordered) * share // 100))  # nearest rank
    return ordered[int(rank) - 1]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ready-file", required=True,
                        help="measuring starts once this file holds --ready-text")
    parser.add_argument("--ready-text", default="CONNECTED")
    parser.add_argument("--ready-timeout", type=float, default=30.0)
    parser.add_argument("--seconds", type=float, default=10.0)
    parser.add_argument("--timeout-ms", type=float, default=1000.0)
    parser.add_argument("--interval-ms", type=float, default=20.0)
    parser.add_argument("program", nargs=argparse.REMAINDER)
    options = parser.parse_args()
    command = options.program[1:] if options.program[:1] == ["--"] else options.program

    bus = accessibility_bus()
    environment = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    program = subprocess.Popen(command, env=environment, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        waited = time.monotonic() + options.ready_timeout
        while True:
            try:
                with open(options.ready_file) as ready:
                    if options.ready_text in ready.read():
                        break
            except FileNotFoundError:
                pass
            if program.poll() is not None:
                sys.exit("atspi_probe: the program ended (%d) before the measured point"
                         % program.returncode)
            if time.monotonic() > waited:
                sys.exit("atspi_probe: the measured point never came")
            time.sleep(0.01)

        state = {}
        times = []
        children = None
        end = time.monotonic() + options.seconds
        while time.monotonic() < end:
            if program.poll() is not None:
                sys.exit("atspi_probe: the program ended (%d) during the measure"
                         % program.returncode)
            elapsed, count = sample(bus, state, program.pid, options.timeout_ms)
            times.append(elapsed)
            if count is not None:
                children = count
            time.sleep(options.interval_ms / 1000)
    finally:
        if program.poll() is None:
            program.send_signal(signal.SIGTERM)
            try:
                program.wait(5)
            except subprocess.TimeoutExpired:
                program.kill()
                program.wait()

    timeouts = sum(1 for t in times if t >= options.timeout_ms)
    print("samples=%d timeouts=%d p50_ms=%.1f p95_ms=%.1f max_ms=%.1f registered=%s children=%s"
          % (len(times), timeouts, percentile(times, 50), percentile(times, 95), max(times),
             "no" if state.get("name") is None else "yes",
             "none" if children is None else children))


if __name__ == "__main__":
    main()
