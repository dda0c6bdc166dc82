#!/usr/bin/env python3
"""Writes the scenarios whose costs ./quillet bench counts into the folder
given, each in a current host (NAME.current-host.json) and in an older one
without ScreenUpdating, undo groups and PageIndex (NAME.older-host.json):

  replace-all           200 pages, one story on each holding "a cat" once,
                        "the last word" in the story on page 200: Find Next,
                        then Replace All of the 200 "cat"s by "dog";
  replace-all-one-page  the same stories, all on page 1;
  find-next             the 200 pages: Find Next up to the "cat" of page 149,
                        then three measured presses (see FIND_NEXT_MEASURES);
  replace-one-by-one    1,000 text boxes, five on each of the 200 pages, each
                        holding "a cat" once: Find Next, then one Replace
                        after another, measured at the 1st, 100th and 999th
                        press, and at the last, which finds none left;
  find-all              the 200 pages: Find All of "cat", then a double-click
                        on the row of page 150 while page 1 is displayed.

Each scenario also runs in an older host that has no Shapes either
(NAME.no-shapes-host.json).

It also writes measured.json: for each scenario, the measured steps by
name, 1-based as simhost --costs numbers them, so that the report reads the
cost lines of exactly those steps."""
import json
import os
import sys

PAGES = 200
# Story 200 ends with "the last word"; a search for it starts at the first story.
LAST_WORD = "last word"
OLDER_HOST = {"screenUpdating": False, "undoGroups": False, "pageIndex": False}
HOSTS = {"current-host": None, "older-host": OLDER_HOST, "no-shapes-host": dict(OLDER_HOST, pageShapes=False)}
# The row that the find-all scenario goes to.
ROW_PICKED = 150
# The search stands in this story when the user turns to the page after it.
SEARCH_STANDS_IN = 149


def story_text(story):
    return f"Page {story}: a cat" + (f", and the {LAST_WORD}." if story == PAGES else ".")


def publication(on_one_page):
    stories = [{"text": story_text(story), "page": 1 if on_one_page else story} for story in range(1, PAGES + 1)]
    return {"pages": 1 if on_one_page else PAGES, "stories": stories}


class Steps:
    """A scenario's steps, with the measured ones named."""

    def __init__(self):
        self.steps = []
        self.measured = {}

    def add(self, *steps):
        self.steps.extend(list(step) for step in steps)

    def measure(self, name, step):
        self.add(step)
        self.measured[name] = len(self.steps)


def replacing_cat_by_dog():
    """The Replace dialog open on "cat" and "dog", and its Find Next pressed."""
    steps = Steps()
    steps.add(["click", "Replace"],
              ["set", "frmReplace.txtFindWhat", "cat"],
              ["set", "frmReplace.txtReplaceWith", "dog"],
              ["press", "frmReplace.cmdFind"])
    return steps


def replace_all():
    steps = replacing_cat_by_dog()
    steps.measure("replace-all", ["press", "frmReplace.cmdReplaceAll"])
    return steps


def find_next():
    steps = Steps()
    find = ["press", "frmFind.cmdFind"]
    steps.add(["click", "Find"], ["set", "frmFind.txtFindWhat", "cat"])
    steps.add(*[find] * SEARCH_STANDS_IN)
    steps.add(["page", SEARCH_STANDS_IN + 1])
    steps.measure("find-next-displayed-page", find)
    # The match before stands on the displayed page; this one is on the next.
    steps.measure("find-next-next-page", find)
    # Another find text: a new search from the first story.
    steps.add(["page", 1], ["set", "frmFind.txtFindWhat", LAST_WORD])
    steps.measure("find-next-page-1-to-200", find)
    return steps


def find_all():
    steps = Steps()
    steps.add(["click", "Find"], ["set", "frmFind.txtFindWhat", "cat"])
    steps.measure("find-all", ["press", "frmFind.cmdFindAll"])
    steps.measure("pick", ["pick", "frmFind.lstFound", ROW_PICKED])
    return steps


BOXES = 1000
BOXES_ON_A_PAGE = 5
REPLACE_PRESSES_MEASURED = (1, 100, 999)


def one_by_one_publication(on_one_page):
    stories = [{"text": f"Box {box}: a cat.", "page": (box - 1) // BOXES_ON_A_PAGE + 1} for box in range(1, BOXES + 1)]
    return {"pages": BOXES // BOXES_ON_A_PAGE, "stories": stories}


def replace_one_by_one():
    steps = replacing_cat_by_dog()
    replace = ["press", "frmReplace.cmdReplace"]
    for press in range(1, BOXES + 1):
        if press in REPLACE_PRESSES_MEASURED:
            steps.measure(f"replace-press-{press}", replace)
        elif press == BOXES:
            steps.measure("replace-last-press", replace)
        else:
            steps.add(replace)
    return steps


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    kinds = {
        "replace-all": (replace_all, publication, False),
        "replace-all-one-page": (replace_all, publication, True),
        "find-next": (find_next, publication, False),
        "replace-one-by-one": (replace_one_by_one, one_by_one_publication, False),
        "find-all": (find_all, publication, False),
    }
    measured = {}
    for kind, (make_steps, make_publication, on_one_page) in kinds.items():
        steps = make_steps()
        for host_name, host in HOSTS.items():
            name = f"{kind}.{host_name}"
            scenario = {"publication": make_publication(on_one_page)}
            if host is not None:
                scenario["host"] = host
            scenario["steps"] = steps.steps
            with open(os.path.join(folder, name + ".json"), "w", encoding="utf-8") as file:
                json.dump(scenario, file)
            measured[name] = steps.measured
    with open(os.path.join(folder, "measured.json"), "w", encoding="utf-8") as file:
        json.dump(measured, file, indent=1)


if __name__ == "__main__":
    main()
