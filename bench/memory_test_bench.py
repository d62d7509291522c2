"""Runs the worker and its native counterparts and prints the figures side by side.

Called by bench/memory-test with the repository root, the memtester size in MiB, the block
size in MiB for the pattern forms, the number of side-by-side rounds and whether to run the
worker's full memory test (1) or not (0).
"""
import json
import os
import re
import statistics
import subprocess
import sys
import time

root = sys.argv[1]
memtester_mib = int(sys.argv[2])
block_bytes = int(sys.argv[3]) * 2**20
rounds = int(sys.argv[4])
full = sys.argv[5] == "1"
wine_run = [os.path.join(root, "tools", "wine-run"), os.path.join(root, "build", "wineprefix")]
probe = os.path.join(root, "build", "bin", "vantorelprobe.exe")
native = os.path.join(root, "build", "bench", "memory_native")
phases_exe = os.path.join(root, "build", "bin", "memory_worker_phases.exe")
threads = os.cpu_count() or 1

def run_worker(arguments, stop_when=None):
    """Starts the worker like the host does; writes q once stop_when(line) is true."""
    worker = subprocess.Popen(wine_run + [probe] + arguments, stdin=subprocess.PIPE,
                              stdout=subprocess.PIPE, text=True)
    lines = []
    for text in worker.stdout:
        line = json.loads(text)
        lines.append(line)
        if stop_when and stop_when(line):
            worker.stdin.write("q")
            worker.stdin.flush()
            stop_when = None
    worker.stdin.close()
    worker.wait()
    return lines


def native_figures(*arguments):
    out = subprocess.run([native, *arguments], check=True, capture_output=True, text=True).stdout
    figures = {}
    for line in out.splitlines():
        name, *values = line.split()
        figures[name] = [float(v) for v in values]
    return figures


def row(name, worker, reference, unit, target=None):
    if not worker or not reference:
        sys.exit(f"memory-test measured no {'rate of the worker' if not worker else 'native rate'} for {name}")
    ratio = worker / reference
    verdict = "" if target is None else ("  ok" if ratio >= target else f"  below {target}")
    print(f"  {name:<34} {worker:10.2f} {unit:<5} vs {reference:10.2f} {unit:<5} ratio {ratio:5.2f}{verdict}")


# Every figure is a rate on a shared machine: other work running at the same
# time lowers both sides, rarely by the same amount, so the load is printed too.
print(f"machine: {threads} logical processors, "
      f"{os.sysconf('SC_PHYS_PAGES') * os.sysconf('SC_PAGE_SIZE') / 2**30:.1f} GiB, "
      f"load average {os.getloadavg()[0]:.2f}")

def side_by_side(*arguments):
    """Runs a side-by-side mode of the native program: name -> [(wall, cpu) per round]."""
    out = subprocess.run([native, *arguments], check=True, capture_output=True, text=True).stdout
    rates, chosen = {}, None
    for line in out.splitlines():
        fields = line.split()
        if fields[0] == "chosen":
            chosen = " ".join(fields[1:])
        elif len(fields) == 4:
            rates.setdefault(fields[0], []).append((float(fields[2]), float(fields[3])))
    return rates, chosen


def ratios(rates, name, reference):
    """Median over the rounds of name / reference, each pair measured in the same round."""
    pairs = list(zip(rates[name], rates[reference]))
    return (statistics.median(a[0] / b[0] for a, b in pairs), statistics.median(a[1] / b[1] for a, b in pairs),
            max(a[1] for a in rates[name]))


def verdict(ratio, target):
    return "ok" if ratio >= target else f"below {target}"


print("\nEach figure is measured in the same round as the one it is compared with; a ratio is the")
print("median over the rounds. \"cpu\" rates divide by the threads' own processor time, \"wall\" by")
print("the wall clock; on a loaded machine the wall clock mostly measures waiting for a processor.")


class Missing(Exception):
    """A figure a ratio needs was not measured: the bench says which and fails."""


