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
    "connection refused": "refused",
    "closed before any byte": "closedBeforeAnyByte",
    "closed inside the headers": "closedInHeaders",
    "closed after 0 body bytes": "closedAfterNoBody",
    "closed after half the body": "closedAfterHalf",
    "closed at Content-Length − 1": "closedOneByteShort",
    "chunked body cut short": "chunkedCutShort",
    "chunk size FFFFFFF4": "badChunkSize",
    "chunk size of more than 64 bits": "overflowingChunkSize",
    "Content-Length 4294967400": "lengthAbove4GB",
    "Content-Length of 3 GB (and sent for as long as it is read)": "announces3GB",
    "an endless body without a length": "endlessBody",
    "stall before any byte (beyond the time-out)": "stallBeforeAnyByte",
    "stall after the headers (beyond the time-out)": "stallBeforeBody",
    "1 byte per second, completes": "trickleThatCompletes",
    "2000 header lines": "headerLines2000",
    "HTML with status 200": "htmlWith200",
    "3000 blanks, then HTML, with status 200": "blanksThenHtml",
    "404 with an HTML body": "notFound",
    "500 with an HTML body": "serverError",
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
    for label, tag in ROWS.items():
        n1, n10 = times.get((tag, "1")), times.get((tag, "10"))
        if n1 is None or n10 is None:
            sys.exit("no time for %s in the log" % tag)
        pattern = re.compile(r"^(\| %s \| [^|]+ \| )\d+ ms \| \d+ ms \|$" % re.escape(label), re.M)
        readme, count = pattern.subn(lambda m: "%s%d ms | %d ms |" % (m.group(1), n1, n10), readme)
        if count != 1:
            sys.exit("no README row for %s" % label)
    open(readme_path, "w", encoding="utf-8").write(readme)
    for line in lines:
        if line.startswith("closed") or "x 200 MB" in line:
            print(line)


if __name__ == "__main__":
    main()
