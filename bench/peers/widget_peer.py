#!/usr/bin/env python3
"""The peer of widget_bench: the same work in Python with its standard library only.

    timeline/FILE    read the file, plistlib.loads, count the usable entries, and make items with their
                     links (urllib.parse) for the first 16 (filter: all), as the widgets do
    read/FILE        the bare read
    parseTips/feed-1000.xml           the feed on pyexpat: items with category "tips", descriptions as plain
                                      text, RFC 822 dates (email.utils), newest first
    stripHTML/descriptions-long.html  tags removed (re), entities decoded (html.unescape), whitespace collapsed

Usage: widget_peer.py FOLDER   (the folder widget_fixtures.py wrote)
Prints one JSON object: benchmark name -> best CPU time in ms (time.process_time, steadier than wall-clock
time on a busy machine).
"""
import datetime
import email.utils
import html
import json
import os
import plistlib
import re
import sys
import time
import xml.parsers.expat
from urllib.parse import quote, urlsplit

CAP = 16
SIZES = (16, 1000, 10000)
QUERY_SAFE = "!$'()*,-./:;?@_~"
REFERENCE = datetime.datetime(2001, 1, 1, tzinfo=datetime.timezone.utc)


def best_ms(action, samples=3, at_least=0.05):
    """The best CPU time of one call, in ms: each sample repeats the call until it took `at_least` seconds."""
    started = time.process_time()
    action()
    once = max(time.process_time() - started, 1e-6)
    loops = max(1, int(at_least / once))
    times = []
    for _ in range(samples):
        started = time.process_time()
        for _ in range(loops):
            action()
        times.append((time.process_time() - started) / loops)
    return min(times) * 1000


def read(path):
    with open(path, 'rb') as f:
        return f.read()


def query_item(name, value):
    return f'{quote(name, safe=QUERY_SAFE)}={quote(value, safe=QUERY_SAFE)}'


def tagged(url, widget):
    parts = urlsplit(url)
    tag = query_item('widget', widget)
    query = f'{parts.query}&{tag}' if parts.query else tag
    link = f'{parts.scheme}:' if parts.scheme else ''
    if parts.netloc or parts.scheme in ('http', 'https'):
        link += f'//{parts.netloc}'
    link += f'{parts.path}?{query}'
    return link + (f'#{parts.fragment}' if parts.fragment else '')


def open_url(text, widget):
    scheme = urlsplit(text).scheme.lower()
    if scheme in ('http', 'https'):
        return f"x-quillbrook://open-url?{query_item('location', text)}&{query_item('widget', widget)}"
    return tagged(text, widget)


def reading_list_items(root):
    items, count, unread = [], 0, 0
    for entry in root:
        title, url = entry.get('title'), entry.get('URL')
        if not isinstance(title, str) or not isinstance(url, str):
            continue
        flag = entry.get('unread')
        is_unread = flag if isinstance(flag, bool) else True
        count += 1
        unread += is_unread
        if len(items) == CAP:
            continue
        date = entry.get('date')
        kind = entry.get('type')
        icon = entry.get('icon')
        items.append({
            'id': url, 'title': title, 'isUnread': is_unread,
            'date': date if isinstance(date, datetime.datetime) else None,
            'type': kind if isinstance(kind, int) and not isinstance(kind, bool) else 0,
            'iconData': icon if isinstance(icon, bytes) else None,
            'url': open_url(url, 'readinglist'),
        })
    return items, count, unread


def favorite_kind(entry):
    for key in ('Path', 'UUID', 'SIUUID'):
        if isinstance(entry.get(key), str):
            return key
    return None


