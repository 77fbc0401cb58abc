#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks that every text a user reads can be translated, and that the
translations are complete.

1. Lists the string literals in the C++ sources that read like text for a
   user but do not go through tr() (or translate(), QT_TR_NOOP()): prose of
   two words or more anywhere, and single capitalised words handed to a
   widget (setText, setToolTip, QLabel, ...). Log statements, assertions and
   the deliberate exceptions below are left out.
2. With --lupdate and --ts, runs lupdate over the sources into a copy of each
   translation and lists every message that has no finished translation.

Exits 1 when anything is listed.
Usage: check-translations.py SRC_DIR [--lupdate LUPDATE --ts FILE.ts ...]
"""
import argparse
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

TRANSLATING_CALLS = {"tr", "translate", "QT_TR_NOOP", "QT_TRANSLATE_NOOP", "qtTrId"}
DIAGNOSTICS = re.compile(
    r"\b(qC?(Debug|Info|Warning|Critical|Fatal)|Q_ASSERT_X|Q_LOGGING_CATEGORY)\b")
WIDGET_CALLS = {
    "setText", "setToolTip", "setWindowTitle", "setPlaceholderText", "setAccessibleName",
    "setAccessibleDescription", "setStatusTip", "setWhatsThis", "setLabelText", "addAction",
    "addItem", "insertItem", "QLabel", "QCheckBox", "QPushButton", "QMessageBox", "showMessage",
    "QFileDialog", "button", "caption", "formLabel", "hint",
}
PROSE = re.compile(r"[A-Za-z]{2,}\S*\s+\S*[A-Za-z]{2,}")
# Style sheets: "name: value;" declarations.
STYLE = re.compile(r"[a-z-]+\s*:\s*[^;:]+;")
WORD = re.compile(r"[A-Z][a-z]+(\.\.\.)?")
# The product's name is the same in every language.
PRODUCT_NAME = "VoiceTray"
# Texts that stay in English on purpose: (file name pattern, part of the text, why).
EXCEPTIONS = [
    ("media/*", "", "the media layer's failures reach only the log"),
    ("app/AutostartEntry.cpp", "[Desktop Entry]", "the syntax of a desktop entry file"),
    ("hotkeys/AppHotKeys.cpp", "voicetray --", "a command is typed as it stands in every language"),
    ("app/Settings.cpp", "Voice Recordings",
     "the default folder keeps its name in every language, so the library is always found"),
    ("app/BusInterface.h", "D-Bus Interface", "a keyword of Qt's session bus adaptors"),
    ("app/CommandDispatcher.cpp", "stops in", "the status line is read by scripts in every language"),
    ("library/MarkFiles.cpp", "", "the syntax of label files and CUE sheets"),
    ("library/XMLCreator.cpp", "", "the syntax of the library file"),
    ("library/RecItem.cpp", "%d", "durations in the symbols h, m and s fit the row's narrow column"),
    ("library/RecItem.h", "MM/dd HH:mm", "the date text is stored in the library"),
]

LITERAL = re.compile(r'(?:u8|u|U|L)?R"([^(\s]*)\((.*?)\)\1"|(?:u8|u|U|L)?"((?:\\.|[^"\\\n])*)"',
                     re.S)


def literals(text):
    """Yields (line, text, enclosing calls, statement) for each string
    literal, adjacent literals joined."""
    calls = []  # the name before each open parenthesis
    statement_start = 0
    i = 0
    pending = None
    while i < len(text):
        c = text[i]
        if text.startswith("//", i):
            i = text.find("\n", i)
            i = len(text) if i < 0 else i
            continue
        if text.startswith("/*", i):
            i = text.find("*/", i + 2) + 2
            continue
        if c == "#" and text[text.rfind("\n", 0, i) + 1:i].strip() == "":
            while True:  # a preprocessor line with its continuations
                end = text.find("\n", i)
                if end < 0 or text[end - 1] != "\\":
                    break
                i = end + 1
            i = len(text) if end < 0 else end
            continue
        if c == "'" and not text[i - 1].isalnum():
            match = re.compile(r"'(\\.|[^'\\])*'").match(text, i)
            i = match.end() if match else i + 1
            continue
        match = LITERAL.match(text, i)
        if match and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            body = match.group(2) if match.group(2) is not None else match.group(3)
            if pending:
                pending[1] += body
            else:
                pending = [text.count("\n", 0, i) + 1, body, list(calls)]
            i = match.end()
            continue
        if not c.isspace() and pending:
            yield pending[0], pending[1], pending[2], text[statement_start:i]
            pending = None
        if c == "(":
            name = re.search(r"([A-Za-z_][A-Za-z_0-9]*)\s*$", text[max(0, i - 80):i])
            calls.append(name.group(1) if name else "")
        elif c == ")" and calls:
            calls.pop()
        elif c in ";{}":
            statement_start = i + 1
            if c != ";":
                calls.clear()
        i += 1


def excepted(relative, text):
    return any(pathlib.PurePath(relative).match(pattern) and part in text
               for pattern, part, _ in EXCEPTIONS)


def untranslated(src):
    found = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".cpp", ".h"):
            continue
        relative = path.relative_to(src).as_posix()
        for line, text, calls, statement in literals(path.read_text(encoding="utf-8")):
            if TRANSLATING_CALLS & set(calls) or DIAGNOSTICS.search(statement):
                continue
            if text == PRODUCT_NAME or STYLE.search(text) or excepted(relative, text):
                continue
            widget = calls and calls[-1] in WIDGET_CALLS
            if PROSE.search(text) or (widget and WORD.fullmatch(text)):
                found.append(f"src/{relative}:{line}: \"{text}\"")
    return found


def unfinished(src, lupdate, ts_files):
    found = []
    with tempfile.TemporaryDirectory() as folder:
        for ts in ts_files:
            copy = pathlib.Path(folder) / ts.name
            shutil.copyfile(ts, copy)
            subprocess.run([lupdate, "-silent", "-no-obsolete", "-locations", "none", str(src),
                            "-ts", str(copy)], check=True)
            for context in ElementTree.parse(copy).getroot().iter("context"):
                for message in context.iter("message"):
                    translation = message.find("translation")
                    if translation is None or translation.get("type") in ("unfinished", "vanished",
                                                                           "obsolete") \
                            or not (translation.text or "").strip():
                        found.append(f"{ts.name}: {context.findtext('name')}: "
                                     f"\"{message.findtext('source')}\" is not translated")
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("src", type=pathlib.Path)
    parser.add_argument("--lupdate")
    parser.add_argument("--ts", type=pathlib.Path, nargs="*", default=[])
    args = parser.parse_args()
    problems = untranslated(args.src)
    for problem in problems:
        print(f"{problem} is not marked for translation")
    if args.lupdate and args.ts:
        missing = unfinished(args.src, args.lupdate, args.ts)
        problems += missing
        for problem in missing:
            print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
