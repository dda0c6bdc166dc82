#!/usr/bin/env python3
"""Prints what the scenarios of make_scenarios.py cost, beside the goals,
from the files in the folder given: measured.json (make_scenarios.py) and
what simhost --costs wrote for each scenario NAME:
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

HOSTS = ("current-host", "older-host", "no-shapes-host")
DLLS = ("x86", "x64")
COUNTS = ("hostOperations", "getIDsOfNames", "invoke", "queryInterface", "writes", "redraws")
TIMED = "replace-all"


class AtMost:
    def __init__(self, limit):
        self.limit = limit

    def text(self, line):
        return f"<= {self.limit:,}"

    def met(self, value, line):
        return value <= self.limit


class OnePerWrite:
    """An older host redraws at every write, and the add-in cannot stop it;
    a redraw or two more (the page shown, the selection) is still one per write."""

    def text(self, line):
        return f"~ {line['writes']:,}"

    def met(self, value, line):
        return value <= line["writes"] + 2


class Measure:
    """One measured step: its host operations (per replacement where it
    writes, or per story where `per_story` says so) and its redraws, each
    with its goal in each host (None: none)."""

    def __init__(self, label, scenario, step, operations, redraws, per_story=None):
        self.label, self.scenario, self.step = label, scenario, step
        self.operations, self.redraws = operations, redraws
        self.per_story = per_story

    def host_operations(self, line):
        if self.per_story:
            return line["hostOperations"] / self.per_story
        return operations(line)


def in_both(goal):
    """The goal in the current and the older host, whatever the host's shapes."""
    return {host: goal for host in HOSTS}


def with_shapes(goal):
    """The goal where the host tells pages by their shapes."""
    return {host: goal for host in HOSTS if host != "no-shapes-host"}


# Replace All costs as much per replacement on one page as on many.
REPLACE_ALL_OPERATIONS = in_both(AtMost(20))
REPLACE_ALL_REDRAWS = {"current-host": AtMost(2), "older-host": OnePerWrite()}
MEASURES = (
    Measure("Replace All, per replacement", "replace-all", "replace-all",
            REPLACE_ALL_OPERATIONS, REPLACE_ALL_REDRAWS),
    Measure("  the 200 stories on page 1", "replace-all-one-page", "replace-all",
            REPLACE_ALL_OPERATIONS, REPLACE_ALL_REDRAWS),
    Measure("Find Next, on the displayed page", "find-next", "find-next-displayed-page", in_both(AtMost(30)), {}),
    Measure("Find Next, on the next page", "find-next", "find-next-next-page", in_both(AtMost(60)), {}),
    Measure("Find Next, page 1 to page 200", "find-next", "find-next-page-1-to-200",
            {"current-host": AtMost(2000), "older-host": AtMost(4000)}, {"current-host": AtMost(2)}),
    # One Replace after another through 1,000 text boxes costs the same at every press.
    Measure("Replace, 1st of 1,000", "replace-one-by-one", "replace-press-1", {"current-host": AtMost(40)}, {}),
    Measure("  100th", "replace-one-by-one", "replace-press-100", {"current-host": AtMost(40)}, {}),
    Measure("  999th", "replace-one-by-one", "replace-press-999", {"current-host": AtMost(40)}, {}),
    Measure("  the last, per story read", "replace-one-by-one", "replace-last-press", in_both(AtMost(6)), {},
            per_story=1000),
    # Find All turns no page and draws nothing; a row whose page it knows is one page turn away.
    Measure("Find All, 200 pages", "find-all", "find-all", with_shapes(AtMost(2000)), in_both(AtMost(0))),
    Measure("  then a row on page 150", "find-all", "pick", with_shapes(AtMost(10)), {}),
)


def read_costs(path):
    with open(path, encoding="utf-8") as file:
        return {line["step"]: line for line in map(json.loads, file)}


class Runs:
    """Every run of one scenario in one way (native, x86, x64)."""

    def __init__(self, folder, name, way):
        pattern = f"{name}.native.costs" if way == "native" else f"{name}.{way}.*.costs"
        self.runs = [read_costs(path) for path in sorted(glob.glob(os.path.join(folder, pattern)))]
        for run in self.runs[1:]:
            for step, line in run.items():
                for field in COUNTS:
                    if line.get(field) != self.runs[0][step].get(field):
                        sys.exit(f"{name} through {way}: step {step} counted {field} differently in two runs")

    def __bool__(self):
        return bool(self.runs)

    def line(self, step):
        return self.runs[0][step]

    def median(self, step, field):
        return statistics.median(run[step][field] for run in self.runs)

    def lookup_share(self, step):
        return statistics.median(run[step]["secondsInGetIDsOfNames"] / run[step]["seconds"] for run in self.runs)


