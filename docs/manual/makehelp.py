#!/usr/bin/env python3
"""Writes the user manual in both of its forms from one source.

    makehelp.py SOURCE --version 2.0.0.8 --txt OUT.txt --html DIR

OUT.txt is the plain-text manual in code page 932 with CRLF line ends. DIR
receives the pages of the compiled help file, its contents (.hhc), index
(.hhk) and project (.hhp); chmcmd compiles the project in DIR into
Mirtavolen.chm. Everything is written in code page 932 (Shift_JIS), the
encoding that HTML Help decodes the contents and index with for a help file
of language 0x411. A character that code page 932 lacks, a link to a heading
that does not exist or a malformed table stops the run with the line number.

The source is UTF-8 text made of blocks separated by blank lines:

    % comment                  a line ignored everywhere
    # Title                    the manual's title (once, first)
    ## id | Heading            a chapter: one page of the help file
    ### id | Heading           a section of the chapter above
    @index word, word          index entries for the heading above
    paragraph text             lines joined into one paragraph
    !! text                    a paragraph set apart as a warning
    - item                     a bulleted list; "  - item" nests one level,
                               other lines indented by two spaces continue
    | cell | cell              a table, one row a line, the first the header
        code                   lines indented by four spaces, kept as they are

Within text, [[id]] links to a heading by its number and title,
[[id|text]] links with other text, **text** is emphasis, and {{version}}
is the version as the about box shows it (2.00 for 2.0.0.8).
"""

import argparse
import html
import os
import re
import shutil
import sys
import unicodedata

ENCODING = "cp932"
TXT_WIDTH = 76          # columns of the text manual; a full-width character takes two
HELP_NAME = "Mirtavolen"


class SourceError(Exception):
    pass


# ---------------------------------------------------------------- parsing

class Heading:
    def __init__(self, level, ident, title, line):
        self.level = level          # 2 chapter, 3 section
        self.id = ident
        self.title = title
        self.line = line
        self.number = ""
        self.blocks = []            # (kind, payload, line)
        self.sections = []          # chapter only
        self.chapter = None         # section only
        self.index = []             # index words

    def page(self):
        chapter = self if self.level == 2 else self.chapter
        return chapter.id + ".html"

    def href(self):
        return self.page() if self.level == 2 else "%s#%s" % (self.page(), self.id)


class Manual:
    def __init__(self):
        self.title = None
        self.preface = []           # blocks before the first chapter
        self.chapters = []
        self.headings = {}


def parse(text):
    manual = Manual()
    current = None
    chapter = None
    lines = text.split("\n")
    i = 0

    def blocks_of():
        if current is None:
            return manual.preface
        return current.blocks

    while i < len(lines):
        raw = lines[i].rstrip()
        lineno = i + 1
        if raw.startswith("%") or raw == "":
            i += 1
            continue
        if raw.startswith("# "):
            if manual.title is not None or manual.chapters:
                raise SourceError("line %d: the title comes once, before the chapters" % lineno)
            manual.title = raw[2:].strip()
            i += 1
            continue
        m = re.match(r"^(##|###) +([a-z0-9-]+) *\| *(.+)$", raw)
        if m:
            level = len(m.group(1))
            heading = Heading(level, m.group(2), m.group(3).strip(), lineno)
            if heading.id in manual.headings:
                raise SourceError("line %d: heading id '%s' is used twice" % (lineno, heading.id))
            if heading.id == "index":
                raise SourceError("line %d: 'index' is the cover page" % lineno)
            manual.headings[heading.id] = heading
            if level == 2:
                chapter = heading
                manual.chapters.append(heading)
            else:
                if chapter is None:
                    raise SourceError("line %d: a section needs a chapter above it" % lineno)
                heading.chapter = chapter
                chapter.sections.append(heading)
            current = heading
            i += 1
            continue
        if raw.startswith("#"):
            raise SourceError("line %d: a heading is '## id | title' or '### id | title'" % lineno)
        if raw.startswith("@index "):
            if current is None:
                raise SourceError("line %d: @index needs a heading above it" % lineno)
            words = [w.strip() for w in raw[len("@index "):].split(",")]
            current.index.extend(w for w in words if w)
            i += 1
            continue

        # A block: up to the next blank line (code blocks keep going while
        # lines stay indented, so they may hold blank lines).
        start = i
        if raw.startswith("    "):
            code = []
            while i < len(lines) and (lines[i].startswith("    ") or lines[i].strip() == ""):
                code.append(lines[i][4:].rstrip())
                i += 1
            while code and code[-1] == "":
                code.pop()
            blocks_of().append(("code", code, start + 1))
            continue
        chunk = []
        while i < len(lines) and lines[i].strip() != "" and not lines[i].startswith("%"):
            if lines[i].startswith("#") or lines[i].startswith("@index "):
                raise SourceError("line %d: a blank line must come before a heading or @index"
                                  % (i + 1))
            chunk.append(lines[i].rstrip())
            i += 1
        blocks_of().append(parse_block(chunk, start + 1))

    if manual.title is None:
        raise SourceError("the source has no '# title' line")
    if not manual.chapters:
        raise SourceError("the source has no chapter")
    return manual


