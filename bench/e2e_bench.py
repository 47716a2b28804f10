#!/usr/bin/env python3
"""End to end: the real Velmora.exe under Wine against a loopback gallery of
120 pictures with seeded latency and a per-connection bandwidth cap, for
N = 1, 5 and 10 threads, beside the ideal schedules computed from the
server's own log and beside curl's parallel mode on the same URLs. Then its
memory: the peak resident set (VmHWM) of the Velmora.exe process for one run
at 10 threads of ten pictures of 1 MB, 50 MB and 200 MB.
Prints tables; it is a benchmark, never a test.

    bench/e2e_bench.py            (run from the project root, after a build)
    bench/e2e_bench.py memory     (the memory table only)
"""
import json
import statistics
import os
import re
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
COUNT = 120


def start_server(folder, count=COUNT, rate=8 * 1024 * 1024, size=0):
    port_file, log_file = os.path.join(folder, "port"), os.path.join(folder, "requests.log")
    server = subprocess.Popen([sys.executable, os.path.join(ROOT, "bench", "perf_server.py"), port_file, log_file,
                               "7", str(count), str(rate), str(size)])
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


def first_tries(entries):
    """Each picture's first request (the log also holds any retry), in page order."""
    first = {}
    for e in entries:
        if e["index"] not in first or e["start"] < first[e["index"]]["start"]:
            first[e["index"]] = e
    return [first[i] for i in sorted(first)]


def batch_overhead(entries, n):
    """Where the time beyond the ideal batch schedule goes, from the server's
    side of each batch (pictures in page order, N at a time): the spread of its
    requests' arrivals, its start lag (its last byte less its first arrival and
    less its slowest fetch: threads started and lines written before the
    requests came) and the gap from the batch's last byte to the next batch's
    first request (the file closed, the worker's line, its thread ended and
    joined, the next thread started, its line, the connection made).
    Milliseconds per batch, medians over the run; then the mean total, which
    is the time from the first picture request to the last byte, less the
    ideal batch schedule, per batch. Also answers the number of batches."""
    batches = [entries[i:i + n] for i in range(0, len(entries), n)]
    if not batches:
        return 0, 0.0, 0.0, 0.0, 0.0
    spread, lag, gap = [], [], []
    for b, batch in enumerate(batches):
        first = min(e["start"] for e in batch)
        spread.append(max(e["start"] for e in batch) - first)
        lag.append(max(e["end"] for e in batch) - first - max(e["end"] - e["start"] for e in batch))
        if b + 1 < len(batches):
            gap.append(min(e["start"] for e in batches[b + 1]) - max(e["end"] for e in batch))
    median = lambda values: statistics.median(values) * 1000.0 if values else 0.0
    total = (sum(lag) + sum(gap)) * 1000.0 / len(batches)
    return len(batches), median(spread), median(lag), median(gap), total


def ideal_rolling(durations, n):
    free = [0.0] * n
    for d in durations:
        free.sort()
        free[0] += d
    return max(free)


def start_driver(port, n, runs):
    env = dict(os.environ, VELMORA_GALLERY_URL="http://127.0.0.1:%d/gallery" % port, VELMORA_QUIET="1")
    return subprocess.Popen([os.path.join(ROOT, "tests", "wine-run"),
                             os.path.join(ROOT, "build", "bin", "velmora-driver.exe"), "run", "Velmora.exe", str(n),
                             str(runs)], env=env, stdout=subprocess.PIPE, text=True)


def run_velmora(port, n):
    out = start_driver(port, n, 2).communicate(timeout=1800)[0]
    runs = [(int(w), int(f)) for w, f in re.findall(r"wall_ms=(\d+) lines=\d+ failed=(\d+)", out)]
    if len(runs) != 2:
        sys.exit("the driver did not finish two runs:\n" + out)
    return runs[0][0] / 1000.0, runs[1][0] / 1000.0, runs[0][1]


def velmora_peak_kb():
    """VmHWM of the running Velmora.exe (its own program, not the driver that names it), or 0."""
    peak = 0
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                program = f.read().split(b"\0")[0]
            if not program.endswith(b"Velmora.exe"):
                continue
            with open("/proc/%s/status" % pid) as f:
                peak = max(peak, next(int(line.split()[1]) for line in f if line.startswith("VmHWM:")))
        except (OSError, StopIteration):
            continue
    return peak


