#!/usr/bin/python3
"""A module-image server for the tests on 127.0.0.1. The path's first part chooses the answer for
the file of --root it names: /files/ it, /unsized/ it without a length (the connection closes after
it), /redirect/ to /files/, /downgrade/ to --downgrade URL + /files/, /dropped/ (4096 bytes
announced, the connection drops after 101), /hang/ (none while the server runs), else 404.
With --tls DIR it speaks HTTPS with a certificate for 127.0.0.1 that it makes in DIR/cert.pem
(openssl), which is also the authority to trust. Prints "PORT <n>" once it listens; stops after
--lifetime seconds or when its standard input closes (the test program ended).
"""
import http.server
import os
import select
import ssl
import subprocess
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
        elif mode in ("files", "unsized") and os.path.isfile(path):
            with open(path, "rb") as f:
                self.answer(200, f.read(), length=None if mode == "unsized" else -1)
        elif mode == "redirect":
            self.answer(302, b"", [("Location", "/files/" + name)])
        elif mode == "downgrade":
            self.answer(302, b"", [("Location", args["--downgrade"] + "/files/" + name)])
        elif mode == "dropped":
            self.answer(200, b"\xe9" + bytes(100), [], 4096)  # and the connection closes
        else:
            self.answer(404, b"not found\n")

    def answer(self, status, body, headers=(), length=-1):
        """Announces `length` bytes (the body's own length when -1, none when None), then sends the body."""
        self.send_response(status)
        for header in headers:
            self.send_header(*header)
        if length is not None:
            self.send_header("Content-Length", str(len(body) if length < 0 else length))
        self.end_headers()
        self.wfile.write(body)


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
if "--tls" in args:
    cert, key = (os.path.join(args["--tls"], name) for name in ("cert.pem", "key.pem"))
    subprocess.run(["/usr/bin/openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                    "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
                    "-keyout", key, "-out", cert], check=True, capture_output=True)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
threading.Thread(target=server.serve_forever, daemon=True).start()
print("PORT %d" % server.server_address[1], flush=True)
select.select([sys.stdin], [], [], float(args.get("--lifetime", 120)))