def join_lines(parts):
    """Joins source lines: a blank only between two ASCII characters."""
    out = ""
    for part in parts:
        part = part.strip()
        if out and part and ord(out[-1]) < 128 and ord(part[0]) < 128:
            out += " "
        out += part
    return out


def parse_block(chunk, lineno):
    first = chunk[0]
    if first.startswith("| "):
        rows = []
        for k, line in enumerate(chunk):
            if not line.startswith("|"):
                raise SourceError("line %d: every line of a table starts with '|'" % (lineno + k))
            rows.append([cell.strip() for cell in line[1:].split("|")])
        width = len(rows[0])
        for k, row in enumerate(rows):
            if len(row) != width:
                raise SourceError("line %d: %d cells where the header has %d"
                                  % (lineno + k, len(row), width))
        return ("table", rows, lineno)
    if first.startswith("- "):
        items = []      # (depth, text parts)
        for k, line in enumerate(chunk):
            if line.startswith("- "):
                items.append([0, [line[2:]]])
            elif line.startswith("  - "):
                if not items:
                    raise SourceError("line %d: a nested item needs an item above" % (lineno + k))
                items.append([1, [line[4:]]])
            elif line.startswith("  "):
                items[-1][1].append(line)
            else:
                raise SourceError("line %d: list lines start with '- ' or two blanks" % (lineno + k))
        return ("list", [(depth, join_lines(parts)) for depth, parts in items], lineno)
    if first.startswith("!! "):
        return ("warning", join_lines([first[3:]] + chunk[1:]), lineno)
    return ("para", join_lines(chunk), lineno)


def number_headings(manual):
    for c, chapter in enumerate(manual.chapters, 1):
        chapter.number = "%d." % c
        for s, section in enumerate(chapter.sections, 1):
            section.number = "%d.%d" % (c, s)


INLINE = re.compile(r"\*\*(.+?)\*\*|\[\[([a-z0-9-]+)(?:\|([^\]]+))?\]\]")


def check_links(manual):
    def check(text, lineno):
        for m in INLINE.finditer(text):
            if m.group(2) and m.group(2) not in manual.headings:
                raise SourceError("line %d: link to unknown heading '%s'" % (lineno, m.group(2)))

    for block_list in [manual.preface] + [h.blocks for h in manual.headings.values()]:
        for kind, payload, lineno in block_list:
            if kind in ("para", "warning"):
                check(payload, lineno)
            elif kind == "list":
                for _, text in payload:
                    check(text, lineno)
            elif kind == "table":
                for row in payload:
                    for cell in row:
                        check(cell, lineno)


# ------------------------------------------------------------- plain text

def width(text):
    """Columns in a fixed-width font: bytes in code page 932."""
    return len(text.encode(ENCODING))