def need(value, what):
    if not value or value <= 0:
        raise Missing(what)
    return value


def wine_lines(*arguments):
    done = subprocess.run(wine_run + [phases_exe, *arguments], capture_output=True, text=True)
    if done.returncode != 0:
        raise Missing(f"memory_worker_phases.exe {' '.join(arguments)} under Wine (exit {done.returncode}: "
                      f"{done.stderr.strip()[-300:]})")
    return [line.split() for line in done.stdout.splitlines() if line.strip()]


kinds = ["mix", "inverted mix", "walking bit", "alternating"]
goals = {"copy": 0.95, "write": 0.9, "steady": 0.9}
summary = {}  # goal name -> (ratio, text)
try:
    # ---- Copy: which form the worker's trial picks under Wine, and why -------------------------
    print("\nbench \"mem\" copy of 256 MiB (10^9 bytes/s, read + written)")
    trial, chosen_copy, step = {}, None, {}
    for fields in wine_lines("copy"):
        if fields[0] == "trial":
            trial[fields[1]] = float(fields[2])
        elif fields[0] == "chosen":
            chosen_copy = fields[1]
        elif fields[0] in ("step", "step_cpu"):
            step[fields[0]] = [float(v) for v in fields[1:]]
    need(len(trial), "the copy trial's times under Wine")
    ranked = sorted(trial.items(), key=lambda kv: kv[1])
    print("  the worker's trial under Wine (sum of the best of 3 of each 8 MiB piece): " +
          ", ".join(f"{name} {2 * 256 * 2**20 / seconds / 1e9:.1f}" for name, seconds in ranked))
    runner_up = f", {ranked[1][1] / ranked[0][1]:.2f} times faster than {ranked[1][0]}" if len(ranked) > 1 else ""
    print(f"  chosen {chosen_copy}: the fastest in the trial{runner_up}")

    # The step's own procedure (up to 1 s of whole-region copies, three times, by the wall clock):
    # natively with glibc memcpy and the non-temporal copies just before and just after the
    # worker's run, which is the whole bench load under Wine.
    before = native_figures("copy")
    bench = run_worker(["--load", "bench"])
    after = native_figures("copy")
    mem = next((l["values"] for l in bench if l.get("result") == "mem"), None)
    need(mem and max(mem), "the worker's \"mem\" result")
    native_best = {name: max(before[name] + after.get(name, [])) for name in before}
    wall_names = [name for name in native_best if not name.endswith("_cpu")]
    fastest_name = max(wall_names, key=native_best.get)
    fastest = need(native_best[fastest_name], "a native copy rate")
    fastest_cpu_name = max((n + "_cpu" for n in wall_names), key=native_best.get)
    fastest_cpu = need(native_best[fastest_cpu_name], "a native copy rate by processor time")
    print("  native, same procedure, best of before and after, wall (cpu): " +
          ", ".join(f"{name} {native_best[name]:.2f} ({native_best[name + '_cpu']:.2f})" for name in wall_names))
    ratio = max(mem) / fastest
    print(f"  worker \"mem\" step under Wine {mem}: best {max(mem):.2f} vs the fastest native copy "
          f"({fastest_name}) {fastest:.2f}, ratio {ratio:.2f} by the wall clock ({verdict(ratio, goals['copy'])})")
    step_cpu = need(step.get("step_cpu") and max(step["step_cpu"]), "processor time of the worker's copy step")
    cpu_ratio = step_cpu / fastest_cpu
    print(f"  the same step in memory_worker_phases.exe ({chosen_copy}) by its thread's processor time "
          f"{step_cpu:.2f} vs native {fastest_cpu_name[:-4]} {fastest_cpu:.2f}: ratio {cpu_ratio:.2f} "
          f"({verdict(cpu_ratio, goals['copy'])})")
    # On a machine busier than its processors the wall clock measures the waiting, so the
    # processor-time ratio is the one the goal is judged by there.
    busy = os.getloadavg()[0] > threads
    judged = cpu_ratio if busy else ratio
    summary["copy"] = (judged, f"{'by processor time (machine busy)' if busy else 'by the wall clock'}: worker "
                               f"{step_cpu if busy else max(mem):.2f} vs native "
                               f"{(fastest_cpu_name[:-4] + ' ' + format(fastest_cpu, '.2f')) if busy else (fastest_name + ' ' + format(fastest, '.2f'))}")

    # ---- Pattern writes and the steady state, A/B: native kernels then the worker's own phases --
    print(f"\npattern writes and the steady state over {block_bytes / 2**30:.2f} GiB on {threads} threads, "
          f"{rounds} rounds, native and the worker under Wine taking turns")
    kernel_rates, phases, steady, wine_choice = {}, {}, [], {}
    native_choice = None
    for r in range(rounds):
        rates, native_choice = side_by_side("kernels", str(block_bytes), str(min(threads, 64)), "1")
        for name, values in rates.items():
            kernel_rates.setdefault(name, []).extend(values)
        for fields in wine_lines("phases", str(block_bytes), "1"):
            if fields[0].startswith("phase_") and len(fields) == 4:
                phases.setdefault(fields[0], []).append((float(fields[2]), float(fields[3])))
            elif fields[0] == "steady":
                steady.append([float(v) for v in fields[2:]])
            elif fields[0] in ("pattern", "stores"):
                wine_choice[fields[0]] = fields[1:]
    need(len(kernel_rates.get("memset", [])), "native memset rates")
    need(len(kernel_rates.get("read_sum", [])), "native read-sum rates")
    need(len(phases), "the worker's phases under Wine")
    need(len(steady), "the worker's steady-state rounds under Wine")
    pattern = wine_choice.get("pattern", ["?"])[0]
    stores, cache = (wine_choice.get("stores", ["?", "0"]) + ["0"])[:2]
    why = (f"the block is larger than the last-level cache of {int(cache) / 2**20:.0f} MiB" if stores == "streaming"
           else f"the block fits the last-level cache of {int(cache) / 2**20:.0f} MiB")
    print(f"  the worker writes with {pattern}, {stores} stores: {why} (natively: {native_choice})")

    memset_cpu = statistics.median(r[1] for r in kernel_rates["memset"])
    memset_wall = statistics.median(r[0] for r in kernel_rates["memset"])
    read_cpu = statistics.median(r[1] for r in kernel_rates["read_sum"])
    read_wall = statistics.median(r[0] for r in kernel_rates["read_sum"])
    print(f"  native memset {memset_cpu / 1e9:.1f} GB/s, read-sum {read_cpu / 1e9:.1f} GB/s (median cpu rates)")
    native_form = pattern + ("_nt" if stores == "streaming" else "")
    print(f"  {'kind':<13} {'native ' + native_form + ' /memset':>26} {'worker write /memset':>22}   "
          f"{'worker verify /read-sum':>24}")
    workers = min(threads, 64)
    worst_write, worst_verify = 9.0, 9.0
    for pass_index, kind in enumerate(kinds):
        native_write = f"write_{native_form}_{pass_index}"
        native_cell = (f"{ratios(kernel_rates, native_write, 'memset')[1]:26.2f}" if native_write in kernel_rates
                       else f"{'-':>26}")
        cells = []
        for phase, cpu_ref in (("write", memset_cpu), ("verify", read_cpu)):
            samples = phases.get(f"phase_{phase}_{pass_index}", [])
            need(samples and all(r[1] > 0 for r in samples), f"processor time of the worker's {kind} {phase}")
            # Wine's process times tick in 10 ms: the processor time is summed over the rounds.
            cpu_seconds = sum(block_bytes * workers / r[1] for r in samples)
            ratio = block_bytes * workers * len(samples) / cpu_seconds / cpu_ref
            if phase == "write":
                worst_write = min(worst_write, ratio)
            else:
                worst_verify = min(worst_verify, ratio)
            cells.append(ratio)
        print(f"  {kind:<13} {native_cell} {cells[0]:22.2f}   {cells[1]:24.2f}")
    summary["write"] = (worst_write, f"slowest pattern write of the worker {worst_write:.2f} of memset")
    print(f"  slowest kind: write {worst_write:.2f} of memset ({verdict(worst_write, goals['write'])}), "
          f"verify {worst_verify:.2f} of read-sum ({verdict(worst_verify, 0.7)})")

    # Steady state: four passes written and verified, by the wall clock, against the limit of
    # the same bytes written with memset and read back with read-sum on the same threads.
    limit = 1 / (1 / memset_wall + 1 / read_wall)
    rate = statistics.median(r[0] for r in steady)
    ratio = rate / limit
    summary["steady"] = (ratio, f"worker {rate / 1e9:.2f} GB/s written and verified vs memset + read-sum "
                                f"{limit / 1e9:.2f} GB/s (wall)")
    work, start, uneven, handover, total = (statistics.median(r[i] for r in steady) for i in range(1, 6))
    print(f"  steady state: {rate / 1e9:.2f} GB/s written and verified vs the native memset + read-sum limit "
          f"{limit / 1e9:.2f} GB/s, ratio {ratio:.2f} ({verdict(ratio, goals['steady'])}) by the wall clock")
    print(f"  where a round of four passes went (median, s): all workers working {work:.3f}, "
          f"from the phase call to the first worker running {start:.3f}, some workers done and others not "
          f"{uneven:.3f}, from the last worker's end to the phase's return {handover:.3f}; total {total:.3f}")
