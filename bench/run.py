#!/usr/bin/env python3
"""Throughput benchmark: diaset in each mode against cat of that mode's output, and the default
mode against the straightforward per-byte stdio filter, side by side in one run, on generated
Vietnamese text.

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


def generate(build, data, size_mb, name, *form):
    path = os.path.join(data, name)
    size = int(size_mb * 1_000_000)
    if not os.path.exists(path) or os.path.getsize(path) != size:
        subprocess.run([os.path.join(build, "bench", "diaset_generate"), str(size), path, "1",
                        *form], check=True)
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
    expected = os.path.join(data, "baseline.tr")

    subprocess.run(f"'{baseline}' '{source}' > '{expected}'", shell=True, check=True)
    # Each mode: its input, its options, and where its output is kept for cat to copy.
    utf8 = generate(args.build, data, args.size_mb, f"in-{args.size_mb:g}.utf8", "utf8")
    modes = {"default": (source, ""), "-g": (source, "-g"), "-u": (utf8, "-u"),
             "-u-g": (utf8, "-u -g")}
    reader = "cat > /dev/null"
    commands = {}
    for mode, (given, options) in modes.items():
        output = os.path.join(data, f"out{options.replace(' ', '')}.tr")
        subprocess.run(f"'{diaset}' {options} '{given}' > '{output}'", shell=True, check=True)
        commands[f"diaset {mode}"] = f"'{diaset}' {options} '{given}' | {reader}"
        commands[f"cat {mode} out"] = f"cat '{output}' | {reader}"
    if subprocess.run(["cmp", "-s", os.path.join(data, "out.tr"), expected]).returncode != 0:
        sys.exit("diaset's output differs from the baseline's")
    commands["baseline"] = f"'{baseline}' '{source}' | {reader}"

    times = {name: [] for name in commands}
    for _ in range(args.runs):
        for name, command in commands.items():
            times[name].append(run_timed(command))
    median = {name: statistics.median(t) for name, t in times.items()}

    in_mb = os.path.getsize(source) / 1e6
    print(f"input {in_mb:.1f} MB of VIQR, or of the same text in UTF-8 for -u; medians of "
          f"{args.runs} alternating runs; default output identical to the baseline's")
    print(f"{'':16} {'median s':>9} {'input MB/s':>11} {'÷ its cat':>10}   runs (s)")
    for name, m in median.items():
        runs = " ".join(f"{t:.3f}" for t in times[name])
        mode = name.split(" ")[1] if name.startswith(("diaset", "cat")) else "default"
        ratio = m / median[f"cat {mode} out"]
        print(f"{name:16} {m:9.3f} {in_mb / m:11.1f} {ratio:10.2f}   {runs}")
    for mode in modes:
        print(f"diaset {mode} ÷ cat of its output: "
              f"{median[f'diaset {mode}'] / median[f'cat {mode} out']:.2f} (target ≤ 1.5)")
    print(f"baseline ÷ diaset default: {median['baseline'] / median['diaset default']:.1f} "
          f"(target ≥ 20)")

    tiny = os.path.join(data, "tiny.viqr")
    with open(tiny, "wb") as f:
        f.write(b"Vie^.t\n")
    large = generate(args.build, data, args.memory_mb, f"in-{args.memory_mb:g}.viqr")
    large_utf8 = generate(args.build, data, args.memory_mb, f"in-{args.memory_mb:g}.utf8", "utf8")
    for mode, (_, options) in modes.items():
        flags = options.split()
        small_rss = peak_rss_kib([diaset, *flags, tiny])
        large_rss = peak_rss_kib([diaset, *flags, large_utf8 if "-u" in flags else large])
        print(f"peak resident memory, {mode}: 7-byte input {small_rss} KiB, {args.memory_mb:g} MB "
              f"input {large_rss} KiB, difference {large_rss - small_rss} KiB (target ≤ 256)")


if __name__ == "__main__":
    main()