# Characters that may not begin a line, and characters that may not end one.
NO_LINE_START = set("、。，．・：；？！ー～…‥）〕］｝〉》」』】’”ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ々ゝゞヽヾ"
                    ")]},.;:!?%")
NO_LINE_END = set("（〔［｛〈《「『【‘“([{")


def units_of(text):
    """Splits text into pieces a line may break between. ASCII words stay
    whole; kinsoku characters stick to their neighbour."""
    units = []
    for ch in text:
        if ch == " ":
            units.append(" ")
            continue
        ascii_word = ord(ch) < 128
        prev = units[-1] if units else None
        glue = prev not in (None, " ") and (
            ch in NO_LINE_START
            or prev[-1] in NO_LINE_END
            or (ascii_word and ord(prev[-1]) < 128))
        if glue:
            units[-1] += ch
        else:
            units.append(ch)
    return units


def wrap(text, first_indent, rest_indent, limit=TXT_WIDTH):
    lines = []
    line = first_indent
    empty = True
    pending_space = False
    for unit in units_of(text):
        if unit == " ":
            pending_space = not empty
            continue
        room = limit - width(line) - (1 if pending_space else 0)
        if empty or width(unit) <= room:
            if pending_space:
                line += " "
            line += unit
        else:
            lines.append(line.rstrip())
            line = rest_indent + unit
        empty = False
        pending_space = False
        # A piece wider than a whole line (a long path) is cut by columns.
        while width(line) > limit:
            cut = len(line)
            while width(line[:cut]) > limit:
                cut -= 1
            lines.append(line[:cut])
            line = rest_indent + line[cut:]
    if not empty:
        lines.append(line.rstrip())
    return lines


def inline_text(text, manual):
    def repl(m):
        if m.group(1):
            return m.group(1)
        target = manual.headings[m.group(2)]
        if m.group(3):
            return m.group(3)
        return "「%s %s」" % (target.number, target.title)
    return INLINE.sub(repl, text)


def table_text(rows, manual, indent):
    rows = [[inline_text(cell, manual) for cell in row] for row in rows]
    columns = len(rows[0])
    widths = [max(width(row[c]) for row in rows) for c in range(columns - 1)]
    last_start = width(indent) + sum(w + 2 for w in widths)
    out = []
    if last_start <= TXT_WIDTH - 30:
        rule = indent + "-" * (TXT_WIDTH - width(indent))
        for r, row in enumerate(rows):
            lead = indent + "".join(cell + " " * (widths[c] - width(cell) + 2)
                                    for c, cell in enumerate(row[:-1]))
            out.extend(wrap(row[-1], lead, " " * last_start) if row[-1] else [lead.rstrip()])
            if r == 0:
                out.append(rule)
        return out
    # Too wide for columns: one record per row, "header: value" lines.
    header = rows[0]
    for row in rows[1:]:
        for c, cell in enumerate(row):
            if cell:
                out.extend(wrap("%s：%s" % (header[c], cell), indent, indent + "  "))
        out.append("")
    return out[:-1]


def render_blocks_text(blocks, manual, indent):
    out = []
    for kind, payload, _ in blocks:
        if kind == "para":
            out.extend(wrap(inline_text(payload, manual), indent, indent))
        elif kind == "warning":
            out.extend(wrap("【重要】" + inline_text(payload, manual), indent, indent + "    "))
        elif kind == "list":
            for depth, text in payload:
                lead = indent + "  " * depth
                out.extend(wrap("・" + inline_text(text, manual), lead, lead + "  "))
        elif kind == "table":
            out.extend(table_text(payload, manual, indent))
        elif kind == "code":
            for line in payload:
                out.append((indent + "  " + line).rstrip())
        out.append("")
    return out


