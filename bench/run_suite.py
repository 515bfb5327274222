#!/usr/bin/env python3
"""Runs the user-facing benchmarks and prints one table: each figure beside its floor or
the comparison measured in the same run, and the machine it ran on.

    bench/run_suite.py [BUILD_DIR]        (./dev bench runs it on build/)

ORVANE_BENCH_IDLE_SECONDS shortens the two idle periods (default 30 s).
"""
import json
import os
import platform
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def machine():
    model = "unknown CPU"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    mem_kib = 0
    with open("/proc/meminfo") as f:
        for line in f:
            if line.startswith("MemTotal:"):
                mem_kib = int(line.split()[1])
    return (f"{model}, {os.cpu_count()} cores, {mem_kib / 1048576:.1f} GiB memory, "
            f"Linux {platform.release()}")


def load():
    return " ".join(f"{x:.2f}" for x in os.getloadavg())


def steal_ms():
    """Processor time the hypervisor took from this machine so far (all processors)."""
    try:
        with open("/proc/stat") as stat:
            fields = stat.readline().split()
        return int(fields[8]) * 1000 / os.sysconf("SC_CLK_TCK")
    except (OSError, IndexError, ValueError):
        return 0.0


def run_json(cmd, env):
    print("running", " ".join(os.path.basename(c) if i == 0 else c for i, c in enumerate(cmd)),
          file=sys.stderr, flush=True)
    done = subprocess.run(cmd, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if done.returncode != 0:
        sys.stderr.write(done.stderr)
        sys.exit(f"run_suite: {cmd[0]} failed ({done.returncode})")
    return json.loads(done.stdout), done.stderr


def by_name(report):
    return {b["name"]: b for b in report["benchmarks"]}


def find(benchmarks, prefix):
    for name, b in benchmarks.items():
        if name.startswith(prefix):
            if b.get("error_occurred"):
                sys.exit(f"run_suite: {name}: {b.get('error_message')}")
            return b
    sys.exit(f"run_suite: no result for {prefix}")


def ms(value):
    return f"{value:,.0f} ms" if value >= 100 else f"{value:.1f} ms"


def verdict(ok):
    return "yes" if ok else "NO"


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build"))
    bench = os.path.join(build, "bench")
    work = tempfile.mkdtemp(prefix="orvane-bench-")
    env = dict(os.environ)
    env.setdefault("XDG_RUNTIME_DIR", work)
    os.chmod(work, 0o700)
    reply_file = os.path.join(work, "reply-5000.txt")
    env["ORVANE_BENCH_REPLY"] = reply_file
    load_before = load()
    steal_before = steal_ms()

    window, window_log = run_json([os.path.join(bench, "window_bench"),
                                   "--benchmark_format=json"], env)
    parse, _ = run_json([os.path.join(bench, "parse_bench"), "--benchmark_format=json",
                         "--benchmark_filter=^BM_ParseReply5000_Linear$",
                         "--benchmark_repetitions=5"], env)
    node = shutil.which("node")
    js = None
    if node:
        done = subprocess.run([node, os.path.join(ROOT, "bench", "js", "parse_reply.mjs"),
                               reply_file, "20"], stdout=subprocess.PIPE, text=True)
        if done.returncode == 0:
            js = json.loads(done.stdout)
            js["version"] = subprocess.run([node, "--version"], stdout=subprocess.PIPE,
                                           text=True).stdout.strip()
    w = by_name(window)
    rows = []

    bare = find(w, "BM_StartupBareWindow")
    ref = find(w, "BM_StartupReferenceWindow")
    prog = find(w, "BM_StartupProgram")
    limit = 200 + 1.3 * bare["first_shown_ms"]
    rows.append(("Start-up: process start to window first shown (median of 15)",
                 ms(prog["first_shown_ms"]),
                 f"bare Qt window {ms(bare['first_shown_ms'])}",
                 f"<= 200 ms of waits + 30% of bare = {ms(limit)}",
                 verdict(prog["first_shown_ms"] <= limit)))
    rows.append(("  reference: libcurl, one fetch, one CJK line edit, no waits", "",
                 ms(ref["first_shown_ms"]), "", ""))
    rows.append(("  Orvane beyond its two waits and the reference",
                 ms(prog["first_shown_ms"] - 200 - ref["first_shown_ms"]), "", "", ""))
    rows.append(("Start-up: processor time of the process (to exit)",
                 ms(prog["cpu_ms"]), f"bare Qt window {ms(bare['cpu_ms'])}", "", ""))
    rows.append(("  reference window", "", ms(ref["cpu_ms"]), "", ""))
    rows.append(("Start-up: resident memory once shown",
                 f"{prog['rss_MiB']:.1f} MiB", f"bare Qt window {bare['rss_MiB']:.1f} MiB",
                 f"<= bare + 15 MiB = {bare['rss_MiB'] + 15:.1f} MiB",
                 verdict(prog["rss_MiB"] <= bare["rss_MiB"] + 15)))
    rows.append(("  reference window", "", f"{ref['rss_MiB']:.1f} MiB", "", ""))

    for n in (20, 200, 2000):
        s = find(w, f"BM_SearchThroughWindow/{n}/")
        rows.append((f"Search: Enter to list shown, {n:,} records (mean of {s['iterations']})",
                     ms(s["real_time"]), f"floor {n:,} x 10 ms = {ms(s['floor_ms'])}",
                     f"<= floor + 2% (measured {s['beyond_floor_pct']:+.2f}%)",
                     verdict(s["beyond_floor_pct"] <= 2.0)))
        median_pct = 100 * (s["median_ms"] - s["floor_ms"]) / s["floor_ms"]
        rows.append(("  median of the same searches", ms(s["median_ms"]), "",
                     f"measured {median_pct:+.2f}%", ""))
        rows.append(("  window thread on a processor (busy pauses: 100% when quiet)",
                     f"{s['on_cpu_pct']:.1f}% of the wall time",
                     f"hypervisor steal meanwhile {ms(s['steal_ms'])}", "", ""))

    runs = [b for b in parse["benchmarks"] if b.get("run_type") == "iteration"]
    ours_ms = sorted(b["real_time"] for b in runs)[len(runs) // 2]
    ours_cpu = sorted(b["cpu_time"] for b in runs)[len(runs) // 2]
    size = os.path.getsize(reply_file)
    records = runs[0]["items_per_second"] * runs[0]["cpu_time"] / 1e3
    ours_mbs = size / 1e6 / (ours_ms / 1e3)
    ours_rps = records / (ours_ms / 1e3)
    if js:
        rows.append((f"parse_search_reply, {records:,.0f}-record reply of {size / 1e6:.2f} MB "
                     "(median wall)",
                     f"{ours_mbs:.0f} MB/s, {ours_rps / 1e3:,.0f}k rec/s ({ms(ours_ms)})",
                     f"node {js['version']}: {js['mb_per_s']:.0f} MB/s, "
                     f"{js['records_per_s'] / 1e3:,.0f}k rec/s ({ms(js['median_ms'])})",
                     f">= 2x node (measured {js['median_ms'] / ours_ms:.1f}x)",
                     verdict(js["median_ms"] / ours_ms >= 2.0)))
        rows.append(("parse_search_reply, processor time per parse", ms(ours_cpu),
                     f"node {ms(js['cpu_ms'])}", f"measured {js['cpu_ms'] / ours_cpu:.1f}x", ""))
    else:
        rows.append(("parse_search_reply, 5,000 records", f"{ours_mbs:.0f} MB/s",
                     "node not found", ">= 2x node", "?"))

    c = find(w, "BM_Check20Rows")
    rows.append(("Check: 20 rows, wall time", ms(c["real_time"]),
                 f"floor 20 x 1 s + fetches {ms(c['fetches_ms'])} = {ms(c['floor_ms'])}",
                 f"beyond floor {ms(c['beyond_floor_ms'])}", ""))
    rows.append(("Check: processor time of the window thread", ms(c["cpu_ms"]),
                 f"{c['cpu_pct_of_wall']:.2f}% of the wall time", "< 3% of wall",
                 verdict(c["cpu_pct_of_wall"] < 3.0)))

    for arg, label in ((0, "after start-up"), (1, "after a search and a check")):
        i = find(w, f"BM_IdleShownWindow/{arg}/")
        rows.append((f"Idle shown window {int(i['idle_s'])} s, {label}",
                     f"{i['cpu_ms']:.1f} ms CPU ({i['cpu_pct']:.3f}%)",
                     f"{int(i['timer_events'])} timer events, {int(i['events'])} events",
                     "near zero", verdict(i["cpu_pct"] < 0.1 and i["timer_events"] <= 2)))

    headers = ("Measure", "Orvane", "Beside it (same run)", "Target", "Met")
    widths = [max(len(str(r[k])) for r in rows + [headers]) for k in range(5)]
    line = "+".join("-" * (width + 2) for width in widths)
    print()
    print(f"Machine: {machine()}")
    print(f"Load average (1, 5, 15 min): before {load_before}, after {load()}")
    print(f"Hypervisor steal time during the suite (all processors): "
          f"{ms(steal_ms() - steal_before)}")
    print(f"Server: loopback ScriptedServer (tests/support) answering at once; "
          f"Qt platform offscreen")
    print(line)
    for r in [headers] + rows:
        print(" | ".join(str(cell).ljust(width) for cell, width in zip(r, widths)))
        if r is headers:
            print(line)
    print(line)
    for text in window_log.splitlines():
        if text.startswith("idle timer events"):
            print(text)
    shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
