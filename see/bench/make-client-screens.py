#!/usr/bin/python3
"""Makes the benchmark's screens of real programs again: terminals with
listings, tables and man pages, Athena and GTK dialogs and forms, under
Openbox or without a window manager, each on an Xvfb server of its own and
captured from the root window into pictures/NAME.png, with its true text in
pictures/NAME.txt.

The true text of a terminal is what tmux, running inside the xterm, holds on
its screen (`capture-pane`), so it is exact whatever the command printed on
this machine; the texts of dialogs are those given to them here. A window
title that Openbox draws comes before the window's text; windows side by side
are read one after the other, left first. A client that draws differently on
another machine (fonts, versions) needs its true text checked again by eye.

Names of pictures, if given, limit the pictures made to them.

Needs: xvfb openbox xterm tmux x11-apps x11-utils x11-xserver-utils zenity
imagemagick man-db fonts-dejavu-core fonts-liberation2 xfonts-base."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "pictures")

OPENBOX_CONFIG = """<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <theme>
    <name>Clearlooks</name>
    <titleLayout>NLIMC</titleLayout>
    <font place="ActiveWindow"><name>DejaVu Sans</name><size>9</size><weight>bold</weight></font>
    <font place="InactiveWindow"><name>DejaVu Sans</name><size>9</size><weight>bold</weight></font>
  </theme>
  <placement><policy>Smart</policy></placement>
