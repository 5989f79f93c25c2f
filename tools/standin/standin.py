#!/usr/bin/env python3
"""Stand-in for the vendor's two servers, on loopback, for tests and the demo.

    standin.py --web-port 18080 --download-port 18081 --root DIR

The web-service side (sign-up page, install information, join) and the
download side (setup programs, data lists, libraries) each live in a module of
their own. Both share one State: switches that choose faulty replies, and the
record of every request that arrived.

Control requests (on either port):
    GET /_control/set?KEY=VALUE[&...]   set switches (see the two modules)
    GET /_control/reset                 clear switches and the record
    GET /_control/requests              the record as JSON lines
    GET /_control/ping                  "ok"
"""
import argparse
import json
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

import download
import webservice


class State:
    def __init__(self, root):
        self.root = root
        self.lock = threading.Lock()
        self.switches = {}
        self.requests = []

    def record(self, server, handler):
        with self.lock:
            self.requests.append({
                "server": server,
                "time": time.time(),
                "method": handler.command,
                "path": handler.path,
                "headers": {k: v for k, v in handler.headers.items()},
                "raw": getattr(handler, "raw_request", ""),
            })

    def get(self, key, default=None):
        with self.lock:
            return self.switches.get(key, default)


def make_handler(name, state, serve):
    class Handler(BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, fmt, *args):  # quiet: tests read the record instead
            pass

        def do_GET(self):
            if self.path.startswith("/_control/"):
                return self.control()
            state.record(name, self)
            serve(self, state)

        do_POST = do_GET

        def control(self):
            url = urllib.parse.urlsplit(self.path)
            query = urllib.parse.parse_qsl(url.query, keep_blank_values=True)
            body = b"ok"
            if url.path == "/_control/set":
                with state.lock:
                    state.switches.update(query)
            elif url.path == "/_control/reset":
                with state.lock:
                    state.switches.clear()
                    state.requests.clear()
            elif url.path == "/_control/requests":
                with state.lock:
                    body = "".join(json.dumps(r) + "\n" for r in state.requests).encode()
            self.send_response(200)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

    return Handler


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--web-port", type=int, default=18080)
    parser.add_argument("--download-port", type=int, default=18081)
    parser.add_argument("--root", required=True, help="folder laid out like the download server")
    args = parser.parse_args()

    state = State(args.root)
    servers = [
        ThreadingHTTPServer(("127.0.0.1", args.web_port), make_handler("web", state, webservice.serve)),
        ThreadingHTTPServer(("127.0.0.1", args.download_port), make_handler("download", state, download.serve)),
    ]
    for s in servers:
        s.daemon_threads = True
        threading.Thread(target=s.serve_forever, daemon=True).start()
    print("standin: web on %d, download on %d" % (args.web_port, args.download_port), flush=True)
    try:
        threading.Event().wait()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
