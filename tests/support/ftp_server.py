#!/usr/bin/python3
"""FTP server for the tests and the benchmarks (pyftpdlib, run by Debian's /usr/bin/python3).

Serves --root to one user on --host, on an ephemeral port written first to stdout ("PORT <n>"),
or to --port-file. A server started by a Windows test under Wine (which cannot wait for or kill
a Linux process) is given --port-file, --stop-file (it ends when that file appears or its
folder goes), --stderr and --max-seconds (it never outlives them).
--log gets every command received (PASS masked), "CONNECT" per control connection and
"LOGIN <user>" per accepted login.

Fault modes (each an option):
  --greeting CODE        greet with CODE instead of 220 (421 also closes the connection)
  --no-greeting          accept the connection and say nothing
  --long-greeting N      greet with a 220 reply whose first line is N bytes long
  --endless-greeting     greet with "220-" continuation lines that never end
  --login-refused        refuse every login (530)
  --pwd-refused, --retr-refused   answer that command with 550
  --drop-after N         close data and control connections after N bytes of a RETR
  --abort-after N        close the data connection after N bytes of a RETR and reply 426
  --stall-after N        send N bytes of a RETR, then nothing more (connections stay open)
  --short-after N        send N bytes of a RETR, close the data connection and reply 226
  --throttle N           send a RETR at N bytes per second
  --size-refused         answer SIZE with 502 (the client learns no size)
  --endless              a RETR sends an endless stream of zero bytes (no SIZE)
  --unanswered CMD       never answer the command CMD (repeatable)
  --idle-close SECONDS   close an idle control connection with 421 after SECONDS
  --nlst-file PATH       answer NLST with the raw bytes of PATH
"""
import argparse
import os
import sys
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer

def log(line):
    LOG.write(line + "\n")  # line-buffered: a test reads it at once


class FaultyDTP(DTPHandler):  # drops, aborts or stalls after ARGS.limit bytes of a RETR

    _stalled = False

    def writable(self):
        return not self._stalled and DTPHandler.writable(self)

    def send(self, data):
        if self.file_obj is None:  # a listing, not a RETR
            return DTPHandler.send(self, data)
        left = ARGS.limit - self.tot_bytes_sent
        if left > 0:
            return DTPHandler.send(self, data[:left])
        if ARGS.stall_after is not None:
            self._stalled = True
        elif ARGS.short_after is not None:
            self._resp = ("226 Transfer complete.", lambda *a: None)
            self.close()
        elif ARGS.abort_after is not None:
            self._resp = ("426 Connection closed; transfer aborted.", lambda *a: None)
            self.close()
        else:
            self._resp = ()
            self.cmd_channel.close()  # closes this channel too
        return 0


class Handler(FTPHandler):
    def handle(self):
        log("CONNECT")
        if ARGS.no_greeting:
            self.on_connect()
        elif ARGS.greeting is not None:
            self.respond("%d Test greeting." % ARGS.greeting)
            if ARGS.greeting == 421:
                self.close_when_done()
        elif ARGS.endless_greeting:
            self._chatter = self.ioloop.call_every(0.005, self._chat)
        elif ARGS.long_greeting is not None:
            self.push("220-" + "x" * ARGS.long_greeting + "\r\n")
            self.respond("220 Ready.")
        else:
            FTPHandler.handle(self)

    def _chat(self):  # the endless greeting, until the connection closes
        if self._closed or self._closing:
            return self._chatter.cancel()
        self.push("220-" + "y" * 1000 + "\r\n")

    def on_login(self, username):
        log("LOGIN " + username)

    def pre_process_command(self, line, cmd, arg):
        log("PASS ******" if cmd == "PASS" else line)
        if cmd in ARGS.unanswered:
            return
        if cmd == "PASS" and ARGS.login_refused:
            self.respond("530 Login refused.")
        elif cmd == "SIZE" and (ARGS.endless or ARGS.size_refused):  # a client told a size
            self.respond("502 No size here.")                          # would stop there
        elif getattr(ARGS, cmd.lower() + "_refused", False):
            self.respond("550 %s refused." % cmd)
        else:
            FTPHandler.pre_process_command(self, line, cmd, arg)

    def ftp_RETR(self, file):
        return FTPHandler.ftp_RETR(self, "/dev/zero" if ARGS.endless else file)

    def ftp_NLST(self, path):
        if ARGS.nlst_file:
            with open(ARGS.nlst_file, "rb") as f:
                self.push_dtp_data(f.read(), cmd="NLST")
            return path
        return FTPHandler.ftp_NLST(self, path)