</openbox_config>
"""

TMUX_CONFIG = "set -g status off\nset -g default-terminal screen-256color\n"


class Scene:
    """One Xvfb server with its clients; ended with everything it started."""

    def __init__(self, work, size="1280x800", ground="#3c4a58", openbox=False):
        self.work = work
        self.processes = []
        self.sockets = []
        display_file = os.path.join(work, "display")
        with open(display_file, "w") as out:
            self.processes.append(subprocess.Popen(
                ["Xvfb", "-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0", size + "x24"],
                stdout=out, stderr=subprocess.DEVNULL))
        for _ in range(100):
            with open(display_file) as f:
                number = f.read().strip()
            if number:
                break
            time.sleep(0.1)
        self.env = dict(os.environ, DISPLAY=":" + number, LANG="C.UTF-8", LC_ALL="C.UTF-8",
                        NO_AT_BRIDGE="1", GTK_THEME="Adwaita")
        subprocess.run(["xsetroot", "-solid", ground], env=self.env, check=True)
        if openbox:
            self.start(["openbox", "--sm-disable", "--config-file", os.path.join(work, "openbox.xml")])
            time.sleep(1)

    def start(self, command, cwd=None):
        self.processes.append(subprocess.Popen(command, env=self.env, cwd=cwd,
                                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))

    def terminal(self, command, columns, rows, at, xterm=(), title=None, env=""):
        """An xterm of `columns` x `rows` at `at` (+X+Y) running `command` in
        tmux; returns the name of its tmux socket."""
        socket = f"mivo-bench-{os.getpid()}-{len(self.sockets)}"
        self.sockets.append(socket)
        shell = f"{env} {command}; exec sleep 600"
        args = ["xterm", *xterm, "-geometry", f"{columns}x{rows}{at}"]
        if title:
            args += ["-T", title]
        args += ["-e", "tmux", "-L", socket, "-f", os.path.join(self.work, "tmux.conf"),
                 "new-session", "sh", "-c", shell]
        self.start(args)
        return socket

    def screen_text(self, socket):
        done = subprocess.run(["tmux", "-L", socket, "capture-pane", "-p"], env=self.env,
                              capture_output=True, text=True, check=True)
        return done.stdout.rstrip("\n").split("\n")

    def capture(self, name):
        """The root window once two captures a second apart are the same."""
        last = None
        for _ in range(30):
            time.sleep(1)
            now = subprocess.run(["xwd", "-root", "-silent"], env=self.env, capture_output=True,
                                 check=True).stdout
            if now == last:
                break
            last = now
        subprocess.run(["convert", "xwd:-", "-strip", "png:" + os.path.join(OUT, name + ".png")],
                       input=last, check=True)

    def end(self):
        for socket in self.sockets:
            subprocess.run(["tmux", "-L", socket, "kill-server"], env=self.env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for process in reversed(self.processes):
            process.terminate()
        for process in self.processes:
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()


def shown(command):
    """A shell command that shows its prompt line before it runs."""
    quoted = command.replace("'", "'\\''")
    return f"printf '%s\\n' '$ {quoted}'; {command}"


def lines(text):
    return [l for l in text if l.strip()]


def one_terminal(work, name, command, columns, rows, xterm, openbox=False, title=None,
                 ground="#3c4a58", size="1280x800", at="+24+24", wait=2):
    scene = Scene(work, size=size, ground=ground, openbox=openbox)
    try:
        socket = scene.terminal(command, columns, rows, at, xterm=xterm, title=title)
        time.sleep(wait)
        scene.capture(name)
        truth = scene.screen_text(socket)
    finally:
        scene.end()
    return ([title] if openbox and title else []) + lines(truth)


DEJAVU = ["-fa", "DejaVu Sans Mono"]
LIBERATION = ["-fa", "Liberation Mono"]


def terminals(work):
    """Terminal screens: (name, maker) pairs."""
    t = one_terminal
    return [
        ("term-ls-l-etc", lambda: t(work, "term-ls-l-etc", shown("ls -l /etc | head -32"), 90, 34,
                                    DEJAVU + ["-fs", "11", "-bg", "white", "-fg", "black"])),
        ("term-dpkg-l", lambda: t(work, "term-dpkg-l", shown("COLUMNS=118 dpkg -l | cut -c1-117 | head -33"), 118, 36,
                                  ["-fn", "6x13", "-bg", "white", "-fg", "black"], openbox=True,
                                  title="dpkg -l", size="1280x800")),
        ("term-ps", lambda: t(work, "term-ps",
                              shown("ps -eo pid,ppid,user,rss,stat,comm --sort=pid | head -30"), 80, 32,
                              LIBERATION + ["-fs", "12", "-bg", "black", "-fg", "#33dd44"])),
        ("term-df-free", lambda: t(work, "term-df-free",
                                   shown("df -h -x overlay") + "; " + shown("free -h"), 96, 30,
                                   ["-fn", "9x15", "-bg", "#10205a", "-fg", "#f0f0f0"], openbox=True,
                                   title="df and free")),
        ("term-services", lambda: t(work, "term-services", shown("sed -n 20,56p /etc/services"), 84, 40,
                                    DEJAVU + ["-fs", "10", "-bg", "#1e1e1e", "-fg", "#cfcfcf"])),
        ("term-man-ls", lambda: t(work, "term-man-ls", "MANWIDTH=98 man ls", 100, 40,
                                  DEJAVU + ["-fs", "11", "-bg", "white", "-fg", "black"])),
        ("term-man-tar-options", lambda: t(work, "term-man-tar-options",
                                           "LC_ALL=C MANWIDTH=86 MANPAGER='less -p \"^ *-A, --catenate\"' man tar",
                                           88, 36, ["-fn", "7x14", "-bg", "#fdf6e3", "-fg", "#333333"],
                                           openbox=True, title="man tar")),
        ("term-man-less-dark", lambda: t(work, "term-man-less-dark",
                                         "MANWIDTH=90 MANPAGER='less -p \"^ *-i or --ignore-case\"' man less",
                                         92, 34, LIBERATION + ["-fs", "11", "-bg", "#002b36", "-fg", "#93a1a1"])),
        ("term-licence", lambda: t(work, "term-licence", "less /usr/share/common-licenses/Apache-2.0", 82, 38,
                                   ["-fn", "10x20", "-bg", "white", "-fg", "black"], size="1512x982")),
        ("term-lscpu", lambda: t(work, "term-lscpu", shown("lscpu | grep -v Flags | head -26"), 100, 28,
                                 DEJAVU + ["-fs", "12", "-bg", "#fffff0", "-fg", "#202020"], openbox=True,
                                 title="lscpu")),
        ("term-ls-colour-dev", lambda: t(work, "term-ls-colour-dev",
                                         shown("ls -l --color=always /dev | head -30"), 84, 32,
                                         DEJAVU + ["-fs", "11", "-bg", "black", "-fg", "#d0d0d0"])),
        ("term-top", lambda: t(work, "term-top", "COLUMNS=100 top -b -n 1 -w 100 | head -30", 100, 31,
                               ["-fn", "6x13", "-bg", "black", "-fg", "white"])),
        ("term-less-numbers", lambda: t(work, "term-less-numbers",
                                        "less -N +30 /usr/include/stdio.h", 96, 36,
                                        DEJAVU + ["-fs", "10", "-bg", "white", "-fg", "#1a1a1a"],
                                        openbox=True, title="stdio.h")),
        ("term-apt-policy", lambda: t(work, "term-apt-policy",
                                      shown("apt-cache policy libc6 xterm tmux"), 92, 28,
                                      ["-fn", "9x15", "-bg", "#300a24", "-fg", "#eeeeec"])),
        ("term-python-error", lambda: t(work, "term-python-error",
                                        shown("python3 -c 'import json; json.loads(\"{\\\"a\\\": 1,}\")'"),
                                        100, 24, LIBERATION + ["-fs", "13", "-bg", "white", "-fg", "black"],
                                        openbox=True, title="python3")),
    ]


def tables(work):
    """Terminal tables: number columns with wide gaps beside letter columns, in
    several fonts, on light and dark grounds."""
    t = one_terminal
    disks = "/ /dev /dev/shm /sys/fs/cgroup"
    return [
        ("table-ps-ni-liberation", lambda: t(work, "table-ps-ni-liberation",
                                             shown("ps -o pid,ppid,ni,rss,stat,comm --ppid 2 --sort=pid | head -32"),
                                             84, 34, LIBERATION + ["-fs", "12", "-bg", "white", "-fg", "black"])),
        ("table-ps-elf-dejavu", lambda: t(work, "table-ps-elf-dejavu",
                                          shown("ps -Lf --ppid 2 --sort=pid | head -30"), 106, 32,
                                          DEJAVU + ["-fs", "11", "-bg", "#1e1e1e", "-fg", "#e0c070"])),
        ("table-df-9x15", lambda: t(work, "table-df-9x15",
                                    shown("df -h " + disks) + "; " + shown("df -i " + disks), 84, 20,
                                    ["-fn", "9x15", "-bg", "#f5f5dc", "-fg", "#202060"])),
        ("table-free-stat-6x13", lambda: t(work, "table-free-stat-6x13",
                                           shown("free -m") + "; " + shown("stat /etc/passwd"), 90, 18,
                                           ["-fn", "6x13", "-bg", "black", "-fg", "#ffb000"])),
        ("table-ls-usr-bin-dejavu", lambda: t(work, "table-ls-usr-bin-dejavu",
                                              shown("ls -l /usr/bin | head -28 | cut -c1-88"), 90, 32,
                                              DEJAVU + ["-fs", "11", "-bg", "#002b36", "-fg", "#eee8d5"])),
        ("table-ps-sched-6x13", lambda: t(work, "table-ps-sched-6x13",
                                          shown("ps -o pid,tid,class,rtprio,ni,pri,psr,stat,comm --ppid 2"
                                                " --sort=pid | head -40"), 96, 42,
                                          ["-fn", "6x13", "-bg", "#f0f0f0", "-fg", "#303030"], openbox=True,
                                          title="scheduling")),
        ("table-df-type-liberation", lambda: t(work, "table-df-type-liberation",
                                               shown("df -hT " + disks) + "; " + shown("free -h"), 90, 14,
                                               LIBERATION + ["-fs", "12", "-bg", "black", "-fg", "#40e0e0"])),
    ]


# Sources with snake_case names, environment variables and file names, as a
# developer's terminal shows them; written here, so the same on any machine.
PYTHON_SOURCE = """import os
import shutil