except Missing as missing:
    sys.exit(f"memory-test measured no {missing}: no ratio printed for it")

print("\nthe three goals, side by side in this run:")
for name in ("copy", "write", "steady"):
    ratio, text = summary[name]
    flag = "ok" if ratio >= goals[name] else f"BELOW {goals[name]}"
    print(f"  {name:<7} {ratio:5.2f}  {flag:<10} {text}")
print(f"load average {os.getloadavg()[0]:.2f} (figures taken with other work running are noisy; see the cpu rates)")
if any(summary[name][0] < goals[name] for name in summary):
    print("at least one ratio is below its goal")

if not full:
    print(f"\nload average at the end {os.getloadavg()[0]:.2f} (--full also runs the worker's own memory test)")
    sys.exit(0)

# Memory test: two full passes (pass 1 writes fresh pages, pass 2 rewrites them).
# Fresh pages cost what the host makes them cost, and that changes with the
# memory's recent history, so the native figures are taken just before and just
# after the worker's run on a block of the same size and the better one is used.
print("\nmemory test (--load ram), bytes per second from its sample lines")


def ram_run():
    started = time.time()
    lines = run_worker(["--load", "ram", "--minutes", "30"], stop_when=lambda l: l.get("passes", 0) >= 2)
    return lines, time.time() - started


