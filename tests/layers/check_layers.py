#!/usr/bin/env python3
"""Rejects an #include that runs against the layers of the build (DESIGN.md, "Layers").

    check_layers.py SOURCE_ROOT LAYERS_FILE

LAYERS_FILE is written by CMake (tests/CMakeLists.txt): one line per library or program,
"layer|source dir|sources", the sources as CMake lists them, and one line "qt||include dirs".
A header belongs to the layer of the .cpp of the same name, or to the layer that lists it.
Every .h and .cpp of the source folders must belong to a layer. Prints FILE:LINE for every
include against the order and fails when there is one.
"""
import os
import re
import sys

SOURCE_FOLDERS = ["model", "main", "charts", "dialogs", "intake", "cli", "tools"]

# What each layer may include: our layers, and the Qt modules.
ALLOWED = {
    "core":    ({"core"}, set()),
    "locale":  ({"core", "locale"}, {"QtCore"}),
    "print":   ({"core", "locale", "print"}, {"QtCore", "QtGui"}),
    "widgets": ({"core", "locale", "print", "widgets"}, {"QtCore", "QtGui", "QtWidgets"}),
    "gui":     ({"core", "locale", "print", "widgets", "gui"}, None),  # any Qt module
    "program": ({"core", "locale", "print", "widgets", "gui", "program"}, None),
    "cli":     ({"core", "locale", "print", "cli"}, {"QtCore", "QtGui", "QtDBus"}),
}

# The core is ISO C++: its standard library, and the POSIX calls of the file layer (atomic writes,
# damaged files kept aside, left-over temporary files) and of the audit trail's login.
STANDARD_HEADERS = set("""
algorithm any array atomic barrier bit bitset cassert cctype cerrno cfenv cfloat charconv chrono
cinttypes climits clocale cmath codecvt compare complex concepts condition_variable coroutine
csetjmp csignal cstdarg cstddef cstdint cstdio cstdlib cstring ctime cuchar cwchar cwctype deque
exception execution filesystem format forward_list fstream functional future initializer_list
iomanip ios iosfwd iostream istream iterator latch limits list locale map memory memory_resource
mutex new numbers numeric optional ostream queue random ranges ratio regex scoped_allocator
semaphore set shared_mutex source_location span sstream stack stdexcept stop_token streambuf
string string_view syncstream system_error thread tuple type_traits typeindex typeinfo
unordered_map unordered_set utility valarray variant vector version
""".split())
CORE_SYSTEM_HEADERS = {"unistd.h", "fcntl.h", "sys/stat.h", "pwd.h"}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def read_layers(path):
    layers, qt_dirs = {}, []
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line:
                continue
            layer, source_dir, sources = line.split("|", 2)
            entries = [s for s in sources.split(";") if s]
            if layer == "qt":
                qt_dirs = entries
                continue
            for source in entries:
                full = os.path.normpath(os.path.join(source_dir, source))
                layers.setdefault(full, set()).add(layer)
    return layers, qt_dirs


def qt_module(name, qt_roots):
    """The Qt module of an angle include (QtCore, QtGui, ...), or None when it is no Qt header."""
    first = name.split("/")[0]
    if "/" in name and first.startswith("Qt"):
        return first
    if not name.startswith("Q"):
        return None
    for root in qt_roots:
        for module in sorted(os.listdir(root)):
            if module.startswith("Qt") and os.path.isfile(os.path.join(root, module, name)):
                return module
    return None


def main():
    root = os.path.abspath(sys.argv[1])
    listed, qt_dirs = read_layers(sys.argv[2])
    qt_roots = sorted({d for d in qt_dirs if os.path.isdir(d) and os.path.isdir(os.path.join(d, "QtCore"))})
    if not qt_roots:
        print("check_layers: no Qt include folder among " + ";".join(qt_dirs))
        return 2

    # The layer of every file of the source folders.
    layer_of, problems = {}, []
    files = []
    for folder in SOURCE_FOLDERS:
        for dirpath, _, names in os.walk(os.path.join(root, folder)):
            for name in sorted(names):
                if name.endswith((".h", ".cpp")):
                    files.append(os.path.join(dirpath, name))
    for full in sorted(files):
        owners = listed.get(full)
        if not owners and full.endswith(".h"):
            owners = listed.get(full[:-2] + ".cpp")
        rel = os.path.relpath(full, root)
        if not owners:
            problems.append(f"{rel}:1: in no library or program of the build: list it in a CMakeLists.txt")
        elif len(owners) > 1:
            problems.append(f"{rel}:1: in more than one layer: {', '.join(sorted(owners))}")
        else:
            layer_of[rel] = next(iter(owners))

    for rel, layer in sorted(layer_of.items()):
        ours, qt = ALLOWED[layer]
        with open(os.path.join(root, rel), encoding="utf-8", errors="replace") as f:
            for number, text in enumerate(f, 1):
                m = INCLUDE.match(text)
                if not m:
                    continue
                kind, name = m.groups()
                where = f"{rel}:{number}: #include {kind}{name}{'>' if kind == '<' else kind}"
                if kind == '"':
                    target = os.path.normpath(name)
                    if not os.path.isfile(os.path.join(root, target)):
                        problems.append(f"{where}: not a file of the project (write it from the project's root)")
                        continue
                    other = layer_of.get(target)
                    if other is None:
                        problems.append(f"{where}: {target} belongs to no layer")
                    elif other not in ours:
                        problems.append(f"{where}: the {layer} layer may not include the {other} layer "
                                        f"(it may include: {', '.join(sorted(ours))})")
                    continue
                module = qt_module(name, qt_roots)
                if module is not None:
                    if qt is not None and module not in qt:
                        allowed = ", ".join(sorted(qt)) if qt else "no Qt at all"
                        problems.append(f"{where}: the {layer} layer may not include {module} (it may include: {allowed})")
                elif layer == "core" and name not in STANDARD_HEADERS and name not in CORE_SYSTEM_HEADERS:
                    problems.append(f"{where}: the core includes the C++ standard library only")

    for p in problems:
        print(p)
    print(f"check_layers: {len(layer_of)} files, {len(problems)} include(s) against the layers")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
