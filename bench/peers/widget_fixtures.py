#!/usr/bin/env python3
"""Writes the files the widget benchmarks read into a folder, with Python's plistlib (fixed contents, seeded).

For each list widget and each size (16, 1,000 and 10,000 entries) a property list in both encodings,
the reading list and the favorites also with a 2 KB icon on every entry:

    readinglist-10000-icons.bplist   readinglist-10000-icons.xml   readinglist-10000.bplist ...
    favorites-1000-icons.bplist ...  workspaces-16.xml ...          (workspaces carry no icons)

and a tips feed of 1,000 items (feed-1000.xml) whose descriptions are a few hundred bytes of HTML, plus
descriptions-long.html, one long description (about 64 KB of HTML) for the HTML-to-text benchmark.

Usage: widget_fixtures.py FOLDER
"""
import datetime
import os
import plistlib
import random
import sys

SIZES = (16, 1000, 10000)
ICON_SIZE = 2048
START = datetime.datetime(2020, 1, 1)


def reading_list(count, icons, rng):
    entries = []
    for i in range(count):
        entry = {
            'URL': (f'https://example.org/articles/{i}/page-{rng.randint(0, 10**6)}.html' if i % 2 else
                    f'x-quillbrook-item://1B7D0C52-{i:04X}-4A6E-9D3C-7E8F9A0B1C01'),
            'title': f'Article number {i} about things',
            'unread': i % 3 != 0,
            'date': START + datetime.timedelta(seconds=i * 37),
            'type': i % 12,
        }
        if icons:
            entry['icon'] = rng.randbytes(ICON_SIZE)
        entries.append(entry)
    return entries


def favorites(count, icons, rng):
    entries = []
    for i in range(count):
        entry = {'Name': f'Favorite {i}', 'Date': START + datetime.timedelta(hours=i), 'Label': i % 8}
        kind = i % 3
        if kind == 0:
            entry['Path'] = f'/home/user/Databases/Database {i}.qbBase2'
        elif kind == 1:
            entry['UUID'] = f'5F1C2A9E-{i:04X}-4E0B-9A41-2C4D5E6F7A01'
            entry['Type'] = i % 130
            entry['Location'] = f'Research > Folder {i % 17}'
        else:
            entry['SIUUID'] = f'7A2B3C4D-{i:04X}-4F10-8B22-1A2B3C4D5E03'
        if icons:
            entry['Icon'] = rng.randbytes(ICON_SIZE)
        entries.append(entry)
    return entries


def workspaces(count, rng):
    entries = []
    for i in range(count):
        databases = [f'/home/user/Databases/Space {i} {n}.qbBase2' for n in range(rng.randint(1, 4))]
        windows = [{'Frame': f'{{{{0, 0}}, {{900, {600 + n * 20}}}}}'} for n in range(rng.randint(1, 3))]
        entries.append({'Name': f'Workspace {i}', 'workspace': {'databases': databases, 'windows': windows}})
    return entries


def description(rng, paragraphs):
    words = ['smart', 'rules', 'search', '&amp;', 'reading', 'list', '&quot;quotes&quot;', 'group', '&#8212;',
             'tags', '<b>bold</b>', '<em>every</em>', 'database', '&nbsp;', 'window', '&#x2014;']
    parts = []
    for _ in range(paragraphs):
        text = ' '.join(rng.choice(words) for _ in range(40))
        parts.append(f'<p>{text}</p>\n<ul><li>First  point</li>\n<li>Second\tpoint</li></ul>')
    return ''.join(parts)


def feed(count, rng):
    days = ['Mon', 'Tue', 'Wed', 'Thu', 'Fri', 'Sat', 'Sun']
    months = ['Jan', 'Feb', 'Mar', 'Apr', 'May', 'Jun', 'Jul', 'Aug', 'Sep', 'Oct', 'Nov', 'Dec']
    items = []
    for i in range(count):
        when = datetime.datetime(2025, 3, 1) - datetime.timedelta(hours=7 * i)
        date = f'{days[when.weekday()]}, {when.day:02d} {months[when.month - 1]} {when.year} {when:%H:%M:%S} +0000'
        category = 'news' if i % 10 == 9 else ('Tips' if i % 2 else 'tips')
        link = f'https://www.quillbrook.example/blog/tip-{i}'
        items.append(
            '    <item>\n'
            f'      <title>Tip number {i}: search everything</title>\n'
            f'      <link>{link}</link>\n'
            f'      <guid isPermaLink="true">{link}</guid>\n'
            f'      <pubDate>{date}</pubDate>\n'
            f'      <category>{category}</category>\n'
            f'      <description><![CDATA[{description(rng, 1)}]]></description>\n'
            '    </item>\n')
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<rss version="2.0">\n  <channel>\n'
            '    <title>Quillbrook Support Materials</title>\n'
            '    <link>https://www.quillbrook.example/blog</link>\n'
            + ''.join(items) + '  </channel>\n</rss>\n')


def write(path, data):
    if os.path.exists(path):
        return
    with open(path + '.tmp', 'wb') as out:
        out.write(data)
    os.replace(path + '.tmp', path)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for count in SIZES:
        lists = [('readinglist', False, reading_list(count, False, random.Random(count))),
                 ('readinglist', True, reading_list(count, True, random.Random(count))),
                 ('favorites', False, favorites(count, False, random.Random(count))),
                 ('favorites', True, favorites(count, True, random.Random(count))),
                 ('workspaces', False, workspaces(count, random.Random(count)))]
        for widget, icons, value in lists:
            stem = f'{widget}-{count}' + ('-icons' if icons else '')
            for extension, fmt in (('bplist', plistlib.FMT_BINARY), ('xml', plistlib.FMT_XML)):
                write(os.path.join(folder, f'{stem}.{extension}'), plistlib.dumps(value, fmt=fmt, sort_keys=False))
    write(os.path.join(folder, 'feed-1000.xml'), feed(1000, random.Random(1)).encode())
    write(os.path.join(folder, 'descriptions-long.html'), description(random.Random(2), 200).encode())


if __name__ == '__main__':
    main()