def main():
    global ARGS, LOG
    p = argparse.ArgumentParser(description="FTP server for the tests")
    p.set_defaults(user="quo", password="secret", host="127.0.0.1")
    p.add_argument("--root", required=True)
    for name in ("user", "password", "host", "log", "nlst-file", "port-file", "stop-file",
                 "stderr"):
        p.add_argument("--" + name)
    p.add_argument("--idle-close", type=float)
    p.add_argument("--max-seconds", type=float, default=900)
    p.add_argument("--unanswered", action="append", default=[], type=str.upper)
    for name in ("greeting", "long-greeting", "drop-after", "abort-after", "stall-after",
                 "short-after", "throttle"):
        p.add_argument("--" + name, type=int)
    for name in ("no-greeting", "endless-greeting", "login-refused", "pwd-refused",
                 "retr-refused", "size-refused", "endless"):
        p.add_argument("--" + name, action="store_true")
    ARGS = p.parse_args()
    if ARGS.stderr:
        sys.stderr = open(ARGS.stderr, "a", 1, encoding="utf-8", errors="replace")
        os.dup2(sys.stderr.fileno(), 2)
    LOG = open(ARGS.log or os.devnull, "a", 1, encoding="utf-8", errors="replace")

    authorizer = DummyAuthorizer()
    authorizer.add_user(ARGS.user, ARGS.password, ARGS.root, perm="elradfmwMT")
    Handler.authorizer = authorizer
    if ARGS.idle_close is not None:
        Handler.timeout = ARGS.idle_close
    limits = [n for n in (ARGS.drop_after, ARGS.abort_after, ARGS.stall_after, ARGS.short_after)
              if n is not None]
    if limits:
        ARGS.limit = limits[0]
        Handler.dtp_handler = FaultyDTP
    if ARGS.throttle:
        Handler.dtp_handler = type("Throttled", (ThrottledDTPHandler,), {"write_limit": ARGS.throttle})
    if limits or ARGS.endless or ARGS.throttle:
        Handler.use_sendfile = False

    server = FTPServer((ARGS.host, 0), Handler)
    if ARGS.port_file:
        with open(ARGS.port_file + ".new", "w") as f:
            f.write("PORT %d\n" % server.address[1])
        os.rename(ARGS.port_file + ".new", ARGS.port_file)
    else:
        print("PORT %d" % server.address[1], flush=True)
    # The server never outlives the test or script that started it, even when that one crashed.
    parent = os.getppid()
    deadline = time.monotonic() + ARGS.max_seconds

    def watch_parent():
        if ARGS.stop_file:  # the file, or its folder gone with the test's temporary folder
            folder = os.path.dirname(ARGS.stop_file)
            gone = os.path.exists(ARGS.stop_file) or not os.path.isdir(folder)
        else:
            gone = os.getppid() != parent
        if gone or time.monotonic() > deadline:
            server.close_all()
            sys.exit(0)
        server.ioloop.call_later(0.2 if ARGS.stop_file else 0.5, watch_parent)

    server.ioloop.call_later(0.5, watch_parent)
    # A bounded poll so timers (idle close) run even when no socket wakes the loop.
    server.serve_forever(timeout=0.1, handle_exit=True)


if __name__ == "__main__":
    sys.exit(main())
