#!/usr/bin/env python3
"""A small HTTP/1.0 server for the loader and engine tests: it serves the files of a
document root like a plain web server, and misbehaves on purpose for requests whose
file name starts with one of the fault prefixes below. The engine names its requests
after the version prefix, so a test picks a fault by picking the version prefix.

Faults, by the first four characters of the requested file name:
  DROP  every request: the connection is closed without an answer
  RTnn  version records: the first nn requests are closed without an answer
  DNnn  version records: every request within nn seconds of the first one is
        closed without an answer (a server that is down for a while)
  HOLD  version records: the first request waits until /_control/release, then is
        closed without an answer
  ABSD  version records: announced with a length of 3000000000 bytes
  NLRC  version records: no Content-Length header (the body ends when the connection closes)
  NOLN  archives: no Content-Length header
  CUTA  archives (.kqp): the first answer closes the connection after half of the
        announced bytes
  RSTA  archives: the first answer resets the connection half a second after half
        of the announced bytes
  DRPA  archives: every request is closed without an answer
  NORG  archives: "Range" is ignored, every answer is the whole file (200)
  NOVD  archives: no validator (neither ETag nor Last-Modified)
  BDRG  archives: a 206 answer whose Content-Range starts one byte after the byte asked for
  CHRS  archives other than the full archive: "text/html; charset=iso-8859-1"
  SLOW  archives: 16 KiB every 100 ms

Every other file is served like nginx serves it: with an ETag ("<mtime>-<size>" in
hex) and a Last-Modified, and "Range: bytes=N-" answered with 206 and the rest, or
with 200 and the whole file when an "If-Range" names neither validator.

Control requests (never counted):
  /_control/plan?<path>|<steps>  how the next requests for <path> are answered, one
                            comma-separated step each: a number N (the answer is
                            cut after N bytes of its body), "drop" (closed without
                            an answer), "swap" (<path>.next replaces the file first,
                            then the answer is whole), "full"; then as usual
  /_control/answers?<path>  one line per answered request for <path>: status, first
                            byte, body bytes sent
  /_control/count?<path>    number of requests for <path> (no leading slash)
  /_control/requests?<text> the requested paths that contain <text>, one a line, in order
  /_control/outcome?<path>  how the last body for <path> ended: complete, aborted, none
  /_control/held            number of requests waiting for release
  /_control/release         lets every waiting request go on
  /_control/reset?<text>    forgets counts and outcomes of paths containing <text>
"""

import argparse
import email.utils
import os
import re
import socket
import socketserver
import struct
import sys
import threading
import time
import urllib.parse

RECORD_SUFFIX = "KQVerInfo_New.ver"
NOT_FOUND_PAGE = "notfound.html"


class State:
    def __init__(self):
        self.lock = threading.Lock()
        self.counts = {}
        self.first_seen = {}
        self.outcomes = {}
        self.requests = []
        self.plans = {}
        self.answers = {}
        self.held = 0
        self.release = threading.Event()

    def count(self, path):
        with self.lock:
            self.requests.append(path)
            self.counts[path] = self.counts.get(path, 0) + 1
            self.first_seen.setdefault(path, time.monotonic())
            return self.counts[path]

    def seconds_since_first(self, path):
        with self.lock:
            return time.monotonic() - self.first_seen.get(path, time.monotonic())

    def next_step(self, path):
        with self.lock:
            plan = self.plans.get(path)
            return plan.pop(0) if plan else "full"

    def add_answer(self, path, status, first, sent):
        with self.lock:
            self.answers.setdefault(path, []).append("%d %d %d" % (status, first, sent))

    def set_outcome(self, path, outcome):
        with self.lock:
            self.outcomes[path] = outcome

    def reset(self, text):
        with self.lock:
            for table in (self.counts, self.first_seen, self.outcomes, self.plans, self.answers):
                for key in [k for k in table if text in k]:
                    del table[key]
            self.requests = [r for r in self.requests if text not in r]


STATE = State()
ROOT = "."


def content_type(name):
    if name.endswith(".html"):
        return "text/html"
    if name.endswith(".xml"):
        return "application/xml"
    return "application/octet-stream"


def parse_fields(head):
    """The request's header fields, names in lower case."""
    fields = {}
    for line in head.split(b"\r\n\r\n", 1)[0].split(b"\r\n")[1:]:
        name, _, value = line.decode("latin-1").partition(":")
        fields[name.strip().lower()] = value.strip()
    return fields


