#!/usr/bin/env python3
"""Finds the places in C++ sources where one small mutation can be made, and
draws a seeded sample of them; applies one drawn mutation to its file.

  mutantSites.py draw SEED N [--skip TEXTS] FILE...
      one line a site: file, line, column, operator, old text, new text
      (tabs); no site on a line holding one of the lines of TEXTS
  mutantSites.py apply FILE LINE COL OLD NEW

Comments, string and character literals and preprocessor lines are never
touched. The operators: a comparison flipped to its neighbour, + and -
swapped inside an index, an integer compared against moved by one, && and
|| swapped, a guard (an if that returns, continues or breaks) never taken, a
continue removed, a call statement removed.
"""
import random
import re
import sys

FLIP = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
KEYWORDS = {"return", "if", "while", "for", "switch", "delete", "throw", "case", "else", "do", "sizeof",
            "static_assert", "new", "goto", "co_return", "using", "typedef"}


def masked_lines(text):
    """The file's lines with comments and literals blanked out, same lengths."""
    out = []
    i, n = 0, len(text)
    buf = []
    state = None  # None, 'block', 'line', '"', "'"
    while i < n:
        c = text[i]
        nxt = text[i + 1] if i + 1 < n else ""
        if state is None:
            if c == "/" and nxt == "/":
                state = "line"
                buf.append("  ")
                i += 2
                continue
            if c == "/" and nxt == "*":
                state = "block"
                buf.append("  ")
                i += 2
                continue
            if c == "R" and nxt == '"':
                # raw string: R"delim( ... )delim"
                m = re.match(r'R"([^(\s]*)\(', text[i:])
                if m:
                    end = text.find(")" + m.group(1) + '"', i)
                    end = n if end < 0 else end + len(m.group(1)) + 2
                    for ch in text[i:end]:
                        buf.append("\n" if ch == "\n" else " ")
                    i = end
                    continue
            if c in "\"'":
                # a digit separator is no character literal
                if c == "'" and buf and (buf[-1].isalnum()) and nxt.isalnum():
                    buf.append(c)
                    i += 1
                    continue
                state = c
                buf.append(" ")
                i += 1
                continue
            buf.append(c)
            i += 1
            continue
        if state == "line":
            if c == "\n":
                state = None
                buf.append("\n")
            else:
                buf.append(" ")
            i += 1
            continue
        if state == "block":
            if c == "*" and nxt == "/":
                state = None
                buf.append("  ")
                i += 2
                continue
            buf.append("\n" if c == "\n" else " ")
            i += 1
            continue
        # inside a literal
        if c == "\\":
            buf.append("  " if nxt != "\n" else " \n")
            i += 2
            continue
        if c == state or c == "\n":
            state = None
        buf.append("\n" if c == "\n" else " ")
        i += 1
    out = "".join(buf).split("\n")
    return out


def balanced_end(s, start):
    """Index just past the parenthesis that closes the one at start, or -1."""
    depth = 0
    for k in range(start, len(s)):
        if s[k] == "(":
            depth += 1
        elif s[k] == ")":
            depth -= 1
            if depth == 0:
                return k + 1
    return -1


def sites_of(path):
    text = open(path, encoding="utf-8").read()
    lines = text.split("\n")
    masked = masked_lines(text)
    found = []
    for no, m in enumerate(masked):
        if m.lstrip().startswith("#") or not m.strip():
            continue
        line = lines[no]
        # templates are written without blanks around their brackets, binary
        # comparisons with them
        for k in re.finditer(r"(?<=[\w)\]]) (<=|>=|==|!=|<|>) (?=[\w(!*&-])", m):
            op = k.group(1)
            found.append((no, k.start(1), "comparison", op, FLIP[op]))
            lit = re.match(r"(\d+)(?![\w.])", m[k.end():])
            if lit:
                v = int(lit.group(1))
                found.append((no, k.end(), "literal", lit.group(1), str(v + 1 if v == 0 or (no + k.end()) % 2 else v - 1)))
        for k in re.finditer(r" (&&|\|\|) ", m):
            op = k.group(1)
            found.append((no, k.start(1), "logic", op, "||" if op == "&&" else "&&"))
        # + and - inside an index
        for b in re.finditer(r"\[([^\[\]]*)\]", m):
            for k in re.finditer(r" ([+-]) ", b.group(1)):
                at = b.start(1) + k.start(1)
                found.append((no, at, "index", k.group(1), "-" if k.group(1) == "+" else "+"))
        stripped = m.strip()
        indent = len(m) - len(m.lstrip())
        if stripped.startswith("if (") or stripped.startswith("} else if ("):
            open_at = m.index("if (", indent) + 3
            close = balanced_end(m, open_at)
            if close > 0:
                rest = m[close:].strip()
                body = rest if rest else (masked[no + 1].strip() if no + 1 < len(masked) else "")
                if re.match(r"(return|continue|break)\b", body):
                    cond = line[open_at:close]
                    found.append((no, open_at, "guard", cond, "(false)"))
        if stripped == "continue;":
            found.append((no, indent, "continue", "continue;", ";"))
        call = re.match(r"([A-Za-z_][\w:]*(?:(?:\.|->)[A-Za-z_]\w*)*)\(", stripped)
        if call and stripped.endswith(");") and call.group(1).split("::")[0] not in KEYWORDS:
            open_at = indent + call.end() - 1
            if balanced_end(m, open_at) == len(m.rstrip()) - 1:
                found.append((no, indent, "call", line.strip(), ";"))
    return found


def draw(seed, count, files, skip):
    sites = []
    for f in files:
        lines = open(f, encoding="utf-8").read().split("\n")
        for no, col, op, old, new in sites_of(f):
            if "\t" in old or any(t in lines[no] for t in skip):
                continue
            sites.append((f, no + 1, col, op, old, new))
    rng = random.Random(seed)
    picked = rng.sample(sites, min(count, len(sites)))
    for f, no, col, op, old, new in picked:
        print("\t".join([f, str(no), str(col), op, old, new]))
    print(f"{len(sites)} sites in {len(files)} files", file=sys.stderr)


def apply(path, no, col, old, new):
    lines = open(path, encoding="utf-8").read().split("\n")
    line = lines[no - 1]
    if line[col:col + len(old)] != old:
        sys.exit(f"{path}:{no}: '{old}' is not at column {col}")
    lines[no - 1] = line[:col] + new + line[col + len(old):]
    open(path, "w", encoding="utf-8").write("\n".join(lines))


if __name__ == "__main__":
    if len(sys.argv) >= 4 and sys.argv[1] == "draw":
        rest = sys.argv[4:]
        skip = []
        if len(rest) >= 2 and rest[0] == "--skip":
            skip = [t for t in open(rest[1], encoding="utf-8").read().split("\n") if t.strip()]
            rest = rest[2:]
        draw(int(sys.argv[2]), int(sys.argv[3]), rest, skip)
    elif len(sys.argv) == 7 and sys.argv[1] == "apply":
        apply(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), sys.argv[5], sys.argv[6])
    else:
        sys.exit(__doc__)
