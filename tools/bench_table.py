#!/usr/bin/env python3
"""Prints tools/bench's one table: the Google Benchmark JSON files of a folder
and the key=value lines of the Wine and size figures, with the goals marked."""
import glob
import json
import os
import sys

SCALE_TO_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


def fmt_time(ms):
    if ms < 0.01:
        return f"{ms * 1e3:.2f} µs"
    if ms < 1:
        return f"{ms * 1e3:.1f} µs"
    return f"{ms:.2f} ms"


def main():
    folder, extra_path = sys.argv[1], sys.argv[2]
    results = []
    for path in sorted(glob.glob(os.path.join(folder, "*.json"))):
        with open(path) as f:
            results += [b for b in json.load(f)["benchmarks"] if b.get("run_type", "iteration") == "iteration"]
    extra = {}
    if os.path.exists(extra_path):
        with open(extra_path) as f:
            for line in f:
                if "=" in line:
                    k, v = line.strip().split("=", 1)
                    extra[k] = v

    rows = []  # (figure, size of work, value, allocations, goal)
    times = {}
    for b in results:
        name = b["name"]
        ms = b["cpu_time"] * SCALE_TO_MS[b["time_unit"]]
        allocs = b.get("allocs")
        alloc_text = "" if allocs is None else f"{allocs:.1f}" if allocs % 1 else f"{int(allocs)}"
        label = b.get("label", "")
        goal = ""
        if name.startswith("BM_IdleTick"):
            figure, label = "idle tick", "closed idle island"
            goal = "no allocation: " + ("met" if allocs == 0 else "NOT met")
        elif name.startswith("BM_Keystroke"):
            figure = "search keystroke"
            n = int(name.split("/")[-1])
            query = name.split("/")[1]
            times[(query, n)] = ms
            if n == 5000:
                goal = "≤ 0.2 ms: " + ("met" if ms <= 0.2 else "NOT met")
        elif name.startswith("BM_SearchRows"):
            figure = "search_rows only"
        elif name.startswith("BM_Frame"):
            figure = "frame (recording)"
        elif name.startswith("BM_StateSave"):
            figure = "state.txt save"
        elif name.startswith("BM_StateLoad"):
            figure = "state.txt load"
        elif name.startswith("BM_Clipboard"):
            figure = "clipboard history"
        else:
            figure = name
        rows.append((figure, label, fmt_time(ms), alloc_text, goal))

    for query in sorted({q for q, _ in times}):
        small, mid, big = times.get((query, 500)), times.get((query, 5000)), times.get((query, 50000))
        if mid and big:
            growth = big / mid
            rows.append(("keystroke growth", f"\"{query}\" 5 000 → 50 000 apps (list ×10)", f"×{growth:.1f}", "",
                         "no faster than the list: " + ("met" if growth <= 10.5 else "NOT met")))

    if "exe_bytes" in extra:
        size = int(extra["exe_bytes"])
        rows.append(("VemoIsland.exe size", "release build", f"{size / 1e6:.2f} MB", "",
                     "≤ 2.5 MB: " + ("met" if size <= 2.5e6 else "NOT met")))
    if "d2d_frame_ms" in extra:
        frames = extra.get("d2d_frames", "1000")
        rows.append(("Direct2D frame (Wine)", f"busiest widget set, 900×470, mean of {frames}",
                     fmt_time(float(extra["d2d_frame_ms"])), "", ""))
    run = 1
    seconds = extra.get("idle_seconds", "?")
    while f"idle_island_ms_{run}" in extra:
        island = float(extra[f"idle_island_ms_{run}"])
        bare = float(extra[f"idle_bare_ms_{run}"])
        server = float(extra.get(f"idle_server_ms_{run}", "0"))
        ratio = island / bare if bare > 0 else float("inf")
        rows.append((f"idle CPU (Wine) run {run}", f"{seconds} s side by side",
                     f"island {island:.0f} ms, bare {bare:.0f} ms, ×{ratio:.2f} (wineserver {server:.0f} ms)", "",
                     "≤ 1.25×: " + ("met" if ratio <= 1.25 else "NOT met")))
        run += 1
    for k, v in extra.items():
        if k.startswith("idle_error"):
            rows.append(("idle CPU (Wine)", k, v, "", "NOT measured"))

    head = ("figure", "size of work", "value (CPU)", "allocs", "goal")
    widths = [max(len(str(r[i])) for r in rows + [head]) for i in range(5)]
    line = "  ".join("{:<%d}" % w for w in widths)
    print(line.format(*head))
    print(line.format(*("-" * w for w in widths)))
    for r in rows:
        print(line.format(*r).rstrip())


if __name__ == "__main__":
    main()
