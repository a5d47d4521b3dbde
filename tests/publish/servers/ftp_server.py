"""An FTP server on 127.0.0.1 for the publishing tests, serving one folder.

Usage: ftp_server.py ROOT USER PASSWORD [--tls CERTFILE] [--log]

Prints "PORT n" once it listens, then (with --log) "CMD <line>" for every
command it receives. Lines read on standard input set one misbehaviour at a
time, for the next command or file whose name contains PATTERN:

  FAULT drop_before PATTERN   close the control connection instead of storing
  FAULT drop_during PATTERN   close both connections once some data arrived
  FAULT drop_after PATTERN    store the file, then close at the next command
  FAULT data_close PATTERN    close the data connection mid-transfer (426)
  FAULT reply550 PATTERN      answer 550 to any command naming PATTERN
  FAULT reply421 PATTERN      answer 421 and close when a STOR names PATTERN
  FAULT slow PATTERN SECONDS  wait before answering a STOR naming PATTERN
  FAULT mkd_refused PATTERN   answer 521 to a MKD naming PATTERN
  FAULT invalid_dir PATTERN   answer "553 invalid directory" to a STOR naming it
  FAULT norename              refuse every RNFR with 550
  CLEAR                       behave again

Each line is answered with "OK" once applied. The server exits when its
standard input closes.
"""
import os
import sys
import threading
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer

fault = {"kind": None, "pattern": "", "seconds": 0.0}
lock = threading.Lock()
log_commands = "--log" in sys.argv


def say(text):
    sys.stdout.write(text + "\n")
    sys.stdout.flush()


def current(kind, name):
    with lock:
        if fault["kind"] != kind:
            return False
        if fault["pattern"] and fault["pattern"] not in name:
            return False
        fault["kind"] = None  # each fault strikes once
        return True


class Data(DTPHandler):
    def handle_read(self):
        name = self.file_obj.name if self.file_obj is not None else ""
        drop = current("drop_during", name)
        cut = not drop and current("data_close", name)
        if drop or cut:
            # Half of what arrived reaches the file, then the connection goes.
            try:
                chunk = self.recv(self.ac_in_buffer_size)
            except Exception:
                chunk = b""
            self.file_obj.write(chunk[: len(chunk) // 2])
            if drop:
                self.cmd_channel.close()
            else:
                self._resp = ("426 Connection closed; transfer aborted.", lambda *a, **k: None)
                self.transfer_finished = False
                self.close()
            return
        super().handle_read()

    handle_read_event = handle_read  # the base binds its own reader here

class Handler(FTPHandler):
    dtp_handler = Data
    close_next = False

    def pre_process_command(self, line, cmd, arg):
        if log_commands:
            say("CMD " + line)
        if self.close_next:
            self.close()
            return
        name = arg or ""
        if cmd == "STOR" and current("drop_before", name):
            self.close()
            return
        if current("reply550", name):
            self.respond("550 Not allowed here.")
            return
        if cmd == "STOR" and current("reply421", name):
            self.respond("421 Service not available, closing control connection.")
            self.close_when_done()
            return
        if cmd == "MKD" and current("mkd_refused", name):
            self.respond("521 Folders cannot be made here.")
            return
        if cmd == "STOR" and current("invalid_dir", name):
            self.respond("553 Requested action not taken: invalid directory.")
            return
        if cmd == "STOR" and current("slow", name):
            time.sleep(fault["seconds"])
        if cmd == "RNFR" and current("norename", ""):
            with lock:
                fault["kind"] = "norename"  # refused for good
            self.respond("550 Renaming is not allowed.")
            return
        super().pre_process_command(line, cmd, arg)

    def on_file_received(self, file):
        if current("drop_after", file):
            self.close_next = True


def commands():
    for line in sys.stdin:
        words = line.split()
        with lock:
            if words[:1] == ["FAULT"] and len(words) >= 2:
                fault["kind"] = words[1]
                fault["pattern"] = words[2] if len(words) > 2 else ""
                fault["seconds"] = float(words[3]) if len(words) > 3 else 0.0
            elif words[:1] == ["CLEAR"]:
                fault["kind"] = None
        say("OK")
    os._exit(0)


def main():
    root, user, password = sys.argv[1:4]
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, root, perm="elradfmwMT")
    handler = Handler
    if "--tls" in sys.argv:
        from pyftpdlib.handlers import TLS_DTPHandler, TLS_FTPHandler

        class SecureData(TLS_DTPHandler):
            # A client may start the data connection's handshake before it
            # names the transfer; the base class takes that early read for a
            # disconnect and closes the connection.
            def readable(self):
                return True if self._ssl_accepting else super().readable()

        class Secure(TLS_FTPHandler, Handler):
            dtp_handler = SecureData

        Secure.certfile = sys.argv[sys.argv.index("--tls") + 1]
        Secure.tls_control_required = True
        Secure.tls_data_required = True
        handler = Secure
    handler.authorizer = authorizer
    handler.banner = "test server ready."
    handler.auth_failed_timeout = 0.05
    handler.passive_ports = None
    server = FTPServer(("127.0.0.1", 0), handler)
    server.max_cons = 64
    say("PORT %d" % server.socket.getsockname()[1])
    threading.Thread(target=commands, daemon=True).start()
    server.serve_forever(timeout=0.05, blocking=True, handle_exit=False)


if __name__ == "__main__":
    import logging

    logging.basicConfig(level=logging.CRITICAL)
    main()
