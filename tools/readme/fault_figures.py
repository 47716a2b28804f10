#!/usr/bin/env python3
"""Fills the README's figures from one test run: the fault table's times,
the closes, and the big pictures. Reads ctest's log of that run (the fault
shards against Velmora-test.exe) and rewrites the rows in README.md.

    tools/readme/fault_figures.py build/Testing/Temporary/LastTest.log README.md
"""
import re
import sys

# README row label -> the fault test's tag.
ROWS = {
    "connection refused, every try": "refused",
    "closed before any byte, every try": "closedBeforeAnyByte",
    "closed inside the headers": "closedInHeaders",
    "closed after 0 body bytes, every try": "closedAfterNoBody",
    "closed after half the body, every try": "closedAfterHalf",
    "closed at Content-Length − 1, every try": "closedOneByteShort",
    "chunked body cut short, every try": "chunkedCutShort",
    "no length, closed half-way (a proxy's time-out), every try": "unframedCutShort",
    "a PNG without a length, closed half-way, every try": "pngUnframedCutShort",
    "a WebP without a length, closed half-way, every try": "webpUnframedCutShort",
    "chunk size FFFFFFF4 before the whole picture": "badChunkSize",
    "chunk size of more than 64 bits": "overflowingChunkSize",
    "Content-Length 4294967400": "lengthAbove4GB",
    "a whole picture, chunked": "chunkedWhole",
    "a whole picture without a length, 16 zero bytes after its end": "unframedWholeWithZeros",
    "a whole PNG without a length": "pngUnframed",
    "a whole GIF without a length": "gifUnframed",
    "a whole WebP without a length": "webpUnframed",
    "a whole BMP without a length": "bmpUnframed",
    "Content-Length of 3 GB (and sent for as long as it is read)": "announces3GB",
    "an endless body without a length": "endlessBody",
    "stall before any byte (beyond the time-out), every try": "stallBeforeAnyByte",
    "stall after the headers (beyond the time-out)": "stallBeforeBody",
    "1 byte per second (a drip)": "stallDripOneBytePerSecond",
    "6 bytes, 0.4 s apart, completes within the time-out": "trickleThatCompletes",
    "2000 header lines": "headerLines2000",
    "HTML with status 200": "htmlWith200",
    "3000 blanks, then HTML, with status 200": "blanksThenHtml",
    "JSON with status 200 (`{\"error\":\"expired\"}`)": "jsonWith200",
    "206 with part of a picture": "partial206",
    "404 with an HTML body": "notFound",
    "500 with an HTML body, every try": "serverError",
    "503 on the first try only": "serviceUnavailableOnce",
    "reset half-way on the first try only": "resetMidBodyOnce",
    "closed before any byte on the first try only": "closedBeforeAnyByteOnce",
    "429 with Retry-After: 2 on the first try only": "tooManyRequestsOnce",
    "503 with Retry-After: soon (malformed), every try": "serviceUnavailableMalformedRetryAfter",
    "429 with Retry-After: -5, every try": "tooManyRequestsNegativeRetryAfter",
    "429 with Retry-After: 86400 (a day), every try": "tooManyRequestsForADay",
    "10 redirects (307, relative), then the picture": "tenRedirects307",
    "10 redirects (308), then the picture": "tenRedirects308",
    "11 redirects": "elevenRedirects",
    "301 to itself": "redirectLoop",
    "http, then 301 to https (a test CA trusted in the prefix)": "httpToHttps",
    "address with `&amp;`": "characterReference",
    "relative address": "relativeAddress",
    "protocol-relative address (`//host/…`)": "protocolRelative",
    "address `/r/秋色 大图.jpg` (the server answers 404 unless it comes as UTF-8, percent-encoded)": "chineseAndBlank",
    "a heading without a link (between two entries)": "headingWithoutLink",
    "a host name that does not exist (`no-such-host.invalid`)": "unusableAddress",
}
# The gallery page's own table: its labels repeat some of the pictures', so it is filled apart.
PAGE_ROWS = {
    "301 to itself": "pageRedirectLoop",
    "connection refused": "pageRefused",
    "404": "pageNotFound",
    "1 byte per second": "stallPageDrip",
    "an endless page": "pageEndless",
    "closed short of its Content-Length (entries in the part that came)": "pageCutShort",
    "a page without entries": "pageWithoutEntries",
    "charset=UTF-8 in the header only": "charsetInTheHeaderInCapitals",
    "`<META CharSet=utf8>` only": "metaCharsetUnquotedUtf8",
    "`<meta http-equiv … charset='UTF-8'>` only": "metaHttpEquivQuoted",
    "a UTF-8 byte-order mark only": "byteOrderMarkAlone",
    "8000 bytes of headers": "headerBlockOf8000Bytes",
    "behind 3 redirects, its links relative to where it ended": "behindRedirectsWithRelativeLinks",
    "a download link before any heading": "aLinkBeforeAnyHeading",
}


def shard_output(log):
    """The output of the fault shards (the test build), in run order."""
    out, inside = [], False
    for line in log.splitlines():
        m = re.match(r"\d+/\d+ Testing: (\S+)", line)
        if m:
            inside = re.fullmatch(r"fault_tests_\d+", m.group(1)) is not None
        elif inside:
            out.append(line)
    return out


def fill(text, rows, times):
    for label, tag in rows.items():
        n1, n10 = times.get((tag, "1")), times.get((tag, "10"))
        if n1 is None or n10 is None:
            sys.exit("no time for %s in the log" % tag)
        pattern = re.compile(r"^(\| %s \| [^|]+ \| )\d+ ms \| \d+ ms \|$" % re.escape(label), re.M)
        text, count = pattern.subn(lambda m: "%s%d ms | %d ms |" % (m.group(1), n1, n10), text, count=1)
        if count != 1:
            sys.exit("no README row for %s" % label)
    return text


def main():
    log = open(sys.argv[1], encoding="utf-8", errors="replace").read()
    lines = shard_output(log)
    times = {}
    for line in lines:
        m = re.match(r"fault (\w+?)(1|10) N=(1|10): .*, run (\d+) ms", line)
        if m and m.group(2) == m.group(3):
            times.setdefault((m.group(1), m.group(3)), int(m.group(4)))
    readme_path = sys.argv[2]
    readme = open(readme_path, encoding="utf-8").read()
    # Each table is filled within its own stretch of the README.
    split = readme.index("| gallery page (served by the same server) |")
    pictures, pages = readme[:split], readme[split:]
    pictures = fill(pictures, ROWS, times)
    pages = fill(pages, PAGE_ROWS, times)
    open(readme_path, "w", encoding="utf-8").write(pictures + pages)
    for line in lines:
        if line.startswith("closed") or "x 200 MB" in line:
            print(line)


if __name__ == "__main__":
    main()
