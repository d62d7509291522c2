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
    ratio = worker / reference if reference else float("nan")
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
            chosen = fields[1]
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

worker_choice = {}
for line in subprocess.run(wine_run + [phases_exe], capture_output=True, text=True).stdout.splitlines():
    name, _, value = line.partition(" ")
    worker_choice[name] = value.strip()

# Pattern forms: every form and kind against memset and read-sum of the same block.
kinds = ["mix", "inverted mix", "walking bit", "alternating"]
print(f"\npattern forms over {block_bytes / 2**30:.2f} GiB on {threads} threads, {rounds} rounds")
kernel_rates, native_kernel = side_by_side("kernels", str(block_bytes), str(min(threads, 64)), str(rounds))
print(f"  the worker picks {worker_choice.get('pattern', '?')} under Wine ({native_kernel} natively)")
print(f"  memset {max(r[1] for r in kernel_rates['memset']) / 1e9:.1f} GB/s, "
      f"read-sum {max(r[1] for r in kernel_rates['read_sum']) / 1e9:.1f} GB/s (best cpu rates)")
print(f"  {'form':<7} {'kind':<13} {'write GB/s':>10} {'/memset cpu':>11} {'wall':>5}   "
      f"{'verify GB/s':>11} {'/read-sum cpu':>13} {'wall':>5}")
worst = {}
for form in ("plain", "sse2", "avx2", "avx512"):
    for pass_index, kind in enumerate(kinds):
        write, verify = f"write_{form}_{pass_index}", f"verify_{form}_{pass_index}"
        if write not in kernel_rates:
            continue
        w_wall, w_cpu, w_best = ratios(kernel_rates, write, "memset")
        v_wall, v_cpu, v_best = ratios(kernel_rates, verify, "read_sum")
        low = worst.setdefault(form, [9.0, 9.0])
        low[0], low[1] = min(low[0], w_cpu), min(low[1], v_cpu)
        print(f"  {form:<7} {kind:<13} {w_best / 1e9:10.1f} {w_cpu:11.2f} {w_wall:5.2f}   "
              f"{v_best / 1e9:11.1f} {v_cpu:13.2f} {v_wall:5.2f}")
chosen = worker_choice.get("pattern", native_kernel)
if chosen in worst:
    print(f"  worker's form {chosen}, slowest kind: write {worst[chosen][0]:.2f} of memset "
          f"({verdict(worst[chosen][0], 0.9)}), verify {worst[chosen][1]:.2f} of read-sum "
          f"({verdict(worst[chosen][1], 0.7)})")

# The worker's own phases under Wine (its threads, its 1 MiB chunks, its chosen form) over a
# block of the same size, right after the native rounds. Wine's process times tick in 10 ms,
# so the processor time is summed over the rounds before dividing.
print(f"\nthe worker's own phases under Wine over {block_bytes / 2**30:.2f} GiB, {rounds} rounds, "
      f"against the native memset and read-sum above")
out = subprocess.run(wine_run + [phases_exe, str(block_bytes), str(rounds)], capture_output=True, text=True).stdout
phases = {}
for line in out.splitlines():
    fields = line.split()
    if fields[0].startswith("phase_") and len(fields) == 4:
        phases.setdefault(fields[0], []).append((float(fields[2]), float(fields[3])))
workers = min(threads, 64)
memset_cpu = statistics.median(r[1] for r in kernel_rates["memset"])
memset_wall = statistics.median(r[0] for r in kernel_rates["memset"])
read_cpu = statistics.median(r[1] for r in kernel_rates["read_sum"])
read_wall = statistics.median(r[0] for r in kernel_rates["read_sum"])
worst_phase = [9.0, 9.0]
for pass_index, kind in enumerate(kinds):
    cells = []
    for phase, cpu_ref, wall_ref, slot in (("write", memset_cpu, memset_wall, 0), ("verify", read_cpu, read_wall, 1)):
        samples = phases.get(f"phase_{phase}_{pass_index}", [])
        if not samples:
            continue
        cpu_seconds = sum(block_bytes * workers / r[1] for r in samples)
        cpu_rate = block_bytes * workers * len(samples) / cpu_seconds
        wall_rate = statistics.median(r[0] for r in samples)
        worst_phase[slot] = min(worst_phase[slot], cpu_rate / cpu_ref)
        cells.append(f"{phase} {cpu_rate / 1e9:5.1f} GB/s {cpu_rate / cpu_ref:4.2f} cpu {wall_rate / wall_ref:4.2f} wall")
    print(f"  {kind:<13} " + "   ".join(cells))
if phases:
    print(f"  slowest kind: write {worst_phase[0]:.2f} of memset ({verdict(worst_phase[0], 0.9)}), "
          f"verify {worst_phase[1]:.2f} of read-sum ({verdict(worst_phase[1], 0.7)})")
else:
    print("  the worker's phases did not run")

# Copy: every form of the benchmark's copy against glibc memcpy of the same regions,
# then the worker's own "mem" step under Wine.
print(f"\nbench \"mem\" copy of 256 MiB, {3 * rounds} rounds (10^9 bytes/s, read + written)")
copy_rates, native_copy = side_by_side("copies", str(3 * rounds))
print(f"  the worker copies with {worker_choice.get('copy', '?')} under Wine ({native_copy} natively)")
for form in ("streaming", "rep_movsb"):
    c_wall, c_cpu, c_best = ratios(copy_rates, form, "memcpy")
    mark = "  <- worker" if form == worker_choice.get("copy", native_copy) else ""
    print(f"  {form:<10} {c_best / 1e9:6.1f} GB/s  {c_cpu:5.2f} of memcpy by cpu time, {c_wall:5.2f} by wall "
          f"({verdict(c_cpu, 0.95)}){mark}")
# The step's own procedure (up to 1 s of whole-region copies, three times, by the wall
# clock) natively with glibc memcpy just before and after the worker's run.
memcpy_before = native_figures("copy")["memcpy"]
bench = run_worker(["--load", "bench"])
mem = next((l["values"] for l in bench if l.get("result") == "mem"), None)
memcpy_after = native_figures("copy")["memcpy"]
memcpy_best = max(memcpy_before + memcpy_after)
if mem:
    print(f"  worker \"mem\" step under Wine {mem}, native memcpy by the same procedure {memcpy_before} "
          f"before and {memcpy_after} after (wall clock): best {max(mem):.2f} vs {memcpy_best:.2f}, "
          f"ratio {max(mem) / memcpy_best:.2f}")
else:
    print("  the worker wrote no \"mem\" result")
cpu = {l["result"]: l["values"] for l in bench if l.get("result") in ("cpu1", "cpuN")}

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