def operations(line):
    """Host operations, per replacement when the step wrote."""
    return line["hostOperations"] / line["writes"] if line["writes"] else line["hostOperations"]


def figure(value):
    return f"{value:,.2f}" if value != int(value) else f"{int(value):,}"


def cell(value, goal, line):
    """A figure beside its goal, marked * when it misses it."""
    goal_text = "" if goal is None else goal.text(line) + ("" if goal.met(value, line) else " *")
    return f"{figure(value):>9}  {goal_text:<11}"


def print_counts(measured, runs):
    print("\nWhat the add-in costs the host: 200 pages, one story on each holding \"a cat\" once, \"the last word\"")
    print("on page 200 (and for one Replace after another, 1,000 text boxes, five on each page), in a")
    print("current host, an older one, and an older one without the pages' Shapes; host")
    print("operations and redraws of one step, counted natively (the same at every run), beside their")
    print("goals; Replace All's host operations per replacement, its redraws in all\n")
    print((f"  {'':<34}" + "".join(f"{host.replace('-', ' '):^44}" for host in HOSTS)).rstrip())
    print((f"  {'':<34}" + f"{'host ops':>9}  {'goal':<11}{'redraws':>9}  {'goal':<11}" * len(HOSTS)).rstrip())
    missed = False
    for measure in MEASURES:
        cells = []
        for host in HOSTS:
            name = f"{measure.scenario}.{host}"
            line = runs[(name, "native")].line(measured[name][measure.step])
            for value, goal in ((measure.host_operations(line), measure.operations.get(host)),
                                (line["redraws"], measure.redraws.get(host))):
                cells.append(cell(value, goal, line))
                missed = missed or (goal is not None and not goal.met(value, line))
        print((f"  {measure.label:<34}" + "".join(cells)).rstrip())
    if missed:
        print("\n  * misses its goal")


def print_dll_counts(measured, runs):
    """Whether each DLL made the host do what the native run did."""
    for dll in DLLS:
        counted = [(measure, f"{measure.scenario}.{host}", host) for measure in MEASURES for host in HOSTS
                   if runs[(f"{measure.scenario}.{host}", dll)]]
        if not counted:
            continue
        differences = []
        for measure, name, host in counted:
            step = measured[name][measure.step]
            native, through = runs[(name, "native")].line(step), runs[(name, dll)].line(step)
            differences += [f"{measure.label.strip()} in the {host.replace('-', ' ')}: {through[field]:,} {words}, "
                            f"natively {native[field]:,}"
                            for field, words in (("hostOperations", "host operations"), ("redraws", "redraws"))
                            if native[field] != through[field]]
        if not differences:
            print(f"\n  Through Quillet.dll {dll} under Wine: the same host operations and redraws")
            continue
        print(f"\n  Through Quillet.dll {dll} under Wine, counted otherwise:")
        for difference in differences:
            print(f"    {difference}")


def print_times(measured, runs):
    timed = [dll for dll in DLLS if runs[(f"{TIMED}.{HOSTS[0]}", dll)]]
    if not timed:
        return
    step = measured[f"{TIMED}.{HOSTS[0]}"][TIMED]
    count = len(runs[(f"{TIMED}.{HOSTS[0]}", timed[0])].runs)
    print(f"\n  Replace All of the 200 \"cat\"s under Wine, median of {count} runs: on the clock, in processor")
    print("  time, and the share of the clock that name look-ups took")
    for dll in timed:
        figures = []
        for host in HOSTS:
            measured_runs = runs[(f"{TIMED}.{host}", dll)]
            figures.append(f"{host.replace('-', ' ')} {measured_runs.median(step, 'seconds'):.3f} s, "
                           f"{measured_runs.median(step, 'processorSeconds'):.3f} s, "
                           f"{measured_runs.lookup_share(step):.2%}")
        print(f"    Quillet.dll {dll}: " + ", ".join(figures))


def main():
    folder = sys.argv[1]
    with open(os.path.join(folder, "measured.json"), encoding="utf-8") as file:
        measured = json.load(file)
    runs = {(name, way): Runs(folder, name, way) for name in measured for way in ("native",) + DLLS}
    print_counts(measured, runs)
    print_dll_counts(measured, runs)
    print_times(measured, runs)


if __name__ == "__main__":
    main()
