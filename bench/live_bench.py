#!/usr/bin/env python3
"""What live updates cost: `watch` against a status-bar module that runs a command on an interval, and how
soon a replaced file shows as a new `watch` line.

Idle (both in the same run, for --idle seconds, default 30, after both have settled):
  - `quillbrook-widgets watch readinglist --format waybar`, nothing due: the wakeups of all its threads
    (voluntary context switches in /proc/PID/task/*/status) and its CPU time (/proc/PID/stat).
  - What a Waybar custom module with "interval": N does to get the same data: every N seconds it starts
    `sh -c CMD` and reads its output. Here a loop does exactly that with the same command (`timeline
    readinglist --format json`); the cost counted is that of the started processes (their CPU time and
    context switches, from the children's rusage) and the number of starts. Waybar's own timer and redraw
    are not counted, so the module's real cost is higher. A real Waybar needs a Wayland compositor and is
    not run here.

Latency (--changes times, default 50): the reading list is replaced by rename (a temporary file in the
same folder, then rename(2), as the document manager does) and the time until `watch` prints its line
is taken; the changes are 0.5 s apart, so that each is its own burst. `watch` waits for 200 ms of quiet
before it reloads (at most 1 s into a burst).

Usage: bench/live_bench.py PROGRAM [--idle SECONDS] [--changes N] [--intervals 1,5]
"""
import argparse
import os
import plistlib
import resource
import select
import statistics
import subprocess
import tempfile
import time


def reading_list(unread):
    items = [{'URL': f'x-quillbrook-item://{i}', 'title': f'Item {i}', 'unread': True} for i in range(unread)]
    return plistlib.dumps(items, fmt=plistlib.FMT_BINARY)


def replace(path, data):
    temporary = path + '.tmp'
    with open(temporary, 'wb') as f:
        f.write(data)
    os.rename(temporary, path)


def wakeups(pid):
    """The voluntary context switches of each thread of the process, by thread id."""
    counts = {}
    for task in os.listdir(f'/proc/{pid}/task'):
        try:
            with open(f'/proc/{pid}/task/{task}/status') as f:
                for line in f:
                    if line.startswith('voluntary_ctxt_switches:'):
                        counts[task] = int(line.split()[1])
        except FileNotFoundError:
            pass
    return counts


def woke(before, after):
    """Wakeups between two counts; a thread that ended in between woke at least once, to end."""
    return sum(n - before.get(t, 0) for t, n in after.items()) + sum(1 for t in before if t not in after)


def cpu_seconds(pid):
    with open(f'/proc/{pid}/stat') as f:
        fields = f.read().rsplit(')', 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf('SC_CLK_TCK')


class Watch:
    def __init__(self, program, home):
        self.process = subprocess.Popen([program, 'watch', 'readinglist', '--format', 'waybar', '--home', home],
                                        stdout=subprocess.PIPE)
        self.buffer = b''

    def line(self, timeout):
        deadline = time.monotonic() + timeout
        while b'\n' not in self.buffer:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.process.stdout], [], [], left)[0]:
                return None
            chunk = os.read(self.process.stdout.fileno(), 65536)
            if not chunk:
                return None
            self.buffer += chunk
        line, self.buffer = self.buffer.split(b'\n', 1)
        return line

    def stop(self):
        self.process.terminate()
        return self.process.wait(5)


def idle(program, home, seconds, intervals):
    watch = Watch(program, home)
    watch.line(10)
    time.sleep(2)
    before = (wakeups(watch.process.pid), cpu_seconds(watch.process.pid))
    # The interval-driven modules run in this process's children, side by side with the idle watch.
    command = f'{program} timeline readinglist --format json --home {home}'
    started = time.monotonic()
    next_run = {interval: started for interval in intervals}
    runs = {interval: 0 for interval in intervals}
    usage = {}
    while time.monotonic() - started < seconds:
        now = time.monotonic()
        for interval in intervals:
            if now >= next_run[interval]:
                mark = resource.getrusage(resource.RUSAGE_CHILDREN)
                subprocess.run(['sh', '-c', command], stdout=subprocess.PIPE, check=True)
                after = resource.getrusage(resource.RUSAGE_CHILDREN)
                cpu, switches = usage.get(interval, (0.0, 0))
                usage[interval] = (cpu + after.ru_utime + after.ru_stime - mark.ru_utime - mark.ru_stime,
                                   switches + after.ru_nvcsw - mark.ru_nvcsw)
                runs[interval] += 1
                next_run[interval] += interval
        time.sleep(max(0.0, min(next_run.values()) - time.monotonic()))
    elapsed = time.monotonic() - started
    after = (wakeups(watch.process.pid), cpu_seconds(watch.process.pid))
    status = watch.stop()
    rows = [('`watch` (event-driven)', woke(before[0], after[0]), (after[1] - before[1]) * 1000, '-')]
    for interval in intervals:
        cpu, switches = usage.get(interval, (0.0, 0))
        rows.append((f'command every {interval:g} s (interval module)', switches, cpu * 1000, runs[interval]))
    print(f'Idle for {elapsed:.0f} s (nothing due, no file changed); watch ended with status {status}.\n')
    print('| | wakeups (voluntary context switches) | CPU time (ms) | processes started |')
    print('|---|---:|---:|---:|')
    for name, switches, cpu, starts in rows:
        print(f'| {name} | {switches} | {cpu:.0f} | {starts} |')
    print()


def latency(program, home, path, changes):
    watch = Watch(program, home)
    watch.line(10)
    times = []
    for i in range(changes):
        time.sleep(0.5)
        replace(path, reading_list(3 + i % 2))
        start = time.monotonic()
        if watch.line(5) is None:
            print(f'change {i}: no line within 5 s')
            continue
        times.append((time.monotonic() - start) * 1000)
    cpu = cpu_seconds(watch.process.pid)
    watch.stop()
    times.sort()
    p95 = times[min(len(times) - 1, round(0.95 * (len(times) - 1)))]
    print(f'Change to line, {len(times)} of {changes} changes (quiet period 200 ms, burst limit 1 s):\n')
    print('| median | 95th percentile | fastest | slowest |')
    print('|---:|---:|---:|---:|')
    print(f'| {statistics.median(times):.0f} ms | {p95:.0f} ms | {times[0]:.0f} ms | {times[-1]:.0f} ms |')
    print(f'\n(`watch` used {cpu * 1000:.0f} ms of CPU for its start and the {changes} reloads.)\n')


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('program')
    parser.add_argument('--idle', type=float, default=30)
    parser.add_argument('--changes', type=int, default=50)
    parser.add_argument('--intervals', default='1,5')
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as home:
        folder = os.path.join(home, 'Library', 'Application Support', 'Quillbrook')
        os.makedirs(folder)
        path = os.path.join(folder, 'ReadingList.plist')
        replace(path, reading_list(2))
        print(f'{os.cpu_count()} cores, load average {os.getloadavg()[0]:.2f} at the start.\n')
        if args.idle > 0:
            idle(args.program, home, args.idle, [float(i) for i in args.intervals.split(',')])
        if args.changes > 0:
            latency(args.program, home, path, args.changes)


if __name__ == '__main__':
    main()
