#!/usr/bin/env python3
"""Writes a dpkg status file of a base system, for simulating installs with `apt-get -s`.

  base_status.py OUT [NAMES_FILE]

The base is the packages marked essential, required or important on this machine with all they
depend on (each chosen from what is installed here), or, with NAMES_FILE, the packages named in
it (one a line, or tab-separated lines whose second field is the name) that are installed here.
"""
import re
import sys


def stanzas(path):
    for text in open(path, encoding="utf-8").read().split("\n\n"):
        if not text.strip():
            continue
        fields = {}
        for line in text.splitlines():
            if line and not line[0].isspace() and ":" in line:
                key, value = line.split(":", 1)
                fields[key] = value.strip()
        if "Package" in fields and fields.get("Status", "").endswith(" installed"):
            yield fields["Package"], fields, text.strip()


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    packages = {}
    provides = {}
    for name, fields, text in stanzas("/var/lib/dpkg/status"):
        packages[name] = (fields, text)
        for item in fields.get("Provides", "").split(","):
            item = re.sub(r"\(.*?\)", "", item).strip()
            if item:
                provides.setdefault(item, name)

    if len(sys.argv) == 3:
        wanted = set()
        for line in open(sys.argv[2], encoding="utf-8"):
            if line.startswith("#") or not line.strip():
                continue
            parts = line.rstrip("\n").split("\t")
            wanted.add((parts[1] if len(parts) > 1 else parts[0]).split(":")[0].strip())
        chosen = [n for n in packages if n in wanted]
    else:
        todo = [n for n, (f, _) in packages.items()
                if f.get("Essential") == "yes" or f.get("Priority") in ("required", "important")]
        seen = set()
        while todo:
            name = todo.pop()
            if name in seen:
                continue
            seen.add(name)
            fields = packages[name][0]
            for key in ("Pre-Depends", "Depends"):
                for group in fields.get(key, "").split(","):
                    for alternative in group.split("|"):
                        dep = re.sub(r"\(.*?\)|\[.*?\]", "", alternative).strip().split(":")[0]
                        dep = dep if dep in packages else provides.get(dep)
                        if dep:
                            todo.append(dep)
                            break
        chosen = sorted(seen)
    with open(sys.argv[1], "w", encoding="utf-8") as out:
        out.write("\n\n".join(packages[n][1] for n in chosen) + "\n")
    print(f"{len(chosen)} packages in the base")


main()
