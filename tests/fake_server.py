#!/usr/bin/env python3
"""Scripted HTTP server on 127.0.0.1 for the client tests (standard library only).

Usage:
  fake_server.py --routes ROUTES.json --record RECORD.jsonl [--port-file PORT.txt] [--lifetime 60]

ROUTES.json is an object from request target to response. A key with a query
("/p?q=1") matches only that exact target; a key without one ("/p") matches
the path with any query.
The file is read again for every request, so a test may rewrite it. Response:
  {"status": 200,                      # default 200
   "headers": [["Name", "value"], ...], # sent in order
   "body": "text",                      # UTF-8 body, or
   "body_size": 123456,                 # generated body: byte i is i % 251
   "body_file": "/path",                # or the bytes of a file, read per request
   "delay_ms": 0,                       # wait before reading the request body
                                        # and answering (time-out tests)
   "pause_after_bytes": 1000,           # send this much of the body, then
   "pause_ms": 2000,                    # wait this long before the rest
   "silent_ms": 5000,                   # read the request, answer nothing for
                                        # this long (or until the client
                                        # leaves), then close
   "drip_ms": 1000,                     # send the body one byte per drip_ms
   "short_by": 10,                      # announce this many more bytes than
                                        # the body has, send the body, close
   "reset_after_bytes": 100,            # send this much of the body, then
                                        # reset the connection (RST)
   "chunked": true,                     # send the body as two chunks, then
   "bad_chunk": true}                   # (with chunked) a malformed chunk size
                                        # line "zz\r\n", or the text given;
                                        # pause_ms then holds the connection
An unknown target gets 404. GET /__quit answers 200 and stops the server.

Every request is appended to RECORD.jsonl before it is answered, one JSON
object a line: {"method", "target", "headers": [[name, value], ...] in the
order received, "body" (UTF-8, bad bytes replaced), "body_hex"}.

The port is written to PORT.txt (whole, by rename) once the server listens,
or printed on stdout without --port-file; the file is removed once the server
no longer listens. The server stops by itself after --lifetime seconds
(at most 300) so a crashed test never leaves it behind.
"""

import argparse
import http.server
import json
import os
import select
import socket
import struct
import sys
import threading
import time

LOOPBACK = "127.0.0.1"
MAX_LIFETIME = 300
CHUNK = 64 * 1024


def utf8(header_text):
    # http.server decodes header bytes as Latin-1; give back the UTF-8 text.
    return header_text.encode("iso-8859-1", errors="replace").decode("utf-8", errors="replace")


