#!/usr/bin/env python3
"""Writes a property list with Python's plistlib from a JSON description read on stdin.

Usage: make_plist.py binary|xml < description.json > file.plist

JSON gives strings, integers, reals, booleans, arrays and dictionaries (in their order). What JSON
cannot say is tagged with a one-key object:
  {"$date": "2026-01-02T03:04:05.5Z"}   a date (UTC)
  {"$data": "AAE="}                     bytes, as base64
  {"$real": "nan"}                      a real JSON cannot hold: "nan", "inf" or "-inf"
  {"$uid": 7}                           a UID (binary files only)
plistlib is an independent writer, so the tests check our reader against it.
"""
import base64
import datetime
import json
import plistlib
import sys



def utc_date(text):
    # plistlib takes naive dates as UTC; a date without a zone is read as UTC too, not local time.
    date = datetime.datetime.fromisoformat(text)
    if date.tzinfo:
        date = date.astimezone(datetime.timezone.utc).replace(tzinfo=None)
    return date


TAGS = {
    "$date": utc_date,
    "$data": base64.b64decode,
    "$real": float,
    "$uid": plistlib.UID,
}


def untag(obj):
    if len(obj) == 1:
        key, value = next(iter(obj.items()))
        if key in TAGS:
            return TAGS[key](value)
    return obj


def main():
    if len(sys.argv) != 2 or sys.argv[1] not in ("binary", "xml"):
        sys.exit("usage: make_plist.py binary|xml < description.json > file.plist")
    sys.setrecursionlimit(10000)
    value = json.load(sys.stdin.buffer, object_hook=untag)
    fmt = plistlib.FMT_BINARY if sys.argv[1] == "binary" else plistlib.FMT_XML
    sys.stdout.buffer.write(plistlib.dumps(value, fmt=fmt, sort_keys=False))


if __name__ == "__main__":
    main()
