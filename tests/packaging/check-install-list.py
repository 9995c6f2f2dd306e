#!/usr/bin/env python3
"""Checks that scripts/install-deps.sh installs everything the build and the
tests use.

A machine that was set up by hand passes every other test even when the
install list lacks a package, and a fresh machine then fails. So this check
looks at what the build and the tests really use, finds the Debian package
each of those files comes from, and requires that package to be on the list,
pulled in by a package on the list, or part of the base system (Essential or
Priority "required", and what those depend on). It reads:

- the CMake caches of the build and of the Windows build inside it: every
  program, library and package folder that find_program, find_library,
  pkg_check_modules and find_package found;
- the shared libraries every built executable and plugin loads (ldd);
- the programs the tests and build scripts start: string literals in the test
  sources that name a program, and the command words of the shell scripts,
  the Makefile and the CMake COMMANDs.

Usage: check-install-list.py SOURCE_DIR BUILD_DIR [INSTALL_SCRIPT]
Exits 1, naming each file and the package to add, when something is missing.
"""

import os
import re
import shlex
import subprocess
import sys
from pathlib import Path

# Where a Debian system keeps its programs; PATH is not used, so that a
# program installed by hand elsewhere (under /usr/local, a home folder) is
# not mistaken for one a package provides. wine keeps wine64 out of PATH.
SYSTEM_PROGRAM_DIRS = ["/usr/sbin", "/usr/bin", "/sbin", "/bin", "/usr/lib/wine"]
HAND_INSTALLED_DIRS = ["/usr/local/sbin", "/usr/local/bin"]

# The framework's CMake files probe for libraries of features this build
# turns off (its web browser and CURL); what they find is never linked.
IGNORED_CACHE_ENTRIES = re.compile(r"^pkgcfg_lib_JUCE_(BROWSER|CURL)_")

DPKG_STATUS = Path("/var/lib/dpkg/status")
DPKG_INFO = Path("/var/lib/dpkg/info")


def listed_packages(install_script):
    """The words of the `packages=( ... )` array, comments left out."""
    text = install_script.read_text()
    match = re.search(r"^packages=\((.*?)^\)", text, re.S | re.M)
    if not match:
        sys.exit(f"{install_script}: no packages=( ... ) list found")
    words = []
    for line in match.group(1).splitlines():
        words += line.split("#", 1)[0].split()
    return words


def read_dpkg_status():
    """Installed packages: name -> fields (Depends, Provides, Essential ...)."""
    packages = {}
    for stanza in DPKG_STATUS.read_text(errors="replace").split("\n\n"):
        fields = {}
        key = None
        for line in stanza.splitlines():
            if line.startswith((" ", "\t")) and key:
                fields[key] += " " + line.strip()
            elif ":" in line:
                key, value = line.split(":", 1)
                fields[key] = value.strip()
        if "Package" in fields and "install ok installed" in fields.get("Status", ""):
            packages[fields["Package"]] = fields
    return packages


def dependency_names(field):
    """The first alternative of each dependency: what apt installs on a
    machine where none of them is present yet."""
    names = []
    for clause in filter(None, (c.strip() for c in field.split(","))):
        first = clause.split("|")[0].strip()
        name = re.split(r"[\s(\[]", first, 1)[0].split(":")[0]
        if name:
            names.append(name)
    return names


def closure(roots, packages):
    """Every installed package that the roots bring in through Depends and
    Pre-Depends (install-deps.sh installs without recommends)."""
    providers = {}
    for name, fields in packages.items():
        for provided in dependency_names(fields.get("Provides", "")):
            providers.setdefault(provided, []).append(name)

    seen = set()
    stack = list(roots)
    while stack:
        name = stack.pop()
        if name in seen:
            continue
        if name not in packages:
            # A virtual package: what provides it here.
            for provider in providers.get(name, []):
                stack.append(provider)
            seen.add(name)
            continue
        seen.add(name)
        fields = packages[name]
        for key in ("Pre-Depends", "Depends"):
            stack += dependency_names(fields.get(key, ""))
    return seen


