#!/usr/bin/env python3
"""Idle processor time of VemoIsland.exe against a bare Win32 program with the
same three timers, both started together under the current WINEPREFIX and
DISPLAY. Prints key=value lines for tools/bench_table.py, one set per run."""
import argparse
import os
import subprocess
import time


def cpu_ns(pid):
    """Processor time of every thread of a process, in nanoseconds."""
    total = 0
    try:
        for tid in os.listdir(f"/proc/{pid}/task"):
            with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                total += int(f.read().split()[0])
    except (FileNotFoundError, ProcessLookupError):
        pass
    return total


def find_pid(exe_name, prefix):
    """The Linux process running exe_name inside this Wine prefix."""
    want = f"WINEPREFIX={prefix}".encode()
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                cmd = f.read()
            # The Windows program's own process: its first argument is the exe.
            first = cmd.split(b"\0")[0].replace(b"\\", b"/").lower()
            if int(pid) == os.getpid() or not first.endswith(exe_name.lower().encode()):
                continue
            with open(f"/proc/{pid}/environ", "rb") as f:
                env = f.read().split(b"\0")
        except OSError:
            continue
        if want in env and not cmd.startswith(b"/bin/sh"):
            return int(pid)
    return None


def wineserver_pid(prefix):
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open(f"/proc/{pid}/comm") as f:
                if not f.read().startswith("wineserver"):
                    continue
            with open(f"/proc/{pid}/environ", "rb") as f:
                if f"WINEPREFIX={prefix}".encode() in f.read().split(b"\0"):
                    return int(pid)
        except OSError:
            continue
    return None


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--island", required=True)
    ap.add_argument("--bare", required=True)
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--seconds", type=float, default=20)
    ap.add_argument("--settle", type=float, default=30)
    args = ap.parse_args()
    prefix = os.environ["WINEPREFIX"]
    for run in range(1, args.runs + 1):
        # The weather and update threads ask a closed loopback port instead of
        # the real services, so the figure does not depend on the network.
        env = dict(os.environ, VEMO_TEST_WEATHER_BASE="http://127.0.0.1:9", VEMO_TEST_UPDATE_BASE="http://127.0.0.1:9")
        procs = [subprocess.Popen(["wine", exe], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
                 for exe in (args.island, args.bare)]
        try:
            time.sleep(args.settle)
            island = find_pid(os.path.basename(args.island), prefix)
            bare = find_pid(os.path.basename(args.bare), prefix)
            server = wineserver_pid(prefix)
            if not island or not bare:
                print(f"idle_error_{run}=process not found")
                continue
            start = [cpu_ns(island), cpu_ns(bare), cpu_ns(server) if server else 0]
            time.sleep(args.seconds)
            end = [cpu_ns(island), cpu_ns(bare), cpu_ns(server) if server else 0]
            island_ms, bare_ms, server_ms = [(e - s) / 1e6 for s, e in zip(start, end)]
            print(f"idle_island_ms_{run}={island_ms:.1f}")
            print(f"idle_bare_ms_{run}={bare_ms:.1f}")
            print(f"idle_server_ms_{run}={server_ms:.1f}")
            print(f"idle_seconds={args.seconds:g}")
        finally:
            subprocess.run(["wineserver", "-k"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            for p in procs:
                try:
                    p.wait(timeout=20)
                except subprocess.TimeoutExpired:
                    p.kill()
            subprocess.run(["wineserver", "-w"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


if __name__ == "__main__":
    main()
