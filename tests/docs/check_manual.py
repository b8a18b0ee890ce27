#!/usr/bin/env python3
"""Checks the HTML user manual in a folder: every page parses, every link to a
page of the manual and every anchor in it resolves, every picture exists, is a
PNG and has the size its tag says, nothing is fetched from elsewhere and no
page runs scripts, and the pictures together stay small.

    check_manual.py MANUAL_DIR [--max-picture-bytes N]
"""
import argparse
import os
import struct
import sys
from html.parser import HTMLParser
from urllib.parse import urlsplit, unquote


class Page(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.ids = set()
        self.refs = []  # (tag, attribute, value, line)
        self.images = []  # (src, width, height, alt, line)
        self.scripts = 0
        self.stack = []
        self.problems = []

    VOID = {"meta", "link", "img", "br", "hr", "input", "source", "wbr", "col", "area", "base"}
    # Elements whose end tag HTML lets a page leave out.
    OPTIONAL_END = {"p", "li", "dt", "dd", "tr", "td", "th", "thead", "tbody", "option"}

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        line = self.getpos()[0]
        if "id" in a:
            if a["id"] in self.ids:
                self.problems.append(f"line {line}: id '{a['id']}' twice")
            self.ids.add(a["id"])
        if tag == "a" and "name" in a:
            self.ids.add(a["name"])
        if tag == "script" or any(k.startswith("on") for k in a):
            self.scripts += 1
        for attr in ("href", "src", "data", "poster", "action"):
            if attr in a and a[attr] is not None:
                self.refs.append((tag, attr, a[attr], line))
        # srcset: comma-separated candidates, each a URL and a descriptor.
        for candidate in (a.get("srcset") or "").split(","):
            if candidate.strip():
                self.refs.append((tag, "srcset", candidate.split()[0], line))
        if "style" in a and "url(" in (a["style"] or ""):
            self.problems.append(f"line {line}: a style attribute fetches a url()")
        if tag == "img":
            self.images.append((a.get("src"), a.get("width"), a.get("height"), a.get("alt"), line,
                                a.get("srcset") or ""))
        if tag not in self.VOID:
            self.stack.append((tag, line))

    def handle_startendtag(self, tag, attrs):
        self.handle_starttag(tag, attrs)
        if tag not in self.VOID and self.stack and self.stack[-1][0] == tag:
            self.stack.pop()

    def handle_endtag(self, tag):
        line = self.getpos()[0]
        while self.stack and self.stack[-1][0] != tag and self.stack[-1][0] in self.OPTIONAL_END:
            self.stack.pop()
        if not self.stack or self.stack[-1][0] != tag:
            open_tag = self.stack[-1] if self.stack else ("nothing", 0)
            self.problems.append(
                f"line {line}: </{tag}> closes <{open_tag[0]}> of line {open_tag[1]}")
            return
        self.stack.pop()


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if len(head) < 24 or head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", head[16:24])


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("manual")
    ap.add_argument("--max-picture-bytes", type=int, default=300 * 1024)
    args = ap.parse_args()
    root = os.path.abspath(args.manual)
    problems = []

    pages = {}
    for dirpath, _, files in os.walk(root):
        for name in files:
            if name.endswith(".html"):
                path = os.path.join(dirpath, name)
                p = Page()
                with open(path, encoding="utf-8") as f:
                    p.feed(f.read())
                p.close()
                pages[os.path.relpath(path, root)] = p
    if "index.html" not in pages:
        problems.append("index.html: missing")

    for name, p in sorted(pages.items()):
        for msg in p.problems:
            problems.append(f"{name}: {msg}")
        for tag, line in p.stack:
            if tag not in Page.OPTIONAL_END and tag not in ("html", "body", "head"):
                problems.append(f"{name}: <{tag}> of line {line} is never closed")
        if p.scripts:
            problems.append(f"{name}: runs scripts ({p.scripts} script tags or handlers)")
        here = os.path.dirname(os.path.join(root, name))
        for tag, attr, value, line in p.refs:
            where = f"{name}: line {line}: {attr}=\"{value}\""
            parts = urlsplit(value)
            if parts.scheme or parts.netloc:
                # Outside links may be followed by the reader; nothing may be fetched.
                if tag == "a" and attr == "href" and parts.scheme in ("http", "https", "mailto"):
                    continue
                problems.append(f"{where}: fetches from outside the manual")
                continue
            target = os.path.normpath(os.path.join(here, unquote(parts.path))) if parts.path \
                else os.path.join(root, name)
            if not target.startswith(root + os.sep):
                problems.append(f"{where}: points outside the manual")
                continue
            if not os.path.isfile(target):
                problems.append(f"{where}: no such file")
                continue
            if parts.fragment:
                rel = os.path.relpath(target, root)
                if rel not in pages:
                    problems.append(f"{where}: an anchor into a file that is no page")
                elif parts.fragment not in pages[rel].ids:
                    problems.append(f"{where}: no anchor '{parts.fragment}' in {rel}")
        for src, width, height, alt, line, srcset in p.images:
            where = f"{name}: line {line}: <img src=\"{src}\">"
            if not alt:
                problems.append(f"{where}: no alt text")
            if not src or urlsplit(src).scheme:
                continue
            path = os.path.normpath(os.path.join(here, unquote(src)))
            if not os.path.isfile(path):
                continue  # reported above
            size = png_size(path)
            if size is None:
                problems.append(f"{where}: not a PNG")
            elif width is None or height is None:
                problems.append(f"{where}: no width and height")
            elif (int(width), int(height)) != size:
                problems.append(f"{where}: the tag says {width}x{height}, the picture is "
                                f"{size[0]}x{size[1]}")
            # A sharper candidate "FILE 2x" is exactly that many times the size.
            for candidate in srcset.split(","):
                words = candidate.split()
                if len(words) != 2 or not words[1].endswith("x") or urlsplit(words[0]).scheme:
                    if candidate.strip():
                        problems.append(f"{where}: srcset candidate '{candidate.strip()}' is "
                                        "no 'FILE Nx'")
                    continue
                path2 = os.path.normpath(os.path.join(here, unquote(words[0])))
                size2 = png_size(path2) if os.path.isfile(path2) else None
                factor = float(words[1][:-1])
                if size2 is None or width is None or height is None:
                    continue  # a missing file is reported above
                if size2 != (round(int(width) * factor), round(int(height) * factor)):
                    problems.append(f"{where}: {words[0]} is {size2[0]}x{size2[1]}, not "
                                    f"{words[1]} of {width}x{height}")

    # Style sheets fetch nothing either.
    for dirpath, _, files in os.walk(root):
        for name in files:
            if name.endswith(".css"):
                with open(os.path.join(dirpath, name), encoding="utf-8") as f:
                    text = f.read()
                if "@import" in text or "url(" in text:
                    problems.append(f"{name}: the style sheet fetches other files")

    total = 0
    for dirpath, _, files in os.walk(root):
        total += sum(os.path.getsize(os.path.join(dirpath, n)) for n in files
                     if n.endswith(".png"))
    if total > args.max_picture_bytes:
        problems.append(f"the pictures take {total} bytes, more than {args.max_picture_bytes}")

    for msg in problems:
        print(f"check_manual: {msg}")
    print(f"check_manual: {len(pages)} pages, {total} bytes of pictures, "
          f"{len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