def validators(full_path):
    """The ETag and Last-Modified fields of a file, as nginx forms them."""
    info = os.stat(full_path)
    mtime = int(info.st_mtime)
    return ['ETag: "%x-%x"' % (mtime, info.st_size),
            "Last-Modified: %s" % email.utils.formatdate(mtime, usegmt=True)]


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        sock = self.request
        head = b""
        while b"\r\n\r\n" not in head and len(head) < 65536:
            data = sock.recv(4096)
            if not data:
                return
            head += data
        line = head.split(b"\r\n", 1)[0].decode("latin-1")
        parts = line.split(" ")
        if len(parts) < 2:
            return
        target = parts[1]
        if target.startswith("/_control/"):
            self.control(target)
            return
        path = urllib.parse.unquote(target.lstrip("/"))
        number = STATE.count(path)
        self.fields = parse_fields(head)
        self.serve(path, number)

    def send_all(self, data):
        self.request.sendall(data)

    def answer(self, status, ctype, body, length=None, extra=()):
        headers = ["HTTP/1.0 %s" % status, "Content-Type: %s" % ctype, "Connection: close"]
        if length is not False:
            headers.append("Content-Length: %d" % (len(body) if length is None else length))
        headers.extend(extra)
        self.send_all(("\r\n".join(headers) + "\r\n\r\n").encode("latin-1"))

    def control(self, target):
        command, _, argument = target[len("/_control/"):].partition("?")
        argument = urllib.parse.unquote(argument)
        with STATE.lock:
            if command == "count":
                text = str(STATE.counts.get(argument, 0))
            elif command == "outcome":
                text = STATE.outcomes.get(argument, "none")
            elif command == "requests":
                text = "".join(r + "\n" for r in STATE.requests if argument in r)
            elif command == "held":
                text = str(STATE.held)
            elif command == "answers":
                text = "".join(a + "\n" for a in STATE.answers.get(argument, []))
            elif command == "plan":
                plan_path, _, steps = argument.partition("|")
                STATE.plans[plan_path] = [step for step in steps.split(",") if step]
                text = "ok"
            else:
                text = "ok"
        if command == "release":
            STATE.release.set()
        elif command == "reset":
            STATE.reset(argument)
            STATE.release.clear()
        body = text.encode()
        self.answer("200 OK", "text/plain", body)
        self.send_all(body)

    def read_file(self, path):
        full = os.path.normpath(os.path.join(ROOT, path))
        if not full.startswith(os.path.normpath(ROOT) + os.sep) or not os.path.isfile(full):
            return None
        with open(full, "rb") as f:
            return f.read()

    def serve(self, path, number):
        name = os.path.basename(path)
        fault = name[:4]
        is_record = name.endswith(RECORD_SUFFIX)
        is_archive = name.endswith(".kqp")
        step = STATE.next_step(path) if is_archive else "full"
        if fault == "DROP" or (is_archive and fault == "DRPA") or step == "drop":
            return
        if step == "swap":
            full = os.path.join(ROOT, path)
            os.replace(full + ".next", full)
        if is_record and re.fullmatch(r"RT\d\d", fault) and number <= int(fault[2:]):
            return
        if is_record and re.fullmatch(r"DN\d\d", fault) and STATE.seconds_since_first(path) < int(fault[2:]):
            return
        if is_record and fault == "HOLD" and number == 1:
            with STATE.lock:
                STATE.held += 1
            STATE.release.wait(60)
            with STATE.lock:
                STATE.held -= 1
            return

        body = self.read_file(path)
        if body is None:
            page = self.read_file(NOT_FOUND_PAGE) or b"not found"
            self.answer("404 Not Found", "text/html", page)
            self.send_all(page)
            return

        ctype = content_type(name)
        length = None
        if (is_archive and fault == "NOLN") or (is_record and fault == "NLRC"):
            length = False
        elif is_record and fault == "ABSD":
            length = 3000000000
        elif is_archive and fault == "CHRS" and not name[4:12] == "00000000":
            ctype = "text/html; charset=iso-8859-1"
        status, first, extra = "200 OK", 0, []
        if is_archive and fault != "NOVD":
            extra = validators(os.path.join(ROOT, path))
        if is_archive and fault != "NORG" and length is None:
            first = self.range_start(extra, len(body))
            if first:
                status = "206 Partial Content"
                shown = first + 1 if fault == "BDRG" else first
                extra.append("Content-Range: bytes %d-%d/%d" % (shown, len(body) - 1, len(body)))
                body = body[first:]
        self.answer(status, ctype, body, length, extra)
        cut = None
        if step.isdigit():
            cut = int(step)
        elif is_archive and fault in ("CUTA", "RSTA") and number == 1:
            cut = len(body) // 2
        if cut is not None and cut < len(body):
            self.send_all(body[:cut])
            STATE.add_answer(path, int(status[:3]), first, cut)
            STATE.set_outcome(path, "aborted")
            if fault == "RSTA":
                # The client has read what was sent and waits for more when the reset comes.
                time.sleep(0.5)
                self.reset_connection()
            return
        sent = self.send_body(path, body, slow=is_archive and fault == "SLOW")
        STATE.add_answer(path, int(status[:3]), first, sent)

    def range_start(self, validator_fields, size):
        """The first byte that a "Range: bytes=N-" asks for, when it may be served: 0
        for the whole file (no range, a range beyond the file, an If-Range that names
        another file)."""
        wanted = re.fullmatch(r"bytes=(\d+)-", self.fields.get("range", "").strip())
        if not wanted or int(wanted.group(1)) >= size:
            return 0
        condition = self.fields.get("if-range")
        if condition is not None:
            current = [field.split(": ", 1)[1] for field in validator_fields]
            if condition.strip() not in current:
                return 0
        return int(wanted.group(1))

    def reset_connection(self):
        # Closing with a zero linger time sends a reset instead of the normal close.
        self.request.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.request.close()

    def send_body(self, path, body, slow):
        """Sends body; returns the number of bytes sent."""
        STATE.set_outcome(path, "pending")
        sent = 0
        try:
            if slow:
                for start in range(0, len(body), 16384):
                    self.send_all(body[start:start + 16384])
                    sent = min(len(body), start + 16384)
                    time.sleep(0.1)
            else:
                self.send_all(body)
                sent = len(body)
        except OSError:
            STATE.set_outcome(path, "aborted")
            return sent
        STATE.set_outcome(path, "complete")
        return sent


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    global ROOT
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--port", type=int, default=0)
    args = parser.parse_args()
    ROOT = os.path.abspath(args.root)
    server = Server(("127.0.0.1", args.port), Handler)
    temp = args.port_file + ".tmp"
    with open(temp, "w") as f:
        f.write("%d\n" % server.server_address[1])
    os.replace(temp, args.port_file)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
