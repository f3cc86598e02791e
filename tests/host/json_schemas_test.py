#!/usr/bin/env python3
"""Runs the real program for every widget, family, parameter value and JSON-writing command, over the sample
home and over a home with no files, and validates every output against the schemas in docs/schemas.

    json_schemas_test.py PROGRAM EXAMPLES_DIR SCHEMAS_DIR

Exits 77 (skipped) when the jsonschema module is missing, 1 when an output breaks its schema.
"""
import http.server
import itertools
import json
import os
import pathlib
import plistlib
import select
import signal
import subprocess
import sys
import tempfile
import threading
import time

try:
    import jsonschema
    from jsonschema.exceptions import best_match
except ImportError:
    print("skipped: python3-jsonschema is not installed")
    sys.exit(77)

PROGRAM, EXAMPLES, SCHEMAS = (pathlib.Path(argument) for argument in sys.argv[1:4])
FAULTS = []


def validators():
    """One validator per schema file. The files refer to each other by relative names, resolved against
    the files' own location as any validator that reads them from disk does."""
    schemas = {path.resolve().as_uri(): json.loads(path.read_text())
               for path in SCHEMAS.glob("*.schema.json")}
    Validator = jsonschema.Draft202012Validator
    for schema in schemas.values():
        Validator.check_schema(schema)
    # Each schema is reached through its absolute address, so that relative references resolve beside it.
    roots = {uri.rsplit("/", 1)[1]: {"$ref": uri} for uri in schemas}
    try:  # jsonschema 4.18 and later resolve references through a registry
        from referencing import Registry, Resource

        registry = Registry().with_resources(
            (uri, Resource.from_contents(schema)) for uri, schema in schemas.items())
        return {name: Validator(root, registry=registry) for name, root in roots.items()}
    except ImportError:  # Debian 12's jsonschema 4.10
        return {name: Validator(root, resolver=jsonschema.RefResolver("", root, store=schemas))
                for name, root in roots.items()}


VALIDATORS = validators()


def check(schema, value, what):
    error = best_match(VALIDATORS[schema].iter_errors(value))
    if error is not None:
        where = "/".join(str(part) for part in error.absolute_path) or "(top)"
        FAULTS.append(f"{what}: {schema} at {where}: {error.message[:300]}")


class Home:
    """A home folder, the tips feed it gets and the cache the program keeps for it."""

    def __init__(self, name, folder, feed_base, cache):
        self.name, self.folder, self.feed_base, self.cache = name, folder, feed_base, cache

    def arguments(self, arguments):
        return [str(PROGRAM), *arguments, "--home", str(self.folder), "--feed-base", self.feed_base]

    def environment(self):
        return {**os.environ, "XDG_CACHE_HOME": str(self.cache), "LANGUAGE": "en"}


def run_json(home, arguments, schema):
    what = " ".join(arguments) + f" ({home.name})"
    result = subprocess.run(home.arguments(arguments), env=home.environment(), capture_output=True,
                            text=True, timeout=60)
    if result.returncode != 0:
        FAULTS.append(f"{what}: exit status {result.returncode}: {result.stderr.strip()}")
        return None
    try:
        value = json.loads(result.stdout)
    except json.JSONDecodeError as error:
        FAULTS.append(f"{what}: not JSON ({error})")
        return None
    check(schema, value, what)
    return value


def first_watch_line(home, arguments, schema):
    """Starts watch, validates the line it writes at once, and stops it."""
    what = " ".join(arguments) + f" ({home.name})"
    process = subprocess.Popen(home.arguments(arguments), env=home.environment(), stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL)
    line = b""
    deadline = time.monotonic() + 30
    while not line.endswith(b"\n") and time.monotonic() < deadline:
        ready, _, _ = select.select([process.stdout], [], [], max(0.0, deadline - time.monotonic()))
        if not ready:
            break
        chunk = os.read(process.stdout.fileno(), 1 << 16)
        if not chunk:
            break
        line += chunk
    process.send_signal(signal.SIGTERM)
    process.wait(timeout=30)
    process.stdout.close()
    if not line.endswith(b"\n"):
        FAULTS.append(f"{what}: no line within 30 seconds (exit status {process.returncode})")
        return
    first = line.split(b"\n", 1)[0]
    try:
        check(schema, json.loads(first), what)
    except json.JSONDecodeError as error:
        FAULTS.append(f"{what}: not JSON ({error})")


def serve_feed():
    feed = (EXAMPLES / "feed.xml").read_bytes()

    class FeedHandler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            self.send_response(200)
            self.send_header("Content-Type", "application/rss+xml")
            self.send_header("Content-Length", str(len(feed)))
            self.end_headers()
            self.wfile.write(feed)

        def log_message(self, *arguments):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), FeedHandler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return f"http://127.0.0.1:{server.server_address[1]}"


