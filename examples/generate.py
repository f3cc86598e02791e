#!/usr/bin/env python3
"""Writes the demo's sample files: a home folder with the three property lists Quillbrook keeps (in the
binary encoding, as Quillbrook writes them) and a tips feed.

    python3 examples/generate.py        # rewrites examples/home/... and examples/feed.xml

The output is deterministic, so the committed files change only when this script does.
"""

import datetime
import pathlib
import plistlib
import struct
import zlib

HERE = pathlib.Path(__file__).resolve().parent
SUPPORT = HERE / "home" / "Library" / "Application Support" / "Quillbrook"


def png(width, height, pixel):
    """A PNG image (8-bit RGBA) whose pixel at (x, y) is pixel(x, y) -> (r, g, b, a)."""

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    rows = b"".join(b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")


def disc_icon(rgb):
    """A 16x16 coloured disc on a transparent ground."""

    def pixel(x, y):
        inside = (x - 7.5) ** 2 + (y - 7.5) ** 2 <= 7.5**2
        return (*rgb, 255) if inside else (0, 0, 0, 0)

    return png(16, 16, pixel)


def page_icon(rgb):
    """A 16x16 page with a coloured band at the top."""

    def pixel(x, y):
        if x < 2 or x > 13:
            return (0, 0, 0, 0)
        return (*rgb, 255) if y < 5 else (245, 245, 240, 255)

    return png(16, 16, pixel)


def when(day, hour=9, minute=0):
    return datetime.datetime(2025, 3, day, hour, minute)


def favorites():
    return [
        {"Name": "Research", "Path": "/home/demo/Databases/Research.qbBase2", "Date": when(1), "Label": 0},
        {
            "Name": "Work",
            "Children": [
                {"Name": "Inbox", "UUID": "5F1C2A9E-0001-4E0B-9A41-2C4D5E6F7A01", "Type": 1,
                 "Location": "Research > Inbox", "Label": 1, "Date": when(2)},
                {"Name": "Quarterly Report.pdf", "UUID": "5F1C2A9E-0002-4E0B-9A41-2C4D5E6F7A02", "Type": 12,
                 "Location": "Research > Reports", "Label": 2, "Date": when(3), "Icon": page_icon((220, 60, 50))},
                {"Name": "Pending Review", "SIUUID": "7A2B3C4D-0003-4F10-8B22-1A2B3C4D5E03", "Label": 3,
                 "Date": when(4)},
                {"Name": "Meeting Notes.md", "UUID": "5F1C2A9E-0004-4E0B-9A41-2C4D5E6F7A04", "Type": 124,
                 "Location": "Work > Meetings", "Label": 4, "Date": when(5)},
                {"Name": "Budget 2025", "UUID": "5F1C2A9E-0005-4E0B-9A41-2C4D5E6F7A05", "Type": 16,
                 "Location": "Work > Finance", "Label": 5, "Date": 762000000.0},
                {"Name": "Archive", "Path": "/home/demo/Databases/Archive.qbBase2", "Label": 6},
            ],
        },
        {
            "Name": "Reading",
            "Children": [
                {"Name": "Field Guide to Mosses", "UUID": "5F1C2A9E-0006-4E0B-9A41-2C4D5E6F7A06", "Type": 12,
                 "Label": 7, "Icon": disc_icon((60, 150, 80))},
                {"Name": "Unread Articles", "SIUUID": "7A2B3C4D-0007-4F10-8B22-1A2B3C4D5E07"},
                {"Name": "Photo Archive 東京", "UUID": "5F1C2A9E-0008-4E0B-9A41-2C4D5E6F7A08", "Type": 11,
                 "Location": "Travel > Tokyo"},
            ],
        },
        {"Name": "Empty Group", "Children": []},
        {"Name": "Today", "SIUUID": "7A2B3C4D-0009-4F10-8B22-1A2B3C4D5E09", "Label": 0, "Date": when(6)},
        {"Name": "Letters & Correspondence", "UUID": "5F1C2A9E-0010-4E0B-9A41-2C4D5E6F7A10", "Type": 122,
         "Location": "Personal > Mail", "Label": 1},
        {"Name": "no link: skipped by the reader"},
    ]


def reading_list():
    entries = [
        ("x-quillbrook-item://1B7D0C52-0001-4A6E-9D3C-7E8F9A0B1C01", "Getting Started with Quillbrook", True, 12,
         page_icon((30, 110, 220))),
        ("https://www.example.org/articles/slow-reading", "The Case for Slow Reading", True, 7, None),
        ("x-quillbrook-item://1B7D0C52-0003-4A6E-9D3C-7E8F9A0B1C03", "Project Budget 2025", False, 16, None),
        ("https://blog.example.net/2025/03/notes-on-note-taking", "Notes on Note-Taking", True, 7,
         disc_icon((240, 170, 30))),
        ("x-quillbrook-item://1B7D0C52-0005-4A6E-9D3C-7E8F9A0B1C05", "Meeting Notes – Q1 Review", False, 4, None),
        ("https://news.example.com/science/mosses", "Mosses Survive Where Little Else Can", True, 125, None),
        ("x-quillbrook-item://1B7D0C52-0007-4A6E-9D3C-7E8F9A0B1C07", "Research Notes on Machine Learning", True, 124,
         None),
        ("https://www.example.org/podcast/episode-42", "Episode 42: Archiving the Web", False, 121, None),
        ("x-quillbrook-item://1B7D0C52-0009-4A6E-9D3C-7E8F9A0B1C09", "A Very Long Title That Will Not Fit On One "
         "Line In Any Widget Size At All", True, 3, None),
        ("x-quillbrook-item://1B7D0C52-0010-4A6E-9D3C-7E8F9A0B1C10", "Smart Rules & Automation Guide", True, 12, None),
        ("https://example.com/recipes/bread", "Sourdough Bread, Step by Step", False, 8, None),
        ("x-quillbrook-item://1B7D0C52-0012-4A6E-9D3C-7E8F9A0B1C12", "Invoice 2025-031", True, 12, None),
    ]
    items = []
    for day, (url, title, unread, kind, icon) in enumerate(entries, start=1):
        item = {"URL": url, "title": title, "unread": unread, "date": when(day, 8), "type": kind}
        if icon is not None:
            item["icon"] = icon
        items.append(item)
    items.append({"URL": "https://example.com/no-title"})  # skipped: no title
    items.append({"URL": "x-quillbrook-item://1B7D0C52-0014-4A6E-9D3C-7E8F9A0B1C14", "title": "Read Later (no flag)",
                  "type": 124})  # no "unread": counts as unread
    return items


def workspaces():
    names = [
        "Research", "Writing", "Archive", "Inbox Review", "Thesis", "Taxes 2024", "Taxes 2025", "Travel Plans",
        "Garden", "Recipes", "Client A", "Client B", "Client C", "Reading Group", "Photography", "Conference Talk",
        "House Renovation", "Language Learning", "Family History", "Side Project", "Teaching", "Grant Proposal",
        "Newsletter", "Board Meeting",
    ]
    spaces = []
    for index, name in enumerate(names):
        databases = [f"/home/demo/Databases/{name} {n}.qbBase2" for n in range(index % 4 + 1)]
        windows = [{"Frame": f"{{{{0, 0}}, {{900, {600 + n * 20}}}}}"} for n in range(index % 3 + 1)]
        spaces.append({"Name": name, "workspace": {"databases": databases, "windows": windows}})
    spaces.append({"Name": "Empty Workspace"})  # no "workspace": both counts 0
    return spaces


FEED_ITEMS = [
    ("Search across all databases at once",
     "<p>Press <b>⌥⌘F</b> to search <em>every</em> open database.</p><p>Use quotes for &quot;exact phrases&quot; "
     "and a minus sign to exclude words.</p>",
     "https://www.quillbrook.example/blog/search-everywhere", "Tue, 04 Mar 2025 09:00:00 +0000", ["Tips"]),
    ("Keep your reading list tidy",
     "<p>Mark items as read with a swipe, or let a smart rule move read items to an archive group after a "
     "week.</p><ul><li>Filter by unread</li><li>Sort by date</li></ul>",
     "https://www.quillbrook.example/blog/reading-list", "Mon, 03 Mar 2025 10:30:00 +0100", ["tips", "reading"]),
    ("Workspaces restore your windows",
     "Save the windows you have open as a workspace and bring them all back with one click &amp; no fuss.",
     "https://www.quillbrook.example/blog/workspaces", "Fri, 28 Feb 2025 08:15:00 GMT", ["tips"]),
    ("Version 4.2 is out",
     "<p>Release notes for version 4.2.</p>",
     "https://www.quillbrook.example/blog/release-4-2", "Thu, 27 Feb 2025 12:00:00 GMT", ["news"]),
    ("Label colours at a glance",
     "<p>The seven colour labels show as dots in the Favorites widget: red, orange, yellow, green, blue, purple "
     "and gray.</p>",
     "https://www.quillbrook.example/blog/labels", "Wed, 26 Feb 2025 16:45:00 -0500", ["tips"]),
]


def feed():
    items = []
    for title, description, link, date, categories in FEED_ITEMS:
        category_lines = "".join(f"      <category>{c}</category>\n" for c in categories)
        items.append(
            "    <item>\n"
            f"      <title>{title}</title>\n"
            f"      <link>{link}</link>\n"
            f"      <guid isPermaLink=\"true\">{link}</guid>\n"
            f"      <pubDate>{date}</pubDate>\n"
            f"{category_lines}"
            f"      <description><![CDATA[{description}]]></description>\n"
            "    </item>\n")
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<rss version="2.0">\n'
            "  <channel>\n"
            "    <title>Quillbrook Support Materials</title>\n"
            "    <link>https://www.quillbrook.example/blog</link>\n"
            "    <description>Tips and news about Quillbrook</description>\n"
            "    <language>en</language>\n"
            + "".join(items) +
            "  </channel>\n"
            "</rss>\n")


def main():
    SUPPORT.mkdir(parents=True, exist_ok=True)
    for name, value in (("Favorites.plist", favorites()), ("ReadingList.plist", reading_list()),
                        ("OrderedWorkspaces.plist", workspaces())):
        (SUPPORT / name).write_bytes(plistlib.dumps(value, fmt=plistlib.FMT_BINARY, sort_keys=True))
    (HERE / "feed.xml").write_text(feed(), encoding="utf-8")


if __name__ == "__main__":
    main()
