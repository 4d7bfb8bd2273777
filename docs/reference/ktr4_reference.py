#!/usr/bin/env python3
"""Reads the reference comments of the ktr4 headers (ktr4.h, ktr4io.h, ktr4sim.h).

A reference comment is a `/** ... */` block directly above the declaration it documents
(a function, a #define, a typedef or a struct). Its tags:

  @brief <one sentence>            the summary
  free paragraphs                  the details; lines starting with "- " are list items
  @param <name> <text>             one per parameter: unit, range, what happens outside it
  @retval <CODE> <text>            one per result code, by macro name (KTR4_ERR_RANGE)
  @note <text>
  @par Example  then  @code ... @endcode
  @see <names>

Topics: `/** @defgroup <id> <Title>  paragraphs  @{ */` opens a group, `/** @} */` closes it;
everything declared in between belongs to it. A comment without @brief takes its first
sentence as the brief.

Usable as a module (parse_header / parse_headers) and from the command line:
  ktr4_reference.py HEADER...     prints the parsed reference as JSON
Standard library only.
"""

import json
import re
import sys
from dataclasses import asdict, dataclass, field
from typing import Dict, List, Optional


@dataclass
class Param:
    name: str
    ctype: str          # C type as declared, without the name ("uint8_t *", "uint32_t[16]")
    doc: str = ""


@dataclass
class Doc:
    brief: str = ""
    details: List[str] = field(default_factory=list)   # paragraphs
    params: Dict[str, str] = field(default_factory=dict)
    retvals: List[List[str]] = field(default_factory=list)  # [code, when]
    notes: List[str] = field(default_factory=list)
    example: str = ""
    see: List[str] = field(default_factory=list)


@dataclass
class Function:
    name: str
    return_type: str
    params: List[Param]
    declaration: str    # the whole declaration, one line
    brief: str
    details: List[str]
    retvals: List[List[str]]
    notes: List[str]
    example: str
    see: List[str]
    group: str
    header: str
    line: int


@dataclass
class Define:
    name: str
    value: str
    brief: str
    details: List[str]
    group: str
    header: str
    line: int


@dataclass
class Type:
    name: str
    declaration: str
    brief: str
    details: List[str]
    group: str
    header: str
    line: int


@dataclass
class Group:
    id: str
    title: str
    details: List[str]
    header: str


@dataclass
class Reference:
    groups: List[Group] = field(default_factory=list)
    functions: List[Function] = field(default_factory=list)
    defines: List[Define] = field(default_factory=list)
    types: List[Type] = field(default_factory=list)

    def function(self, name: str) -> Function:
        for f in self.functions:
            if f.name == name:
                return f
        raise KeyError(name)

    def codes(self) -> List[Define]:
        """The result codes: KTR4_OK, KTR4_ERR_* and the simulated driver's KTR4SIM_ERR_*."""
        return [d for d in self.defines
                if d.name in ("KTR4_OK", "KTR4PATH_OK") or "_ERR_" in d.name]

    def to_json(self) -> str:
        return json.dumps(asdict(self), indent=2, ensure_ascii=False)


_TAG = re.compile(r"^@(brief|param|retval|note|par|code|endcode|see|defgroup)\b\s*(.*)$")
_MACROS = ("KTR4_API", "KTR4PATH_API", "KTR4_CALL")


class ParseError(Exception):
    pass


def _comment_lines(text: str) -> List[str]:
    body = text[3:-2]  # strip /** and */
    lines = []
    for raw in body.split("\n"):
        line = raw.rstrip()
        stripped = line.lstrip()
        if stripped.startswith("*"):
            stripped = stripped[1:]
            if stripped.startswith(" "):
                stripped = stripped[1:]
            line = stripped
        else:
            line = stripped
        lines.append(line)
    while lines and not lines[0].strip():
        lines.pop(0)
    while lines and not lines[-1].strip():
        lines.pop()
    return lines


