#!/usr/bin/env python3
"""Throughput benchmark: diaset against cat of its own output and against the straightforward
per-byte stdio filter, side by side in one run, on generated Vietnamese VIQR text.

    python3 bench/run.py [--build build] [--size-mb 100] [--runs 5]
"""
import argparse
import os
import statistics
import subprocess
import sys
import time


def run_timed(command):
    start = time.perf_counter()
    subprocess.run(["bash", "-c", "set -o pipefail; " + command], check=True)
    return time.perf_counter() - start


def peak_rss_kib(argv):
    # GNU time reports the child alone; a child of this interpreter would inherit its peak.
    with open(os.devnull, "wb") as sink:
        done = subprocess.run(["/usr/bin/time", "-f", "%M", *argv], stdout=sink,
                              stderr=subprocess.PIPE, check=True, text=True)
    return int(done.stderr.split()[-1])


def generate(build, data, size_mb, name):
    path = os.path.join(data, name)
    size = int(size_mb * 1_000_000)
    if not os.path.exists(path) or os.path.getsize(path) != size:
        subprocess.run([os.path.join(build, "bench", "diaset_generate"), str(size), path], check=True)
    return path


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build", help="the CMake build folder")
    parser.add_argument("--size-mb", type=float, default=100, help="input size in MB")
    parser.add_argument("--runs", type=int, default=5, help="timed runs of each command")
    parser.add_argument("--memory-mb", type=float, default=260, help="large input for peak memory")
    args = parser.parse_args()

    diaset = os.path.join(args.build, "diaset")
    baseline = os.path.join(args.build, "bench", "diaset_baseline")
    data = os.path.join(args.build, "bench-data")
    os.makedirs(data, exist_ok=True)
    source = generate(args.build, data, args.size_mb, f"in-{args.size_mb:g}.viqr")
    rendered = os.path.join(data, "out.tr")
    expected = os.path.join(data, "baseline.tr")

    subprocess.run(f"'{diaset}' '{source}' > '{rendered}'", shell=True, check=True)
    subprocess.run(f"'{baseline}' '{source}' > '{expected}'", shell=True, check=True)
    if subprocess.run(["cmp", "-s", rendered, expected]).returncode != 0:
        sys.exit("diaset's output differs from the baseline's")

    reader = "cat > /dev/null"
    commands = {
        "diaset": f"'{diaset}' '{source}' | {reader}",
        "cat out.tr": f"cat '{rendered}' | {reader}",
        "baseline": f"'{baseline}' '{source}' | {reader}",
    }
    times = {name: [] for name in commands}
    for _ in range(args.runs):
        for name, command in commands.items():
            times[name].append(run_timed(command))
    median = {name: statistics.median(t) for name, t in times.items()}

    in_mb = os.path.getsize(source) / 1e6
    out_mb = os.path.getsize(rendered) / 1e6
    print(f"input {in_mb:.1f} MB, output {out_mb:.1f} MB ({out_mb / in_mb:.2f} bytes out per byte in),"
          f" medians of {args.runs} alternating runs; outputs identical")
    print(f"{'':12} {'median s':>9} {'input MB/s':>11} {'÷ cat':>7}   runs (s)")
    for name, m in median.items():
        runs = " ".join(f"{t:.3f}" for t in times[name])
        print(f"{name:12} {m:9.3f} {in_mb / m:11.1f} {m / median['cat out.tr']:7.2f}   {runs}")
    print(f"diaset ÷ cat: {median['diaset'] / median['cat out.tr']:.2f} (target ≤ 1.5); "
          f"baseline ÷ diaset: {median['baseline'] / median['diaset']:.1f} (target ≥ 20)")

    tiny = os.path.join(data, "tiny.viqr")
    with open(tiny, "wb") as f:
        f.write(b"Vie^.t\n")
    large = generate(args.build, data, args.memory_mb, f"in-{args.memory_mb:g}.viqr")
    small_rss, large_rss = peak_rss_kib([diaset, tiny]), peak_rss_kib([diaset, large])
    print(f"peak resident memory: 7-byte input {small_rss} KiB, {args.memory_mb:g} MB input "
          f"{large_rss} KiB, difference {large_rss - small_rss} KiB (target ≤ 256)")


if __name__ == "__main__":
    main()
