#!/usr/bin/env python3
"""Every .ts catalogue given is complete and usable: each text translated, with the same
placeholders (%1, %2, ...), an accelerator (&) where the English has one, and the same leading
and trailing white space, which the program's pieced-together messages rely on."""
import re
import sys
import xml.etree.ElementTree as ET

def text(element):
    # lupdate writes carriage returns as <byte value="xd"/>; they count as white space here.
    return "".join(element.itertext()) if element is not None else ""

def accelerators(s):
    return len(re.findall(r"(?<!&)&(?!&)", s.replace("&&", "")))

problems = []
for path in sys.argv[1:]:
    for context in ET.parse(path).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            source, translation = message.find("source"), message.find("translation")
            kind = translation.get("type") if translation is not None else "missing"
            if kind in ("vanished", "obsolete"):
                continue
            s, t = text(source), text(translation)
            where = f"{path}: {name}: {s!r}"
            if kind == "unfinished" or not t:
                problems.append(f"{where}: not translated")
            elif sorted(re.findall(r"%\d", s)) != sorted(re.findall(r"%\d", t)):
                problems.append(f"{where}: placeholders differ in {t!r}")
            elif accelerators(s) != accelerators(t):
                problems.append(f"{where}: accelerator lost in {t!r}")
            elif (s[: len(s) - len(s.lstrip())] != t[: len(t) - len(t.lstrip())]
                  or s[len(s.rstrip()):] != t[len(t.rstrip()):]):
                problems.append(f"{where}: white space at the ends differs in {t!r}")
print("\n".join(problems))
sys.exit(1 if problems or len(sys.argv) < 2 else 0)
