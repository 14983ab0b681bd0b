#!/usr/bin/env python3
"""The program from the command line, installed into a temporary prefix and run from another folder, with the
real encoder and ffmpeg on clips generated here.

    command_line_test.py BUILD_DIR {convert|refuse|interrupt|writes|install}
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from clips import check, ffmpeg, finish, make_clip, probe  # noqa: E402

BUILD, AREA = sys.argv[1:3]


def install(tmp):
    prefix = os.path.join(tmp, "prefix")
    subprocess.run(["cmake", "--install", BUILD, "--prefix", prefix], check=True, stdout=subprocess.DEVNULL)
    return prefix


def run(prefix, args, cwd, env=None, timeout=120):
    return subprocess.run([os.path.join(prefix, "bin", "quor-zodi-converter")] + args, cwd=cwd, env=env,
                          capture_output=True, text=True, errors="surrogateescape", timeout=timeout)


def area_convert(tmp, prefix, env):
    latin1 = os.fsdecode(b"caf\xe9")  # a name that is not valid UTF-8 converts into one of the same bytes
    # A folder stands for the video files under it.
    os.makedirs(os.path.join(tmp, "folder", "sub"))
    open(os.path.join(tmp, "folder", "notes.txt"), "w").write("not a video")
    for name in ("a.avi", os.path.join("folder", "sub", latin1 + ".avi")):
        make_clip(os.path.join(tmp, name))
    kept = os.path.join(env["HOME"], ".local", "state", "quor-zodi-converter")
    os.makedirs(kept)
    open(os.path.join(kept, "file-list"), "w").write("quor-zodi-converter list 1\n1 2 3 4 /gone.avi\nend\n")
    r = run(prefix, ["--convert", "--format", "dvd", "--set", "TV mode=1", "--output", "new/dvd", "a.avi",
                     "folder"], tmp, env)
    check(r.returncode == 0, "two clips convert: %d %s" % (r.returncode, r.stderr))
    check(os.listdir(kept) == ["file-list"] and "/gone.avi" in open(os.path.join(kept, "file-list")).read(),
          "--convert leaves the window's kept list alone")
    for name in ("a.vob", latin1 + ".vob"):
        path = os.path.join(tmp, "new", "dvd", name)
        if check(os.path.exists(path), name + " made"):
            _, s, _ = probe(path, count_frames=False)
            check((s["width"], s["height"], s["r_frame_rate"]) == (720, 576, "25/1"), "%s is PAL DVD: %s" % (name, s))


def area_refuse(tmp, prefix, env):
    make_clip(os.path.join(tmp, "a.avi"))
    make_clip(os.path.join(tmp, "c.avi"))
    open(os.path.join(tmp, "broken.avi"), "w").write("not a video")
    hostile = os.path.join(tmp, 'say "hi".avi')
    shutil.copy(os.path.join(tmp, "a.avi"), hostile)
    os.mkfifo(os.path.join(tmp, "pipe.avi"))  # refused up front: reading it would wait for a writer
    r = run(prefix, ["--convert", "--output", "out", "a.avi", "broken.avi", hostile, "pipe.avi", "c.avi"], tmp, env)
    check(r.returncode == 1, "a failed file gives 1, not %d" % r.returncode)
    check("broken.avi" in r.stderr and "not a media file" in r.stderr, "the failure is named: " + r.stderr)
    check('say "hi".avi' in r.stderr, "the hostile name is refused with a message: " + r.stderr)
    check("pipe.avi: it is not a regular file" in r.stderr, "the FIFO is refused: " + r.stderr)
    check(sorted(os.listdir(os.path.join(tmp, "out"))) == ["a.avi", "c.avi"], "the others are converted")

    # A stream MP4 can't hold, to be copied: refused before its conversion starts, with the codec to choose.
    ffmpeg("-i", "file:" + os.path.join(tmp, "a.avi"), "-c:v", "mpeg2video", "-c:a", "mp2", "file:" + os.path.join(tmp, "old.mpg"))
    r = run(prefix, ["--convert", "--format", "mp4", "--set", "MP4 video codec=2", "--output", "mp4", "old.mpg", "c.avi"],
            tmp, env)
    check(r.returncode == 1 and "old.mpg: its video is MPEG-2, which MP4 can't hold; choose H.264" in r.stderr,
          "MPEG-2 copied into MP4: %d %s" % (r.returncode, r.stderr))
    check(os.listdir(os.path.join(tmp, "mp4")) == ["c.mp4"], "only c.avi's video is copied: %s" % os.listdir(tmp))

    r = run(prefix, ["--convert", "--set", "Volume=loud", "--output", "never", "a.avi"], tmp, env)
    check(r.returncode == 2 and "whole number" in r.stderr and not os.path.exists(os.path.join(tmp, "never")),
          "a usage error runs nothing: %d %s" % (r.returncode, r.stderr))


def pids(pattern):
    return subprocess.run(["pgrep", "-f", pattern], capture_output=True, text=True).stdout.split()


def wait_for(condition, seconds=60):
    deadline = time.time() + seconds
    while time.time() < deadline and not condition():
        time.sleep(0.05)
    return condition()


def area_interrupt(tmp, prefix, env):
    make_clip(os.path.join(tmp, "a.avi"))
    make_clip(os.path.join(tmp, "long.avi"), seconds=120)
    # A stand-in encoder that stays quiet while converting (no report it could notice the program's end at): only
    # the parent-death signal ends it.
    quiet = os.path.join(tmp, "quiet")
    os.makedirs(quiet)
    open(os.path.join(quiet, "zezozov"), "w").write(
        '#!/bin/sh\neval "mode=\\${$(($# - 1))}"\n[ "$mode" = 0 ] && while :; do sleep 0.1; done\n'
        'for r in "7 0" "1 120" "2 320" "3 240" "4 250000000"; do echo "$r"; read x; done\n')
    os.chmod(os.path.join(quiet, "zezozov"), 0o755)
    cli = [os.path.join(prefix, "bin", "quor-zodi-converter"), "--convert", "--format", "dvd", "--output"]
    window = [os.path.join(BUILD, "bench", "batch_driver")]
    # However the program ends, its encoder and FFmpeg end with it, nothing half made is left, and --convert names the
    # files it did not reach. (case, signal, to the whole group as a terminal sends it, exit status (None: the program
    # can't say), what runs: --convert, or the real main window offscreen with the quiet encoder; what converts)
    for case, sig, group, status, program, busy in (
            ("Ctrl-C", signal.SIGINT, True, 130, cli, "ffmpeg"),
            ("SIGHUP", signal.SIGHUP, True, 129, cli, "ffmpeg"),
            ("SIGKILL", signal.SIGKILL, False, None, cli, "ffmpeg"),
            ("SIGKILL to the window, the encoder quiet", signal.SIGKILL, False, None, window + [quiet], "/bin/sh")):
        out = os.path.join(tmp, "out-" + case.replace(" ", "-").replace(",", ""))
        args = program + ([out, "a.avi", "long.avi", "a.avi"] if program == cli else [out, "7", "long.avi"])
        p = subprocess.Popen(args, cwd=tmp, env=env, stderr=subprocess.PIPE, text=True, start_new_session=True)
        check(wait_for(lambda: pids("^%s .*long.*%s" % (busy, out))), "%s: the long file never started" % case)
        (os.killpg if group else os.kill)(p.pid, sig)
        _, err = p.communicate(timeout=60)
        check(status is None or p.returncode == status, "%s: exit %d: %s" % (case, p.returncode, err))
        check(wait_for(lambda: not pids(out), 10), "%s: still running: %s" % (case, pids(out)))
        check(sorted(os.listdir(out)) == (["a.vob"] if program == cli else []), "%s: the folder holds %s"
              % (case, os.listdir(out)))
        if status:
            check("not started %s/a.avi" % tmp in err, "%s: the file not reached is not named: %s" % (case, err))
        for pid in pids(out):
            os.kill(int(pid), signal.SIGKILL)


def mount(path, disk):
    """Mounts a small tmpfs of `disk` bytes, or "ext4", an image on a loop device, at `path`; False where this machine
    can't (not root, no loop devices)."""
    os.makedirs(path, exist_ok=True)
    return subprocess.run("mount -t tmpfs -o size=%s tmpfs '%s'" % (disk, path) if disk != "ext4" else
                          "truncate -s 16M {0}.img && mkfs.ext4 -q {0}.img && mount -o loop {0}.img {0}".format(path),
                          shell=True).returncode == 0


