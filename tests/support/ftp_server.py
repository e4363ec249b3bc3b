#!/usr/bin/python3
"""FTP server for the tests and the benchmarks (pyftpdlib, run by Debian's /usr/bin/python3).

Serves --root to one user on --host, on an ephemeral port: the first line written to stdout is
"PORT <n>". Every command received is appended to --log (PASS masked), with "CONNECT" for each
new control connection and "LOGIN <user>" for each accepted login, so a test can count logins.

Fault modes (each an option):
  --greeting CODE        greet with CODE instead of 220 (421 also closes the connection)
  --no-greeting          accept the connection and say nothing
  --login-refused        refuse every login (530)
  --pwd-refused          answer PWD with 550
  --retr-refused         answer RETR with 550
  --dele-refused         answer DELE with 550
  --drop-after N         close data and control connections after N bytes of a RETR
  --abort-after N        close the data connection after N bytes of a RETR and reply 426
  --stall-after N        send N bytes of a RETR, then nothing more (connections stay open)
  --unanswered CMD       never answer the command CMD (repeatable)
  --idle-close SECONDS   close an idle control connection with 421 after SECONDS
  --nlst-file PATH       answer NLST with the raw bytes of PATH
  --endless              a RETR sends an endless stream of bytes
  --long-greeting N      greet with a 220 reply whose first line is N bytes long
  --endless-greeting     greet with "220-" continuation lines that never end
"""
import argparse
import os
import sys

from pyftpdlib.authorizers import AuthenticationFailed, DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer

ARGS = None
LOG = None


def log(line):
    if LOG is not None:
        LOG.write(line + "\n")
        LOG.flush()


class Authorizer(DummyAuthorizer):
    def validate_authentication(self, username, password, handler):
        if ARGS.login_refused:
            raise AuthenticationFailed("Login refused.")
        DummyAuthorizer.validate_authentication(self, username, password, handler)


class FaultyDTP(DTPHandler):
    """Data channel that misbehaves after a number of bytes of a RETR."""

    _stalled = False

    def _limit(self):
        if self.file_obj is None:  # a listing, not a RETR
            return None
        for n in (ARGS.drop_after, ARGS.abort_after, ARGS.stall_after):
            if n is not None:
                return n
        return None

    def writable(self):
        return not self._stalled and DTPHandler.writable(self)

    def send(self, data):
        limit = self._limit()
        if limit is None:
            return DTPHandler.send(self, data)
        left = limit - self.tot_bytes_sent
        if left > 0:
            return DTPHandler.send(self, data[:left])
        if ARGS.stall_after is not None:
            self._stalled = True
        elif ARGS.abort_after is not None:
            self._resp = ("426 Connection closed; transfer aborted.", lambda *a: None)
            self.close()
        else:
            control = self.cmd_channel
            self._resp = ()
            self.close()
            control.close()
        return 0


class EndlessProducer:
    def more(self):
        return b"x" * 65536


class Handler(FTPHandler):
    auth_failed_timeout = 0

    def handle(self):
        log("CONNECT")
        if ARGS.no_greeting:
            self.on_connect()
            return
        if ARGS.greeting is not None:
            self.respond("%d Test greeting." % ARGS.greeting)
            if ARGS.greeting == 421:
                self.close_when_done()
            return
        if ARGS.endless_greeting:
            self._chatter = self.ioloop.call_every(0.005, self._chat)
            return
        if ARGS.long_greeting is not None:
            self.push("220-" + "x" * ARGS.long_greeting + "\r\n")
            self.respond("220 Ready.")
            return
        FTPHandler.handle(self)

    def _chat(self):
        if self._closed or self._closing:
            self._chatter.cancel()
        else:
            self.push("220-" + "y" * 1000 + "\r\n")

    def on_login(self, username):
        log("LOGIN " + username)

    def pre_process_command(self, line, cmd, arg):
        log("PASS ******" if cmd == "PASS" else line)
        if cmd in ARGS.unanswered:
            return
        FTPHandler.pre_process_command(self, line, cmd, arg)

    def ftp_PWD(self, line):
        if ARGS.pwd_refused:
            self.respond("550 PWD refused.")
            return None
        return FTPHandler.ftp_PWD(self, line)

    def ftp_RETR(self, file):
        if ARGS.retr_refused:
            self.respond("550 RETR refused.")
            return None
        if ARGS.endless:
            self.push_dtp_data(EndlessProducer(), isproducer=True, cmd="RETR")
            return file
        return FTPHandler.ftp_RETR(self, file)

    def ftp_DELE(self, path):
        if ARGS.dele_refused:
            self.respond("550 DELE refused.")
            return None
        return FTPHandler.ftp_DELE(self, path)

    def ftp_NLST(self, path):
        if ARGS.nlst_file:
            with open(ARGS.nlst_file, "rb") as f:
                self.push_dtp_data(f.read(), cmd="NLST")
            return path
        return FTPHandler.ftp_NLST(self, path)


def main():
    global ARGS, LOG
    p = argparse.ArgumentParser(description="FTP server for the tests")
    p.add_argument("--root", required=True)
    p.add_argument("--user", default="quo")
    p.add_argument("--password", default="secret")
    p.add_argument("--host", default="127.0.0.1")
    p.add_argument("--log")
    p.add_argument("--greeting", type=int)
    p.add_argument("--no-greeting", action="store_true")
    p.add_argument("--login-refused", action="store_true")
    p.add_argument("--pwd-refused", action="store_true")
    p.add_argument("--retr-refused", action="store_true")
    p.add_argument("--dele-refused", action="store_true")
    p.add_argument("--drop-after", type=int)
    p.add_argument("--abort-after", type=int)
    p.add_argument("--stall-after", type=int)
    p.add_argument("--unanswered", action="append", default=[], type=str.upper)
    p.add_argument("--idle-close", type=float)
    p.add_argument("--nlst-file")
    p.add_argument("--endless", action="store_true")
    p.add_argument("--long-greeting", type=int)
    p.add_argument("--endless-greeting", action="store_true")
    ARGS = p.parse_args()
    if ARGS.log:
        LOG = open(ARGS.log, "a", encoding="utf-8", errors="replace")

    authorizer = Authorizer()
    authorizer.add_user(ARGS.user, ARGS.password, ARGS.root, perm="elradfmwMT")
    Handler.authorizer = authorizer
    if ARGS.idle_close is not None:
        Handler.timeout = ARGS.idle_close
    if any(n is not None for n in (ARGS.drop_after, ARGS.abort_after, ARGS.stall_after)):
        Handler.dtp_handler = FaultyDTP
        Handler.use_sendfile = False
    if ARGS.endless:
        Handler.use_sendfile = False

    server = FTPServer((ARGS.host, 0), Handler)
    print("PORT %d" % server.address[1], flush=True)
    # The server never outlives the test or script that started it, even when that one crashed.
    parent = os.getppid()

    def watch_parent():
        if os.getppid() != parent:
            server.close_all()
            sys.exit(0)
        server.ioloop.call_later(0.5, watch_parent)

    server.ioloop.call_later(0.5, watch_parent)
    # A bounded poll so timers (idle close) run even when no socket wakes the loop.
    server.serve_forever(timeout=0.1, handle_exit=True)


if __name__ == "__main__":
    sys.exit(main())
