#!/usr/bin/env python3
"""Seeds a fuzz corpus with the SQL statements or the criteria the database tests use.

  seed-db.py jetsql|criteria CORPUS_DIR

Statements are the C++ string literals of tests/ that begin with an SQL verb; criteria are
the first argument of FindFirst/FindNext/FindPrevious/FindLast and of Criteria::compile.
"""
import hashlib
import pathlib
import re
import sys

LITERAL = r'"((?:[^"\\\n]|\\.)*)"'
VERBS = re.compile(r"^\s*(select|insert|update|delete|create|alter|drop|transform)\b", re.I)
FIND = re.compile(r"(?:Find(?:First|Next|Previous|Last)|compile|matches|find)\s*\(\s*((?:" +
                  LITERAL + r"\s*)+)")


def unescape(s):
    return re.sub(r"\\(.)", lambda m: {"n": "\n", "t": "\t"}.get(m.group(1), m.group(1)), s)


def literals(text):
    return [unescape(m) for m in re.findall(LITERAL, text)]


def main():
    target, out = sys.argv[1], pathlib.Path(sys.argv[2])
    out.mkdir(parents=True, exist_ok=True)
    root = pathlib.Path(__file__).resolve().parent.parent
    seeds = set()
    for path in list((root / "tests").rglob("*.cpp")) + list((root / "src").rglob("*.cpp")):
        text = path.read_text(errors="ignore")
        if target == "jetsql":
            seeds.update(s for s in literals(text) if VERBS.match(s))
        else:
            for m in FIND.finditer(text):
                seeds.add("".join(literals(m.group(1))))
            if path.name.startswith("Criteria"):
                seeds.update(s for s in literals(text) if len(s) > 2)
    for s in seeds:
        data = s.encode("utf-8")
        (out / hashlib.sha1(data).hexdigest()).write_bytes(data)
    print(f"{len(seeds)} seeds for {target} in {out}")


if __name__ == "__main__":
    main()