# The worker picks its block from the memory available when it starts; the
# native runs use the same size, taken from a first look at the free memory.
with open("/proc/meminfo") as meminfo:
    info = dict((l.split(":")[0], int(l.split()[1]) * 1024) for l in meminfo)
guess = min((info["MemAvailable"] // 4 * 3 - 256 * 2**20) // (64 * 2**20) * 64 * 2**20, 64 * 2**30)
fill_before = native_figures("fill", str(guess), str(min(threads, 64)))
lines, seconds = ram_run()
start = lines[0]
if start.get("event") != "start":
    sys.exit(f"the memory test did not start: {start}")
size, workers = start["bytes"], start["threads"]
fill_after = native_figures("fill", str(size), str(workers))
print(f"  block {size / 2**30:.2f} GiB of {start['avail'] / 2**30:.2f} GiB available, "
      f"{workers} threads, {seconds:.0f} s; native runs on {guess / 2**30:.2f} GiB before, "
      f"{size / 2**30:.2f} GiB after")
phase_end = {}  # (pass, phase) -> t of the sample that saw the phase finish
order = []
for line in lines[1:]:
    if "phase" in line and line["done"] >= 1.0:
        key = (line["pass"], line["phase"])
        if key not in phase_end:
            phase_end[key] = line["t"]
            order.append(key)
rates = {}
previous = 0.0
for key in order:
    rates[key] = size / (phase_end[key] - previous)
    previous = phase_end[key]
print(f"  errors {lines[-1].get('errors')}, end {lines[-1].get('reason')}")


def best(name):
    return max(fill_before[name][0], fill_after[name][0])


print("  (worker rate vs the better native rate, same threads, GB/s)")
if (1, "write") in rates:
    row("pass 1 write (fresh pages) vs memset", rates[(1, "write")] / 1e9, best("memset_first_touch") / 1e9,
        "GB/s", 0.7)
    print(f"    native memset of fresh pages: before {fill_before['memset_first_touch'][0] / 1e9:.2f}, "
          f"after {fill_after['memset_first_touch'][0] / 1e9:.2f} GB/s")
for p in (1, 2):
    if (p, "write") in rates and p == 2:
        row(f"pass {p} write vs memset", rates[(p, "write")] / 1e9, best("memset") / 1e9, "GB/s", 0.9)
    if (p, "verify") in rates:
        row(f"pass {p} verify vs read-sum", rates[(p, "verify")] / 1e9, best("read_sum") / 1e9, "GB/s", 0.7)
print("  native runs of the worker's pattern code (same arithmetic, no Wine), GB/s: " +
      ", ".join(f"{k} {max(fill_before[k][0], fill_after[k][0]) / 1e9:.2f}"
                for k in fill_after if k.startswith("pattern")))

# Peers a user would pick instead.
print("\npeers on this machine")
memtester_started = time.time()
subprocess.run(["memtester", f"{memtester_mib}M", "1"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
memtester_seconds = time.time() - memtester_started
print(f"  memtester one pass of {memtester_mib} MiB: {memtester_seconds:.1f} s, "
      f"{memtester_mib * 1.048576 / memtester_seconds:.1f} MB tested per second "
      f"(the worker's block would take about {size / (memtester_mib * 2**20) * memtester_seconds / 60:.0f} min)")
pass_seconds = [size / rates[k] for k in order if k[0] == 1]
if len(pass_seconds) == 2:
    print(f"  worker one pass (write + verify) of {size / 2**20:.0f} MiB: {sum(pass_seconds):.1f} s, "
          f"{size / 1e6 / sum(pass_seconds):.1f} MB tested per second")

out = subprocess.run(["stress-ng", "--memrate", str(threads), "--memrate-bytes", "256M", "-t", "8", "--metrics"],
                     capture_output=True, text=True)
out = out.stdout + out.stderr
for method in ("write64", "read64", "memset"):
    found = re.search(rf"([\d.]+) {method} MB per sec", out)
    if found:
        print(f"  stress-ng memrate {method:<8} {float(found.group(1)) * threads / 1000:6.2f} GB/s "
              f"({found.group(1)} MB/s per instance x {threads})")
out = subprocess.run(["stress-ng", "--cpu", str(threads), "--cpu-method", "double", "-t", "5", "--metrics-brief"],
                     capture_output=True, text=True)
found = re.search(r"cpu\s+(\d+)\s+([\d.]+)\s+[\d.]+\s+[\d.]+\s+([\d.]+)", out.stderr + out.stdout)
if found:
    print(f"  stress-ng cpu (double) {float(found.group(3)):.0f} bogo ops/s on {threads} threads")
cpu = {l["result"]: l["values"] for l in bench if l.get("result") in ("cpu1", "cpuN")}
if cpu:
    print(f"  worker bench cpu1 {max(cpu['cpu1']):.0f}, cpuN {max(cpu['cpuN']):.0f} million updates/s")
print(f"\nload average at the end {os.getloadavg()[0]:.2f}")
