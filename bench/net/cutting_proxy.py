#!/usr/bin/env python3
"""A TCP proxy on loopback in front of an HTTP server that cuts every answer after a
given number of body bytes, as a home connection that drops every so often would.
Counts the body bytes it forwarded per requested path.

  cutting_proxy.py --upstream PORT --cut BYTES --port-file FILE --stats FILE

The port it listens on goes to --port-file; on SIGTERM it writes one line per request
to --stats: "<path> <body bytes forwarded>".
"""

import argparse
import signal
import socket
import sys
import threading

CHUNK = 1 << 20


class Proxy:
    def __init__(self, upstream, cut):
        self.upstream = upstream
        self.cut = cut
        self.lock = threading.Lock()
        self.forwarded = []

    def handle(self, client):
        try:
            head = b""
            while b"\r\n\r\n" not in head:
                data = client.recv(65536)
                if not data:
                    return
                head += data
            path = head.split(b"\r\n", 1)[0].split(b" ")[1].decode("latin-1")
            server = socket.create_connection(("127.0.0.1", self.upstream))
            # A small receive buffer keeps what the proxy reads ahead of the player short.
            server.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 262144)
            server.sendall(head)
            body = self.relay(server, client)
            server.close()
            with self.lock:
                self.forwarded.append((path, body))
        except OSError:
            pass
        finally:
            client.close()

    def relay(self, server, client):
        """Forwards the answer; returns the body bytes forwarded."""
        answer_head = b""
        body = 0
        while True:
            data = server.recv(CHUNK)
            if not data:
                return body
            if answer_head is not None:
                answer_head += data
                end = answer_head.find(b"\r\n\r\n")
                if end < 0:
                    client.sendall(data)
                    continue
                data = answer_head[end + 4:]
                client.sendall(answer_head[:end + 4])
                answer_head = None
            if body + len(data) >= self.cut:
                client.sendall(data[: self.cut - body])
                return self.cut
            client.sendall(data)
            body += len(data)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--upstream", type=int, required=True)
    parser.add_argument("--cut", type=int, required=True)
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--stats", required=True)
    args = parser.parse_args()
    proxy = Proxy(args.upstream, args.cut)
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)

    def stop(*_):
        with proxy.lock, open(args.stats, "w") as f:
            for path, body in proxy.forwarded:
                f.write("%s %d\n" % (path, body))
        sys.exit(0)

    signal.signal(signal.SIGTERM, stop)
    with open(args.port_file, "w") as f:
        f.write("%d\n" % listener.getsockname()[1])
    while True:
        client, _ = listener.accept()
        threading.Thread(target=proxy.handle, args=(client,), daemon=True).start()


if __name__ == "__main__":
    main()
