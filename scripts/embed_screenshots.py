"""Puts the screenshots of docs/ into regtool/TavroHelp.Html as data: URIs, so the
guide shows them with nothing beside it but the two programs. Every
<img data-shot="NAME" src="..."> gets docs/NAME.png; the rest of the file is
left byte for byte. Run by scripts/make_screenshots.sh; safe to run again."""

import base64
import os
import re
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
GUIDE = os.path.join(ROOT, "regtool", "TavroHelp.Html")
DOCS = os.path.join(ROOT, "docs")
IMG = re.compile(r'(<img data-shot="([a-z0-9-]+)" src=")[^"]*(")')


def main():
    with open(GUIDE, encoding="utf-8", newline="") as f:
        text = f.read()
    missing = []

    def replace(match):
        path = os.path.join(DOCS, match.group(2) + ".png")
        if not os.path.isfile(path):
            missing.append(path)
            return match.group(0)
        with open(path, "rb") as png:
            data = base64.b64encode(png.read()).decode("ascii")
        return match.group(1) + "data:image/png;base64," + data + match.group(3)

    text, count = IMG.subn(replace, text)
    if missing:
        print("embed_screenshots: missing " + ", ".join(missing), file=sys.stderr)
        return 1
    with open(GUIDE, "w", encoding="utf-8", newline="") as f:
        f.write(text)
    print("embed_screenshots: %d pictures in %s (%d bytes)" % (count, GUIDE, len(text.encode("utf-8"))))
    return 0


if __name__ == "__main__":
    sys.exit(main())