def settings_of(home, widget):
    """Every combination of the widget's parameter values: each enumeration case, each entity the home
    suggests and one id that no home suggests (a group deleted since it was chosen)."""
    choices = []
    for parameter in widget["parameters"]:
        command = parameter["choicesCommand"][1:]
        suggested = run_json(home, ["options", *command, "--format", "json"], "options.schema.json") or []
        values = [option["id"] for option in suggested]
        if parameter["isEntity"]:
            values.append("A Group Deleted Since")
            # A search that finds the last suggestion, and one that finds nothing.
            for search in (suggested[-1]["title"][:3] if suggested else "x", "no such choice"):
                run_json(home, ["options", *command, "--search", search, "--format", "json"],
                         "options.schema.json")
        elif parameter["choices"] != suggested:
            FAULTS.append(f"list: the choices of {' '.join(command)} differ from what options answers")
        choices.append([f"{parameter['name']}={value}" for value in values])
    for combination in itertools.product(*choices):
        yield [argument for setting in combination for argument in ("--set", setting)]


def check_home(home, widgets):
    for widget in widgets:
        kind = widget["kind"]
        for settings in settings_of(home, widget):
            answers = run_json(home, ["render", kind, *settings, "--format", "json"], "render.schema.json")
            if answers is not None and [answer.get("family") for answer in answers] != widget["families"]:
                FAULTS.append(f"render {kind} {' '.join(settings)}: not one answer per family, in order")
            for family in widget["families"]:
                chosen = [kind, "--family", family, *settings]
                for command, schema in (("placeholder", "snapshot.schema.json"),
                                        ("snapshot", "snapshot.schema.json"),
                                        ("timeline", "timeline.schema.json")):
                    run_json(home, [command, *chosen, "--format", "json"], schema)
                first_watch_line(home, ["watch", *chosen, "--format", "json"], "timeline.schema.json")
                first_watch_line(home, ["watch", *chosen, "--format", "waybar"], "waybar.schema.json")


def write_odd_home(folder):
    """A home whose files hold what links must encode or tag: blanks, non-ASCII, "&", "#", a scheme in
    mixed case, addresses that are no URL, dates far out of range."""
    support = folder / "Library" / "Application Support" / "Quillbrook"
    support.mkdir(parents=True)
    odd = "a b&c=d#e ü"
    plistlib.dump([{"URL": "https://例え.jp/" + odd, "title": "\u202eright to left"},
                   {"URL": "file:///tmp/" + odd, "title": "file", "unread": False, "type": 99999},
                   {"URL": "X-Quillbrook-SmartGroup://5E6F?widget=x", "title": "tagged twice"},
                   {"URL": "no url ::", "title": "no link"}, {"URL": "", "title": ""}],
                  (support / "ReadingList.plist").open("wb"))
    plistlib.dump([{"Name": odd, "Path": "/tmp/" + odd, "Label": 9, "Date": 1e15},
                   {"UUID": odd, "Label": -1, "Date": -1e15},
                   {"Name": odd, "Children": [{"SIUUID": odd, "Type": "x", "Icon": b"not an image"}]}],
                  (support / "Favorites.plist").open("wb"))
    plistlib.dump([{"Name": odd, "workspace": {"databases": [1, 2], "windows": "x"}}, {"Name": ""}],
                  (support / "OrderedWorkspaces.plist").open("wb"))


def main():
    with tempfile.TemporaryDirectory() as scratch:
        scratch = pathlib.Path(scratch)
        (scratch / "empty").mkdir()
        homes = [
            Home("examples/home", EXAMPLES / "home", serve_feed(), scratch / "cache-examples"),
            # Nothing to read and no feed: every widget's empty answer, and no tip.
            Home("a home with no files", scratch / "empty", "http://127.0.0.1:1", scratch / "cache-empty"),
        ]
        # The rest reads the widgets, their families and their parameters from the list.
        widgets = run_json(homes[0], ["list", "--format", "json"], "list.schema.json")
        if not FAULTS and len(widgets) != 4:
            FAULTS.append("list: expected the four widgets")
        if not FAULTS:
            for home in homes:
                check_home(home, widgets)
            # The odd home's items are written as every command writes them: one timeline each suffices.
            write_odd_home(scratch / "odd")
            odd = Home("a home of odd values", scratch / "odd", "http://127.0.0.1:1", scratch / "cache-odd")
            for widget in widgets:
                run_json(odd, ["timeline", widget["kind"], "--format", "json"], "timeline.schema.json")
    for fault in FAULTS:
        print(fault)
    print(f"{len(FAULTS)} faults" if FAULTS else "every output matches its schema")
    return 1 if FAULTS else 0


if __name__ == "__main__":
    sys.exit(main())