def file_owners():
    """Installed file path -> owning packages, from dpkg's file lists (what
    `dpkg -S` reads, all at once)."""
    owners = {}
    for listing in DPKG_INFO.glob("*.list"):
        package = listing.name[: -len(".list")].split(":")[0]
        for line in listing.read_text(errors="replace").splitlines():
            owners.setdefault(line, set()).add(package)
    return owners


def owners_of(path, owners):
    """Packages that own the file: as written (with /usr merged or not), or
    only when no package owns that name, the file its links lead to (an
    alternatives link such as /usr/bin/c++ belongs to no package). A
    development link such as libjack.so belongs to the -dev package, not to
    the library it points at, so the name as written comes first."""
    def owners_of_name(name):
        twin = name[4:] if name.startswith("/usr/") else "/usr" + name
        return owners.get(name, set()) | owners.get(twin, set())

    return owners_of_name(path) or owners_of_name(os.path.realpath(path))


def cache_entries(build_dir):
    """(what, path) for every file or folder a CMake cache found outside the
    source and build trees."""
    entries = []
    for cache in [build_dir / "CMakeCache.txt", build_dir / "windows" / "CMakeCache.txt"]:
        if not cache.exists():
            continue
        lines = cache.read_text(errors="replace").splitlines()
        own_trees = [str(build_dir)] + [l.split("=", 1)[1] for l in lines
                                        if l.startswith(("CMAKE_HOME_DIRECTORY:", "CMAKE_CACHEFILE_DIR:"))]
        for line in lines:
            match = re.match(r"^([A-Za-z0-9_.+-]+):(FILEPATH|PATH)=(/.*)$", line)
            if not match:
                continue
            name, _, value = match.groups()
            if IGNORED_CACHE_ENTRIES.match(name) or name.startswith("CMAKE_INSTALL"):
                continue
            if not os.path.exists(value) or any(value == t or value.startswith(t + "/") for t in own_trees):
                continue
            if os.path.isdir(value):
                # A package folder (GTest_DIR, JUCE_DIR): its config file
                # tells which package it is, the folder may be shared.
                configs = [p for p in Path(value).iterdir()
                           if p.name.endswith(("Config.cmake", "-config.cmake"))]
                if not configs:
                    continue
                value = str(configs[0])
            entries.append((f"{name} in {cache.relative_to(build_dir.parent) if build_dir.parent in cache.parents else cache}", value))
    return entries


def elf_type(path):
    try:
        with open(path, "rb") as f:
            header = f.read(18)
    except OSError:
        return None
    if len(header) < 18 or header[:4] != b"\x7fELF":
        return None
    return int.from_bytes(header[16:18], "little")


def built_binaries(build_dir):
    """Executables and shared objects of the Linux build (not object files,
    not the Windows build's)."""
    found = []
    for root, dirs, files in os.walk(build_dir):
        dirs[:] = [d for d in dirs if d not in ("windows", "CMakeFiles", "wine-prefix")]
        for name in files:
            path = os.path.join(root, name)
            if not os.path.islink(path) and elf_type(path) in (2, 3):
                found.append(path)
    return found


def loaded_libraries(binaries):
    """(binary, library path) for every library ldd resolves."""
    result = []
    for binary in binaries:
        run = subprocess.run(["ldd", binary], capture_output=True, text=True)
        for line in run.stdout.splitlines():
            match = re.search(r"=>\s+(/\S+)", line)
            if match:
                result.append((binary, match.group(1)))
            elif "not found" in line:
                result.append((binary, "missing:" + line.split()[0]))
    return result


CPP_LITERAL = re.compile(r'"([A-Za-z][A-Za-z0-9_.+-]*)"')
SHELL_COMMAND = re.compile(
    r"(?:^|[;&|(`]|\$\(|\bthen\b|\bdo\b|\belse\b|\bexec\b|\btime\b|\bsudo\b|\bxvfb-run\b[^;&|]*?\s(?=[a-z]))\s*([A-Za-z][A-Za-z0-9_.+-]*)",
    re.M)
CMAKE_COMMAND = re.compile(r"\bCOMMAND\s+([A-Za-z][A-Za-z0-9_.+-]*)")


