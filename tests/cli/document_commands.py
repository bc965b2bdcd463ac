#!/usr/bin/env python3
"""Runs every tarmel-render command that README.md and the manual pages show, as a reader would
type it, each in a fresh temporary folder against the built programs, so that the documents
cannot promise what the programs do not do.

Usage: document_commands.py SOURCE_DIR TARMEL_RENDER TARMEL

Commands are taken from the README's ```sh blocks (continued lines joined), from its inline
`code` that starts with a program name, and from the .nf/.fi examples of packaging/*.1 and *.5.
A program's name alone is prose, not a command. tarmel itself opens a window, so only its
--help and --version commands run. Words that stand
for something (FILE, DIR, N) mark a pattern, not a command, and are left out. Each folder holds
what a reader has at hand: the shipped presets in presets/, build/cli/tarmel-render, the settings
files a command names (copies of a preset), and an aplay that only checks it gets a WAV stream.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

PROGRAMS = ("tarmel-render", "build/cli/tarmel-render", "tarmel", "build/app/tarmel")
PLACEHOLDER = re.compile(r"\b[A-Z]{2,}\b")


def is_command(text):
    program = text.split(" ", 1)[0]
    if program not in PROGRAMS or " " not in text or PLACEHOLDER.search(text):
        return False
    if program.endswith("tarmel"):  # the window: only what prints and exits
        return re.search(r"(^| )(-h|--help|-v|--version)( |$)", text) is not None
    return True


def readme_commands(text):
    commands = []
    blocks = re.findall(r"^ *```sh\n(.*?)^ *```", text, re.S | re.M)
    for block in blocks:
        for line in block.replace("\\\n", " ").splitlines():
            commands.append(re.sub(r" +", " ", line.strip()))
    prose = re.sub(r"^ *```.*?^ *```", "", text, flags=re.S | re.M)
    commands += [re.sub(r"\s+", " ", span) for span in re.findall(r"`([^`]+)`", prose)]
    return commands


def manual_commands(text):
    commands = []
    for block in re.findall(r"^\.nf\n(.*?)^\.fi", text, re.S | re.M):
        for line in block.splitlines():
            commands.append(line.replace("\\-", "-").replace("\\&", "").strip())
    return commands


def main(source, render, tarmel):
    source = Path(source)
    render, tarmel = Path(render).resolve(), Path(tarmel).resolve()
    found = [("README.md", c) for c in readme_commands((source / "README.md").read_text())]
    for page in sorted((source / "packaging").glob("*.[15]")):
        found += [(page.name, c) for c in manual_commands(page.read_text())]
    commands = [(where, c) for where, c in found if is_command(c)]
    if len(commands) < 10:
        print(f"FAIL: only {len(commands)} commands found; has the documents' form changed?")
        return 1
    failed = 0
    for where, command in commands:
        with tempfile.TemporaryDirectory(prefix="tarmel-doc-") as folder:
            work = Path(folder)
            shutil.copytree(source / "presets", work / "presets")
            for name, built in (("build/cli/tarmel-render", render), ("build/app/tarmel", tarmel),
                                ("bin/tarmel-render", render), ("bin/tarmel", tarmel)):
                (work / name).parent.mkdir(parents=True, exist_ok=True)
                (work / name).symlink_to(built)
            (work / "bin/aplay").write_text(
                '#!/bin/sh\n[ "$(head -c 4)" = RIFF ] || { echo "aplay: not a WAV stream" >&2; '
                "exit 1; }\ncat >/dev/null\n")
            (work / "bin/aplay").chmod(0o755)
            # Settings a command reads (not those it writes with -o).
            for name in re.findall(r"(?:^| )(?<!-o )([\w.-]+\.tarmel)\b", command):
                if not (work / name).exists():
                    shutil.copy(source / "presets/cowbell.tarmel", work / name)
            # A recording to match: a preset's sound.
            for name in re.findall(r"--match ([\w.-]+\.(?:wav|flac|ogg|aiff))\b", command):
                subprocess.run([str(render), "--settings", str(source / "presets/cowbell.tarmel"),
                                "-o", str(work / name)], check=True, capture_output=True)
            # The installed presets are the shipped ones.
            runnable = command.replace("/usr/share/tarmel/presets", "presets")
            env = dict(os.environ, PATH=f"{work / 'bin'}:{os.environ['PATH']}")
            for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
                env.pop(name, None)
            done = subprocess.run(["bash", "-o", "pipefail", "-c", runnable], cwd=work, env=env,
                                  capture_output=True, text=True, timeout=120)
            said = done.stderr.strip()
            # A match reports its progress on standard error; nothing else may complain there.
            ok = done.returncode == 0 and ("tarmel" not in said or "--match" in command)
            print(f"{'ok  ' if ok else 'FAIL'} {where}: {command}")
            if not ok:
                print(f"     exit status {done.returncode}: {said}")
                failed += 1
    print(f"{len(commands) - failed} of {len(commands)} documented commands ran")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
