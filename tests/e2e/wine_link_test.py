#!/usr/bin/env python3
"""The Win32 COM link under wine64 against a pseudo-terminal.

The prefix maps a COM port to the terminal ($WINEPREFIX/dosdevices/comN ->
/dev/pts/M); wine_link_probe.exe opens it through the link and runs the link's
operations on request while this driver plays the PLC's side of the wire and
looks at the terminal's settings.
"""

import argparse
import os
import pty
import shutil
import subprocess
import sys
import tempfile
import termios
import time
import tty

HERE = os.path.dirname(os.path.abspath(__file__))
failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)


class Probe:
    """One wine_link_probe.exe session on one COM port."""

    def __init__(self, args, port, env):
        self.proc = subprocess.Popen(
            ["/bin/sh", args.wine_run, args.prefix, args.probe, port],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, env=env)
        self.opened = self.answer()

    def answer(self):
        return self.proc.stdout.readline().strip()

    def ask(self, command):
        self.proc.stdin.write(command + "\n")
        self.proc.stdin.flush()
        return self.answer()

    def read(self, count):
        """-> (bytes read, milliseconds the read took)"""
        reply = self.ask("read %d" % count).split()
        assert reply[0] == "read", reply
        data = b"" if reply[3] == "-" else bytes.fromhex(reply[3])
        return data, int(reply[2])

    def quit(self):
        try:
            self.proc.stdin.write("quit\n")
            self.proc.stdin.close()
        except BrokenPipeError:
            pass
        return self.proc.wait(timeout=60)


class Terminal:
    """A pseudo-terminal whose slave the prefix offers as a COM port."""

    def __init__(self, prefix, com):
        self.master, self.slave = pty.openpty()
        tty.setraw(self.slave)
        self.path = os.ttyname(self.slave)
        self.link = os.path.join(prefix, "dosdevices", com)
        if os.path.lexists(self.link):
            os.remove(self.link)
        os.symlink(self.path, self.link)

    def settings(self):
        attrs = termios.tcgetattr(self.slave)
        return attrs[2], attrs[4]  # cflag, ispeed

    def send(self, data):
        os.write(self.master, data)

    def receive(self, count, timeout=5.0):
        data = b""
        deadline = time.monotonic() + timeout
        os.set_blocking(self.master, False)
        while len(data) < count and time.monotonic() < deadline:
            try:
                data += os.read(self.master, count - len(data))
            except BlockingIOError:
                time.sleep(0.01)
        return data

    def close(self):
        os.remove(self.link)
        os.close(self.slave)
        os.close(self.master)


def traced_records(log, start):
    """The termios records set on the terminal since line `start`: [(cflag, ispeed)]."""
    with open(log) as f:
        lines = f.read().splitlines()
    records = [line.split() for line in lines[start:]]
    return [(int(r[0], 8), int(r[1])) for r in records], len(lines)


def build_trace_library(workdir):
    library = os.path.join(workdir, "tcsetattr_trace.so")
    subprocess.run(["cc", "-shared", "-fPIC", "-O2", "-o", library,
                    os.path.join(HERE, "wine_link_tcsetattr_trace.c"), "-ldl"], check=True)
    return library


def line_settings(probe, term, log):
    seen = 0
    for name, size, parity, speed in (("slow", termios.CS7, True, termios.B9600),
                                      ("fast", termios.CS8, False, termios.B115200),
                                      ("slow", termios.CS7, True, termios.B9600)):
        check(probe.ask(name) == "ok", "%s line settings applied" % name)
        records, seen = traced_records(log, seen)
        # Wine sets the baud rate, the line control, the flow control and the
        # special characters one tcsetattr each; the line control is the one
        # with the character size and parity.
        wanted = [cflag for cflag, ispeed in records
                  if ispeed == speed and (cflag & termios.CSIZE) == size
                  and bool(cflag & termios.PARENB) == parity
                  and not cflag & termios.PARODD and not cflag & termios.CSTOPB]
        check(bool(wanted),
              "%s: the terminal was given baud code %d, %s, %s parity, one stop bit (set: %s)"
              % (name, speed, "CS7" if size == termios.CS7 else "CS8",
                 "even" if parity else "no",
                 ", ".join("%o/%d" % r for r in records)))
        cflag, ispeed = term.settings()
        check(ispeed == speed, "%s: tcgetattr reads back baud code %d (got %d)"
              % (name, speed, ispeed))
        if size == termios.CS8:
            # A Linux pseudo-terminal holds 8N1 as given; 7E1 it turns into 8N1.
            check((cflag & termios.CSIZE) == termios.CS8 and not cflag & termios.PARENB,
                  "%s: tcgetattr reads back CS8 without parity" % name)


