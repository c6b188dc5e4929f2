#!/usr/bin/env python3
"""Lists the failure-handling lines of src/ that no test reached, from gcovr's JSON report.

    failure_branches.py REPORT.json ROOT [FOLDER...]

The rule is in scripts/coverage.sh's header. FOLDER (such as src/editions) limits the listing;
without one, all of src/ is listed. Exits with 1 when something is listed.
"""
import json
import re
import sys

# What a line that handles a failure or a limit looks like.
HANDLER = re.compile(
    r"\breturn\s+false\b"                                   # a refusal told to the caller
    r"|\bvb(?:Critical|Exclamation)\b"                      # a message box telling of a failure
    r"|::(?!No[A-Z])[A-Z]\w*(?:Fail|Full|TooLarge|TooLong|TooMany|TooSlow|Refused|Lost|Damaged|Unreadable"
    r"|ReadOnly|Invalid|Error|Timeout|Aborted|Changed|Grew)\w*\b"   # a failure value of an enum
    r"|\b(?:rollback|[Uu]ndo\w*|[a-z]*[Ff]ail\w*)\s*\("     # an undo, or a call that reports a failure
)
# Error texts: a string literal saying that something went wrong or was too much.
ERROR_TEXT = re.compile(
    r'"[^"]*(?:could not|cannot|can\'t|failed|not enough|too large|too long|too many|too slowly'
    r"|too complex|larger than|more than|unreadable|damaged|changed while|was refused)[^\"]*\"",
    re.IGNORECASE)
CONDITION = re.compile(r"\b(?:if|else|while|for|switch|case|default)\b|\?|&&|\|\|")


def strip_comment(text):
    """The line without a // comment (strings with // in them are kept whole)."""
    out, quote, i = [], None, 0
    while i < len(text):
        c = text[i]
        if quote:
            out.append(c)
            if c == "\\" and i + 1 < len(text):
                out.append(text[i + 1])
                i += 1
            elif c == quote:
                quote = None
        elif c in "\"'":
            quote = c
            out.append(c)
        elif text.startswith("//", i):
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)


def is_handler(code):
    return bool(HANDLER.search(code) or ERROR_TEXT.search(code))


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    report, root = sys.argv[1], sys.argv[2].rstrip("/") + "/"
    folders = [f.rstrip("/") + "/" for f in sys.argv[3:]] or ["src/"]
    with open(report, encoding="utf-8") as f:
        data = json.load(f)

    listed = {}
    for entry in data["files"]:
        name = entry["file"]
        if name.startswith(root):
            name = name[len(root):]
        if not name.startswith("src/") or not any(name.startswith(f) for f in folders):
            continue
        with open(root + name, encoding="utf-8", errors="replace") as f:
            source = [strip_comment(line.rstrip("\n")) for line in f]
        lines = {}
        for line in entry["lines"]:
            if not line.get("gcovr/noncode", False):
                lines[line["line_number"]] = line
        in_block_comment = False
        for number, code in enumerate(source, start=1):
            if in_block_comment or code.lstrip().startswith("/*") or code.lstrip().startswith("*"):
                in_block_comment = "*/" not in code and (in_block_comment or "/*" in code)
                continue
            if not is_handler(code):
                continue
            # The counted line of the statement the handler belongs to: the line itself, or the
            # nearest counted line above it within the same statement.
            counted = number
            while counted not in lines and counted > 1:
                above = source[counted - 2].rstrip()
                if not above or above.endswith((";", "{", "}")):
                    counted = None
                    break
                counted -= 1
            if counted is None or counted not in lines:
                continue
            line = lines[counted]
            branches = line.get("branches", [])
            if line["count"] == 0:
                why = "never run"
            elif CONDITION.search(source[counted - 1]) and any(b["count"] == 0 for b in branches):
                # A condition and its failure on one line: some side of it was never taken.
                why = "a side never taken"
            else:
                continue
            # A statement over several lines is listed once, at its first failure line.
            previous = listed.get(name, [])
            if previous and previous[-1][0] == number - 1 and not source[number - 2].rstrip().endswith((";", "{", "}")):
                continue
            # The branch that leads here: the nearest condition above with branches.
            guard = counted if branches and why != "never run" else None
            above = counted - 1
            while guard is None and above >= 1 and counted - above <= 30:
                if above in lines and lines[above].get("branches") and CONDITION.search(source[above - 1]):
                    guard = above
                above -= 1
            # Lines under the same branch are listed once, at the first.
            if previous and guard and previous[-1][2] == guard and previous[-1][1] == why:
                continue
            listed.setdefault(name, []).append((number, why, guard, code.strip()))

    total = 0
    for name in sorted(listed):
        for number, why, guard, code in listed[name]:
            where = f" (branch at line {guard}: {source_line(root + name, guard)})" if guard else ""
            print(f"{name}:{number}: {why}: {code}{where}")
            total += 1
    print(f"{total} failure line(s) no test reaches in {', '.join(folders)}")
    return 1 if total else 0


_cache = {}


def source_line(path, number):
    if path not in _cache:
        with open(path, encoding="utf-8", errors="replace") as f:
            _cache[path] = [l.strip() for l in f]
    text = _cache[path][number - 1]
    return text if len(text) <= 80 else text[:77] + "..."


if __name__ == "__main__":
    sys.exit(main())
