#!/usr/bin/python3
"""A firmware server for the tests: pyftpdlib on 127.0.0.1 only, one read-only account.

Serves the files of --root to --user with --password, passive mode on ports the system picks.
Prints "PORT <n>" once it listens. Stops by itself after --lifetime seconds, or when its
standard input closes (the test program ended), whichever comes first.
"""
import argparse
import logging
import sys
import threading
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--lifetime", type=float, default=120.0)
    args = parser.parse_args()
    logging.basicConfig(level=logging.ERROR)

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elr")
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.banner = "test firmware server"
    handler.auth_failed_timeout = 0  # a wrong password is refused at once
    server = FTPServer(("127.0.0.1", 0), handler)

    stop = threading.Event()
    threading.Thread(target=lambda: (sys.stdin.read(), stop.set()), daemon=True).start()
    print("PORT %d" % server.address[1], flush=True)
    deadline = time.monotonic() + args.lifetime
    while not stop.is_set() and time.monotonic() < deadline:
        server.serve_forever(timeout=0.05, blocking=False, handle_exit=False)
    server.close_all()


if __name__ == "__main__":
    main()
