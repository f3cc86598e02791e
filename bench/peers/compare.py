#!/usr/bin/env python3
"""Prints a before-and-after table (Markdown) of the list widgets' timeline requests from two runs of
bench/run.sh on the same machine, one after the other: for each file the timeline's CPU time over the bare
read of the same run, before and after, and how much less CPU time the request took.

Usage: compare.py BEFORE/widget_bench.json AFTER/widget_bench.json
(the Google Benchmark JSON files run.sh leaves in its results folder). All times are CPU times; each is the
best repetition, as report.py takes it.
"""
import sys

from report import SIZES, load_benchmark, ratio, times


def main():
    before, after = load_benchmark(sys.argv[1]), load_benchmark(sys.argv[2])
    print('| file | before: timeline / read | after: timeline / read | after / before (timeline CPU) |')
    print('|---|---:|---:|---:|')
    for size in SIZES:
        for stem in (f'readinglist-{size}', f'readinglist-{size}-icons', f'favorites-{size}',
                     f'favorites-{size}-icons', f'workspaces-{size}'):
            for extension in ('.bplist', '.xml'):
                name = stem + extension
                old = ratio(before.get(f'timeline/{name}'), before.get(f'read/{name}'))
                new = ratio(after.get(f'timeline/{name}'), after.get(f'read/{name}'))
                change = ratio(after.get(f'timeline/{name}'), before.get(f'timeline/{name}'))
                print(f'| {name} | {times(old)} | {times(new)} | {times(change)} |')


if __name__ == '__main__':
    main()