def render_text(manual, version):
    rule = "=" * TXT_WIDTH
    out = [rule, "  " + manual.title, rule, ""]
    out.extend(render_blocks_text(manual.preface, manual, ""))
    out.append("目次")
    out.append("")
    for chapter in manual.chapters:
        out.append("  %s %s" % (chapter.number, chapter.title))
        for section in chapter.sections:
            out.append("      %s %s" % (section.number, section.title))
    out.append("")
    for chapter in manual.chapters:
        out.extend(["", rule, " %s %s" % (chapter.number, chapter.title), rule, ""])
        out.extend(render_blocks_text(chapter.blocks, manual, "  "))
        for section in chapter.sections:
            out.extend(["■ %s %s" % (section.number, section.title), ""])
            out.extend(render_blocks_text(section.blocks, manual, "  "))
    out.extend(["", rule, "  Mirtavolen Version %s" % version, rule])
    while out and out[-1] == "":
        out.pop()
    for n, line in enumerate(out, 1):
        if width(line) > TXT_WIDTH:
            raise SourceError("text line %d is wider than %d columns: %s" % (n, TXT_WIDTH, line))
    return "\r\n".join(out) + "\r\n"


# ------------------------------------------------------------------ HTML

STYLE = """
body { font-family: "ＭＳ Ｐゴシック", "MS PGothic", "IPAPGothic", sans-serif;
       font-size: 10pt; line-height: 150%; margin: 12px 18px; color: #000; background: #fff; }
h1 { font-size: 15pt; border-bottom: 2px solid #4060a0; padding-bottom: 3px; }
h2 { font-size: 12pt; border-left: 6px solid #4060a0; padding-left: 6px; margin-top: 24px; }
table { border-collapse: collapse; margin: 6px 0 12px 0; }
th, td { border: 1px solid #8090b0; padding: 3px 8px; vertical-align: top; font-size: 10pt; }
th { background: #e0e8ff; text-align: left; white-space: nowrap; }
pre { background: #f4f4f4; border: 1px solid #c0c0c0; padding: 6px 10px;
      font-family: "ＭＳ ゴシック", "MS Gothic", "IPAGothic", monospace; font-size: 10pt; }
.warning { border: 2px solid #d04040; background: #fff0f0; padding: 6px 10px; margin: 10px 0; }
.nav { font-size: 9pt; color: #606060; }
.nav a { margin-right: 12px; }
.toc li { margin: 2px 0; }
"""


def esc(text):
    return html.escape(text, quote=True)


def inline_html(text, manual, page):
    out = []
    pos = 0
    for m in INLINE.finditer(text):
        out.append(esc(text[pos:m.start()]))
        if m.group(1):
            out.append("<strong>%s</strong>" % esc(m.group(1)))
        else:
            target = manual.headings[m.group(2)]
            label = m.group(3) or "%s %s" % (target.number, target.title)
            href = target.href()
            if target.page() == page and target.level == 3:
                href = "#" + target.id
            elif target.page() == page:
                href = page
            out.append('<a href="%s">%s</a>' % (href, esc(label)))
        pos = m.end()
    out.append(esc(text[pos:]))
    return "".join(out)


def render_blocks_html(blocks, manual, page):
    out = []
    for kind, payload, _ in blocks:
        if kind == "para":
            out.append("<p>%s</p>" % inline_html(payload, manual, page))
        elif kind == "warning":
            out.append('<div class="warning"><strong>重要：</strong>%s</div>'
                       % inline_html(payload, manual, page))
        elif kind == "list":
            out.append("<ul>")
            depth = 0
            for k, (item_depth, text) in enumerate(payload):
                if item_depth > depth:
                    out.append("<ul>")
                elif item_depth < depth:
                    out.append("</li></ul></li>")
                elif k > 0:
                    out.append("</li>")
                depth = item_depth
                out.append("<li>%s" % inline_html(text, manual, page))
            out.append("</li></ul></li>" if depth else "</li>")
            out.append("</ul>")
        elif kind == "table":
            out.append("<table>")
            for r, row in enumerate(payload):
                tag = "th" if r == 0 else "td"
                cells = "".join("<%s>%s</%s>" % (tag, inline_html(cell, manual, page) or "&nbsp;", tag)
                                for cell in row)
                out.append("<tr>%s</tr>" % cells)
            out.append("</table>")
        elif kind == "code":
            out.append("<pre>%s</pre>" % esc("\n".join(payload)))
    return "\n".join(out)


