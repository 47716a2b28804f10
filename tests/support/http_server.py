#!/usr/bin/env python3
"""Scripted HTTP server for the tests, on 127.0.0.1.

Writes its port to the file named by the first argument and serves until
killed. Every request is recorded; GET /_log?contains=TEXT returns the raw
requests whose request line contains TEXT, separated by "\\n=====\\n", and
GET /_timeline?contains=TEXT one line per such request: the seconds (server
clock) when it arrived and when its answer was sent, then its request line.

Routes:
  /_put?name=NAME  stores the request body as page NAME
  /r?...   scripted answer: status, reason, body (UTF-8 text) or page=NAME, {{BASE}} filled in; or size=N
           (deterministic bytes), ctype, h=Name:Value (repeatable),
           cl=auto|none|N, chunked=1, cut=N (close after N body bytes),
           stall=SECONDS (before the body), headerpad=N (about N extra header bytes);
           {{TLS}} is the TLS address, {{HOST}} host and port
  /r/NAME?...  the same, when NAME came UTF-8 and percent-encoded (else 404)
  /r faults: fault=silent (close without a byte), fault=headers (close inside
           the headers), stallhead=SECONDS (before any byte), chunksize=HEX
           (a chunked body whose first size line is HEX), trickle=SECONDS
           (between body bytes), headerlines=N, random=N (seeded random bytes before the body; nonul=1 without zero bytes),
           endless=1 (after the body, pattern bytes for as long as the client reads; with cl=N or cl=none),
           blanks=N (N spaces before the body), bom=1 (a UTF-8 byte-order mark first), format=png|gif|webp|bmp (size=N bytes of that
           format instead of the JPEG-framed pattern), tail=N (N zero bytes after a body),
           once=1 (the fault options, status and extra headers only on the first request
           for this exact address; later ones get the plain picture)
  /p       301 to http://localhost:PORT when asked for host 127.0.0.1,
           else 200 with the request line as body
  /loop    301 to itself ("/loop"), for ever
  /hop?n=N&code=C&then=URL  N redirects (status C, default 302), each to the
           next by a relative Location, then one to URL
  The same routes are served over TLS on a second port, written to the port
  file's name + ".tls", with a certificate of a test CA (its PEM in the port
  file's name + ".ca.pem") for 127.0.0.1.

Pattern bodies (size=N, seed=S) are framed as a JPEG when N >= 6: they start
with FF D8 FF E0 and end with FF D9, so a program that keeps only pictures
keeps them.
  /echo    the raw request as the body
  /file/NAME  the file NAME under the directory of the second argument
  /gallery, /zh-CN/windows/wallpaper/...  that directory's gallery.html with
           {{BASE}} replaced by this server's address
"""
import functools
import os
import random
import shutil
import socket
import socketserver
import ssl
import struct
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse

LOG = []
TIMELINE = []  # (arrived, answered, request line)
PAGES = {}
ONCE = set()  # addresses of once=1 requests already answered with their fault
LOG_LOCK = threading.Lock()
REASONS = {200: "OK", 301: "Moved Permanently", 302: "Found", 404: "Not Found", 500: "Internal Server Error"}


START_OF_IMAGE, END_OF_IMAGE = b"\xff\xd8\xff\xe0", b"\xff\xd9"


