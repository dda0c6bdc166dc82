#!/usr/bin/env python3
"""Prints the ratios that matter from the results of quillet_bench, the
JSON file that --benchmark_out wrote: the search buffer's find against a
memcpy of the same bytes, and Replace All against the writes that it makes,
made directly through the host. A repeated benchmark counts by its median."""
import json
import sys

SECONDS_PER_UNIT = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
REPLACE_ALL = "BM_ReplaceAll_"
HOST_WRITES = "BM_HostWrites_"


def figures(benchmarks, figure):
    """Each benchmark's figure: the median where it was repeated, or else its one run."""
    ran = [run for run in benchmarks if not run.get("error_occurred")]
    single = {run["run_name"]: figure(run) for run in ran if run["run_type"] == "iteration"}
    medians = {run["run_name"]: figure(run) for run in ran if run.get("aggregate_name") == "median"}
    return single | medians


def seconds(run):
    return run["real_time"] * SECONDS_PER_UNIT[run["time_unit"]]


def milliseconds(seconds):
    """Three figures, and no decimals from 100 ms on."""
    return f"{seconds * 1e3:,.0f}" if seconds >= 0.1 else f"{seconds * 1e3:.3g}"


def print_find_ratios(benchmarks):
    rates = figures([run for run in benchmarks if "bytes_per_second" in run], lambda run: run["bytes_per_second"])
    if "BM_Memcpy" not in rates:
        return
    finds = {name: rate for name, rate in sorted(rates.items()) if name.startswith("BM_Find1MiB")}
    print("\nfind / memcpy throughput (targets: match case >= 0.35, ignore case >= 0.25)")
    width = max(map(len, finds), default=0)
    for name, rate in finds.items():
        print(f"  {name:<{width}} {rate / rates['BM_Memcpy']:.2f}")


def print_replace_all_ratios(benchmarks):
    times = figures(benchmarks, seconds)
    for name, replace_all in sorted(times.items()):
        if not name.startswith(REPLACE_ALL):
            continue
        workload = name[len(REPLACE_ALL):].split("/")[0]
        floor = next((time for other, time in times.items() if other.split("/")[0] == HOST_WRITES + workload), None)
        if floor is not None:
            print(f"\nReplace All, {workload}: {milliseconds(replace_all)} ms, "
                  f"{replace_all / floor:.2f} times its host writes alone")


def main():
    with open(sys.argv[1], encoding="utf-8") as file:
        benchmarks = json.load(file)["benchmarks"]
    print_find_ratios(benchmarks)
    print_replace_all_ratios(benchmarks)


if __name__ == "__main__":
    main()
