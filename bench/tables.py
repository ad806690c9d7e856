#!/usr/bin/env python3
"""Prints the medians of Google Benchmark JSON results as Markdown tables:
one row per benchmark (the median aggregate over its repetitions, or the
single run where it has none), its time and every counter."""
import json
import os
import sys


def rows(path):
    # A program whose --benchmark_filter matched nothing leaves an empty file.
    if not os.path.exists(path) or os.path.getsize(path) == 0:
        return
    with open(path) as f:
        data = json.load(f)
    for b in data.get("benchmarks", []):
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        name = b.get("run_name", b["name"])
        reps = b.get("repetitions", 1)
        skip = {"name", "run_name", "run_type", "repetitions", "repetition_index", "threads", "iterations",
                "real_time", "cpu_time", "time_unit", "family_index", "per_family_instance_index",
                "aggregate_name", "aggregate_unit", "error_occurred", "error_message"}
        counters = {k: v for k, v in b.items() if k not in skip}
        yield name, reps, b["real_time"], b["cpu_time"], b["time_unit"], counters, b.get("error_message")


def fmt(v):
    if isinstance(v, float):
        return f"{v:.4g}" if abs(v) < 1e6 else f"{v:.0f}"
    return str(v)


def main(paths):
    for path in paths:
        print(f"### {path.rsplit('/', 1)[-1]}\n")
        print("| benchmark | repetitions | time (median) | cpu | counters (median) |")
        print("|---|---|---|---|---|")
        for name, reps, real, cpu, unit, counters, error in rows(path):
            extra = "; ".join(f"{k}={fmt(v)}" for k, v in sorted(counters.items()))
            if error:
                extra = "ERROR: " + error
            print(f"| {name} | {reps} | {fmt(real)} {unit} | {fmt(cpu)} {unit} | {extra} |")
        print()


if __name__ == "__main__":
    main(sys.argv[1:])
