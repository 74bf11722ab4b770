#!/usr/bin/env python3
"""Measures cleaning on a corpus written by `generate.py --big DIR`: joins every book with
sorvane-cli and compares the book with the story the pages were made from.

    measure.py SORVANE_CLI DIR [extra options for sorvane-cli...]

For each book: story lines kept in order (the longest common subsequence of the story's
lines and the book's lines), and clutter: lines of the book that are no story line.
Prints one line a book and the totals; exits 1 when a book keeps under 99 % of its story
or all books together hold more than 1 % clutter against their story lines."""

import os
import subprocess
import sys
import tempfile

BLANKS = " \t\u3000\u00a0"


def lcs_length(a, b):
    previous = [0] * (len(b) + 1)
    for x in a:
        current = [0]
        for j, y in enumerate(b):
            current.append(previous[j] + 1 if x == y else max(previous[j + 1], current[j]))
        previous = current
    return previous[-1]


def main():
    cli, root = sys.argv[1], sys.argv[2]
    extra = sys.argv[3:]
    total_story = total_kept = total_clutter = 0
    failed = False
    with tempfile.TemporaryDirectory() as out:
        for book in sorted(os.listdir(root)):
            pages = os.path.join(root, book, "pages")
            if not os.path.isdir(pages):
                continue
            run = subprocess.run([cli, "--join", book, "--encoding", "utf-8", "--rest-blank", "0", "-q", "-o", out,
                                  *extra, pages], capture_output=True, text=True)
            if run.returncode != 0:
                print(f"{book}: sorvane-cli failed ({run.returncode}): {run.stderr.strip()}")
                failed = True
                continue
            with open(os.path.join(out, book + ".txt"), encoding="utf-8", newline="") as f:
                got = [line.strip(BLANKS) for line in f.read().split("\r\n")]
            got = [line for line in got if line]
            with open(os.path.join(root, book, "story.txt"), encoding="utf-8") as f:
                story = [line for line in f.read().split("\n") if line]
            kept = lcs_length(story, got)
            story_set = set(story)
            clutter = [line for line in got if line not in story_set]
            total_story += len(story)
            total_kept += kept
            total_clutter += len(clutter)
            share = kept / len(story)
            print(f"{book}: story kept {kept}/{len(story)} ({100 * share:.2f} %), clutter {len(clutter)} lines")
            for line in clutter[:8]:
                print(f"    clutter: {line[:80]}")
            missing = [line for line in story if line not in set(got)]
            for line in missing[:5]:
                print(f"    missing: {line[:80]}")
            failed = failed or share < 0.99
    clutter_share = total_clutter / max(total_story, 1)
    print(f"all books: story kept {total_kept}/{total_story} ({100 * total_kept / max(total_story, 1):.2f} %), "
          f"clutter {total_clutter} lines ({100 * clutter_share:.2f} % of the story lines)")
    failed = failed or clutter_share > 0.01
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
