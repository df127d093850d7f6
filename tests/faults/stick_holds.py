#!/usr/bin/env python3
"""The stick as its index says, for the fault scripts: the index lists exactly the given
EntryNames, each with the bytes of the file given for it, every listed setting file is there,
and no sound or setting file lies on the stick unlisted.

  stick_holds.py STICK NAME=FILE...
"""

import os
import re
import sys

stick, pairs = sys.argv[1], sys.argv[2:]
lines = open(os.path.join(stick, "tonkat.tkx"), "rb").read().decode("cp1252").split("\r\n")
listed = [line[:19] for line in lines if len(line) > 20 and line[19] == ";"]
settings = [line for line in lines if line.startswith("SET_")]
want = dict(pair.split("=", 1) for pair in pairs)
problems = []
if sorted(listed) != sorted(want):
    problems.append("the index lists %s, expected %s" % (sorted(listed), sorted(want)))
for name, source in want.items():
    path = os.path.join(stick, name)
    if not os.path.exists(path) or open(path, "rb").read() != open(source, "rb").read():
        problems.append("%s does not hold the bytes of %s" % (name, source))
for name in os.listdir(stick):
    if re.match(r"^([MRLKZUE]...|SET_)-\d{4}-\d{5}\.mp3$", name) and name not in listed + settings:
        problems.append(name + " is on the stick but not in the index")
problems += [name + " is listed but missing" for name in settings
             if not os.path.exists(os.path.join(stick, name))]
for problem in problems:
    print("FAILED: %s: %s" % (stick, problem))
sys.exit(1 if problems else 0)
