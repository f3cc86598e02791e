#!/usr/bin/env python3
"""The peer of plist_bench: Python's plistlib reading the same files and walking every entry's keys.

Usage: plist_peer.py FOLDER [--json]  (the folder plist_bench generated its fixtures in)
Prints, per file, the best of several runs of the bare read and of read + parse + walk, in ms,
wall-clock and CPU time; with --json one object of benchmark name -> best CPU time in ms.
"""
import json
import os
import plistlib
import sys
import time

FILES = ['readinglist-10k.bplist', 'readinglist-10k.xml', 'readinglist-100k.bplist', 'readinglist-100k.xml']


def best(action, runs):
    """The best wall-clock and CPU times of several runs, in ms (CPU time is steadier on a busy machine)."""
    wall, cpu = [], []
    for _ in range(runs):
        started, started_cpu = time.perf_counter(), time.process_time()
        action()
        wall.append(time.perf_counter() - started)
        cpu.append(time.process_time() - started_cpu)
    return min(wall) * 1000, min(cpu) * 1000


def read(path):
    with open(path, 'rb') as f:
        return f.read()


def read_parse_walk(path):
    root = plistlib.loads(read(path))
    keys = 0
    for entry in root:
        for key in entry:
            keys += len(key)
    return keys


def main():
    folder = sys.argv[1]
    as_json = '--json' in sys.argv[2:]
    results = {}
    for name in FILES:
        path = os.path.join(folder, name)
        read_wall, read_cpu = best(lambda: read(path), 5)
        parse_wall, parse_cpu = best(lambda: read_parse_walk(path), 3)
        results[f'read/{name}'] = read_cpu
        results[f'read+parse+walk/{name}'] = parse_cpu
        if as_json:
            continue
        print(f'{name:26} read {read_wall:8.2f} ms (cpu {read_cpu:8.2f})   '
              f'read+parse+walk {parse_wall:9.2f} ms (cpu {parse_cpu:9.2f})')
    if as_json:
        json.dump(results, sys.stdout, indent=1)
        print()


if __name__ == '__main__':
    main()
