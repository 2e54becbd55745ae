#!/usr/bin/python3
"""A module-image server for the tests on 127.0.0.1. The path's first part chooses the answer for
the file of --root it names: /files/ it, /redirect/ to /files/, /dropped/ (4096 bytes announced, the
connection drops after 101), /hang/ (none while the server runs), else 404. Prints "PORT <n>" once it
listens; stops after --lifetime seconds or when its standard input closes (the test program ended).
"""
import http.server
import os
import select
import sys
import threading
import time

args = dict(zip(sys.argv[1::2], sys.argv[2::2]))


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *_):
        pass

    def do_GET(self):
        mode, _, name = self.path.strip("/").partition("/")
        path = os.path.join(args["--root"], os.path.basename(name))
        if mode == "hang":
            time.sleep(3600)  # ends with the server
        elif mode == "files" and os.path.isfile(path):
            with open(path, "rb") as f:
                self.answer(200, f.read())
        elif mode == "redirect":
            self.answer(302, b"", [("Location", "/files/" + name)])
        elif mode == "dropped":
            self.answer(200, b"\xe9" + bytes(100), [], 4096)  # and the connection closes
        else:
            self.answer(404, b"not found\n")

    def answer(self, status, body, headers=(), length=None):
        self.send_response(status)
        for header in headers:
            self.send_header(*header)
        self.send_header("Content-Length", str(len(body) if length is None else length))
        self.end_headers()
        self.wfile.write(body)


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
threading.Thread(target=server.serve_forever, daemon=True).start()
print("PORT %d" % server.server_address[1], flush=True)
select.select([sys.stdin], [], [], float(args.get("--lifetime", 120)))
