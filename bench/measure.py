"""Timing helpers shared by the report: Google Benchmark programs read through their JSON, and
child processes timed by the CPU time they used (user + system, every thread), which a busy
machine disturbs far less than the wall clock."""
import json
import os
import statistics
import subprocess
import time

UNIT_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
# What Google Benchmark appends to a run's name for its clocks; the report looks runs up without.
CLOCK_SUFFIXES = ("/real_time", "/manual_time", "/process_time")
# The numbers Google Benchmark gives every run; anything else a run reports is its own counter.
STANDARD_FIELDS = {"family_index", "per_family_instance_index", "repetitions", "repetition_index", "threads",
                   "iterations", "real_time", "cpu_time"}


class Sample(list):
    """The times of several runs of one thing, in ms: the table shows the median and, beside
    it, the spread (the fastest and the slowest run)."""

    @property
    def median(self):
        return statistics.median(self)


class Runs:
    """A benchmark program's results by run name: median ms (and every repetition's, as a
    Sample), error messages, labels, and the median of each counter a run reports."""

    def __init__(self):
        self.times, self.cpu_times, self.samples, self.errors, self.labels = {}, {}, {}, {}, {}
        self.counters = {}

    def time(self, prefix):
        """The median of the one run whose name starts with prefix."""
        return next(value for name, value in self.times.items() if name.startswith(prefix))

    def sample(self, prefix):
        """Every repetition of the one run whose name starts with prefix."""
        return next(value for name, value in self.samples.items() if name.startswith(prefix))


def run_benchmarks(program, args=(), repetitions=3, min_time=0.5, field="cpu_time"):
    """Runs a Google Benchmark program, each case `repetitions` times."""
    command = [program, "--benchmark_format=json", f"--benchmark_repetitions={repetitions}",
               f"--benchmark_min_time={min_time}", *args]
    output = subprocess.run(command, check=True, capture_output=True, text=True).stdout
    runs, times, cpu_times, counters = Runs(), {}, {}, {}
    for entry in json.loads(output)["benchmarks"]:
        name = entry["run_name"]
        for suffix in CLOCK_SUFFIXES:
            name = name.removesuffix(suffix)
        if entry.get("error_occurred"):
            runs.errors[name] = entry["error_message"]
        elif entry["run_type"] == "iteration":
            times.setdefault(name, []).append(entry[field] * UNIT_MS[entry["time_unit"]])
            cpu_times.setdefault(name, []).append(entry["cpu_time"] * UNIT_MS[entry["time_unit"]])
            runs.labels[name] = entry.get("label", "")
            for counter, value in entry.items():
                if counter not in STANDARD_FIELDS and isinstance(value, (int, float)):
                    counters.setdefault(name, {}).setdefault(counter, []).append(value)
    runs.samples = {name: Sample(values) for name, values in times.items()}
    runs.times = {name: statistics.median(values) for name, values in times.items()}
    runs.cpu_times = {name: statistics.median(values) for name, values in cpu_times.items()}
    runs.counters = {name: {counter: statistics.median(values) for counter, values in by_counter.items()}
                     for name, by_counter in counters.items()}
    return runs


def child_ms(command, env=None):
    """One run of the command: (wall time, CPU time) in milliseconds; raises if it failed."""
    start = time.perf_counter()
    child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env)
    _, status, usage = os.wait4(child.pid, 0)
    wall = (time.perf_counter() - start) * 1000
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        raise RuntimeError(f"{command[0]} failed: {child.stderr.read().decode(errors='replace')[-500:]}")
    return wall, (usage.ru_utime + usage.ru_stime) * 1000


def child_cpu_ms(command, env=None):
    """The CPU time one run of the command took, in milliseconds."""
    return child_ms(command, env)[1]


def median_child_ms(command, runs, env=None):
    """The medians of (wall time, CPU time) over runs of the command."""
    times = [child_ms(command, env) for _ in range(runs)]
    return statistics.median(t[0] for t in times), statistics.median(t[1] for t in times)


def sample_ms(action, runs):
    """The CPU time of this process for each of runs of action(), after one warm-up."""
    action()
    times = Sample()
    for _ in range(runs):
        start = time.process_time()
        action()
        times.append((time.process_time() - start) * 1000)
    return times


def median_ms(action, runs):
    """The median CPU time of this process over runs of action(), after one warm-up."""
    return sample_ms(action, runs).median
