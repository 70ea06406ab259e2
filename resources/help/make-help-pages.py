#!/usr/bin/python3
"""Writes the program's help pages from the user guide's Markdown pages.

    make-help-pages.py OUT_DIR GUIDE_PAGE.md...

Each page NAME.md becomes OUT_DIR/NAME.html with the head every help page has (its title and
help.css). The guide is written so that it reads well on a code host too, and the pages here
get what the help window needs:
- a link to another page, `other.md#anchor`, becomes `other.html#anchor`;
- an anchor `<a id="NAME"></a>` that opens a heading, a table cell, a paragraph or a list item
  becomes that element's id;
- a paragraph that opens with a link to the contents is the page's navigation line, one that
  opens with "See also:" its list of related pages, and a quotation a note;
- the title is the page's first heading, or what a first line `<!-- title: TEXT -->` names.
"""
import html
import os
import re
import sys
import xml.etree.ElementTree as etree

import markdown
from markdown.extensions import Extension
from markdown.treeprocessors import Treeprocessor

HEAD = """<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>{title}</title>
<link rel="stylesheet" type="text/css" href="help.css">
</head>
<body>
{body}
</body>
</html>
"""

GUIDE_LINK = re.compile(r"^([\w-]+)\.md(#[\w-]+)?$")
TITLE_LINE = re.compile(r"^<!--\s*title:\s*(.*?)\s*-->\s*\n")
ANCHOR = re.compile(r'<a id="([\w-]+)"></a>')
OPENING_ANCHOR = re.compile(r'<(h[1-6]|p|td|th|li)((?: [^>]*)?)>(\s*)<a id="([\w-]+)"></a>\s*')


class GuideError(Exception):
    pass


class HelpPageTreeprocessor(Treeprocessor):
    """Links, navigation lines, notes and see-also lines as the help pages have them."""

    def __init__(self, md, page, pages):
        super().__init__(md)
        self.page = page
        self.pages = pages

    def run(self, root):
        for picture in root.iter("img"):
            raise GuideError(f"{self.page}: the picture {picture.get('src')} would not reach "
                             "the help window, which shows the guide's pages alone")
        for link in root.iter("a"):
            href = link.get("href")
            if href is None or re.match(r"^[a-z]+:", href) or href.startswith("#"):
                continue
            match = GUIDE_LINK.match(href)
            if not match or match.group(1) not in self.pages:
                raise GuideError(f"{self.page}: the link {href} leads to no page of the guide")
            link.set("href", match.group(1) + ".html" + (match.group(2) or ""))
        paragraphs = [child for child in root if child.tag == "p"]
        if paragraphs and root[0] is paragraphs[0] and self.opens_with_contents_link(root[0]):
            root[0].set("class", "nav")
        for child in root:
            if child.tag == "p" and (child.text or "").startswith("See also:"):
                child.set("class", "seealso")
        for index, child in enumerate(list(root)):
            if child.tag == "blockquote":
                inner = [part for part in child if part.tag == "p"]
                if len(inner) != 1 or len(child) != 1:
                    raise GuideError(f"{self.page}: a note holds one paragraph")
                note = inner[0]
                note.set("class", "note")
                root.remove(child)
                root.insert(index, note)

    @staticmethod
    def opens_with_contents_link(paragraph):
        return (not (paragraph.text or "").strip() and len(paragraph) > 0 and
                paragraph[0].tag == "a" and paragraph[0].get("href") == "index.html")


class HelpPageExtension(Extension):
    def __init__(self, page, pages):
        super().__init__()
        self.page = page
        self.pages = pages

    def extendMarkdown(self, md):
        # After the inline patterns (priority 20), before the pretty-printer.
        md.treeprocessors.register(HelpPageTreeprocessor(md, self.page, self.pages), "helppage", 5)


def page_title(text, page):
    named = TITLE_LINE.match(text)
    if named:
        return named.group(1), text[named.end():]
    heading = re.search(r"^# (.+)$", text, re.MULTILINE)
    if not heading:
        raise GuideError(f"{page}: the page has no title (no first heading)")
    return heading.group(1).strip(), text


def lift_anchors(body, page):
    """Gives each opening anchor's id to the element it opens; any other anchor is an error."""
    body = OPENING_ANCHOR.sub(lambda m: f'<{m[1]}{m[2]} id="{m[4]}">{m[3]}', body)
    left = ANCHOR.search(body)
    if left:
        raise GuideError(f"{page}: the anchor {left[1]} must open a heading, a table cell, "
                         "a paragraph or a list item")
    ids = re.findall(r' id="([\w-]+)"', body)
    twice = sorted({name for name in ids if ids.count(name) > 1})
    if twice:
        raise GuideError(f"{page}: the anchors {', '.join(twice)} are given twice")
    return body


def help_page(path, pages):
    page = os.path.basename(path)
    with open(path, encoding="utf-8") as file:
        title, text = page_title(file.read(), page)
    converter = markdown.Markdown(
        extensions=["tables", "fenced_code", "sane_lists", HelpPageExtension(page, pages)],
        output_format="html")
    body = lift_anchors(converter.convert(text), page)
    # The help window would show a code block's closing line end as an empty line.
    body = body.replace("\n</code></pre>", "</code></pre>")
    return HEAD.format(title=html.escape(title, quote=False), body=body)


def main(argv):
    if len(argv) < 3:
        sys.exit("usage: make-help-pages.py OUT_DIR GUIDE_PAGE.md...")
    out_dir, paths = argv[1], argv[2:]
    pages = {os.path.splitext(os.path.basename(path))[0] for path in paths}
    os.makedirs(out_dir, exist_ok=True)
    try:
        for path in paths:
            name = os.path.splitext(os.path.basename(path))[0]
            result = help_page(path, pages)
            with open(os.path.join(out_dir, name + ".html"), "w", encoding="utf-8") as file:
                file.write(result)
    except GuideError as error:
        sys.exit(f"make-help-pages.py: {error}")


if __name__ == "__main__":
    main(sys.argv)