def contents(folder):
    """Each file of `folder` but a trash folder: its text, "video" for one ffprobe can read, else its size."""
    found = {}
    for name in set(os.listdir(folder)) - {"lost+found", ".Trash-%d" % os.getuid()}:
        data = open(os.path.join(folder, name), "rb").read()
        decodes = subprocess.run(["ffprobe", "-v", "quiet", "file:" + os.path.join(folder, name)]).returncode == 0
        found[name] = data.decode(errors="replace") if len(data) < 100 else "video" if decodes else len(data)
    return found


def area_writes(tmp, prefix, env):
    make_clip(os.path.join(tmp, "a.mp4"), seconds=3, audio=None)
    os.makedirs(os.path.join(tmp, "two"))
    make_clip(os.path.join(tmp, "two", "a.mp4"), size="176x144", audio=None)
    home_trash = os.path.join(env["HOME"], ".local", "share", "Trash", "files")
    seam = dict(env, ZEZOZOV_TEST_FILE_SIZE_LIMIT="100000")  # a test seam: FFmpeg's files stop at 100 kB

    def others_trash(out):  # a shared disk's .Trash-<uid>, made by another user
        for path in ("", "/files", "/info"):
            os.makedirs(out + "/.Trash-%d%s" % (os.getuid(), path), mode=0o700)
            os.chown(out + "/.Trash-%d%s" % (os.getuid(), path), 1000, 1000)

    # An older file is replaced only by a whole, checked output, by way of the trash; a failed write or a full disk
    # leaves everything as it was. (case, sources (run at once), disk of the output folder, made on it besides,
    # environment, exit status, words on standard error, output folder after, trash after). The folder holds the
    # user's a.avi and a_mp4.avi: a.mp4's output is meant to be a_mp4.avi.
    old = {"a.avi": "a", "a_mp4.avi": "old"}
    for i, (case, sources, disk, prepare, run_env, status, words, after, trashed) in enumerate([
        ("converted over an older file", ["a.mp4"], None, None, env, 0, "moved to the trash:\n%s/a_mp4.avi",
         {"a.avi": "a", "a_mp4.avi": "video"}, {"a_mp4.avi": "old"}),
        ("a failed write", ["a.mp4"], None, None, seam, 1, "File too large", old, {}),
        ("a full disk", ["a.mp4"], "8k", None, env, 1, "the disk is full", old, {}),
        ("a nearly full disk", ["a.mp4"], "100k", None, env, 1, "the disk is full", old, {}),
        ("another user's trash on a shared disk", ["a.mp4"], "ext4", others_trash, env, 0,
         "%s/a_mp4 (2).avi instead of", dict(old, **{"a_mp4 (2).avi": "video"}), {}),
        # One run sends the older file to the trash, never the other run's output.
        ("two runs at once", ["a.mp4", "two/a.mp4"], None, None, env, 0, "moved to the trash:\n%s/a_mp4.avi",
         {"a.avi": "a", "a_mp4.avi": "video", "a_mp4 (2).avi": "video"}, {"a_mp4.avi": "old"}),
    ]):
        out = os.path.join(tmp, "out%d" % i)
        if disk and not mount(out, disk):
            print("skipped: %s: no %s can be mounted here" % (case, disk), flush=True)
            continue
        try:
            os.makedirs(out, exist_ok=True)
            for name, text in old.items():
                open(os.path.join(out, name), "w").write(text)
            if prepare:
                prepare(out)
            trash = os.path.join(out, ".Trash-%d" % os.getuid(), "files") if prepare else home_trash
            shutil.rmtree(os.path.dirname(home_trash), ignore_errors=True)
            runs = [subprocess.Popen([os.path.join(prefix, "bin", "quor-zodi-converter"), "--convert", "--output", out,
                                      source], cwd=tmp, env=run_env, stderr=subprocess.PIPE, text=True)
                    for source in sources]
            err = "".join(p.communicate(timeout=120)[1] for p in runs)
            check([p.returncode for p in runs] == [status] * len(runs) and words.replace("%s", out) in err,
                  "%s: exit %s, not %d: %s" % (case, [p.returncode for p in runs], status, err))
            check(contents(out) == after, "%s: the folder holds %s" % (case, contents(out)))
            left = contents(trash) if os.path.isdir(trash) else {}
            check(left == trashed, "%s: the trash holds %s" % (case, left))
            # Each output is its own source's conversion.
            for src, made in (l[10:].split(" -> ") for l in err.splitlines() if l.startswith("converted ")):
                size = [(s["width"], s["height"]) for s in (probe(p, False)[1] for p in (src, made))]
                check(size[0] == size[1], "%s: %s holds %s, not %s's %s" % (case, made, size[1], src, size[0]))
        finally:
            if disk:
                subprocess.run(["umount", out])


