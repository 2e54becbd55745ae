#!/usr/bin/python3
"""A firmware server for the tests: pyftpdlib on 127.0.0.1, one read-only account --user/--password
on --root, passive mode. Prints "PORT <n>" once it listens; stops after --lifetime seconds or when
its standard input closes (the test program ended). --throttle N sends every file at N bytes a
second, so downloads of two runs overlap in time.
"""
import logging
import select
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FileProducer, FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer

args = dict(zip(sys.argv[1::2], sys.argv[2::2]))
logging.basicConfig(level=logging.ERROR)
FTPHandler.authorizer = DummyAuthorizer()
FTPHandler.authorizer.add_user(args["--user"], args["--password"], args["--root"], perm="elr")
if "--throttle" in args:
    ThrottledDTPHandler.write_limit = int(args["--throttle"])
    # Small pieces, so the limit holds within a small file too.
    ThrottledDTPHandler.ac_out_buffer_size = FileProducer.buffer_size = 64
    FTPHandler.dtp_handler = ThrottledDTPHandler
server = FTPServer(("127.0.0.1", 0), FTPHandler)
threading.Thread(target=server.serve_forever, daemon=True).start()
print("PORT %d" % server.address[1], flush=True)
select.select([sys.stdin], [], [], float(args.get("--lifetime", 120)))