def page_html(title, body):
    return ('<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01 Transitional//EN">\n'
            '<html lang="ja">\n<head>\n'
            '<meta http-equiv="Content-Type" content="text/html; charset=Shift_JIS">\n'
            "<title>%s</title>\n<style type=\"text/css\">%s</style>\n</head>\n"
            "<body>\n%s\n</body>\n</html>\n" % (esc(title), STYLE, body))


def nav_html(prev_page, next_page):
    links = []
    if prev_page:
        links.append('<a href="%s">&lt; 前へ</a>' % prev_page)
    links.append('<a href="index.html">目次</a>')
    if next_page:
        links.append('<a href="%s">次へ &gt;</a>' % next_page)
    return '<div class="nav">%s</div>' % "".join(links)


def render_pages(manual):
    pages = {}
    toc = ['<ul class="toc">']
    for chapter in manual.chapters:
        toc.append('<li><a href="%s">%s %s</a>' % (chapter.page(), chapter.number, esc(chapter.title)))
        if chapter.sections:
            toc.append("<ul>")
            for section in chapter.sections:
                toc.append('<li><a href="%s">%s %s</a></li>'
                           % (section.href(), section.number, esc(section.title)))
            toc.append("</ul>")
        toc.append("</li>")
    toc.append("</ul>")
    cover = ["<h1>%s</h1>" % esc(manual.title),
             render_blocks_html(manual.preface, manual, "index.html"),
             "<h2>目次</h2>", "\n".join(toc)]
    first = manual.chapters[0].page()
    pages["index.html"] = page_html(manual.title,
                                    nav_html(None, first) + "\n" + "\n".join(cover))

    for n, chapter in enumerate(manual.chapters):
        page = chapter.page()
        prev_page = manual.chapters[n - 1].page() if n > 0 else "index.html"
        next_page = manual.chapters[n + 1].page() if n + 1 < len(manual.chapters) else None
        body = [nav_html(prev_page, next_page),
                '<h1><a name="%s"></a>%s %s</h1>' % (chapter.id, chapter.number, esc(chapter.title)),
                render_blocks_html(chapter.blocks, manual, page)]
        for section in chapter.sections:
            body.append('<h2><a name="%s"></a>%s %s</h2>' % (section.id, section.number, esc(section.title)))
            body.append(render_blocks_html(section.blocks, manual, page))
        body.append(nav_html(prev_page, next_page))
        pages[page] = page_html("%s %s - %s" % (chapter.number, chapter.title, HELP_NAME),
                                "\n".join(body))
    return pages


def sitemap_entry(name, local, indent):
    return ('%s<li><object type="text/sitemap">\n'
            '%s  <param name="Name" value="%s">\n'
            '%s  <param name="Local" value="%s">\n'
            "%s  </object>\n" % (indent, indent, esc(name), indent, local, indent))


SITEMAP_HEAD = ('<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML//EN">\n<html>\n<head>\n'
                '<meta http-equiv="Content-Type" content="text/html; charset=Shift_JIS">\n'
                "</head>\n<body>\n")


def render_contents(manual):
    out = [SITEMAP_HEAD, "<ul>\n", sitemap_entry("表紙と目次", "index.html", "  ")]
    for chapter in manual.chapters:
        out.append(sitemap_entry("%s %s" % (chapter.number, chapter.title), chapter.page(), "  "))
        if chapter.sections:
            out.append("  <ul>\n")
            for section in chapter.sections:
                out.append(sitemap_entry("%s %s" % (section.number, section.title),
                                         section.href(), "    "))
            out.append("  </ul>\n")
    out.append("</ul>\n</body>\n</html>\n")
    return "".join(out)


def index_sort_key(word):
    """Kana words in kana order (katakana as hiragana), ASCII by letter."""
    folded = []
    for ch in unicodedata.normalize("NFKC", word).lower():
        if "ァ" <= ch <= "ヶ":
            ch = chr(ord(ch) - 0x60)
        folded.append(ch)
    return ("".join(folded), word)


