"""FTP servers of the simulated boards, on pyftpdlib.

Started by plantsim with one argument, a JSON file:
    {"boards": [{"id", "address", "port", "root", "user", "password",
                 "masquerade", "stall", "stall_once", "pasv_address", "silent",
                 "extra_names"}]}
Prints, one line each, flushed:
    FTPPORT <id> <port>        a board's server listens (port chosen when 0)
    FTPREADY <count>           all listen
    FTPONCE <id>               the one-shot stall has been used
    FTP <id> <event> ...       LOGIN, LIST, RETR, SENT, STOR, STALL, SILENT
Reads commands on stdin, one per line:
    stall <id> on|off          downloads (not listings) stop after the first bytes
    stallonce <id> on|off      the next download stops after the first bytes
    pasv <id> on|off           passive replies name the masquerade address
    silent <id> on|off         new connections are accepted and never greeted
End of stdin (plantsim gone) stops the process.
"""

import hashlib
import json
import os
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.ioloop import IOLoop
from pyftpdlib.servers import FTPServer

STALL_AFTER = 512  # bytes sent before a stalled download stops

flags = {}  # board id -> {"stall": bool, "stallonce": bool, "pasv": bool, "silent": bool}


def say(line):
    sys.stdout.write(line + "\n")
    sys.stdout.flush()


class BoardDTP(DTPHandler):
    """Data channel that can stop sending after the first bytes."""

    def __init__(self, sock, cmd_channel):
        DTPHandler.__init__(self, sock, cmd_channel)
        self.stalled = False
        self.stalls = None  # decided when a download starts sending

    def initiate_send(self):
        board = self.cmd_channel.board_id
        if self.stalls is None and self.file_obj is not None:
            # Only downloads stall (listings never do); a one-shot stall
            # belongs to the first download that takes it.
            self.stalls = flags[board]["stall"] or flags[board]["stallonce"]
            if flags[board]["stallonce"]:
                flags[board]["stallonce"] = False
                say("FTPONCE %s" % board)
            if self.stalls:
                self.ac_out_buffer_size = STALL_AFTER
        if self.stalls and self.tot_bytes_sent >= STALL_AFTER and self.producer_fifo:
            if not self.stalled:
                self.stalled = True
                say("FTP %s STALL after=%d" % (board, self.tot_bytes_sent))
            # Keep the connection open but ask for no more write events.
            if self._wanted_io_events != self.ioloop.READ:
                self.ioloop.modify(self._fileno, self.ioloop.READ)
                self._wanted_io_events = self.ioloop.READ
            return
        DTPHandler.initiate_send(self)


class BoardFS(AbstractedFS):
    """Listings carry the board's extra names, which no file stands behind."""

    def format_list(self, basedir, listing, ignore_err=True):
        for line in AbstractedFS.format_list(self, basedir, listing, ignore_err):
            yield line
        for name in self.cmd_channel.extra_names:
            line = "-rw-r--r--   1 board    board         100 Jan 01 00:00 %s\r\n" % name
            yield line.encode("utf8", self.cmd_channel.unicode_errors)


def make_handler(board):
    authorizer = DummyAuthorizer()
    authorizer.add_user(board["user"], board["password"], board["root"], perm="elradfmwMT")
    board_id = board["id"]
    masquerade = board["masquerade"]

    class BoardHandler(FTPHandler):
        dtp_handler = BoardDTP
        abstracted_fs = BoardFS
        extra_names = list(board.get("extra_names", []))
        use_sendfile = False
        banner = "board %s ready" % board_id

        def __init__(self, conn, server, ioloop=None):
            FTPHandler.__init__(self, conn, server, ioloop)
            self.board_id = board_id
            self.masquerade_address = masquerade if flags[board_id]["pasv"] else None

        def handle(self):
            # A silent board takes the connection and never answers: no greeting,
            # and every line the client sends is dropped unanswered.
            self.silent = flags[board_id]["silent"]
            if self.silent:
                say("FTP %s SILENT" % board_id)
                return
            FTPHandler.handle(self)

        def found_terminator(self):
            if self.silent:
                self._in_buffer = []
                self._in_buffer_len = 0
                return
            FTPHandler.found_terminator(self)

        def ftp_PASV(self, line):
            self.masquerade_address = masquerade if flags[board_id]["pasv"] else None
            return FTPHandler.ftp_PASV(self, line)

        def on_login(self, username):
            say("FTP %s LOGIN %s" % (board_id, username))

        def on_login_failed(self, username, password):
            say("FTP %s LOGINFAIL %s" % (board_id, username))

        def ftp_LIST(self, path):
            say("FTP %s LIST %s" % (board_id, os.path.relpath(path, board["root"])))
            return FTPHandler.ftp_LIST(self, path)

        def ftp_NLST(self, path):
            say("FTP %s LIST %s" % (board_id, os.path.relpath(path, board["root"])))
            return FTPHandler.ftp_NLST(self, path)

        def ftp_RETR(self, file):
            say("FTP %s RETR %s" % (board_id, os.path.relpath(file, board["root"])))
            return FTPHandler.ftp_RETR(self, file)

        def on_file_sent(self, file):
            say("FTP %s SENT %s" % (board_id, os.path.relpath(file, board["root"])))

        def on_file_received(self, file):
            with open(file, "rb") as f:
                digest = hashlib.sha256(f.read()).hexdigest()
            say("FTP %s STOR %s bytes=%d sha256=%s" % (board_id, os.path.relpath(file, board["root"]),
                                                       os.path.getsize(file), digest))

    BoardHandler.authorizer = authorizer
    return BoardHandler


def read_commands(ioloop):
    for line in sys.stdin:
        parts = line.split()
        if len(parts) == 3 and parts[1] in flags and parts[0] in ("stall", "stallonce", "pasv", "silent"):
            flags[parts[1]][parts[0]] = parts[2] == "on"
    # plantsim has gone: stop serving.
    ioloop.call_later(0, ioloop.close)
    os._exit(0)


def main():
    with open(sys.argv[1]) as f:
        config = json.load(f)
    ioloop = IOLoop.instance()
    servers = []
    for board in config["boards"]:
        flags[board["id"]] = {"stall": bool(board.get("stall")), "stallonce": bool(board.get("stall_once")),
                              "pasv": bool(board.get("pasv_address")), "silent": bool(board.get("silent"))}
        server = FTPServer((board["address"], board["port"]), make_handler(board), ioloop=ioloop)
        # The connection limit counts every socket of the shared loop: leave it off.
        server.max_cons = 0
        server.max_cons_per_ip = 0
        servers.append(server)
        say("FTPPORT %s %d" % (board["id"], server.socket.getsockname()[1]))
    say("FTPREADY %d" % len(servers))
    threading.Thread(target=read_commands, args=(ioloop,), daemon=True).start()
    ioloop.loop(timeout=0.5)


if __name__ == "__main__":
    import logging
    logging.basicConfig(level=logging.ERROR)
    main()
