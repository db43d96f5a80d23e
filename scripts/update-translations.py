#!/usr/bin/env python3
"""Brings translations/pictorand_en.ts up to date with the window's tr() texts.

lupdate finds the texts; this script names each context as Qt names it at run time (the
classes live in namespace pictorand, which lupdate does not always resolve), keeps every
translation already made and lists the texts still without one. Run it after adding or
changing a text of the window, then fill in what it lists.
"""
import os
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TS = os.path.join(ROOT, "translations", "pictorand_en.ts")
LUPDATE = "/usr/lib/qt6/bin/lupdate"


def runtime_context(name):
    return name if name == "QObject" or "::" in name else "pictorand::" + name


def messages(root):
    for context in root.findall("context"):
        name = runtime_context(context.find("name").text)
        for message in context.findall("message"):
            yield name, message.find("source").text, message.find("translation")


def main():
    known = {}
    if os.path.exists(TS):
        for context, source, translation in messages(ET.parse(TS).getroot()):
            if translation is not None and translation.text and translation.get("type") != "unfinished":
                known[(context, source)] = translation.text
    with tempfile.TemporaryDirectory() as work:
        fresh = os.path.join(work, "fresh.ts")
        subprocess.run([LUPDATE, os.path.join(ROOT, "src", "gui"), "-ts", fresh, "-source-language", "ru_RU",
                        "-target-language", "en_GB", "-locations", "none", "-silent"], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        found = {}
        for context, source, _ in messages(ET.parse(fresh).getroot()):
            found.setdefault(context, [])
            if source not in found[context]:
                found[context].append(source)
    out = ET.Element("TS", version="2.1", language="en_GB", sourcelanguage="ru_RU")
    missing = []
    for context in sorted(found):
        element = ET.SubElement(out, "context")
        ET.SubElement(element, "name").text = context
        for source in found[context]:
            message = ET.SubElement(element, "message")
            ET.SubElement(message, "source").text = source
            translation = ET.SubElement(message, "translation")
            if (context, source) in known:
                translation.text = known[(context, source)]
            else:
                translation.set("type", "unfinished")
                missing.append((context, source))
    ET.indent(out)
    with open(TS, "w", encoding="utf-8") as ts:
        ts.write('<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>\n')
        ts.write(ET.tostring(out, encoding="unicode"))
        ts.write("\n")
    for context, source in missing:
        print(f"untranslated: {context}: {source}")
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
