#!/usr/bin/python3
"""Loopback FTP server for the FTP client's tests and benchmark (pyftpdlib).

Serves --root on 127.0.0.1 at a free port and prints "PORT <n>" once it
listens. Run with Debian's /usr/bin/python3 (python3-pyftpdlib).
"""
import argparse
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", default="ftpuser")
    parser.add_argument("--password", default="kvtrmzn")
    parser.add_argument("--masquerade", default=None,
                        help="address announced in PASV replies (loopback only)")
    parser.add_argument("--throttle", type=int, default=0,
                        help="download and upload rate limit in bytes per second")
    args = parser.parse_args()

    if args.masquerade and not args.masquerade.startswith("127."):
        sys.exit("masquerade address must be on loopback")

    logging.basicConfig(level=logging.ERROR)
    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmw")

    handler = FTPHandler
    handler.authorizer = authorizer
    handler.auth_failed_timeout = 0
    handler.banner = "pyftpdlib ready."
    if args.masquerade:
        handler.masquerade_address = args.masquerade
    if args.throttle > 0:
        dtp = ThrottledDTPHandler
        dtp.read_limit = args.throttle
        dtp.write_limit = args.throttle
        handler.dtp_handler = dtp

    server = FTPServer(("127.0.0.1", 0), handler)
    print("PORT %d" % server.address[1], flush=True)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    main()
