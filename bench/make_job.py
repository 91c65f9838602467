#!/usr/bin/env python3
"""Typesets a large PostScript print job, a manual of section-1 manual pages,
with groff.

    make_job.py --pages N OUTPUT.ps

The pages come from a fixed list of Debian packages (those the project's
set-up installs, and a few essential ones), so the job is much the same on
every machine set up by scripts/setup.sh. They are taken in name order, and
the list starts over when it runs out, until the job has at least N pages.
Everything goes through one groff run, so the job is one document with one
prolog and one header, as a print job from an application would be.
Prints the number of pages and bytes of the job.
"""
import argparse
import gzip
import math
import os
import re
import subprocess
import sys

PACKAGES = (
    "bash coreutils findutils grep sed tar groff groff-base git-man cmake ghostscript "
    "poppler-utils qpdf wine imagemagick-6.q16 xvfb x11-utils xdotool dpkg-dev autoconf "
    "automake libtool make patch"
).split()

MAN1 = "/usr/share/man/man1/"


def manual_pages():
    """The usable man(7) sources of the packages, in name order."""
    files = set()
    for package in PACKAGES:
        listing = subprocess.run(["dpkg-query", "-L", package], capture_output=True, text=True)
        for path in listing.stdout.splitlines():
            if (path.startswith(MAN1) and path.endswith(".gz") and os.path.isfile(path)
                    and not os.path.islink(path)):
                files.add(path)
    pages = []
    for path in sorted(files, key=os.path.basename):
        with gzip.open(path) as f:
            text = f.read()
        # Left out: pages that include others (".so", resolved against a
        # directory we do not run in), mdoc(7) pages, and anything else.
        if re.search(rb"^\.so\s", text, re.M) or re.search(rb"^\.Dd\s", text, re.M):
            continue
        if not re.search(rb"^\.TH\s", text, re.M):
            continue
        pages.append(text if text.endswith(b"\n") else text + b"\n")
    return pages


def typeset(sources):
    completed = subprocess.run(
        ["groff", "-Kutf-8", "-t", "-man", "-Tps", "-Wall"], input=b"".join(sources),
        capture_output=True, env=dict(os.environ, LC_ALL="C.UTF-8"))
    if completed.returncode != 0:
        sys.exit("make_job: groff failed: " + completed.stderr.decode(errors="replace")[-2000:])
    return completed.stdout


def page_count(job):
    return len(re.findall(rb"^%%Page: ", job, re.M))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--pages", type=int, required=True, help="at least this many pages")
    parser.add_argument("output")
    options = parser.parse_args()

    pool = manual_pages()
    if not pool:
        sys.exit("make_job: no manual pages found under " + MAN1)
    whole = page_count(typeset(pool))
    if whole == 0:
        sys.exit("make_job: the manual pages gave no page")

    def sources(count):
        return [pool[i % len(pool)] for i in range(count)]

    # Estimate how many sources the job needs, then add until it is enough.
    count = max(1, math.ceil(len(pool) * options.pages / whole))
    job = typeset(sources(count))
    while page_count(job) < options.pages:
        missing = options.pages - page_count(job)
        count += max(1, math.ceil(len(pool) * missing / whole))
        job = typeset(sources(count))

    with open(options.output, "wb") as f:
        f.write(job)
    print(f"pages={page_count(job)} bytes={len(job)} sources={count}")


if __name__ == "__main__":
    main()