def _first_sentence(paragraph: str) -> str:
    m = re.match(r"(.+?\.)(\s|$)", paragraph, re.S)
    return (m.group(1) if m else paragraph).strip()


def parse_doc(text: str) -> Doc:
    """Parses the body of one /** */ comment (tags above)."""
    doc = Doc()
    paragraphs: List[str] = []
    current: Optional[List] = None   # [kind, key, lines]
    in_code = False
    code: List[str] = []

    def flush():
        nonlocal current
        if current is None:
            return
        kind, key, lines = current
        joined = "\n".join(lines).strip()
        if kind == "para" and joined:
            paragraphs.append(joined)
        elif kind == "brief":
            doc.brief = " ".join(joined.split())
        elif kind == "param":
            doc.params[key] = " ".join(joined.split())
        elif kind == "retval":
            doc.retvals.append([key, " ".join(joined.split())])
        elif kind == "note":
            doc.notes.append(" ".join(joined.split()))
        elif kind == "see":
            doc.see.extend(n for n in re.split(r"[\s,]+", joined) if n)
        current = None

    for line in _comment_lines(text):
        if in_code:
            if line.strip() == "@endcode":
                in_code = False
                doc.example = "\n".join(code).rstrip() + "\n"
            else:
                code.append(line)
            continue
        m = _TAG.match(line.strip())
        if m:
            tag, rest = m.groups()
            flush()
            if tag == "code":
                in_code, code = True, []
            elif tag == "par":
                pass  # only "@par Example" is used; its @code follows
            elif tag in ("param", "retval"):
                key, _, value = rest.partition(" ")
                current = [tag, key, [value]]
            elif tag == "endcode":
                raise ParseError("@endcode without @code")
            else:
                current = [tag, "", [rest]]
            continue
        if not line.strip():
            # A blank line ends a tag's text and a paragraph.
            flush()
            continue
        if current is None:
            current = ["para", "", []]
        current[2].append(line)
    if in_code:
        raise ParseError("@code without @endcode")
    flush()
    doc.details = paragraphs
    if not doc.brief and paragraphs:
        doc.brief = _first_sentence(paragraphs[0])
        rest = paragraphs[0][len(doc.brief):].strip()
        doc.details = ([rest] if rest else []) + paragraphs[1:]
    return doc


def _split_params(params: str) -> List[str]:
    return [p.strip() for p in params.split(",") if p.strip() and p.strip() != "void"]


def _param(decl: str) -> Param:
    m = re.match(r"^(.*?)\b([A-Za-z_]\w*)\s*(\[[^\]]*\])?$", decl.strip())
    if not m:
        raise ParseError("cannot read parameter: " + decl)
    ctype, name, array = m.group(1).strip(), m.group(2), m.group(3) or ""
    return Param(name=name, ctype=(ctype + array).strip())


def _function(decl: str):
    one = " ".join(decl.split())
    m = re.match(r"^(.*?)\b([A-Za-z_]\w*)\s*\((.*)\)\s*;$", one)
    if not m:
        return None
    ret = m.group(1)
    for macro in _MACROS:
        ret = re.sub(r"\b%s\b" % macro, "", ret)
    ret = " ".join(ret.split())
    return m.group(2), ret, [_param(p) for p in _split_params(m.group(3))], one