def favorites_items(root):
    items, count = [], 0
    for entry in root:
        kind = favorite_kind(entry)
        if kind is None:
            continue
        count += 1
        if len(items) == CAP:
            continue
        name = entry.get('Name') if isinstance(entry.get('Name'), str) else 'Untitled'
        label = entry.get('Label') if isinstance(entry.get('Label'), int) else 0
        icon = entry.get('Icon') if isinstance(entry.get('Icon'), bytes) else None
        date = entry.get('Date')
        if kind == 'Path':
            path = entry['Path']
            url = f"x-quillbrook://open-path?{query_item('path', path)}"
            item = {'id': 'db:' + path, 'url': tagged(url, 'favorites')}
        elif kind == 'UUID':
            item = {'id': 'item:' + entry['UUID'], 'url': tagged('x-quillbrook-item://' + entry['UUID'], 'favorites'),
                    'type': entry.get('Type', 0), 'location': entry.get('Location')}
        else:
            item = {'id': 'si:' + entry['SIUUID'],
                    'url': tagged('x-quillbrook-smartgroup://' + entry['SIUUID'], 'favorites')}
        item.update({'name': name, 'label': label, 'iconData': icon, 'date': date})
        items.append(item)
    return items, count


def workspaces_items(root):
    items, count = [], 0
    for entry in root:
        name = entry.get('Name')
        if not isinstance(name, str):
            continue
        count += 1
        if len(items) == CAP:
            continue
        space = entry.get('workspace') if isinstance(entry.get('workspace'), dict) else {}
        databases = space.get('databases') if isinstance(space.get('databases'), list) else []
        windows = space.get('windows') if isinstance(space.get('windows'), list) else []
        url = tagged(f"x-quillbrook://open-workspace?{query_item('name', name)}", 'workspaces')
        items.append({'name': name, 'databaseCount': len(databases), 'windowCount': len(windows), 'url': url})
    return items, count


def timeline(path):
    root = plistlib.loads(read(path))
    name = os.path.basename(path)
    if name.startswith('readinglist'):
        return reading_list_items(root)
    if name.startswith('favorites'):
        return favorites_items(root)
    return workspaces_items(root)


TAG = re.compile(r'<[^>]*>')


def strip_html(text):
    return ' '.join(html.unescape(TAG.sub('', text)).split())


def parse_tips(data):
    tips = []
    state = {'item': None, 'text': []}

    def start(name, _attributes):
        if name == 'item':
            state['item'] = {'categories': []}
        state['text'] = []

    def characters(text):
        state['text'].append(text)

    def end(name):
        item = state['item']
        if item is None:
            return
        text = ''.join(state['text']).strip()
        if name in ('title', 'link', 'guid', 'pubDate'):
            item[name] = text
        elif name == 'category':
            item['categories'].append(text.lower())
        elif name == 'description':
            item['description'] = strip_html(text)
        elif name == 'item':
            state['item'] = None
            if 'tips' in item['categories'] and item.get('title'):
                try:
                    date = email.utils.parsedate_to_datetime(item.get('pubDate', ''))
                except (TypeError, ValueError):
                    date = None
                guid = item.get('guid') or item.get('link', '')
                tips.append((date or REFERENCE, item['title'], item.get('description', ''), item.get('link'), guid))

    parser = xml.parsers.expat.ParserCreate()
    parser.StartElementHandler = start
    parser.EndElementHandler = end
    parser.CharacterDataHandler = characters
    parser.Parse(data, True)
    tips.sort(key=lambda tip: tip[0], reverse=True)
    return tips


def main():
    folder = sys.argv[1]
    results = {}
    for size in SIZES:
        for stem in (f'readinglist-{size}', f'readinglist-{size}-icons', f'favorites-{size}',
                     f'favorites-{size}-icons', f'workspaces-{size}'):
            for extension in ('.bplist', '.xml'):
                name = stem + extension
                path = os.path.join(folder, name)
                results[f'read/{name}'] = best_ms(lambda: read(path))
                results[f'timeline/{name}'] = best_ms(lambda: timeline(path))
    feed = read(os.path.join(folder, 'feed-1000.xml'))
    results['parseTips/feed-1000.xml'] = best_ms(lambda: parse_tips(feed))
    description = read(os.path.join(folder, 'descriptions-long.html')).decode()
    results['stripHTML/descriptions-long.html'] = best_ms(lambda: strip_html(description))
    json.dump(results, sys.stdout, indent=1)
    print()


if __name__ == '__main__':
    main()
