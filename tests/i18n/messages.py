#!/usr/bin/env python3
"""Checks each message of a Qt translation file: it has a translation, and the
translation keeps the source's placeholders (%1, %n...), its keyboard accelerator (&)
and its trailing "...". Prints one line per fault and exits with 1 when there is one.
Usage: messages.py TS-FILE"""
import re
import sys
import xml.etree.ElementTree as ET

PLACEHOLDER = re.compile(r"%(?:L?\d+|n)")
# An accelerator is one "&" before a character other than "&"; "&&" is a plain "&".
ACCELERATOR = re.compile(r"(?<!&)&(?!&)")


def faults(path):
    for context in ET.parse(path).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            source = message.findtext("source") or ""
            where = f'{name}: "{source}"'
            translation = message.find("translation")
            if translation is None or translation.get("type") in ("unfinished", "vanished", "obsolete"):
                yield f"{where} has no translation"
                continue
            forms = [form.text or "" for form in translation.iter("numerusform")]
            for text in forms if message.get("numerus") == "yes" else [translation.text or ""]:
                if not text:
                    yield f"{where} has an empty translation"
                elif set(PLACEHOLDER.findall(text)) != set(PLACEHOLDER.findall(source)):
                    yield f'{where}: "{text}" differs from the source in its placeholders'
                elif bool(ACCELERATOR.search(text)) != bool(ACCELERATOR.search(source)):
                    yield f'{where}: "{text}" differs from the source in its accelerator (&)'
                elif text.endswith("...") != source.endswith("..."):
                    yield f'{where}: "{text}" differs from the source in its trailing "..."'


found = list(faults(sys.argv[1]))
for line in found:
    print(line)
sys.exit(1 if found else 0)