def read_timing(probe, term):
    check(probe.ask("timeouts 3000") == "ok", "command time-outs set (3000 ms)")
    data, ms = probe.read(19)
    print("     read of 19 bytes, nothing waiting: %d bytes after %d ms" % (len(data), ms))
    check(data == b"" and 2900 <= ms <= 3600,
          "nothing waiting: 0 bytes after about 3000 ms (%d bytes, %d ms)" % (len(data), ms))

    reply = b":01030200AAF8\r\n"
    term.send(reply)
    time.sleep(0.3)
    data, ms = probe.read(len(reply))
    check(data == reply and ms < 500,
          "whole reply already waiting: returned at once (%d bytes, %d ms)" % (len(data), ms))

    term.send(b"ABC")
    time.sleep(0.3)
    data, ms = probe.read(10)
    print("     read of 10 bytes, 3 waiting: %d bytes after %d ms" % (len(data), ms))
    check(data == b"ABC", "part of a reply waiting: those bytes are returned (%r, %d ms)"
          % (data, ms))

    # A reply that arrives during the read ends it as soon as it is complete.
    probe.proc.stdin.write("read 5\n")
    probe.proc.stdin.flush()
    time.sleep(0.5)
    term.send(b"LATE!")
    reply = probe.answer().split()
    ms = int(reply[2])
    print("     read of 5 bytes, all arriving after 500 ms: %s bytes after %d ms" % (reply[1], ms))
    check(reply[1] == "5" and 400 <= ms < 1500,
          "reply arriving during the read: returned once complete (%s bytes, %d ms)"
          % (reply[1], ms))

    check(probe.ask("timeouts 200") == "ok", "DummyComm time-outs set (200 ms)")
    data, ms = probe.read(5)
    print("     read of 5 bytes at 200 ms, nothing waiting: %d bytes after %d ms"
          % (len(data), ms))
    check(data == b"" and 150 <= ms <= 800,
          "nothing waiting: 0 bytes after about 200 ms (%d ms)" % ms)


def byte_exchange(probe, term):
    request = b"ID\r"
    check(probe.ask("write " + request.hex()) == "wrote %d" % len(request),
          "write reports the whole request written")
    check(term.receive(len(request)) == request, "the request reaches the terminal unchanged")
    block = bytes(range(256))
    check(probe.ask("fast") == "ok", "fast line settings for the block")
    check(probe.ask("write " + block.hex()) == "wrote 256", "a 256-byte block is written")
    check(term.receive(256) == block, "every byte value of the block arrives unchanged")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--wine-run", required=True)
    parser.add_argument("--prefix", required=True)
    args = parser.parse_args()

    workdir = tempfile.mkdtemp(prefix="wine_link_")
    log = os.path.join(workdir, "tcsetattr.log")
    open(log, "w").close()
    env = dict(os.environ)
    env["LD_PRELOAD"] = build_trace_library(workdir)
    env["PLCBURN_TRACE_LOG"] = log
    # The prefix must exist before a port can be mapped into it.
    subprocess.run(["/bin/sh", args.wine_run, args.prefix, "cmd", "/c", "exit"],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    # COM12: above COM9, only reachable as \\.\COM12.
    term = Terminal(args.prefix, "com12")
    env["PLCBURN_TRACE_TTY"] = term.path
    probe = Probe(args, "COM12", env)
    check(probe.opened == "open ok", "COM12 opens (%s)" % probe.opened)
    if probe.opened == "open ok":
        line_settings(probe, term, log)
        read_timing(probe, term)
        byte_exchange(probe, term)
    check(probe.quit() == 0, "probe ends cleanly on COM12")

    low = Terminal(args.prefix, "com3")
    probe = Probe(args, "COM3", env)
    check(probe.opened == "open ok", "COM3 opens (%s)" % probe.opened)
    probe.quit()

    probe = Probe(args, "COM250", env)
    check(probe.opened == "open failed", "an unmapped port gives the invalid link")
    probe.quit()

    # Closing a terminal hangs it up; let the prefix's server end first, since
    # the terminal it opened has become its controlling terminal.
    subprocess.run(["/usr/lib/wine/wineserver", "-w"], env=dict(env, WINEPREFIX=args.prefix))
    term.close()
    low.close()
    shutil.rmtree(workdir)
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
