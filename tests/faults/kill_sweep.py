#!/usr/bin/env python3
"""Kills tonarion-cli at every file operation of everyday actions and checks that one start
and one commit afterwards leave the stick exactly as its index says.

  kill_sweep.py TONARION_CLI KILLSHIM_SO folder|fat [SCENARIO...]

An undisturbed run of each action under the shim counts its operations and writes and gives the
stick as it should be afterwards. Then, killed before and after every operation k and after
writes in the middle of a copy, each time on the prepared stick: "repair" (one start plus the
closing commit) runs, and the stick is compared with its index by file contents; then a later
commit must succeed and keep it so. "fat" does this on a FAT32 image mounted with fusefat (needs
root and /dev/fuse; exit status 77, skipped, without them).

What the module plays is what the root holds under an EntryName or SettingEntry, so every such
file must be listed, every listed sound complete, every setting there once, and the bindings all
as before the interrupted action or all as after it.

KILL_SWEEP_MAX_WRITES (default 16) caps the write kills per action, spread evenly. Every finding
is printed once with the kills that showed it; KILL_SWEEP_VERBOSE=1 prints every case.
"""

import math
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import wave

HEADER = "Tonarion-Inhalt - Veltrako Ruzirovuza GmbH"
INDEX = "tonkat.tkx"
ENTRY_NAME = re.compile(r"^[MRLKZUE][A-Z0-9_]{3}-[0-9]{4}-[0-9]{5}\.mp3$", re.I)
SETTING_NAME = re.compile(r"^SET_-000([1-6])-[0-9]{5}\.mp3$", re.I)
# A name that starts like a sound, a setting or the index but goes on: a temporary copy, a
# parked file, an index not yet moved into place.
LEFTOVER = re.compile(
    r"^(([MRLKZUE][A-Z0-9_]{3}-[0-9]{4}-[0-9]{5}|SET_-[0-9]{4}-[0-9]{5})\.mp3|tonkat\.tkx).", re.I)
# Sounds with contents of their own; the large ones take several writes to copy, so that a kill
# can leave half of one. Each starts with its name, so a truncated copy still says whose it is.
SOUND_SIZES = {"a.mp3": 300000, "b.mp3": 900, "z1.mp3": 200000, "z2.mp3": 1200,
               "z3.mp3": 450000, "new.mp3": 520000}
SCENARIOS = ["bind-new", "rebind", "settings", "delete", "delete-random",
             "delete-random-sources-gone", "level"]
# A recording the stick gets converted to MP3, and whose loudness "level" changes: a second of
# a quiet tone, so that the levelled sound is louder by far.
TONE = "tone.wav"
TONE_ROW = 6


def read_bytes(path):
    with open(path, "rb") as file:
        return file.read()


def folded(names, wanted):
    """The name in names that is wanted, in any case: FAT keeps names without case."""
    return next((name for name in names if name.casefold() == wanted.casefold()), None)