BACKUP_ROOT = os.environ.get("BACKUP_ROOT", "/var/backups/mivo_data")
MAX_KEPT_COPIES = 7


def list_old_copies(backup_dir, max_kept=MAX_KEPT_COPIES):
    \"\"\"The copies past the newest max_kept, oldest first.\"\"\"
    copy_names = sorted(os.listdir(backup_dir))
    return copy_names[:-max_kept] if len(copy_names) > max_kept else []


def remove_old_copies(backup_dir, dry_run=False):
    for old_name in list_old_copies(backup_dir):
        full_path = os.path.join(backup_dir, old_name)
        if dry_run:
            print(f"would remove {full_path}")
        else:
            shutil.rmtree(full_path, ignore_errors=True)


class copy_stats:
    __slots__ = ("bytes_copied", "files_skipped")

    def __init__(self):
        self.bytes_copied = 0
        self.files_skipped = 0


if __name__ == "__main__":
    remove_old_copies(BACKUP_ROOT, dry_run="--dry-run" in os.sys.argv)
"""

SHELL_SOURCE = """#!/bin/sh
# nightly_backup.sh: copy the user data to the backup disk
set -eu

: "${BACKUP_ROOT:=/var/backups/mivo_data}"
: "${LOG_FILE:=/var/log/nightly_backup.log}"
source_dir="$HOME/work_files"
last_run_file="$BACKUP_ROOT/last_run_at"

