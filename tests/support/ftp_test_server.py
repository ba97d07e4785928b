#!/usr/bin/python3
"""pyftpdlib on 127.0.0.1 for the FTP tests and benchmark: serves ROOT, prints "PORT <n>"."""
import argparse
import logging
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer
parser = argparse.ArgumentParser()
parser.add_argument("root")
parser.add_argument("--masquerade", help="address announced in PASV replies (loopback only)")
parser.add_argument("--throttle", type=int, default=0, help="data rate limit, bytes per second")
args = parser.parse_args()
if args.masquerade and not args.masquerade.startswith("127."):
    parser.error("masquerade address must be on loopback")
logging.basicConfig(level=logging.ERROR)
FTPHandler.authorizer = DummyAuthorizer()
FTPHandler.authorizer.add_user("ftpuser", "kvtrmzn", args.root, perm="elradfmw")
FTPHandler.auth_failed_timeout = 0
FTPHandler.masquerade_address = args.masquerade
if args.throttle:
    ThrottledDTPHandler.read_limit = ThrottledDTPHandler.write_limit = args.throttle
    FTPHandler.dtp_handler = ThrottledDTPHandler
server = FTPServer(("127.0.0.1", 0), FTPHandler)
print("PORT %d" % server.address[1], flush=True)
server.serve_forever(handle_exit=True)