class Stick:
    """The stick's root, read against the known sounds."""

    def __init__(self, root, sounds):
        self.root, self.sounds = root, sounds  # sounds: name -> content
        self.known = {data: name for name, data in sorted(sounds.items(), reverse=True)}

    def describe(self, data):
        """What a file's bytes are, for a message."""
        if data in self.known:
            return "holds " + self.known[data]
        truncated = [(name, len(content)) for name, content in sorted(self.sounds.items())
                     if len(data) < len(content) and content.startswith(data)]
        if data and truncated:
            return "holds the first %d of %d bytes of %s: a truncated copy" % (
                len(data), truncated[0][1], truncated[0][0])
        return "holds %d bytes that are no known sound" % len(data) if data else "is empty"

    def read_index(self, names, problems):
        """The entry lines (EntryName, source) and the settings by number, or None."""
        name = folded(names, INDEX)
        if name is None:
            return problems.append(INDEX + ": the index file is missing")
        data = read_bytes(os.path.join(self.root, name))
        text = data.decode("cp1252", errors="replace")
        if text and not text.endswith("\r\n"):
            problems.append("%s: ends in the middle of a line (%d bytes): a half-written index"
                            % (INDEX, len(data)))
        lines = text[:-2].split("\r\n") if text.endswith("\r\n") else text.split("\r\n")
        if lines[0] != HEADER:
            problems.append("%s: the first line is %r, not the header" % (INDEX, lines[0]))
        entries, settings = [], {}
        for number, line in enumerate(lines, start=1):
            if "\n" in line or "\r" in line:
                problems.append("%s line %d: a line end other than CR LF" % (INDEX, number))
            if line.startswith("SET_"):
                if len(line) >= 9 and line[8] in "123456":
                    settings[int(line[8])] = line
            elif line != HEADER and line.find(";", 19) >= 0:
                entries.append((line[:19], line[20:]))
        return entries, settings

    def learn_unknown(self, name):
        """Takes the bytes of every listed file that are no known sound as the sound name: a
        sound the program made itself, converted or levelled."""
        names = sorted(os.listdir(self.root))
        for entry, _ in (self.read_index(names, []) or ([], {}))[0]:
            file = folded(names, entry)
            data = read_bytes(os.path.join(self.root, file)) if file else None
            if data and data not in self.known:
                self.sounds[name] = data
                self.known[data] = name

    def in_root(self, source):
        """The name of a source path that lies in the stick's root, else None."""
        folder, name = os.path.split(source.replace("\\", "/"))
        try:
            return name if os.path.samefile(folder or ".", self.root) else None
        except OSError:
            return None

    def state(self, problems):
        """The bindings the stick holds: which known sound lies under which listed EntryName,
        and the listed settings. Each way in which it is not what its index says goes to
        problems."""
        names = sorted(os.listdir(self.root))
        index = self.read_index(names, problems)
        if index is None:
            return None
        entries, settings = index
        bound = {}
        for entry, source in entries:
            file = folded(names, entry)
            data = read_bytes(os.path.join(self.root, file)) if file else None
            listed = entry + ": listed in the index, but "
            if not ENTRY_NAME.match(entry):
                problems.append(listed + "no EntryName")
                continue
            bound[entry.upper()] = self.known.get(data, "<missing>" if file is None else
                                                  "<incomplete>")
            if data not in self.known:
                problems.append(listed + ("missing on the stick" if file is None else
                                          self.describe(data)))
            elif self.in_root(source) is not None:
                if self.in_root(source).casefold() != entry.casefold():
                    problems.append("%s: the index gives another stick file, %s, as its source: a"
                                    " move the next commit would still do"
                                    % (entry, self.in_root(source)))
            elif os.path.isfile(source) and read_bytes(source) != data:
                problems.append("%s: %s, but its source %s in the index %s" % (
                    entry, self.describe(data), source, self.describe(read_bytes(source))))
        listed = {name.casefold() for name, _ in entries}
        for name in names:
            path = os.path.join(self.root, name)
            if not os.path.isfile(path):
                continue
            if ENTRY_NAME.match(name) and name.casefold() not in listed:
                problems.append("%s: on the stick but not in the index, so the module plays it; "
                                "it %s" % (name, self.describe(read_bytes(path))))
            elif LEFTOVER.match(name):
                problems.append("%s: left behind (it %s)"
                                % (name, self.describe(read_bytes(path))))
        for number in range(1, 7):
            files = [name for name in names if SETTING_NAME.match(name)
                     and int(SETTING_NAME.match(name).group(1)) == number]
            if number not in settings or len(files) != 1 or \
                    files[0].casefold() != settings[number].casefold():
                problems.append("setting %d: the stick holds %s; the index lists %s"
                                % (number, ", ".join(files) or "none", settings.get(number)))
        return {"sounds": bound, "settings": {n: name.upper() for n, name in settings.items()}}


def differences(state, expected):
    """How state differs from expected, in words."""
    words = []
    for part in ("sounds", "settings"):
        have, want = state[part], expected[part]
        words += ["%s %s is %s, not %s" % (part, key, have.get(key), want.get(key))
                  for key in sorted(set(have) | set(want)) if have.get(key) != want.get(key)]
    return "; ".join(words)


