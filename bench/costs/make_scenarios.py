#!/usr/bin/env python3
"""Writes the scenarios whose costs ./quillet bench counts, into the folder
given: a publication of 100 stories on 10 pages, 10 per page, each holding
10 occurrences of the find text, 1,000 in all; Find Next pressed once for
each occurrence; and Replace All over all of them, in a current host and in
an older one that lacks ScreenUpdating and the undo actions."""
import json
import os
import sys

FIND = "lantern"
PAGES = 10
STORIES_PER_PAGE = 10
MATCHES_PER_STORY = 10
WORDS = ["the", "village", "garden", "river", "mill", "spring", "walk", "church", "meadow", "lamp"]


def story_text(index):
    parts = []
    for match in range(MATCHES_PER_STORY):
        parts.extend(WORDS[(index + match + k) % len(WORDS)] for k in range(3))
        parts.append(FIND)
    return " ".join(parts) + "."


def publication():
    stories = []
    for index in range(PAGES * STORIES_PER_PAGE):
        stories.append({"text": story_text(index), "page": index // STORIES_PER_PAGE + 1})
    return {"pages": PAGES, "stories": stories}


def replace_all(host):
    scenario = {"publication": publication()}
    if host is not None:
        scenario["host"] = host
    scenario["steps"] = [
        ["click", "Replace"],
        ["set", "frmReplace.txtFindWhat", FIND],
        ["set", "frmReplace.txtReplaceWith", "lamp"],
        ["press", "frmReplace.cmdFind"],
        ["press", "frmReplace.cmdReplaceAll"],
    ]
    return scenario


def find_next():
    matches = PAGES * STORIES_PER_PAGE * MATCHES_PER_STORY
    return {
        "publication": publication(),
        "steps": [["click", "Replace"], ["set", "frmReplace.txtFindWhat", FIND]]
        + [["press", "frmReplace.cmdFind"]] * matches,
    }


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    scenarios = {
        "find-next": find_next(),
        "replace-all": replace_all(None),
        "replace-all-older-host": replace_all({"screenUpdating": False, "undoGroups": False}),
    }
    for name, scenario in scenarios.items():
        with open(os.path.join(folder, name + ".json"), "w", encoding="utf-8") as file:
            json.dump(scenario, file)


if __name__ == "__main__":
    main()