def parse_header(path: str, reference: Optional[Reference] = None) -> Reference:
    """Adds the documented declarations of one header to `reference` (a new one if None)."""
    ref = reference if reference is not None else Reference()
    with open(path, encoding="utf-8") as f:
        text = f.read()
    header = path.rsplit("/", 1)[-1]
    group = ""
    pos = 0
    # Member comments (/**< ... */) stay with their struct.
    comment = re.compile(r"/\*\*(?![*<]).*?\*/", re.S)
    while True:
        m = comment.search(text, pos)
        if not m:
            break
        pos = m.end()
        line_no = text.count("\n", 0, m.start()) + 1
        body = m.group(0)
        stripped = " ".join(_comment_lines(body)).strip()
        if stripped == "@}":
            group = ""
            continue
        gm = re.search(r"@defgroup\s+(\w+)\s+(.*)", body)
        if gm:
            rest = body.replace(gm.group(0), "").replace("@{", "")
            doc = parse_doc(rest)
            paragraphs = ([doc.brief] if doc.brief else []) + doc.details
            ref.groups.append(Group(gm.group(1), gm.group(2).strip(), paragraphs, header))
            group = gm.group(1) if "@{" in body else group
            continue
        doc = parse_doc(body)
        after = text[pos:]
        nxt = re.match(r"\s*", after).end()
        after = after[nxt:]
        decl_line = text.count("\n", 0, pos + nxt) + 1
        # A declaration that differs by platform (#if ... #else ... #endif): the first one counts.
        while re.match(r"#\s*(if|ifdef|ifndef|else|elif|endif|pragma)\b", after):
            after = after[after.index("\n") + 1:].lstrip()
        dm = re.match(r"#define\s+(\w+)(?:\s+(.*))?", after)
        if dm:
            value = re.sub(r"/\*.*?\*/", "", dm.group(2) or "").strip()
            ref.defines.append(Define(dm.group(1), value, doc.brief, doc.details, group, header, decl_line))
            continue
        if after.startswith("typedef struct") or after.startswith("struct"):
            end = re.search(r"\}\s*(\w*)\s*;", after)
            if not end:
                raise ParseError("%s:%d: unterminated struct" % (path, decl_line))
            decl = after[:end.end()]
            name = end.group(1) or re.match(r"(?:typedef\s+)?struct\s+(\w+)", after).group(1)
            ref.types.append(Type(name, decl, doc.brief, doc.details, group, header, decl_line))
            continue
        semi = after.find(";")
        if semi < 0:
            raise ParseError("%s:%d: comment not followed by a declaration" % (path, line_no))
        decl = after[:semi + 1]
        if decl.startswith("typedef"):
            # The declared name is the last identifier, or the one in (*NAME) / (KTR4_CALL *NAME).
            fp = re.search(r"\(\s*(?:\w+\s+)?\*\s*(\w+)\s*\)", decl)
            name = fp.group(1) if fp else re.findall(r"\w+", decl)[-1]
            ref.types.append(Type(name, " ".join(decl.split()), doc.brief, doc.details, group, header, decl_line))
            continue
        fn = _function(decl)
        if fn is None:
            raise ParseError("%s:%d: cannot read declaration: %s" % (path, decl_line, decl))
        name, ret, params, one = fn
        for p in params:
            p.doc = doc.params.get(p.name, "")
        unknown = set(doc.params) - {p.name for p in params}
        if unknown:
            raise ParseError("%s:%d: %s documents no such parameter %s" % (path, decl_line, name, sorted(unknown)))
        ref.functions.append(Function(name, ret, params, one, doc.brief, doc.details, doc.retvals, doc.notes,
                                      doc.example, doc.see, group, header, decl_line))
    return ref


def parse_headers(paths: List[str]) -> Reference:
    ref = Reference()
    for path in paths:
        parse_header(path, ref)
    return ref


def undocumented_functions(path: str, reference: Reference) -> List[str]:
    """Functions declared in the header that no comment documents."""
    with open(path, encoding="utf-8") as f:
        text = re.sub(r"/\*.*?\*/", "", f.read(), flags=re.S)
    declared = re.findall(r"^(?!typedef|#)[A-Za-z_][\w \t*]*?\b(\w+)\s*\([^;{]*?\)\s*;", text, re.M)
    documented = {f.name for f in reference.functions}
    return [n for n in declared if n not in documented]


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit("usage: ktr4_reference.py HEADER...")
    print(parse_headers(sys.argv[1:]).to_json())