def memory_row(size):
    with tempfile.TemporaryDirectory() as folder:
        server, port, _ = start_server(folder, count=10, rate=0, size=size)
        try:
            driver = start_driver(port, 10, 1)
            peak = 0
            while driver.poll() is None:
                peak = max(peak, velmora_peak_kb())
                time.sleep(0.05)
            out = driver.stdout.read()
        finally:
            server.terminate()
    runs = re.findall(r"wall_ms=(\d+) lines=(\d+) failed=(\d+)", out)
    if len(runs) != 1 or runs[0][1] != "10":
        sys.exit("the memory run did not handle ten pictures:\n" + out)
    return peak, int(runs[0][0]) / 1000.0, int(runs[0][2])


def memory_table():
    rows = [(size, *memory_row(size)) for size in (1 << 20, 50 << 20, 200 << 20)]
    print("\nMemory: one run at 10 threads of 10 pictures, peak resident set of Velmora.exe (VmHWM)\n")
    print("| pictures | bytes in the run | peak MB | x 10 x 1 MB | run s | failures |")
    print("|---|---|---|---|---|---|")
    base = rows[0][1]
    for size, peak, seconds, failed in rows:
        print("| 10 x %d MB | %d MB | %.1f | %.2f | %.1f | %d |" % (
            size >> 20, 10 * size >> 20, peak / 1024.0, peak / base, seconds, failed))
    print("\nThe peak includes Wine's own share of the process (its loader and system DLLs).")


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
                first, second, failures = run_velmora(port, n)
                logged = requests(log_file, "MSIE 6.0")
                ours = first_tries(logged)
                durations = [e["end"] - e["start"] for e in ours]
                picture_requests = len(logged)
                curl = run_curl(port, n, folder)
            finally:
                server.terminate()
            rows.append((n, first, ideal_batches(durations, n), ideal_rolling(durations, n), curl,
                         1000.0 * second / COUNT, picture_requests - COUNT, failures, batch_overhead(ours, n)))
    print("\nEnd to end: 120 pictures (20 KB - 2 MB), 20-300 ms latency, 8 MB/s per connection\n")
    print("| N | Velmora s | 1st run failures | ideal batch s | x batch | ideal rolling s | x rolling | curl s |"
          " x curl | 2nd run ms/picture | 2nd run picture requests |")
    print("|---|---|---|---|---|---|---|---|---|---|---|")
    for n, first, batch, rolling, curl, per_picture, again, failures, _ in rows:
        print("| %d | %.2f | %d | %.2f | %.3f | %.2f | %.3f | %.2f | %.3f | %.1f | %d |" % (
            n, first, failures, batch, first / batch, rolling, first / rolling, curl, first / curl, per_picture,
            again))
    print("\nVelmora s: click to completion box (page fetch and harvest included).")
    print("ideal batch: the sum over batches of N (page order) of the slowest fetch, from the server's log;")
    print("ideal rolling: the same fetches on N workers that each take the next picture when free;")
    print("curl: curl --parallel --parallel-immediate --parallel-max N over the same 120 URLs, same server, same run.")
    print("\nPer batch, from the server's log of the same runs (ms; medians, then the mean total)\n")
    print("| N | batches | arrivals spread | start lag | gap to next batch | total beyond ideal |")
    print("|---|---|---|---|---|---|")
    for n, *_, (batches, spread, lag, gap, total) in rows:
        print("| %d | %d | %.1f | %.1f | %.1f | %.1f |" % (n, batches, spread, lag, gap, total))
    print("\narrivals spread: first to last request of a batch to reach the server (threads started, lines written);")
    print("start lag: the batch's last byte less its first arrival and less its slowest fetch;")
    print("gap: the batch's last byte to the next batch's first request (file closed, line, thread joined,")
    print("next thread started, its line, connection made).")


if __name__ == "__main__":
    if sys.argv[1:] != ["memory"]:
        main()
    memory_table()
