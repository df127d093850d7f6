#!/usr/bin/env python3
"""Compares a stick with its index file tonkat.tkx, by file contents.

  check_stick.py state STICK SOUNDS > state.json
      the bindings the stick holds: which known sound lies under which listed EntryName, and
      the listed setting names
  check_stick.py check STICK SOUNDS --before B.json --after A.json [--log SHIMLOG]...
      prints one line per way in which the stick is not what its index says; exit status 1
      when there is any

SOUNDS is a folder that holds every sound the stick may carry, under names that say which
it is. What the module plays is what the root holds under an EntryName or SettingEntry; the
index is only the program's record of it, so every such file must be listed, every listed
sound complete, every setting there once, and the bindings all as before the interrupted
action or all as after it.
"""

import argparse
import json
import os
import re
import sys

HEADER = "Tonarion-Inhalt - Veltrako Ruzirovuza GmbH"
INDEX_NAME = "tonkat.tkx"
ENTRY_NAME = re.compile(r"^[MRLKZUE][A-Z0-9_]{3}-[0-9]{4}-[0-9]{5}\.mp3$", re.IGNORECASE)
SETTING_NAME = re.compile(r"^SET_-000([1-6])-[0-9]{5}\.mp3$", re.IGNORECASE)
# A name that starts like a sound, a setting or the index but goes on: a temporary copy, a
# parked file, an index not yet moved into place.
LEFTOVER = re.compile(
    r"^(([MRLKZUE][A-Z0-9_]{3}-[0-9]{4}-[0-9]{5}|SET_-[0-9]{4}-[0-9]{5})\.mp3|tonkat\.tkx).",
    re.IGNORECASE,
)


class Sounds:
    """The known sounds, to tell what a file on the stick holds."""

    def __init__(self, folder):
        self.by_content = {}
        self.contents = []
        for name in sorted(os.listdir(folder)):
            with open(os.path.join(folder, name), "rb") as file:
                data = file.read()
            self.by_content.setdefault(data, name)
            self.contents.append((name, data))

    def name_of(self, data):
        return self.by_content.get(data)

    def describe(self, data):
        """What a file's bytes are, for a message."""
        known = self.name_of(data)
        if known is not None:
            return "holds " + known
        if not data:
            return "is empty"
        for name, content in self.contents:
            if len(data) < len(content) and content.startswith(data):
                return "holds the first %d of %d bytes of %s: a truncated copy" % (
                    len(data), len(content), name)
        return "holds %d bytes that are no known sound" % len(data)


def read_bytes(path):
    with open(path, "rb") as file:
        return file.read()


def find_name(names, wanted):
    """The name in the root that is wanted, in any case: FAT keeps names without case."""
    folded = wanted.casefold()
    return next((name for name in names if name.casefold() == folded), None)


def read_index(stick, names, problems):
    """The entry lines (EntryName, source) and the settings by number, or None."""
    index_name = find_name(names, INDEX_NAME)
    if index_name is None:
        problems.append("%s: the index file is missing" % INDEX_NAME)
        return None
    data = read_bytes(os.path.join(stick, index_name))
    text = data.decode("cp1252", errors="replace")
    if text and not text.endswith("\r\n"):
        problems.append("%s: ends in the middle of a line (%d bytes): a half-written index"
                        % (INDEX_NAME, len(data)))
    lines = text.split("\r\n")
    if lines and lines[-1] == "":
        lines.pop()
    if not lines or lines[0] != HEADER:
        problems.append("%s: the first line is %r, not the header %r"
                        % (INDEX_NAME, lines[0] if lines else "", HEADER))
    entries = []
    settings = {}
    for number, line in enumerate(lines, start=1):
        if "\n" in line or "\r" in line:
            problems.append("%s line %d: a line end other than CR LF" % (INDEX_NAME, number))
        if line == HEADER:
            continue
        if line.startswith("SET_"):
            if len(line) >= 9 and line[8] in "123456":
                settings[int(line[8])] = line
            continue
        if line.find(";", 19) >= 0:
            entries.append((line[:19], line[20:]))
    return entries, settings


def on_stick(stick, source):
    """The name of a source path that lies in the stick's root, else None."""
    folder, name = os.path.split(source.replace("\\", "/"))
    try:
        if os.path.samefile(folder or ".", stick):
            return name
    except OSError:
        pass
    return None


