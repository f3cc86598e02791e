#!/usr/bin/env python3
"""mark_all_read.py HOME: replaces HOME's reading list by rename, as the document manager saves it, with
every document marked read."""
import os
import plistlib
import sys

folder = os.path.join(sys.argv[1], "Library", "Application Support", "Quillbrook")
with open(os.path.join(folder, "ReadingList.plist"), "rb") as f:
    entries = plistlib.load(f)
for entry in entries:
    entry["unread"] = False
new = os.path.join(folder, ".ReadingList.plist.new")
with open(new, "wb") as f:
    plistlib.dump(entries, f, fmt=plistlib.FMT_BINARY)
os.chmod(new, 0o644)
os.rename(new, os.path.join(folder, "ReadingList.plist"))
