#!/usr/bin/env python3
"""End to end: the real Velmora.exe under Wine against a loopback gallery of
120 pictures with seeded latency and a per-connection bandwidth cap, for
N = 1, 5 and 10 threads, beside the ideal schedules computed from the
server's own log and beside curl's parallel mode on the same URLs.
Prints a table; it is a benchmark, never a test.

    bench/e2e_bench.py            (run from the project root, after a build)
"""
import json
import os
import re
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
COUNT = 120


def start_server(folder):
    port_file, log_file = os.path.join(folder, "port"), os.path.join(folder, "requests.log")
    server = subprocess.Popen([sys.executable, os.path.join(ROOT, "bench", "perf_server.py"), port_file, log_file,
                               "7", str(COUNT)])
    while not os.path.exists(port_file):
        time.sleep(0.05)
    with open(port_file) as f:
        return server, int(f.read()), log_file


def requests(log_file, agent_part):
    if not os.path.exists(log_file):
        return []
    with open(log_file) as f:
        entries = [json.loads(line) for line in f]
    return [e for e in entries if agent_part in e["agent"]]


def ideal_batches(durations, n):
    return sum(max(durations[i:i + n]) for i in range(0, len(durations), n))


def ideal_rolling(durations, n):
    free = [0.0] * n
    for d in durations:
        free.sort()
        free[0] += d
    return max(free)


def run_velmora(port, n):
    env = dict(os.environ, VELMORA_GALLERY_URL="http://127.0.0.1:%d/gallery" % port, VELMORA_QUIET="1")
    out = subprocess.run([os.path.join(ROOT, "tests", "wine-run"),
                          os.path.join(ROOT, "build", "bin", "velmora-driver.exe"), "run", "Velmora.exe", str(n), "2"],
                         env=env, capture_output=True, text=True, timeout=1800).stdout
    walls = [int(w) for w in re.findall(r"wall_ms=(\d+)", out)]
    if len(walls) != 2:
        sys.exit("the driver did not finish two runs:\n" + out)
    return walls[0] / 1000.0, walls[1] / 1000.0


def run_curl(port, n, folder):
    config = os.path.join(folder, "curl.conf")
    with open(config, "w") as f:
        for i in range(COUNT):
            f.write('url = "http://127.0.0.1:%d/pic/%d.jpg"\noutput = "/dev/null"\n' % (port, i))
    began = time.monotonic()
    # --parallel-immediate: open connections at once rather than wait to reuse one.
    subprocess.run(["curl", "--silent", "--no-progress-meter", "--parallel", "--parallel-immediate", "--parallel-max",
                    str(n), "--user-agent", "curl-bench", "--config", config], check=True, stderr=subprocess.DEVNULL)
    return time.monotonic() - began


def main():
    rows = []
    for n in (1, 5, 10):
        with tempfile.TemporaryDirectory() as folder:
            server, port, log_file = start_server(folder)
            try:
                first, second = run_velmora(port, n)
                ours = sorted(requests(log_file, "MSIE 6.0"), key=lambda e: e["index"])
                durations = [e["end"] - e["start"] for e in ours]
                picture_requests = len(ours)
                curl = run_curl(port, n, folder)
            finally:
                server.terminate()
            rows.append((n, first, ideal_batches(durations, n), ideal_rolling(durations, n), curl,
                         1000.0 * second / COUNT, picture_requests - COUNT))
    print("\nEnd to end: 120 pictures (20 KB - 2 MB), 20-300 ms latency, 8 MB/s per connection\n")
    print("| N | Velmora s | ideal batch s | x batch | ideal rolling s | x rolling | curl s | x curl |"
          " 2nd run ms/picture | 2nd run picture requests |")
    print("|---|---|---|---|---|---|---|---|---|---|")
    for n, first, batch, rolling, curl, per_picture, again in rows:
        print("| %d | %.2f | %.2f | %.3f | %.2f | %.3f | %.2f | %.3f | %.1f | %d |" % (
            n, first, batch, first / batch, rolling, first / rolling, curl, first / curl, per_picture, again))
    print("\nVelmora s: click to completion box (page fetch and harvest included).")
    print("ideal batch: the sum over batches of N (page order) of the slowest fetch, from the server's log;")
    print("ideal rolling: the same fetches on N workers that each take the next picture when free;")
    print("curl: curl --parallel --parallel-immediate --parallel-max N over the same 120 URLs, same server, same run.")


if __name__ == "__main__":
    main()
