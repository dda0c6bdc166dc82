#!/usr/bin/env python3
"""Compares a native transcript with one from simhost.exe: the same events,
line for line, except the engine-only dump fields that only a component
linked in can show."""
import json
import sys

ENGINE_ONLY = ("search", "buffer")


def events(path, drop_engine):
    with open(path, encoding="utf-8") as transcript:
        for line in transcript:
            event = json.loads(line)
            if drop_engine and event.get("ev") == "dump":
                for field in ENGINE_ONLY:
                    event.pop(field, None)
            yield json.dumps(event, ensure_ascii=False)


def main():
    native, windows = sys.argv[1], sys.argv[2]
    expected = list(events(native, drop_engine=True))
    actual = list(events(windows, drop_engine=False))
    for number, (want, got) in enumerate(zip(expected, actual), start=1):
        if want != got:
            print(f"line {number} differs:\n  native:  {want}\n  windows: {got}")
            return 1
    if len(expected) != len(actual):
        print(f"native has {len(expected)} lines, windows {len(actual)}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
