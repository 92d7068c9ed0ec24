"""Every place that states the project's version agrees with project(VERSION).

Usage: check_versions.py VERSION SOURCE_DIR BINARY_DIR PROGRAM...

Each check returns the versions it found, by where it found them; a place that states the
version another way (a package manifest, a resource file) is one more function in CHECKS.
"""

import os
import pathlib
import re
import subprocess
import sys


def programs(source, binary, paths):
    found = {}
    for path in paths:
        # "dialforge-host", also for dialforge-host.exe run under an emulator.
        name = pathlib.Path(path).stem
        emulator = [os.environ["DIALFORGE_EMULATOR"]] if os.environ.get("DIALFORGE_EMULATOR") else []
        output = subprocess.run(emulator + [path, "--version"], capture_output=True, text=True,
                                timeout=30).stdout
        found[f"{name} --version"] = output.removeprefix(name + " ").strip()
    return found


def bundle(source, binary, paths):
    # The template names variables; plugin/CMakeLists.txt must fill them from the project.
    plist = (source / "plugin" / "Info.plist.in").read_text()
    rules = (source / "plugin" / "CMakeLists.txt").read_text()
    found = {}
    for key, variable in [("CFBundleShortVersionString", "MACOSX_BUNDLE_SHORT_VERSION_STRING"),
                          ("CFBundleVersion", "MACOSX_BUNDLE_BUNDLE_VERSION")]:
        stated = re.search(rf"<key>{key}</key>\s*<string>([^<]*)</string>", plist)
        value = stated.group(1) if stated else "(missing)"
        filled = re.search(rf"{variable}\s+(\S+)", rules)
        if value == "${" + variable + "}":
            value = filled.group(1) if filled else "(unset)"
        found[f"Info.plist {key}"] = value
    return found


def packages(source, binary, paths):
    config = (binary / "CPackConfig.cmake").read_text()
    stated = re.search(r'set\(CPACK_PACKAGE_VERSION "([^"]*)"\)', config)
    return {"CPack": stated.group(1) if stated else "(missing)"}


def changelog(source, binary, paths):
    stated = re.search(r"^## \[(\d[^\]]*)\]", (source / "CHANGELOG.md").read_text(), re.M)
    return {"CHANGELOG.md latest release": stated.group(1) if stated else "(missing)"}


CHECKS = [programs, bundle, packages, changelog]


def main():
    version, source, binary, paths = sys.argv[1], pathlib.Path(sys.argv[2]), \
        pathlib.Path(sys.argv[3]), sys.argv[4:]
    wrong = []
    for check in CHECKS:
        for where, found in check(source, binary, paths).items():
            if found not in (version, "${PROJECT_VERSION}"):
                wrong.append(f"{where}: {found!r}, not {version!r}")
    for line in wrong:
        print(line, file=sys.stderr)
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