def area_install(tmp, prefix, env):
    private = os.path.join(prefix, "lib", "quor-zodi-converter")
    check(os.path.islink(os.path.join(prefix, "bin", "quor-zodi-converter")), "bin/ holds a link")
    for name in ("quor-zodi-converter", "zezozov", "version.ini", "tips.txt", "help/overview/overview.htm",
                 "../../share/icons/hicolor/128x128/apps/org.quorzodi.Converter.png",
                 "../../share/man/man1/quor-zodi-converter.1.gz"):
        check(os.path.exists(os.path.join(private, name)), name + " installed")
    for tool, path in ((["desktop-file-validate"], "applications/org.quorzodi.Converter.desktop"),
                       (["appstreamcli", "validate", "--no-net"], "metainfo/org.quorzodi.Converter.metainfo.xml")):
        if shutil.which(tool[0]):
            r = subprocess.run(tool + [os.path.join(prefix, "share", path)], capture_output=True, text=True)
            check(r.returncode == 0, "%s: %s%s" % (tool[0], r.stdout, r.stderr))

    # The installed program, even where its user may write its folder (root): the settings come from (and would
    # go to) the XDG folder.
    config = os.path.join(env["XDG_CONFIG_HOME"], "quor-zodi-converter")
    os.makedirs(config)
    with open(os.path.join(config, "option.ini"), "w") as f:
        f.write("[Destinate]\nOutput format=5\nTemporary folder=%s/vcd/\n" % tmp)
    elsewhere = os.path.join(tmp, "elsewhere")
    os.makedirs(elsewhere)
    make_clip(os.path.join(elsewhere, "a.avi"))
    r = run(prefix, ["--convert", "a.avi"], elsewhere, env)
    check(r.returncode == 0 and os.path.exists(os.path.join(tmp, "vcd", "a.mpeg")),
          "the XDG settings are used: %d %s" % (r.returncode, r.stderr))
    check(os.listdir(config) == ["option.ini"], "--convert writes no settings")
    r = run(prefix, ["--version"], elsewhere, env)
    check(r.stdout.strip() == "quor-zodi-converter 1.00", "version from beside the program: " + r.stdout)


def main():
    with tempfile.TemporaryDirectory(prefix="qzc-cli-") as tmp:
        prefix = install(tmp)
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(tmp, "config"), HOME=tmp)
        env.pop("XDG_STATE_HOME", None)
        env.pop("DISPLAY", None)
        env.pop("WAYLAND_DISPLAY", None)
        work = os.path.join(tmp, "work")
        os.makedirs(work)
        {"convert": area_convert, "refuse": area_refuse, "interrupt": area_interrupt, "writes": area_writes,
         "install": area_install}[AREA](work, prefix, env)
    finish()


main()
