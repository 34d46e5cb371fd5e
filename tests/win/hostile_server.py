#!/usr/bin/python3
"""Runs the WinHTTP client's cases (win_tests, WinHttpTransport.*) against a
small server of answers no calendar server should give, on 127.0.0.1:

  hostile_server.py WIN_TESTS_EXE

Paths: /ok/ a listing for user ana, password secreto (401 otherwise);
/same/ a redirect to /ok/; /elsewhere/ a redirect to another host; /huge/ a
length past the limit; /endless/ an answer without a length that never
ends; /cut/ fewer bytes than its length; /slow/ one byte a second; and the
same listing over HTTPS with a certificate no one vouches for.
"""
import base64
import http.server
import os
import socket
import ssl
import subprocess
import sys
import tempfile
import threading
import time

LISTING = (b'<?xml version="1.0"?><multistatus xmlns="DAV:"><response><href>/ok/a.ics</href>'
           b'<propstat><prop><getetag>"1"</getetag><resourcetype/></prop>'
           b'<status>HTTP/1.1 200 OK</status></propstat></response></multistatus>')
AUTH = "Basic " + base64.b64encode(b"ana:secreto").decode()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_PROPFIND(self):
        self.rfile.read(int(self.headers.get("Content-Length", 0)))
        path = self.path
        try:
            if path == "/ok/":
                if self.headers.get("Authorization") != AUTH:
                    return self.answer(401, b"")
                return self.answer(207, LISTING)
            if path == "/same/":
                return self.redirect("/ok/")
            if path == "/elsewhere/":
                return self.redirect(f"http://127.0.0.2:{self.server.server_port}/ok/")
            if path == "/huge/":
                self.send_response(207)
                self.send_header("Content-Length", str(64 << 20))
                self.end_headers()
                return self.wfile.write(b" " * 65536)
            if path == "/endless/":
                self.send_response(207)
                self.send_header("Connection", "close")
                self.end_headers()
                chunk = b" " * 65536
                for _ in range(2048):  # 128 MB at most
                    self.wfile.write(chunk)
                return None
            if path == "/cut/":
                self.send_response(207)
                self.send_header("Content-Length", "5000")
                self.end_headers()
                self.wfile.write(LISTING[:100])
                self.wfile.flush()
                self.connection.shutdown(socket.SHUT_RDWR)
                return None
            if path == "/slow/":
                self.send_response(207)
                self.send_header("Content-Length", str(len(LISTING)))
                self.end_headers()
                for byte in LISTING:
                    self.wfile.write(bytes([byte]))
                    self.wfile.flush()
                    time.sleep(1)
                return None
        except (BrokenPipeError, ConnectionResetError, OSError):
            return None
        return self.answer(404, b"")

    def answer(self, status, body):
        self.send_response(status)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def redirect(self, where):
        self.send_response(302)
        self.send_header("Location", where)
        self.send_header("Content-Length", "0")
        self.end_headers()


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        pass  # the client hanging up on a hostile answer is the point


def main():
    plain = Server(("127.0.0.1", 0), Handler)
    secure = Server(("127.0.0.1", 0), Handler)
    with tempfile.TemporaryDirectory() as folder:
        cert, key = os.path.join(folder, "c.pem"), os.path.join(folder, "k.pem")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                        "-subj", "/CN=127.0.0.1", "-keyout", key, "-out", cert],
                       check=True, capture_output=True)
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(cert, key)
        secure.socket = context.wrap_socket(secure.socket, server_side=True)
    for server in (plain, secure):
        threading.Thread(target=server.serve_forever, daemon=True).start()
    env = dict(os.environ,
               TARVINA_HOSTILE=f"127.0.0.1:{plain.server_port}",
               TARVINA_HOSTILE_TLS=f"127.0.0.1:{secure.server_port}")
    result = subprocess.run(["wine", sys.argv[1], "--gtest_filter=WinHttpTransport.*"], env=env)
    sys.exit(result.returncode)


if __name__ == "__main__":
    main()
