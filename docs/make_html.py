#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Turns the Markdown pages of docs/ into HTML pages in OUT, folder for
folder, with the pictures beside them: the manual that ヘルプ > 使い方 opens
and the package installs. Links between the pages point at the HTML pages.

    make_html.py DOCS_FOLDER OUT_FOLDER
"""
import pathlib
import re
import shutil
import sys

import markdown
from markdown.extensions.toc import slugify_unicode

PAGE = """<!DOCTYPE html>
<html lang="{lang}">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>{title}</title>
<style>
body {{ max-width: 52em; margin: 0 auto; padding: 1em; line-height: 1.6;
       font-family: sans-serif; }}
img {{ max-width: 100%; border: 1px solid #ccc; }}
table {{ border-collapse: collapse; }}
th, td {{ border: 1px solid #ccc; padding: 0.2em 0.5em; vertical-align: top; }}
code, pre {{ background: #f4f4f4; }}
pre {{ padding: 0.5em; overflow-x: auto; }}
</style>
</head>
<body>
{body}
</body>
</html>
"""

# A line break between two Japanese characters, which a browser would show
# as a space.
CJK = "\u3000-\u30ff\u3400-\u9fff\uff00-\uffef"
JAPANESE_BREAK = re.compile(rf"(?<=[{CJK}])\n[ \t]*(?=[{CJK}])")

# A relative link to another page of docs/: "cli.md", "../../speed.md#x".
LOCAL_MD = re.compile(r'(href="(?![a-z]+:)[^"#]*?)\.md(#[^"]*)?"')


def convert(source, target):
    text = source.read_text(encoding="utf-8")
    body = markdown.markdown(
        JAPANESE_BREAK.sub("", text),
        extensions=["tables", "fenced_code", "toc"],
        extension_configs={"toc": {"slugify": slugify_unicode}},
        output_format="html5",
    )
    body = LOCAL_MD.sub(lambda m: m.group(1) + ".html" + (m.group(2) or "") + '"', body)
    first = text.lstrip().splitlines()[0] if text.strip() else source.stem
    title = re.sub(r"^#+\s*", "", first)
    lang = "ja" if "/ja/" in source.as_posix() else "en"
    target.parent.mkdir(parents=True, exist_ok=True)
    target.write_text(PAGE.format(lang=lang, title=title, body=body), encoding="utf-8")


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: make_html.py DOCS_FOLDER OUT_FOLDER")
    docs = pathlib.Path(sys.argv[1])
    out = pathlib.Path(sys.argv[2])
    for source in sorted(docs.rglob("*")):
        relative = source.relative_to(docs)
        if source.suffix == ".md":
            convert(source, out / relative.with_suffix(".html"))
        elif source.suffix in (".png", ".1"):
            (out / relative).parent.mkdir(parents=True, exist_ok=True)
            shutil.copyfile(source, out / relative)


if __name__ == "__main__":
    main()
