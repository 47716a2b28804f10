#!/usr/bin/env python3
"""Loopback gallery server for the end-to-end benchmarks.

    perf_server.py PORTFILE LOGFILE [SEED] [PICTURES] [BYTES_PER_SECOND] [SIZE]

Serves /gallery (the markup the harvest reads, UTF-8) linking PICTURES
pictures /pic/I.jpg of seeded sizes (20 KB to 2 MB), or all of SIZE bytes
when it is given. Each picture is framed as a JPEG (it starts with the
start-of-image marker and ends with the end-of-image marker) and is made as
it is sent, so pictures of any size cost the server nothing to hold. Each
answers after a seeded latency (20 to 300 ms, the same for every request of
it) and is sent at most BYTES_PER_SECOND per connection (0: no cap). Every
picture request is logged as a JSON line {path, agent, start, end} in
monotonic seconds.
"""
import json
import os
import random
import socket
import socketserver
import sys
import threading
import time

SEED = int(sys.argv[3]) if len(sys.argv) > 3 else 7
COUNT = int(sys.argv[4]) if len(sys.argv) > 4 else 120
RATE = float(sys.argv[5]) if len(sys.argv) > 5 else 8 * 1024 * 1024
FIXED_SIZE = int(sys.argv[6]) if len(sys.argv) > 6 else 0
CHUNK = 16384

rng = random.Random(SEED)
SIZES = [int(20_000 * (100 ** rng.random())) for _ in range(COUNT)]  # 20 KB .. 2 MB, log-uniform
LATENCIES = [0.020 + 0.280 * rng.random() for _ in range(COUNT)]
if FIXED_SIZE:
    SIZES = [FIXED_SIZE] * COUNT
LOG_LOCK = threading.Lock()
START_OF_IMAGE, END_OF_IMAGE = b"\xff\xd8\xff\xe0", b"\xff\xd9"


class Picture:
    """Picture `index`: a repeating 256-byte cycle inside the JPEG markers, made chunk by chunk."""

    def __init__(self, index):
        self.size = SIZES[index]
        cycle = bytes((i * 13 + index) % 256 for i in range(256))
        self.ring = cycle * (CHUNK // 256 + 2)

    def chunks(self):
        for offset in range(0, self.size, CHUNK):
            length = min(CHUNK, self.size - offset)
            piece = bytearray(self.ring[offset % 256:offset % 256 + length])
            if offset == 0:
                piece[:4] = START_OF_IMAGE[:length]
            if offset + length == self.size and length >= 2:
                piece[-2:] = END_OF_IMAGE
            yield bytes(piece)


def page(port):
    tiles = "".join('<div><h3 class="headingBase headingM">图片 %03d</h3>'
                    '<a class="navigationLink" href="http://127.0.0.1:%d/pic/%d.jpg">立即获取</a></div>\n' % (i, port, i)
                    for i in range(COUNT))
    return ('<html><head><meta charset="utf-8"></head><body>%s</body></html>' % tiles).encode("utf-8")


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        data = b""
        while b"\r\n\r\n" not in data:
            chunk = self.request.recv(65536)
            if not chunk:
                return
            data += chunk
        start = time.monotonic()
        head = data.split(b"\r\n\r\n")[0].decode("latin-1").split("\r\n")
        path = head[0].split(" ")[1]
        agent = next((line.split(":", 1)[1].strip() for line in head[1:] if line.lower().startswith("user-agent:")), "")
        port = self.server.server_address[1]
        if path.startswith("/gallery"):
            return self.send(page(port), "text/html; charset=utf-8")
        if path.startswith("/pic/"):
            index = int(path[5:].split(".")[0])
            time.sleep(LATENCIES[index])
            self.send_picture(Picture(index))
            with LOG_LOCK, open(self.server.log, "a") as log:
                log.write(json.dumps({"path": path, "index": index, "agent": agent, "start": start,
                                      "end": time.monotonic()}) + "\n")
            return
        self.send(b"not found", "text/plain", status="404 Not Found")

    @staticmethod
    def head(status, kind, length):
        return ("HTTP/1.1 %s\r\nContent-Type: %s\r\nContent-Length: %d\r\nConnection: close\r\n\r\n" % (
            status, kind, length)).encode("latin-1")

    def send(self, payload, kind, status="200 OK"):
        try:
            self.request.sendall(self.head(status, kind, len(payload)) + payload)
        except OSError:
            pass

    def send_picture(self, picture):
        try:
            self.request.sendall(self.head("200 OK", "image/jpeg", picture.size))
            began, sent = time.monotonic(), 0
            for chunk in picture.chunks():
                self.request.sendall(chunk)
                sent += len(chunk)
                ahead = sent / RATE - (time.monotonic() - began) if RATE else 0
                if ahead > 0:
                    time.sleep(ahead)
        except OSError:
            pass


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 256


def main():
    server = Server(("127.0.0.1", 0), Handler)
    server.log = sys.argv[2]
    with open(sys.argv[1] + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(sys.argv[1] + ".tmp", sys.argv[1])
    server.serve_forever()


if __name__ == "__main__":
    main()