def render_index(manual):
    words = {}
    for heading in manual.headings.values():
        for word in heading.index:
            words.setdefault(word, []).append(heading)
    out = [SITEMAP_HEAD, "<ul>\n"]
    for word in sorted(words, key=index_sort_key):
        params = ['    <param name="Name" value="%s">\n' % esc(word)]
        for heading in words[word]:
            params.append('    <param name="Name" value="%s %s">\n' % (heading.number, esc(heading.title)))
            params.append('    <param name="Local" value="%s">\n' % heading.href())
        out.append('  <li><object type="text/sitemap">\n%s    </object>\n' % "".join(params))
    out.append("</ul>\n</body>\n</html>\n")
    return "".join(out)


def render_project(manual, pages):
    title = "%s ヘルプ" % HELP_NAME
    lines = [
        "[OPTIONS]",
        "Compatibility=1.1 or later",
        "Compiled file=%s.chm" % HELP_NAME,
        "Contents file=%s.hhc" % HELP_NAME,
        "Index file=%s.hhk" % HELP_NAME,
        "Default topic=index.html",
        "Default Window=main",
        "Display compile progress=No",
        "Language=0x411 Japanese",
        "Title=%s" % title,
        "Binary TOC=No",
        "Binary Index=No",
        "Full-text search=No",
        "",
        "[WINDOWS]",
        # Tri-pane window with contents and index tabs, synchronised to the
        # page shown; buttons: hide, back, forward, home, options, print.
        'main="%s","%s.hhc","%s.hhk","index.html","index.html",,,,,0x2120,290,0x304e,'
        "[40,30,940,680],,,,0,0,0,0" % (title, HELP_NAME, HELP_NAME),
        "",
        "[FILES]",
    ]
    lines.extend(sorted(pages))
    return "\r\n".join(lines) + "\r\n"


# ------------------------------------------------------------------ output

def encode(text, what):
    try:
        return text.encode(ENCODING)
    except UnicodeEncodeError as e:
        line = text.count("\n", 0, e.start) + 1
        raise SourceError("%s, line %d: '%s' does not exist in code page 932"
                          % (what, line, text[e.start:e.end]))


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def display_version(version):
    """2.0.0.8 -> 2.00, as the about box shows it."""
    parts = version.split(".")
    if len(parts) < 2 or not all(p.isdigit() for p in parts[:2]):
        raise SourceError("version '%s' is not major.minor[...]" % version)
    return "%d.%02d" % (int(parts[0]), int(parts[1]))


def main():
    parser = argparse.ArgumentParser(description="Writes Mirtavolen.txt and the help pages.")
    parser.add_argument("source")
    parser.add_argument("--version", required=True, help="the project version, e.g. 2.0.0.8")
    parser.add_argument("--txt", required=True, help="the text manual to write")
    parser.add_argument("--html", required=True, help="directory for the help pages and project")
    args = parser.parse_args()

    try:
        version = display_version(args.version)
        with open(args.source, encoding="utf-8") as f:
            source = f.read().replace("\r\n", "\n").replace("{{version}}", version)
        manual = parse(source)
        number_headings(manual)
        check_links(manual)

        text = encode(render_text(manual, version), args.txt)
        pages = {name: encode(content, name) for name, content in render_pages(manual).items()}
        contents = encode(render_contents(manual), "contents")
        index = encode(render_index(manual), "index")
        project = encode(render_project(manual, pages), "project")
    except SourceError as e:
        sys.exit("%s: %s" % (args.source, e))

    if os.path.isdir(args.html):
        shutil.rmtree(args.html)
    os.makedirs(args.html)
    for name, data in pages.items():
        write(os.path.join(args.html, name), data)
    write(os.path.join(args.html, HELP_NAME + ".hhc"), contents)
    write(os.path.join(args.html, HELP_NAME + ".hhk"), index)
    write(os.path.join(args.html, HELP_NAME + ".hhp"), project)
    write(args.txt, text)


if __name__ == "__main__":
    main()
