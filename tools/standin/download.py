"""Download side of the vendor stand-in: the file under --root that the URL
path names, laid out as the download server has it (see make-root.sh), with
status 200 and its Content-Length; 404 when there is no such file.

Switches (GET /_control/set?KEY=VALUE) for the faulty replies tests need.
`only=TEXT` limits all but `missing` to paths containing TEXT.
    missing=TEXT        paths containing TEXT answer 404 as if the file were gone
    file=PATH           the bytes of PATH (under --root) instead, e.g. a payload
                        whose signature must be refused (make-root.sh)
    status=N            answer with status N (the file's bytes as body)
    version=TEXT        the status line's version, e.g. HTTP/1.0
    length=TEXT         announce TEXT as Content-Length (longer, negative, huge, junk)
    length_field=TEXT   the whole length line instead, e.g. "Content-Length:10";
                        "none" leaves it out (the body ends when the connection closes)
    surplus=N           N bytes more after the body
    close_after=N       send only the first N bytes of the reply, then close
    header_pad=N        N bytes of extra header lines (a huge header)
    chunk=N             send the reply in pieces of N bytes (1: byte by byte) ...
    chunk_ms=N          ... with N ms between them (default 5)
    split_at=N          send the first N bytes of the reply, pause, then the rest
    rate=N              send the body at about N bytes a second (a slow line)
    silent=1            read the request and never answer
Every reply ends with the connection closed.
"""
import http.client
import os
import socket
import time
import urllib.parse

SILENT_LIMIT_S = 120  # a silent connection still ends by itself


def _file_for(root, path):
    rel = urllib.parse.unquote(urllib.parse.urlsplit(path).path).lstrip("/")
    full = os.path.realpath(os.path.join(root, rel))
    if os.path.commonpath([full, os.path.realpath(root)]) != os.path.realpath(root):
        return None
    return full if os.path.isfile(full) else None


def _reply(handler, state, faulty):
    def switch(key, default=None):
        return state.get(key, default) if faulty else default

    missing = state.get("missing")
    name = _file_for(state.root, switch("file") or handler.path)
    if name is None or (missing and missing in handler.path):
        status, body = 404, b"<html><body>404 Not Found</body></html>"
    else:
        with open(name, "rb") as f:
            status, body = 200, f.read()
    status = int(switch("status", status))

    head = "%s %d %s\r\nServer: tallow-standin\r\n" % (
        switch("version", "HTTP/1.1"), status, http.client.responses.get(status, "Unknown"))
    pad = int(switch("header_pad", 0))
    for i in range(0, pad, 100):
        head += "X-Pad-%06d: %s\r\n" % (i, "p" * 80)
    length_field = switch("length_field")
    if length_field is None:
        length_field = "Content-Length: %s" % switch("length", len(body))
    if length_field != "none":
        head += length_field + "\r\n"
    head = (head + "\r\n").encode("latin-1")
    body += b"s" * int(switch("surplus", 0))
    return head, body


def _pieces(head, body, switch):
    data = head + body
    close_after = switch("close_after")
    if close_after is not None:
        data = data[:int(close_after)]
    if switch("chunk"):
        n = max(1, int(switch("chunk")))
        return [data[i:i + n] for i in range(0, len(data), n)], int(switch("chunk_ms", 5)) / 1000
    if switch("split_at"):
        n = int(switch("split_at"))
        return [data[:n], data[n:]], int(switch("chunk_ms", 50)) / 1000
    if switch("rate") and close_after is None:
        step = max(1, int(switch("rate")) // 20)
        return [head] + [body[i:i + step] for i in range(0, len(body), step)], 0.05
    return [data], 0


def serve(handler, state):
    only = state.get("only")
    faulty = only is None or only in handler.path

    def switch(key, default=None):
        return state.get(key, default) if faulty else default

    handler.close_connection = True
    conn = handler.connection
    conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    try:
        if switch("silent"):
            conn.settimeout(SILENT_LIMIT_S)
            while conn.recv(1024):
                pass
            return
        head, body = _reply(handler, state, faulty)
        pieces, pause = _pieces(head, body, switch)
        for i, piece in enumerate(pieces):
            if i and pause:
                time.sleep(pause)
            conn.sendall(piece)
        conn.shutdown(socket.SHUT_WR)
    except (OSError, socket.timeout):
        pass
