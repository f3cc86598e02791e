#!/usr/bin/env python3
"""Prints the benchmark tables (Markdown) from one run: the C++ figures against the bare file reads of
the same run and against the Python peers, the memory figures, and whether each target is met.

Usage: report.py WIDGET_BENCH.json PLIST_BENCH.json WIDGET_PEER.json PLIST_PEER.json MEMORY.txt
(the Google Benchmark JSON files of widget_bench and plist_bench, the peers' JSON output, and the
"memory FILE FILE_BYTES PEAK_BYTES" lines both benchmarks print). All times are CPU times in ms.
"""
import json
import sys

UNITS = {'ns': 1e-6, 'us': 1e-3, 'ms': 1.0, 's': 1e3}
SIZES = (16, 1000, 10000)


def load_benchmark(path):
    with open(path) as f:
        data = json.load(f)
    times = {}
    for run in data['benchmarks']:
        if run.get('error_occurred') or run.get('run_type') == 'aggregate':
            continue
        # The best repetition, as the Python peers report their best run.
        value = run['cpu_time'] * UNITS[run['time_unit']]
        times[run['name']] = min(value, times.get(run['name'], value))
    return times


def load_memory(path):
    memory = {}
    with open(path) as f:
        for line in f:
            parts = line.split()
            if len(parts) >= 4 and parts[0] == 'memory':
                memory[parts[1]] = (float(parts[2]), float(parts[3]))
    return memory


def ms(value):
    if value is None:
        return 'n/a'
    return f'{value:.3f}' if value < 1 else f'{value:.2f}' if value < 100 else f'{value:.0f}'


def ratio(a, b):
    return a / b if a is not None and b else None


def times(value):
    return 'n/a' if value is None else f'{value:.1f}x' if value >= 10 else f'{value:.2f}x'


def main():
    widget, plist = load_benchmark(sys.argv[1]), load_benchmark(sys.argv[2])
    with open(sys.argv[3]) as f:
        widget_peer = json.load(f)
    with open(sys.argv[4]) as f:
        plist_peer = json.load(f)
    memory = load_memory(sys.argv[5])
    checks = []

    print('### List widgets: one timeline request (read, parse, count and filter every entry, items for the first 16)\n')
    print('| file | bare read | timeline | timeline / read | Python timeline | faster than Python |')
    print('|---|---:|---:|---:|---:|---:|')
    for size in SIZES:
        for stem in (f'readinglist-{size}', f'readinglist-{size}-icons', f'favorites-{size}',
                     f'favorites-{size}-icons', f'workspaces-{size}'):
            for extension in ('.bplist', '.xml'):
                name = stem + extension
                read, request = widget.get(f'read/{name}'), widget.get(f'timeline/{name}')
                peer = widget_peer.get(f'timeline/{name}')
                print(f'| {name} | {ms(read)} | {ms(request)} | {times(ratio(request, read))} | {ms(peer)} | '
                      f'{times(ratio(peer, request))} |')

    target = 'readinglist-10000-icons'
    for extension, most_read, least_peer in (('.bplist', 1.5, 20), ('.xml', 5, 10)):
        name = target + extension
        request = widget.get(f'timeline/{name}')
        over_read = ratio(request, widget.get(f'read/{name}'))
        faster = ratio(widget_peer.get(f'timeline/{name}'), request)
        checks.append((f'timeline {name} <= {most_read}x the bare read', over_read, over_read is not None and
                       over_read <= most_read))
        checks.append((f'timeline {name} >= {least_peer}x faster than Python', faster, faster is not None and
                       faster >= least_peer))

    print('\n### Property-list reader alone (reading lists; parse + a walk over every key)\n')
    print('| file | bare read | parse+walk | read+parse+walk | (read+parse+walk) / read | expat alone, no-op '
          'handlers / read | plistlib read+parse+walk | faster than plistlib |')
    print('|---|---:|---:|---:|---:|---:|---:|---:|')
    for name in ('readinglist-10k.bplist', 'readinglist-10k.xml', 'readinglist-100k.bplist',
                 'readinglist-100k.xml'):
        read, whole = plist.get(f'read/{name}'), plist.get(f'read+parse+walk/{name}')
        floor = plist.get(f'expat-handlers/{name}')
        peer = plist_peer.get(f'read+parse+walk/{name}')
        floor_text = times(ratio(floor, read)) if floor is not None else '-'
        print(f'| {name} | {ms(read)} | {ms(plist.get(f"parse+walk/{name}"))} | {ms(whole)} | '
              f'{times(ratio(whole, read))} | {floor_text} | {ms(peer)} | {times(ratio(peer, whole))} |')

    print('\n### Tips feed\n')
    print('| benchmark | C++ | Python | faster than Python |')
    print('|---|---:|---:|---:|')
    for name in ('parseTips/feed-1000.xml', 'stripHTML/descriptions-long.html'):
        ours, peer = widget.get(name), widget_peer.get(name)
        print(f'| {name} | {ms(ours)} | {ms(peer)} | {times(ratio(peer, ours))} |')
    faster = ratio(widget_peer.get('parseTips/feed-1000.xml'), widget.get('parseTips/feed-1000.xml'))
    checks.append(('feed parser on 1,000 items >= 10x faster than Python', faster,
                   faster is not None and faster >= 10))

    print('\n### Rendering: building one widget\'s view for a family and drawing it (ms)\n')
    print('| widget | family | to text | to HTML |')
    print('|---|---|---:|---:|')
    slowest = 0.0
    for name, value in widget.items():
        if not name.startswith('render/text/'):
            continue
        kind, family = name.split('/')[2:4]
        html = widget.get(f'render/html/{kind}/{family}')
        slowest = max(slowest, value, html or 0)
        print(f'| {kind} | {family} | {ms(value)} | {ms(html)} |')
    checks.append(('rendering one widget in one family < 1 ms (slowest)', slowest, slowest < 1, 'ms'))

    print('\n### Peak memory (growth of the peak resident size during one request, each in a fresh process)\n')
    print('| file | what | file size | peak growth | peak / file |')
    print('|---|---|---:|---:|---:|')
    for name, (size, peak) in memory.items():
        what = 'timeline request' if '-1000' in name else 'read+parse+walk'
        print(f'| {name} | {what} | {size / 1e6:.1f} MB | {peak / 1e6:.1f} MB | {times(peak / size)} |')
    for name in (target + '.bplist', 'readinglist-100k.bplist'):
        if name in memory:
            size, peak = memory[name]
            checks.append((f'peak memory {name} <= 1.5x the file', peak / size, peak / size <= 1.5))

    print('\n### Targets\n')
    print('| target | measured | met |')
    print('|---|---:|---|')
    for text, value, met, *unit in checks:
        measured = 'n/a' if value is None else (f'{value:.3f} ms' if unit else times(value))
        print(f'| {text} | {measured} | {"yes" if met else "**no**"} |')


if __name__ == '__main__':
    main()
