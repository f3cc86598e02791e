#!/usr/bin/env python3
"""The manual page renders, and lists the commands and options that the program's help does.

    man_page_test.py PROGRAM MAN_PAGE

The page's commands are the entries of COMMANDS (a line of "a|b|c" names several); a command's
options are those of its entry's first line plus those of the subsection "Every command" of OPTIONS.
The help's commands are those of the usage lines of `PROGRAM --help`, and a command's options those
that `PROGRAM COMMAND --help` names. Every option the page describes must be named by some help, and
every option a help names must be described.
"""
import os
import re
import shutil
import subprocess
import sys

OPTION = re.compile(r"(?<![\w-])--[a-z][a-z-]*")


def rendered(page):
    # Wide enough that no line is broken, so that no word is hyphenated.
    environment = dict(os.environ, MANWIDTH="1000", LC_ALL="C.UTF-8")
    result = subprocess.run(["man", "--warnings", "-l", page], capture_output=True, text=True, env=environment)
    if result.returncode != 0 or result.stderr.strip():
        sys.exit(f"FAIL: man -l {page}: {result.stderr.strip()}")
    return result.stdout.splitlines()


def sections(lines):
    """{section: {subsection: [lines]}} of the rendered page; lines without a subsection under ""."""
    found, section, subsection = {}, None, ""
    for line in lines:
        if re.match(r"^[A-Z][A-Z ]+$", line):
            section, subsection = line.strip(), ""
            found[section] = {"": []}
        elif section and re.match(r"^ {3}\S", line):
            subsection = line.strip()
            found[section][subsection] = []
        elif section:
            found[section][subsection].append(line)
    return found


def page_words(parts):
    commands = {}
    for line in parts["COMMANDS"][""]:
        entry = re.match(r"^ {7}(\S+)(.*)$", line)
        if entry and not line.strip().startswith("Example"):
            for name in entry.group(1).split("|"):
                commands[name] = set(OPTION.findall(entry.group(2)))
    options = {sub: set(OPTION.findall("\n".join(l for l in text if re.match(r"^ {7}-", l))))
               for sub, text in parts["OPTIONS"].items()}
    return commands, options


def help_words(program):
    def run(*arguments):
        result = subprocess.run([program, *arguments, "--help"], capture_output=True, text=True)
        if result.returncode != 0:
            sys.exit(f"FAIL: {' '.join(arguments)} --help: {result.stderr}")
        return result.stdout

    main = run()
    usage = main.split("usage:\n", 1)[1].split("\n\n", 1)[0]
    commands = {}
    for line in usage.splitlines():
        for name in line.split()[1].split("|"):
            commands[name] = set(OPTION.findall(run(name))) if name != "help" else set()
    return commands, set(OPTION.findall(main))


def main():
    program, page = sys.argv[1:3]
    if not shutil.which("man"):
        print("SKIPPED: man is not installed; scripts/setup.sh installs it")
        sys.exit(77)
    parts = sections(rendered(page))
    page_commands, page_options = page_words(parts)
    help_commands, main_options = help_words(program)
    problems = []
    if set(page_commands) != set(help_commands):
        problems.append(f"commands only in the page: {sorted(set(page_commands) - set(help_commands))}, "
                        f"only in the help: {sorted(set(help_commands) - set(page_commands))}")
    everywhere = page_options.get("Every command", set())
    if not everywhere:
        problems.append("the page has no options under \"Every command\"")
    for name in sorted(set(page_commands) & set(help_commands) - {"help"}):
        expected, described = help_commands[name], page_commands[name] | everywhere
        if expected != described:
            problems.append(f"{name}: only in {name} --help: {sorted(expected - described)}, "
                            f"only in the page: {sorted(described - expected)}")
    described = set().union(*page_options.values())
    named = main_options.union(*help_commands.values())
    if described != named:
        problems.append(f"options only in a help: {sorted(named - described)}, "
                        f"only in the page's OPTIONS: {sorted(described - named)}")
    missing = {"NAME", "SYNOPSIS", "DESCRIPTION", "FILES", "ENVIRONMENT", "EXIT STATUS", "EXAMPLES"} - set(parts)
    if missing:
        problems.append(f"the page has no section {', '.join(sorted(missing))}")
    if problems:
        sys.exit("FAIL: the manual page and the help differ:\n  " + "\n  ".join(problems))
    print(f"PASS: the page lists the {len(help_commands)} commands and {len(named)} options of the help")


if __name__ == "__main__":
    main()
