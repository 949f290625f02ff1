#!/usr/bin/env python3
"""Writes the page's service worker from its template: the files it keeps, and a version made of
splashpack's version and a hash of those files, so that any change to them is a new version.
   write_service_worker.py TEMPLATE OUTPUT VERSION FOLDER FILE..."""
import hashlib
import json
import os
import sys


def main():
    template, output, version, folder = sys.argv[1:5]
    files = sys.argv[5:]
    digest = hashlib.sha256()
    for name in files:
        with open(os.path.join(folder, name), "rb") as kept:
            digest.update(name.encode() + b"\0" + kept.read())
    with open(template, encoding="utf-8") as source:
        text = source.read()
    text = text.replace("@PAGE_VERSION@", "%s-%s" % (version, digest.hexdigest()[:16]))
    # The page itself is asked for by its folder's name too.
    text = text.replace("@PAGE_FILES@", json.dumps(["./"] + files))
    with open(output, "w", encoding="utf-8", newline="\n") as out:
        out.write(text)


if __name__ == "__main__":
    main()