log_line() {
    printf '%s %s\\n' "$(date +%F_%T)" "$1" >> "$LOG_FILE"
}

check_free_space() {
    free_kb=$(df -Pk "$BACKUP_ROOT" | awk 'NR==2 {print $4}')
    [ "$free_kb" -gt "$MIN_FREE_KB" ]
}

MIN_FREE_KB=${MIN_FREE_KB:-1048576}
if ! check_free_space; then
    log_line "not_enough_space: ${free_kb}kB"
    exit 1
fi
rsync -a --delete "$source_dir/" "$BACKUP_ROOT/current_copy/"
date +%s > "$last_run_file"
log_line "backup_done: $source_dir"
"""


def code_terminals(work):
    """Code on terminal screens: headers and sources full of underscores."""
    t = one_terminal
    folder = os.path.join(work, "code")
    os.makedirs(folder, exist_ok=True)
    for file_name, text in (("prune_copies.py", PYTHON_SOURCE), ("nightly_backup.sh", SHELL_SOURCE)):
        with open(os.path.join(folder, file_name), "w") as f:
            f.write(text)
    return [
        ("code-stdlib-dejavu10", lambda: t(work, "code-stdlib-dejavu10", "less -N +56 /usr/include/stdlib.h",
                                           96, 36, DEJAVU + ["-fs", "10", "-bg", "white", "-fg", "#1a1a1a"])),
        ("code-unistd-dejavu12-dark", lambda: t(work, "code-unistd-dejavu12-dark",
                                                "less +241 /usr/include/unistd.h", 90, 32,
                                                DEJAVU + ["-fs", "12", "-bg", "#1e1e1e", "-fg", "#d4d4d4"],
                                                openbox=True, title="unistd.h")),
        ("code-string-liberation", lambda: t(work, "code-string-liberation", "less -N +26 /usr/include/string.h",
                                             92, 34, LIBERATION + ["-fs", "11", "-bg", "#fdf6e3", "-fg", "#333333"])),
        ("code-python-9x15-dark", lambda: t(work, "code-python-9x15-dark", f"cd {folder}; less -N prune_copies.py", 86, 36,
                                            ["-fn", "9x15", "-bg", "#202020", "-fg", "#e0e0e0"])),
        ("code-shell-6x13", lambda: t(work, "code-shell-6x13", f"cd {folder}; " + shown("cat nightly_backup.sh"), 90, 34,
                                      ["-fn", "6x13", "-bg", "white", "-fg", "black"], openbox=True,
                                      title="nightly_backup.sh")),
        ("code-python-dejavu12", lambda: t(work, "code-python-dejavu12", f"cd {folder}; less prune_copies.py", 84, 36,
                                           DEJAVU + ["-fs", "12", "-bg", "white", "-fg", "#202020"])),
    ]


def side_by_side(work, name, left, right, xterm, size="1512x982", openbox=True):
    """Two terminals side by side, each (command, columns, rows, at, title)."""
    scene = Scene(work, size=size, openbox=openbox)
    try:
        sockets = [scene.terminal(c, cols, rows, at, xterm=xterm, title=title)
                   for c, cols, rows, at, title in (left, right)]
        time.sleep(2)
        scene.capture(name)
        truth = []
        for socket, (_, _, _, _, title) in zip(sockets, (left, right)):
            truth += ([title] if openbox else []) + lines(scene.screen_text(socket))
    finally:
        scene.end()
    return truth


def two_terminals(work):
    return [
        ("term-two-side-by-side", lambda: side_by_side(
            work, "term-two-side-by-side",
            (shown("ls -l /usr/share | head -24"), 64, 27, "+8+30", "left"),
            (shown("cat /etc/os-release"), 76, 27, "+760+30", "right"),
            DEJAVU + ["-fs", "10", "-bg", "white", "-fg", "black"])),
        ("term-two-bitmap", lambda: side_by_side(
            work, "term-two-bitmap",
            (shown("df -h -x overlay"), 60, 20, "+10+40", "disks"),
            (shown("sed -n 1,16p /etc/passwd | cut -c1-56"), 60, 20, "+500+40", "passwd"),
            ["-fn", "7x14", "-bg", "black", "-fg", "#e0e0e0"], size="1280x800")),
    ]


def dialog(work, name, command, truth, size="1280x800", openbox=True, ground="#3c4a58", wait=3,
           cwd=None):
    scene = Scene(work, size=size, ground=ground, openbox=openbox)
    try:
        scene.start(command, cwd=cwd)
        time.sleep(wait)
        scene.capture(name)
    finally:
        scene.end()
    return truth


def dialogs(work):
    z = ["zenity", "--width", "640"]
    files = [("report-march.pdf", "1.2 MB", "2025-03-01"), ("photos-2024.zip", "812.4 MB", "2025-01-17"),
             ("budget.ods", "48.0 kB", "2025-02-20"), ("notes.txt", "3.1 kB", "2025-02-28"),
             ("tax-return-2024.pdf", "734.0 kB", "2025-03-01"), ("invoice-0412.pdf", "96.5 kB", "2025-02-11")]
    invoice = [("Hosting, March", "1", "24.00", "24.00"), ("Domain renewal", "2", "12.50", "25.00"),
               ("Support hours", "6", "45.00", "270.00"), ("Backup storage 500 GB", "1", "9.90", "9.90")]
    forms_fields = ["Full name", "Email address", "Phone", "Street and number", "Postcode"]
    return [
        ("gtk-list-files", lambda: dialog(work, "gtk-list-files", z + [
            "--height", "360", "--list", "--title", "Choose a file to send", "--text", "Files in Documents",
            "--column", "Name", "--column", "Size", "--column", "Modified"] + [c for f in files for c in f],
            ["Choose a file to send", "Files in Documents", "Name Size Modified"]
            + [" ".join(f) for f in files] + ["Cancel OK"])),
        ("gtk-list-invoice", lambda: dialog(work, "gtk-list-invoice", z + [
            "--height", "320", "--list", "--title", "Invoice 0412", "--text", "Items billed to Berg and Co",
            "--column", "Item", "--column", "Qty", "--column", "Price", "--column", "Amount"]
            + [c for row in invoice for c in row],
            ["Invoice 0412", "Items billed to Berg and Co", "Item Qty Price Amount"]
            + [" ".join(r) for r in invoice] + ["Cancel OK"])),
        ("gtk-question", lambda: dialog(work, "gtk-question", [
            "zenity", "--question", "--title", "Unsaved changes",
            "--text", "Save the changes to \"budget.ods\" before closing?\n\n"
                      "If you close without saving, the changes of the last 12 minutes are lost."],
            ["Unsaved changes", "Save the changes to \"budget.ods\" before closing?",
             "If you close without saving, the changes of the last 12 minutes are lost.", "No Yes"])),
        ("gtk-forms", lambda: dialog(work, "gtk-forms", [
            "zenity", "--forms", "--title", "Delivery address", "--text", "Where should we send the parcel?"]
            + [a for f in forms_fields for a in ("--add-entry", f)],
            ["Delivery address", "Where should we send the parcel?"] + forms_fields + ["Cancel OK"])),
        ("gtk-warning", lambda: dialog(work, "gtk-warning", [
            "zenity", "--warning", "--width", "420", "--title", "Disk almost full",
            "--text", "Only 1.8 GB are left on the disk \"Home\".\nEmpty the trash or move files elsewhere."],
            ["Disk almost full", "Only 1.8 GB are left on the disk \"Home\".",
             "Empty the trash or move files elsewhere.", "OK"])),
        ("gtk-checklist", lambda: dialog(work, "gtk-checklist", z + [
            "--height", "330", "--list", "--checklist", "--title", "Packing list", "--text", "Trip to Lisbon",
            "--column", "Packed", "--column", "Item", "--column", "Where",
            "TRUE", "Passport", "drawer", "FALSE", "Charger", "desk", "TRUE", "Rain jacket", "hall",
            "FALSE", "Sun cream", "bathroom", "FALSE", "Train tickets", "email"],
            ["Packing list", "Trip to Lisbon", "Packed Item Where", "Passport drawer", "Charger desk",
             "Rain jacket hall", "Sun cream bathroom", "Train tickets email", "Cancel OK"])),
        ("gtk-text-info", lambda: dialog(work, "gtk-text-info", [
            "zenity", "--text-info", "--width", "700", "--height", "520", "--title", "Licence",
            "--filename", "/usr/share/common-licenses/BSD"],
            ["Licence"] + lines(open("/usr/share/common-licenses/BSD").read().split("\n"))[:20] + ["Cancel OK"],
            wait=4)),
        ("athena-xmessage-long", lambda: dialog(work, "athena-xmessage-long", [
            "xmessage", "-fn", "9x15", "-center", "-buttons", "Retry,Skip,Cancel",
            "Could not copy 3 of 1,204 files to /media/backup:\n"
            "  photos/2024/IMG_4411.JPG   (permission denied)\n"
            "  music/live-at-the-park.flac   (no space left)\n"
            "  notes/old/recipes.txt   (file name too long)"],
            ["xmessage", "Could not copy 3 of 1,204 files to /media/backup:",
             "photos/2024/IMG_4411.JPG (permission denied)", "music/live-at-the-park.flac (no space left)",
             "notes/old/recipes.txt (file name too long)", "Retry Skip Cancel"])),
    ]


def xedit_scene(work):
    text = ["Meeting with the landlord, 4 March", "",
            "1. The boiler makes a noise at night; he sends a plumber on Thursday.",
            "2. Rent goes up by 3% from July: 812 EUR a month.",
            "3. The bike shed key is with the neighbour at number 14.",
            "4. Ask about the damp patch in the bedroom again in April.", "",
            "Phone: 0612 448 190 (after 6 pm)"]
    folder = os.path.join(work, "xedit")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "landlord.txt"), "w") as f:
        f.write("\n".join(text) + "\n")
    return [("athena-xedit-notes", lambda: dialog(
        work, "athena-xedit-notes",
        ["xedit", "-fn", "-misc-fixed-medium-r-normal--15-*-*-*-*-*-iso8859-1", "-geometry", "760x400+140+90",
         "landlord.txt"],
        ["xedit", "Quit Save Load landlord.txt", "Use Control-S and Control-R to Search.",
         "No tags file found. Run \"ctags -R\" to build a tags file.", "landlord.txt Read - Write L1"]
        + lines(text), cwd=folder, ground="#4a6a5a"))]


def main():
    wanted = set(sys.argv[1:])
    with tempfile.TemporaryDirectory() as work:
        with open(os.path.join(work, "openbox.xml"), "w") as f:
            f.write(OPENBOX_CONFIG)
        with open(os.path.join(work, "tmux.conf"), "w") as f:
            f.write(TMUX_CONFIG)
        scenes = (terminals(work) + tables(work) + code_terminals(work) + two_terminals(work) + dialogs(work)
                  + xedit_scene(work))
        for name, make in scenes:
            if wanted and name not in wanted:
                continue
            truth = make()
            with open(os.path.join(OUT, name + ".txt"), "w", encoding="utf-8") as f:
                f.write("\n".join(" ".join(l.split()) for l in truth) + "\n")
            print("made", name + ".png")


if __name__ == "__main__":
    if not shutil.which("tmux"):
        sys.exit("make-client-screens: needs tmux")
    main()