@functools.lru_cache(maxsize=64)
def pattern_bytes(n, seed=0):
    # A repeating 251-byte cycle, built by repetition so big bodies come fast.
    cycle = bytes((i * 7 + seed) % 251 for i in range(251))
    body = (cycle * (n // 251 + 1))[:n]
    if n >= 6:
        body = START_OF_IMAGE + body[4:n - 2] + END_OF_IMAGE
    return body


def format_bytes(kind, n, seed=0):
    """n bytes that start and end as a picture of that format does."""
    filler = lambda count: bytes((i * 7 + seed) % 251 for i in range(max(count, 0)))
    if kind == "png":
        head, tail = b"\x89PNG\r\n\x1a\n", b"\0\0\0\0IEND\xaeB`\x82"
    elif kind == "gif":
        head, tail = b"GIF89a", b";"
    elif kind == "webp":
        head, tail = b"RIFF" + struct.pack("<I", n - 8) + b"WEBP", b""
    elif kind == "bmp":
        head, tail = b"BM" + struct.pack("<I", n), b""
    else:
        return pattern_bytes(n, seed)
    return head + filler(n - len(head) - len(tail)) + tail


class PatternStream:
    """pattern_bytes(n, seed) sent block by block, for bodies too big to hold."""
    BLOCK = 1 << 20

    def __init__(self, n, seed):
        self.n, self.seed = n, seed
        cycle = bytes((i * 7 + seed) % 251 for i in range(251))
        self.ring = cycle * (self.BLOCK // 251 + 2)

    def __len__(self):
        return self.n

    def blocks(self):
        for offset in range(0, self.n, self.BLOCK):
            start = offset % 251
            block = self.ring[start:start + min(self.BLOCK, self.n - offset)]
            if offset == 0:
                block = START_OF_IMAGE + block[4:]
            if offset + len(block) == self.n:
                block = block[:-2] + END_OF_IMAGE
            yield block


class Handler(socketserver.BaseRequestHandler):
    def read_request(self):
        data = b""
        self.request.settimeout(60)
        while b"\r\n\r\n" not in data:
            chunk = self.request.recv(65536)
            if not chunk:
                return None, None
            data += chunk
        head, _, rest = data.partition(b"\r\n\r\n")
        length = 0
        for line in head.split(b"\r\n")[1:]:
            name, _, value = line.partition(b":")
            if name.strip().lower() == b"content-length":
                length = int(value.strip() or 0)
        while len(rest) < length:
            chunk = self.request.recv(65536)
            if not chunk:
                break
            rest += chunk
        return head, rest

    def handle(self):
        head, body = self.read_request()
        if head is None:
            return
        with LOG_LOCK:
            LOG.append(head + b"\r\n\r\n" + body)
        request_line = head.split(b"\r\n")[0].decode("latin-1")
        target = request_line.split(" ")[1] if " " in request_line else "/"
        url = urllib.parse.urlsplit(target)
        query = urllib.parse.parse_qs(url.query, keep_blank_values=True)
        host = ""
        for line in head.split(b"\r\n")[1:]:
            name, _, value = line.partition(b":")
            if name.strip().lower() == b"host":
                host = value.strip().decode("latin-1")
        port = PORTS["http"]
        path = url.path
        if path == "/_timeline":
            sought = query.get("contains", [""])[0]
            with LOG_LOCK:
                lines = ["%.6f %.6f %s" % entry for entry in TIMELINE if sought in entry[2]]
            return self.answer(200, "\n".join(lines).encode("latin-1"))
        if path == "/_log":
            sought = query.get("contains", [""])[0].encode("latin-1")
            with LOG_LOCK:
                picked = [entry for entry in LOG
                          if sought in entry.split(b"\r\n")[0] and not entry.startswith(b"GET /_log")]
            return self.answer(200, b"\n=====\n".join(picked))
        if path == "/_put":
            with LOG_LOCK:
                PAGES[query.get("name", [""])[0]] = body
            return self.answer(200, b"stored")
        if path == "/p":
            if host.startswith("127.0.0.1"):
                return self.answer(301, b"moved", [("Location", "http://localhost:%d" % port)])
            return self.answer(200, request_line.encode("latin-1"))
        if path == "/loop":
            return self.answer(301, b"again", [("Location", "/loop")])
        if path == "/hop":
            left = int(query.get("n", ["0"])[0])
            code = int(query.get("code", ["302"])[0])
            then = query.get("then", [""])[0].replace("{{BASE}}", "http://127.0.0.1:%d" % PORTS["http"])
            then = then.replace("{{TLS}}", "https://127.0.0.1:%d" % PORTS["https"])
            if left > 0:
                following = urllib.parse.urlencode({"n": left - 1, "code": code, "then": then})
                return self.answer(code, b"", [("Location", "hop?" + following)])
            return self.answer(code, b"", [("Location", then)])
        if path == "/echo":
            return self.answer(200, head + b"\r\n\r\n" + body)
        if (path == "/gallery" or path.startswith("/zh-CN/windows/wallpaper")) and len(sys.argv) > 2:
            with open(os.path.join(sys.argv[2], "gallery.html"), "rb") as f:
                page = f.read().replace(b"{{BASE}}", b"http://127.0.0.1:%d" % port)
            return self.answer(200, page, [("Content-Type", "text/html; charset=utf-8")])
        if path.startswith("/file/") and len(sys.argv) > 2:
            name = urllib.parse.unquote(path[len("/file/"):])
            full = os.path.join(sys.argv[2], name)
            if os.path.isfile(full):
                with open(full, "rb") as f:
                    return self.answer(200, f.read(), [("Content-Type", "image/jpeg")])
            return self.answer(404, b"<html>missing</html>", [("Content-Type", "text/html")])
        if path.startswith("/r/"):
            # A picture address with its own name in the path: answered only when
            # it came as a browser sends one (UTF-8, percent-encoded, no blank).
            raw = target.split("?")[0]
            try:
                sent_well = all(32 < ord(c) < 127 for c in raw) and \
                    urllib.parse.unquote_to_bytes(raw).decode("utf-8") != raw
            except UnicodeDecodeError:
                sent_well = False
            if not sent_well:
                return self.answer(404, b"<html>badly sent address</html>", [("Content-Type", "text/html")])
            path = "/r"
        if path == "/r":
            arrived = time.monotonic()
            if query.get("once", [""])[0] == "1":
                with LOG_LOCK:
                    seen = target in ONCE
                    ONCE.add(target)
                if seen:
                    for name in ("status", "fault", "cut", "stallhead", "stall", "h", "reason", "trickle"):
                        query.pop(name, None)
            self.scripted(query)
            with LOG_LOCK:
                TIMELINE.append((arrived, time.monotonic(), request_line))
            return
        return self.answer(404, b"<html><body>not found</body></html>", [("Content-Type", "text/html")])

    def scripted(self, query):
        one = lambda name, default="": query.get(name, [default])[0]
        status = int(one("status", "200"))
        if float(one("stallhead", "0")):
            time.sleep(float(one("stallhead")))
        fault = one("fault")
        if fault == "silent":
            return self.request.shutdown(socket.SHUT_RDWR)
        if fault == "headers":
            self.request.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: ima")
            return self.request.shutdown(socket.SHUT_RDWR)
        # Big plain bodies are made as they are sent; the options that shape a
        # body (cuts, chunks, trickles, noise) need it whole.
        shaped = any(name in query for name in ("cut", "chunked", "chunksize", "trickle", "endless", "random", "blanks"))
        if "size" in query and int(one("size")) > 16 << 20 and not shaped:
            body = PatternStream(int(one("size")), int(one("seed", "0")))
        elif "size" in query:
            body = format_bytes(one("format"), int(one("size")), int(one("seed", "0")))
        elif "page" in query:
            with LOG_LOCK:
                body = PAGES.get(one("page"), b"")
        else:
            body = one("body").encode("utf-8")
        if not isinstance(body, PatternStream):
            body = body.replace(b"{{BASE}}", b"http://127.0.0.1:%d" % PORTS["http"])
            body = body.replace(b"{{TLS}}", b"https://127.0.0.1:%d" % PORTS["https"])
            body = body.replace(b"{{HOST}}", b"127.0.0.1:%d" % PORTS["http"])
        if "blanks" in query:
            body = b" " * int(one("blanks")) + body
        if one("bom") == "1":
            body = b"\xef\xbb\xbf" + body
        if "tail" in query:
            body = body + b"\0" * int(one("tail"))
        if "random" in query:
            noise = random.Random(int(one("seed", "0"))).randbytes(int(one("random")))
            if one("nonul") == "1":
                noise = noise.replace(b"\0", b"\1")
            body = noise + body
        headers = []
        if "ctype" in query:
            headers.append(("Content-Type", one("ctype")))
        for entry in query.get("h", []):
            name, _, value = entry.partition(":")
            headers.append((name, value.strip()))
        for index in range(0, int(one("headerpad", "0")), 100):
            headers.append(("X-Pad-%d" % index, "p" * 90))
        for index in range(int(one("headerlines", "0"))):
            headers.append(("X-Line-%d" % index, "v"))
        if "chunksize" in query:
            # A lying chunk size: the body follows, then the connection ends.
            self.answer(status, b"%s\r\n%s" % (one("chunksize").encode("latin-1"), body), headers,
                        chunked=True, raw=True)
            return self.request.shutdown(socket.SHUT_RDWR)
        self.answer(status, body, headers, reason=one("reason", None) or None, length=one("cl", "auto"),
                    chunked=one("chunked") == "1", cut=int(one("cut", "-1")), stall=float(one("stall", "0")),
                    trickle=float(one("trickle", "0")), endless=one("endless") == "1")

    def answer(self, status, body, headers=(), reason=None, length="auto", chunked=False, cut=-1, stall=0.0,
               trickle=0.0, raw=False, endless=False):
        reason = reason or REASONS.get(status, "Status")
        lines = ["HTTP/1.1 %d %s" % (status, reason)]
        lines += ["%s: %s" % (name, value) for name, value in headers]
        if chunked:
            lines.append("Transfer-Encoding: chunked")
        elif length == "auto":
            lines.append("Content-Length: %d" % len(body))
        elif length != "none":
            lines.append("Content-Length: %s" % length)
        lines.append("Connection: close")
        try:
            self.request.sendall(("\r\n".join(lines) + "\r\n\r\n").encode("utf-8"))
            if stall:
                time.sleep(stall)
            if isinstance(body, PatternStream):
                for block in body.blocks():
                    self.request.sendall(block)
                return
            payload = body
            if chunked and not raw:
                payload = b"".join(b"%x\r\n%s\r\n" % (len(body[i:i + 1000]), body[i:i + 1000])
                                   for i in range(0, len(body), 1000)) + b"0\r\n\r\n"
            if cut >= 0:
                payload = payload[:cut]
            if trickle:
                for index in range(len(payload)):
                    self.request.sendall(payload[index:index + 1])
                    time.sleep(trickle)
            else:
                self.request.sendall(payload)
            if endless:
                block = pattern_bytes(65536 * 4)
                while True:
                    self.request.sendall(block)
            if cut >= 0:
                self.request.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 128


PORTS = {"http": 0, "https": 0}


def make_certificates(folder):
    """A test CA and a certificate of it for 127.0.0.1; the CA's PEM path."""
    run = lambda *args: subprocess.run(["openssl", *args], check=True, capture_output=True)
    ca_key, ca_pem = os.path.join(folder, "ca.key"), os.path.join(folder, "ca.pem")
    key, csr, pem = (os.path.join(folder, name) for name in ("server.key", "server.csr", "server.pem"))
    extensions = os.path.join(folder, "server.ext")
    with open(extensions, "w") as f:
        f.write("subjectAltName=IP:127.0.0.1,DNS:127.0.0.1\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n")
    run("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", ca_key, "-out", ca_pem, "-days", "2",
        "-subj", "/CN=Velmora test CA")
    run("req", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", csr, "-subj", "/CN=127.0.0.1")
    run("x509", "-req", "-in", csr, "-CA", ca_pem, "-CAkey", ca_key, "-CAcreateserial", "-out", pem, "-days", "2",
        "-extfile", extensions)
    return ca_pem, pem, key


def main():
    server = Server(("127.0.0.1", 0), Handler)
    PORTS["http"] = server.server_address[1]
    folder = tempfile.mkdtemp(prefix="velmora-tls-")
    ca_pem, pem, key = make_certificates(folder)
    secure = Server(("127.0.0.1", 0), Handler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(pem, key)
    secure.socket = context.wrap_socket(secure.socket, server_side=True)
    PORTS["https"] = secure.server_address[1]
    threading.Thread(target=secure.serve_forever, daemon=True).start()
    shutil.copy(ca_pem, sys.argv[1] + ".ca.pem")
    with open(sys.argv[1] + ".tls", "w") as f:
        f.write(str(PORTS["https"]))
    with open(sys.argv[1] + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(sys.argv[1] + ".tmp", sys.argv[1])
    server.serve_forever()


if __name__ == "__main__":
    main()