def started_programs(source_dir):
    """Names the tests and build scripts may start, with where they appear."""
    names = {}

    def note(name, where):
        names.setdefault(name, where)

    skip_dirs = {"third_party", ".git", "build", "build-asan", "build-tsan", "build-fuzz", "build-windows"}
    for root, dirs, files in os.walk(source_dir):
        dirs[:] = [d for d in dirs if d not in skip_dirs]
        for name in files:
            path = Path(root) / name
            relative = path.relative_to(source_dir)
            top = relative.parts[0]
            try:
                text = path.read_text(errors="replace")
            except OSError:
                continue
            if path.suffix in (".cpp", ".h") and top in ("tests", "bench"):
                for match in CPP_LITERAL.finditer(text):
                    note(match.group(1), str(relative))
            elif path.suffix == ".sh" or name == "Makefile" or relative == Path(".ci/run"):
                functions = set(re.findall(r"^\s*([A-Za-z_][A-Za-z0-9_]*)\s*\(\)", text, re.M))
                lines = text.splitlines()
                if name == "Makefile":
                    lines = [l[1:] for l in lines if l.startswith("\t")]
                for line in lines:
                    line = line.split(" #", 1)[0]
                    if line.lstrip().startswith("#"):
                        continue
                    for match in SHELL_COMMAND.finditer(line):
                        if match.group(1) not in functions:
                            note(match.group(1), str(relative))
            elif path.suffix == ".cmake" or name == "CMakeLists.txt":
                for match in CMAKE_COMMAND.finditer(text):
                    note(match.group(1), str(relative))
    return names


def find_program(name, dirs):
    for directory in dirs:
        candidate = os.path.join(directory, name)
        if os.path.isfile(candidate) and os.access(candidate, os.X_OK):
            return candidate
    return None


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    source_dir = Path(sys.argv[1]).resolve()
    build_dir = Path(sys.argv[2]).resolve()
    install_script = Path(sys.argv[3]) if len(sys.argv) == 4 else source_dir / "scripts" / "install-deps.sh"

    listed = listed_packages(install_script)
    packages = read_dpkg_status()
    base = [name for name, fields in packages.items()
            if fields.get("Essential") == "yes" or fields.get("Priority") == "required"]
    installed_by_list = closure(listed, packages)
    base_system = closure(base, packages)
    allowed = installed_by_list | base_system
    owners = file_owners()

    problems = []
    checked = 0

    def check(path, what):
        nonlocal checked
        checked += 1
        found = owners_of(path, owners)
        if not found:
            problems.append(f"{path} ({what}) comes from no Debian package: it was installed by hand, "
                            f"and a fresh machine will not have it; install it from a package that "
                            f"scripts/install-deps.sh lists")
        elif not found & allowed:
            names = " or ".join(sorted(found))
            problems.append(f"{path} ({what}) comes from {names}, which scripts/install-deps.sh does not "
                            f"install: add {sorted(found)[0]} to its list")

    for what, path in cache_entries(build_dir):
        check(path, what)

    for binary, library in loaded_libraries(built_binaries(build_dir)):
        what = f"loaded by {os.path.relpath(binary, build_dir)}"
        if library.startswith("missing:"):
            problems.append(f"{library[len('missing:'):]} ({what}) is not found on this machine")
        else:
            check(library, what)

    for name, where in sorted(started_programs(source_dir).items()):
        program = find_program(name, SYSTEM_PROGRAM_DIRS)
        if program:
            check(program, f"started by {where}")
        elif find_program(name, HAND_INSTALLED_DIRS):
            problems.append(f"{name} (started by {where}) is installed only under /usr/local, by hand: "
                            f"install it from a package that scripts/install-deps.sh lists")

    # A listed name that is not a package of this Debian release stops the
    # install on a fresh machine; one that is not installed here shows the
    # list was never run on this machine.
    for name in listed:
        if name not in packages:
            problems.append(f"{name} is on scripts/install-deps.sh's list but not installed here: "
                            f"run scripts/install-deps.sh, or correct the name")

    for problem in problems:
        print(problem)
    print(f"{checked} files checked against {len(listed)} listed packages; {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