class Sweep:
    def __init__(self, cli, shim, medium, work):
        self.cli, self.shim, self.medium, self.work = cli, shim, medium, work
        self.stick, self.music, self.image = work + "/stick", work + "/music", work + "/stick.img"
        self.fuse = None
        os.makedirs(self.stick)
        os.makedirs(self.music)
        sounds = {}
        for name, size in SOUND_SIZES.items():
            rng = random.Random(name)
            head = ("sound " + name + "\n").encode()
            sounds[name] = head + bytes(rng.getrandbits(8) for _ in range(size - len(head)))
            with open(os.path.join(self.music, name), "wb") as file:
                file.write(sounds[name])
        with wave.open(os.path.join(self.music, TONE), "wb") as tone:
            tone.setnchannels(1)
            tone.setsampwidth(2)
            tone.setframerate(44100)
            tone.writeframes(b"".join(
                int(800 * math.sin(2 * math.pi * 440 * i / 44100)).to_bytes(2, "little", signed=True)
                for i in range(44100)))
        self.reader = Stick(self.stick, sounds)
        self.findings = {}  # (scenario, finding) -> the kills that showed it

    def mount(self):
        # In the foreground of a child: after unmounting, the image is replaced only once
        # fusefat has written everything and ended.
        self.fuse = subprocess.Popen(["fusefat", "-f", "-o", "rw+", self.image, self.stick],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(200):
            if os.path.ismount(self.stick):
                return
            if self.fuse.poll() is not None:
                break
            time.sleep(0.02)
        sys.exit("kill_sweep: fusefat did not mount " + self.image)

    def unmount(self):
        if self.fuse:
            subprocess.run(["fusermount", "-u", self.stick])
            self.fuse.wait()
            self.fuse = None

    def restore(self, save=False):
        """Puts the prepared stick back, or with save, keeps the stick as the prepared one."""
        copy = [self.work + "/prepared", self.stick]
        if self.medium == "fat":
            self.unmount()
            copy = [self.work + "/prepared.img", self.image]
        elif not save:
            shutil.rmtree(self.stick)
        subprocess.run(["cp", "-a", "--sparse=always"] + copy[::-1 if save else 1], check=True)
        if self.medium == "fat":
            self.mount()

    def prepare(self):
        """The stick every action starts from: five rows, three of them random sounds whose
        running numbers close up when one of them goes."""
        if self.medium == "fat":
            subprocess.run(["truncate", "-s", "40M", self.image], check=True)
            subprocess.run(["mkfs.vfat", "-F", "32", "-n", "TONARION", self.image],
                           stdout=subprocess.DEVNULL, check=True)
            self.mount()
        for command in ("init", "bind --file a.mp3 --event M --status G --mode M --prio 2 --adr1 12",
                        "bind --file b.mp3 --event R --status B --mode M --prio 1 --adr1 3 --adr2 4",
                        "bind --file z1.mp3 --event Z --mode M",
                        "bind --file z2.mp3 --event Z --mode M",
                        "bind --file z3.mp3 --event Z --mode M",
                        "bind --file %s --convert --event M --status R --mode M --prio 3 --adr1 40"
                        % TONE):
            if subprocess.run([self.cli] + self.words(command), stdout=subprocess.DEVNULL).returncode:
                sys.exit("kill_sweep: the stick could not be prepared: tonarion-cli " + command)
        self.reader.learn_unknown("tone.mp3")
        self.restore(save=True)

    def words(self, command):
        """A command of tonarion-cli on the stick: its first word, the stick, then the rest."""
        first, *rest = command.split()
        return [first, self.stick] + [self.music + "/" + word if word.endswith((".mp3", ".wav"))
                                      else word for word in rest]

    def run(self, log, command, **kill):
        """tonarion-cli under the shim: its exit status (-9 when the shim killed it) and output.
        In a sanitizer build AddressSanitizer would insist on being loaded before the shim."""
        for path in (log, self.work + "/count"):
            if os.path.exists(path):
                os.remove(path)
        asan = os.environ.get("ASAN_OPTIONS")
        env = dict(os.environ, LD_PRELOAD=self.shim, TONARION_KILL_ROOT=self.stick,
                   TONARION_KILL_LOG=log, TONARION_KILL_COUNT=self.work + "/count",
                   ASAN_OPTIONS=(asan + ":" if asan else "") + "verify_asan_link_order=0",
                   **{"TONARION_KILL_" + name.upper(): str(value) for name, value in kill.items()})
        try:
            done = subprocess.run([self.cli] + command, env=env, capture_output=True, timeout=120)
            return done.returncode, " ".join((done.stdout + done.stderr).decode("utf-8", "replace")
                                             .split()), done.stderr
        except subprocess.TimeoutExpired:
            return 124, "timed out", b"timed out"

    def check(self, before, after, logs):
        """Each way in which the stick is not what its index says, or was written outside."""
        problems = []
        state = self.reader.state(problems)
        if state is not None and state not in (before, after):
            problems.append("bindings neither all as before nor all as after the action: against"
                            " before, %s; against after, %s"
                            % (differences(state, before), differences(state, after)))
        for log in filter(os.path.exists, logs):
            with open(log, encoding="utf-8", errors="replace") as file:
                problems += ["written outside the stick: " + line[8:].strip()
                             for line in file if line.startswith("outside ")]
        return problems

    def row_of(self, sound):
        """The table row that binds a sound of the computer, as the index lists the rows."""
        entries = (self.reader.read_index(sorted(os.listdir(self.stick)), []) or ([], {}))[0]
        sources = [os.path.basename(source) for _, source in entries]
        return sources.index(sound) + 1 if sound in sources else 2

    def case(self, scenario, label, command, before, after, **kill):
        """The action killed as kill says, then repair, then the checks; how many failed."""
        self.restore()
        logs = [self.work + "/action.log", self.work + "/repair.log", self.work + "/later.log"]
        status = self.run(logs[0], command, **kill)[0]
        # The operation was never reached: the action ran to its end (or failed) on its own.
        notes = [] if status == -signal.SIGKILL else ["note: not killed (exit status %d)" % status]
        status, output, _ = self.run(logs[1], ["repair", self.stick])
        findings = ["repair: exit status %d: %s" % (status, output)] if status else []
        checked = self.check(before, after, logs[:2])
        # The stick must also stay usable: a later commit that changes nothing (b.mp3's row
        # bound to what it is) succeeds and keeps the stick as it was.
        status, _, errors = self.run(logs[2], self.words(
            "bind --row %d --event R --status B --mode M --prio 1 --adr1 3 --adr2 4"
            % self.row_of("b.mp3")))
        if status or errors:
            findings.append("a later commit (bind row 2 unchanged): exit status %d: %s"
                            % (status, " ".join(errors.decode("utf-8", "replace").split())))
        elif not checked:
            checked = ["after a later commit: " + p for p in self.check(before, after, logs[2:])]
        findings += checked
        for finding in findings:
            self.findings.setdefault((scenario, finding.replace(self.work + "/", "")), []).append(
                label)
        if os.environ.get("KILL_SWEEP_VERBOSE") == "1":
            print("%s %s/%s, killed %s" % ("FAIL" if findings else "ok  ", self.medium, scenario,
                                           label))
            print("".join("    %s\n" % line.replace(self.work + "/", "")
                          for line in notes + findings), end="")
        return 1 if findings else 0

    def sweep(self, scenario, max_writes):
        """Every case of one scenario; its line of the summary and how many cases failed."""
        started = time.time()
        command = {"bind-new": "bind --file new.mp3 --event M --status R --mode O --prio 1 "
                               "--adr1 30",
                   "rebind": "bind --row 1 --event R --status F --mode O --prio 1 --adr1 5 "
                             "--adr2 8",
                   "settings": "settings --volume 25", "delete": "delete 1",
                   "delete-random": "delete 3",
                   "delete-random-sources-gone": "delete 3",
                   "level": "level --target -14 %d" % TONE_ROW}.get(scenario)
        if command is None:
            sys.exit("kill_sweep: no scenario '%s'" % scenario)
        command = self.words(command)
        # The random sounds exist only on the stick: deleted on the computer since binding.
        hidden = ["z1.mp3", "z2.mp3", "z3.mp3"] if scenario.endswith("gone") else []
        for name in hidden:
            os.rename(self.music + "/" + name, self.work + "/" + name)
        self.restore()
        problems = []
        before = self.reader.state(problems)
        if problems:
            sys.exit("kill_sweep: the prepared stick is not what its index says:\n"
                     + "\n".join(problems))
        log = self.work + "/undisturbed.log"
        status, output, _ = self.run(log, command)
        if status:
            sys.exit("kill_sweep: %s fails without a kill: %s" % (scenario, output))
        self.reader.learn_unknown("tone levelled")
        with open(self.work + "/count") as file:
            operations, writes = (int(word) for word in file.read().split()[1::2])
        with open(log, encoding="utf-8", errors="replace") as file:
            lines = [line.rstrip("\n").replace(self.stick + "/", "").split(" ", 2) for line in file]
        if any(line[0] == "outside" for line in lines):
            sys.exit("kill_sweep: %s without a kill writes outside the stick:\n%s" % (
                scenario, "\n".join(" ".join(line) for line in lines if line[0] == "outside")))
        after = self.reader.state(problems)
        if problems:
            sys.exit("kill_sweep: %s without a kill leaves a stick other than its index says:\n"
                     % scenario + "\n".join(problems))
        if after == before:
            sys.exit("kill_sweep: %s changed nothing on the stick" % scenario)

        print("%s/%s: tonarion-cli %s" % (self.medium, scenario,
                                          " ".join(command).replace(self.work + "/", "")))
        ops = {int(line[1]): line[2] for line in lines if line[0] == "op"}
        for k in range(1, operations + 1):
            print("    operation %d: %s" % (k, ops.get(k, "")))
        failed = cases = 0
        for k in range(1, operations + 1):
            for when in ("before", "after"):
                failed += self.case(scenario, "%s %d" % (when, k), command, before, after, at=k,
                                    when=when)
                cases += 1
        # Kills right after a write: a copy broken off half-way. With many writes, an even spread.
        for n in range(1, writes + 1, max(1, -(-writes // max_writes))):
            failed += self.case(scenario, "write %d" % n, command, before, after, write_at=n)
            cases += 1
        for name in hidden:
            os.rename(self.work + "/" + name, self.music + "/" + name)
        return failed, cases, "%-36s %3d of %3d cases failed (%d operations, %d writes, %ds)" % (
            self.medium + "/" + scenario, failed, cases, operations, writes, time.time() - started)


def main():
    cli, shim, medium = os.path.realpath(sys.argv[1]), os.path.realpath(sys.argv[2]), sys.argv[3]
    if medium == "fat" and (os.getuid() != 0 or not os.path.exists("/dev/fuse") or
                            not shutil.which("fusefat") or not shutil.which("mkfs.vfat")):
        print("kill_sweep: fat needs root, /dev/fuse, fusefat and mkfs.vfat; skipped")
        return 77
    if medium not in ("fat", "folder"):
        sys.exit("kill_sweep: the medium is folder or fat, not '%s'" % medium)
    work = tempfile.mkdtemp(prefix="tonarion-kill-sweep.")
    sweep = Sweep(cli, shim, medium, work)
    try:
        sweep.prepare()
        max_writes = int(os.environ.get("KILL_SWEEP_MAX_WRITES", "16"))
        results = [sweep.sweep(scenario, max_writes) for scenario in sys.argv[4:] or SCENARIOS]
    finally:
        sweep.unmount()
        shutil.rmtree(work, ignore_errors=True)
    # Each distinct finding once, with the cases that showed it: "before 3" is a kill before
    # operation 3, "write 5" one right after the fifth write.
    if sweep.findings:
        print("\nFindings (scenario: the kills that show it):")
    for (scenario, finding), labels in sweep.findings.items():
        print("%s/%s: %s\n    %s" % (medium, scenario, ", ".join(labels), finding))
    print("\n" + "\n".join(summary for _, _, summary in results))
    failed = sum(result[0] for result in results)
    print("kill_sweep %s: %d of %d cases left the stick other than its index says"
          % (medium, failed, sum(result[1] for result in results)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
