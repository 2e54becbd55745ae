#!/usr/bin/python3
"""A module-image server for the tests, on 127.0.0.1 only.

The first part of the path chooses how the server answers; the rest names a file in --root:
  /files/NAME       the file, with Content-Length
  /nolength/NAME    the file, without Content-Length (the end of the connection ends the body)
  /redirect/NAME    302 to /files/NAME
  /notfound/NAME    404
  /servererror/NAME 500
  /empty/NAME       200 with an empty body
  /dropped/NAME     200 announcing 4096 bytes, then the connection drops after 101 (0xE9 first)
  /gated/NAME       waits until the file NAME.release exists in --root, then serves the file

Prints "PORT <n>" once it listens. Stops by itself after --lifetime seconds, or when its
standard input closes (the test program ended), whichever comes first; a gated request gives
up waiting at the same time.
"""
import argparse
import http.server
import os
import sys
import threading
import time

def make_handler(root, deadline):
    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, *args):
            pass

        def do_GET(self):
            parts = self.path.split("?")[0].strip("/").split("/", 1)
            mode, name = (parts[0], parts[1]) if len(parts) == 2 else (parts[0], "")
            path = os.path.join(root, os.path.basename(name))
            if mode == "files":
                self.send_file(path, with_length=True)
            elif mode == "nolength":
                self.send_file(path, with_length=False)
            elif mode == "redirect":
                self.send_response(302)
                self.send_header("Location", "/files/" + name)
                self.send_header("Content-Length", "0")
                self.end_headers()
            elif mode == "servererror":
                self.send_body(500, b"internal error\n", "text/plain")
            elif mode == "empty":
                self.send_body(200, b"", "application/octet-stream")
            elif mode == "dropped":
                self.send_response(200)
                self.send_header("Content-Length", "4096")
                self.end_headers()
                self.wfile.write(b"\xe9" + bytes(100))
                self.wfile.flush()
                self.close_connection = True
            elif mode == "gated":
                release = path + ".release"
                while not os.path.exists(release) and time.monotonic() < deadline:
                    time.sleep(0.02)
                self.send_file(path, with_length=True)
            else:
                self.send_body(404, b"not found\n", "text/plain")

        def send_body(self, status, body, content_type):
            self.send_response(status)
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def send_file(self, path, with_length):
            try:
                with open(path, "rb") as f:
                    body = f.read()
            except OSError:
                self.send_body(404, b"not found\n", "text/plain")
                return
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            if with_length:
                self.send_header("Content-Length", str(len(body)))
            else:
                self.send_header("Connection", "close")
                self.close_connection = True
            self.end_headers()
            self.wfile.write(body)

    return Handler


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--lifetime", type=float, default=120.0)
    args = parser.parse_args()

    deadline = time.monotonic() + args.lifetime
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), make_handler(args.root, deadline))
    server.daemon_threads = True
    stop = threading.Event()
    threading.Thread(target=lambda: (sys.stdin.read(), stop.set()), daemon=True).start()
    threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.05}, daemon=True).start()
    print("PORT %d" % server.server_address[1], flush=True)
    stop.wait(max(0.0, deadline - time.monotonic()))
    server.shutdown()
    server.server_close()


if __name__ == "__main__":
    main()