def generated_body(size):
    pattern = bytes(i % 251 for i in range(251))
    whole, part = divmod(size, len(pattern))
    return pattern * whole + pattern[:part]


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "FakeServer/1"

    def log_message(self, fmt, *args):  # keep the test output clean
        pass

    def _record(self, body):
        entry = {
            "method": self.command,
            "target": self.path,
            "headers": [[utf8(k), utf8(v)] for k, v in self.headers.items()],
            "body": body.decode("utf-8", errors="replace"),
            "body_hex": body.hex(),
        }
        line = json.dumps(entry, ensure_ascii=False) + "\n"
        with self.server.record_lock:
            with open(self.server.record_path, "a", encoding="utf-8") as f:
                f.write(line)

    def _routes(self):
        try:
            with open(self.server.routes_path, encoding="utf-8") as f:
                return json.load(f)
        except (OSError, ValueError):
            return {}

    def _handle(self):
        routes = self._routes()
        route = routes.get(self.path)
        if route is None:
            route = routes.get(self.path.split("?", 1)[0])
        if route is None:
            route = {"status": 404, "body": "not found"}
        # The delay comes before the request body is read, so a large body
        # also stalls the client's send.
        delay = route.get("delay_ms", 0)
        if delay:
            time.sleep(delay / 1000.0)

        length = int(self.headers.get("Content-Length") or 0)
        gone = False
        try:
            body = self.rfile.read(length) if length > 0 else b""
        except (ConnectionResetError, BrokenPipeError):
            body, gone = b"", True  # the client gave up while sending (time-out tests)
        self._record(body)
        if gone:
            self.close_connection = True
            return

        if self.path == "/__quit":
            self._answer({"status": 200, "body": "bye"})
            threading.Thread(target=self.server.shutdown, daemon=True).start()
            return
        self._answer(route)

    def _hold(self, ms):
        # Waits up to ms, or until the client closes its end.
        end = time.monotonic() + ms / 1000.0
        while time.monotonic() < end:
            ready, _, _ = select.select([self.connection], [], [], min(0.1, max(0.0, end - time.monotonic())))
            if ready:
                try:
                    if not self.connection.recv(4096):
                        return
                except OSError:
                    return

    def _reset(self):
        # Linger 0: close sends RST instead of FIN.
        self.wfile.flush()
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        os.close(self.connection.detach())  # now, whatever still refers to the socket

    def _answer(self, route):
        if "body_size" in route:
            payload = generated_body(int(route["body_size"]))
        elif "body_file" in route:
            with open(route["body_file"], "rb") as f:
                payload = f.read()
        else:
            payload = route.get("body", "").encode("utf-8")
        try:
            if "silent_ms" in route:
                self._hold(route["silent_ms"])
                self.close_connection = True
                return
            self.send_response(int(route.get("status", 200)))
            headers = route.get("headers", [])
            if isinstance(headers, dict):
                headers = list(headers.items())
            for name, value in headers:
                self.send_header(name, value)
            if route.get("chunked"):
                self.send_header("Transfer-Encoding", "chunked")
            else:
                self.send_header("Content-Length", str(len(payload) + int(route.get("short_by", 0))))
            self.send_header("Connection", "close")
            self.end_headers()
            if self.command == "HEAD":
                pass
            elif route.get("chunked"):
                half = len(payload) // 2
                for part in (payload[:half], payload[half:]):
                    self.wfile.write(b"%x\r\n" % len(part) + part + b"\r\n")
                bad = route.get("bad_chunk")
                if bad is True:
                    bad = "zz\r\n"
                self.wfile.write(bad.encode("utf-8") if bad else b"0\r\n\r\n")
                self.wfile.flush()
                self._hold(route.get("pause_ms", 0))
            elif "reset_after_bytes" in route:
                self.wfile.write(payload[:route["reset_after_bytes"]])
                self._reset()
            elif "drip_ms" in route:
                for i in range(len(payload)):
                    self.wfile.write(payload[i:i + 1])
                    self.wfile.flush()
                    time.sleep(route["drip_ms"] / 1000.0)
            else:
                pause_at = route.get("pause_after_bytes")
                if pause_at is not None:
                    self.wfile.write(payload[:pause_at])
                    self.wfile.flush()
                    self._hold(route.get("pause_ms", 0))
                    payload = payload[pause_at:]
                for i in range(0, len(payload), CHUNK):
                    self.wfile.write(payload[i:i + CHUNK])
                    self.wfile.flush()
        except (BrokenPipeError, ConnectionResetError, OSError):
            pass  # the client gave up (time-out tests)
        self.close_connection = True

    do_GET = _handle
    do_POST = _handle
    do_PUT = _handle
    do_PATCH = _handle
    do_DELETE = _handle
    do_HEAD = _handle


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = False


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--routes", required=True)
    parser.add_argument("--record", required=True)
    parser.add_argument("--port-file")
    parser.add_argument("--lifetime", type=float, default=60.0)
    args = parser.parse_args()

    server = Server((LOOPBACK, 0), Handler)
    server.routes_path = args.routes
    server.record_path = args.record
    server.record_lock = threading.Lock()
    port = server.server_address[1]

    lifetime = max(1.0, min(args.lifetime, MAX_LIFETIME))
    timer = threading.Timer(lifetime, server.shutdown)
    timer.daemon = True
    timer.start()

    if args.port_file:
        tmp = args.port_file + ".tmp"
        with open(tmp, "w", encoding="ascii") as f:
            f.write(str(port))
        os.replace(tmp, args.port_file)
    else:
        print(port, flush=True)

    try:
        server.serve_forever(poll_interval=0.1)
    finally:
        timer.cancel()
        server.server_close()
        # Gone port file = nothing listens any more.
        if args.port_file:
            try:
                os.remove(args.port_file)
            except OSError:
                pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
