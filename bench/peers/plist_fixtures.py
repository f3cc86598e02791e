#!/usr/bin/env python3
"""Writes the reading lists the property-list benchmark reads, in both encodings, into a folder.

readinglist-10k: 10,000 entries with a 2 KB icon each (about 22 MB binary, 32 MB XML);
readinglist-100k: 100,000 entries without icons. The contents are fixed (seeded).
"""
import datetime
import os
import plistlib
import random
import sys


def entries(count, icons, seed):
    rng = random.Random(seed)
    start = datetime.datetime(2020, 1, 1)
    result = []
    for i in range(count):
        entry = {
            'URL': f'https://example.org/articles/{i}/page-{rng.randint(0, 10**6)}.html',
            'title': f'Article number {i} about things',
            'unread': i % 3 != 0,
            'date': start + datetime.timedelta(seconds=i * 37),
            'type': i % 12,
        }
        if icons:
            entry['icon'] = rng.randbytes(2048)
        result.append(entry)
    return result


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, count, icons in (('readinglist-10k', 10_000, True), ('readinglist-100k', 100_000, False)):
        value = entries(count, icons, seed=count)
        for extension, fmt in (('bplist', plistlib.FMT_BINARY), ('xml', plistlib.FMT_XML)):
            path = os.path.join(folder, f'{name}.{extension}')
            if not os.path.exists(path):
                with open(path + '.tmp', 'wb') as out:
                    out.write(plistlib.dumps(value, fmt=fmt, sort_keys=False))
                os.replace(path + '.tmp', path)


if __name__ == '__main__':
    main()
