#!/usr/bin/env python3
"""Prints what the scenarios of make_scenarios.py cost, from the files that
simhost --costs wrote for them in the folder given:
  NAME.native.costs          natively, the component linked in;
  NAME.ARCH.RUN.costs        through simhost.exe and Quillet.dll of ARCH
                             (x86, x64) under Wine, run RUN = 1, 2, ...
Counts come from the first run and must be the same in every run; times are
the median over the runs."""
import glob
import json
import os
import statistics
import sys

COUNTS = ("hostOperations", "getIDsOfNames", "invoke", "queryInterface")
HEADINGS = ("host ops", "GetIDsOfNames", "Invoke", "QueryInterface")


def read_costs(path):
    with open(path, encoding="utf-8") as file:
        return {line["step"]: line for line in map(json.loads, file)}


def steps_pressing(scenario, control):
    return [number for number, step in enumerate(scenario["steps"], start=1) if step == ["press", control]]


def total(costs, steps, field):
    return sum(costs[step].get(field, 0) for step in steps)


class Runs:
    """Every run of one scenario in one way."""

    def __init__(self, folder, name, way):
        pattern = f"{name}.native.costs" if way == "native" else f"{name}.{way}.*.costs"
        self.runs = [read_costs(path) for path in sorted(glob.glob(os.path.join(folder, pattern)))]
        for run in self.runs[1:]:
            for step, line in run.items():
                for field in COUNTS + ("writes", "redraws"):
                    if line.get(field) != self.runs[0][step].get(field):
                        sys.exit(f"{name} through {way}: step {step} counted {field} differently in two runs")

    def __bool__(self):
        return bool(self.runs)

    def per(self, steps, divisor_field=None):
        costs = self.runs[0]
        divisor = total(costs, steps, divisor_field) if divisor_field else len(steps)
        return [total(costs, steps, field) / divisor if field in costs[steps[0]] else None for field in COUNTS]

    def seconds(self, step, field="seconds"):
        return statistics.median(run[step][field] for run in self.runs)

    def lookup_share(self, step):
        return statistics.median(run[step]["secondsInGetIDsOfNames"] / run[step]["seconds"] for run in self.runs)


def row(label, way, figures):
    cells = "".join(f"{'-' if value is None else f'{value:.2f}':>16}" for value in figures)
    print(f"  {label:<30}{way:<8}{cells}")


def main():
    folder = sys.argv[1]
    ways = ("native", "x86", "x64")
    scenarios = {}
    for name in ("find-next", "replace-all", "replace-all-older-host"):
        with open(os.path.join(folder, name + ".json"), encoding="utf-8") as file:
            scenarios[name] = json.load(file)
    runs = {(name, way): Runs(folder, name, way) for name in scenarios for way in ways}
    finds = steps_pressing(scenarios["find-next"], "frmReplace.cmdFind")
    (replace_all,) = steps_pressing(scenarios["replace-all"], "frmReplace.cmdReplaceAll")

    print("\nWhat the add-in costs the host: 100 stories on 10 pages, 10 occurrences of the find text in each")
    print("(counted; the same at every run)\n")
    print(f"  {'':<38}" + "".join(f"{heading:>16}" for heading in HEADINGS))
    for label, name, steps, per in (
        ("Find Next, per press", "find-next", finds, None),
        ("Replace All, per replacement", "replace-all", [replace_all], "writes"),
        ("  in an older host", "replace-all-older-host", [replace_all], "writes"),
    ):
        for way in ways:
            if runs[(name, way)]:
                row(label if way == "native" else "", way, runs[(name, way)].per(steps, per))

    current = runs[("replace-all", "native")].runs[0][replace_all]
    older = runs[("replace-all-older-host", "native")].runs[0][replace_all]
    print(f"\n  Redraws of one Replace All of {current['writes']:,} occurrences: {current['redraws']:,} in a current host, "
          f"{older['redraws']:,} in an older one")

    timed = [way for way in ways if way != "native" and runs[("replace-all", way)]]
    if timed:
        count = len(runs[("replace-all", timed[0])].runs)
        print(f"\n  One Replace All under Wine, median of {count} runs: on the clock, in processor time, and the share")
        print("  of the clock that name look-ups took")
    for way in timed:
        figures = []
        for host, name in (("current host", "replace-all"), ("older host", "replace-all-older-host")):
            measured = runs[(name, way)]
            figures.append(f"{host} {measured.seconds(replace_all):.2f} s, "
                           f"{measured.seconds(replace_all, 'processorSeconds'):.2f} s, "
                           f"{measured.lookup_share(replace_all):.1%}")
        print(f"    Quillet.dll {way}: " + ", ".join(figures))


if __name__ == "__main__":
    main()