def stick_state(stick, sounds, problems):
    """The bindings the stick holds; every way in which it is not what its index says goes to
    problems."""
    names = sorted(os.listdir(stick))
    index = read_index(stick, names, problems)
    if index is None:
        return None
    entries, settings = index
    bound = {}
    for entry_name, source in entries:
        if not ENTRY_NAME.match(entry_name):
            problems.append("%s: listed in the index, but no EntryName" % entry_name)
            continue
        file_name = find_name(names, entry_name)
        if file_name is None:
            problems.append("%s: listed in the index, but missing on the stick" % entry_name)
            bound[entry_name.upper()] = "<missing>"
            continue
        data = read_bytes(os.path.join(stick, file_name))
        known = sounds.name_of(data)
        if known is None:
            problems.append("%s: listed in the index, but %s"
                            % (entry_name, sounds.describe(data)))
            bound[entry_name.upper()] = "<incomplete>"
            continue
        bound[entry_name.upper()] = known
        stick_source = on_stick(stick, source)
        if stick_source is not None:
            if stick_source.casefold() != entry_name.casefold():
                problems.append("%s: the index gives another stick file, %s, as its source: "
                                "a move the next commit would still do" % (entry_name,
                                                                           stick_source))
        elif os.path.isfile(source):
            source_data = read_bytes(source)
            if source_data != data:
                problems.append("%s: %s, but its source %s in the index %s"
                                % (entry_name, sounds.describe(data), source,
                                   sounds.describe(source_data)))
    listed = {name.casefold() for name, _ in entries}
    for name in names:
        path = os.path.join(stick, name)
        if not os.path.isfile(path):
            continue
        if ENTRY_NAME.match(name) and name.casefold() not in listed:
            problems.append("%s: on the stick but not in the index, so the module plays it; "
                            "it %s" % (name, sounds.describe(read_bytes(path))))
        elif LEFTOVER.match(name):
            problems.append("%s: left behind (%d bytes; it %s)"
                            % (name, os.path.getsize(path), sounds.describe(read_bytes(path))))
    for number in range(1, 7):
        files = [name for name in names if SETTING_NAME.match(name)
                 and int(SETTING_NAME.match(name).group(1)) == number]
        listed_setting = settings.get(number)
        if listed_setting is None:
            problems.append("setting %d: the index lists none (the stick holds %s)"
                            % (number, ", ".join(files) or "none either"))
        elif len(files) != 1:
            problems.append("setting %d: the stick holds %d files for it (%s); the index lists %s"
                            % (number, len(files), ", ".join(files) or "none", listed_setting))
        elif files[0].casefold() != listed_setting.casefold():
            problems.append("setting %d: the stick holds %s, but the index lists %s"
                            % (number, files[0], listed_setting))
    return {"sounds": bound,
            "settings": {str(n): name.upper() for n, name in sorted(settings.items())}}


def differences(state, expected):
    """How state differs from expected, in words."""
    words = []
    sounds, wanted = state["sounds"], expected["sounds"]
    for name in sorted(set(sounds) | set(wanted)):
        have, want = sounds.get(name), wanted.get(name)
        if have != want:
            words.append("%s holds %s, not %s" % (name, have or "nothing", want or "nothing"))
    settings, wanted = state["settings"], expected["settings"]
    for number in sorted(set(settings) | set(wanted)):
        if settings.get(number) != wanted.get(number):
            words.append("setting %s is %s, not %s"
                         % (number, settings.get(number), wanted.get(number)))
    return "; ".join(words)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("command", choices=["state", "check"])
    parser.add_argument("stick")
    parser.add_argument("sounds")
    parser.add_argument("--before")
    parser.add_argument("--after")
    parser.add_argument("--log", action="append", default=[],
                        help="a log of the kill shim; what it lists outside the stick fails")
    args = parser.parse_args()
    sounds = Sounds(args.sounds)
    problems = []
    state = stick_state(args.stick, sounds, problems)
    if args.command == "state":
        if problems or state is None:
            print("\n".join(problems), file=sys.stderr)
            return 1
        json.dump(state, sys.stdout, indent=1, sort_keys=True)
        print()
        return 0
    with open(args.before) as file:
        before = json.load(file)
    with open(args.after) as file:
        after = json.load(file)
    if state is not None and state != before and state != after:
        problems.append("bindings neither all as before nor all as after the action: against "
                        "before, %s; against after, %s"
                        % (differences(state, before), differences(state, after)))
    for log in args.log:
        if os.path.exists(log):
            with open(log, encoding="utf-8", errors="replace") as file:
                for line in file:
                    if line.startswith("outside "):
                        problems.append("written outside the stick: " + line[8:].strip())
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
