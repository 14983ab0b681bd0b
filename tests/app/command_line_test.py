#!/usr/bin/env python3
"""The program from the command line, installed into a temporary prefix and run from another folder, with the
real encoder and ffmpeg on clips generated here.

    command_line_test.py BUILD_DIR {convert|refuse|interrupt|install}
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


def run(prefix, args, cwd, env=None, **kw):
    return subprocess.run([os.path.join(prefix, "bin", "quor-zodi-converter")] + args, cwd=cwd, env=env,
                          capture_output=True, text=True, **kw)


def area_convert(tmp, prefix, env):
    for name in ("a.avi", "b.avi"):
        make_clip(os.path.join(tmp, name))
    r = run(prefix, ["--convert", "--format", "dvd", "--set", "TV mode=1", "--output", "new/dvd", "a.avi", "b.avi"],
            tmp, env)
    check(r.returncode == 0, "two clips convert: %d %s" % (r.returncode, r.stderr))
    for name in ("a.vob", "b.vob"):
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
    r = run(prefix, ["--convert", "--output", "out", "a.avi", "broken.avi", hostile, "c.avi"], tmp, env)
    check(r.returncode == 1, "a failed file gives 1, not %d" % r.returncode)
    check("broken.avi" in r.stderr and "not a media file" in r.stderr, "the failure is named: " + r.stderr)
    check('say "hi".avi' in r.stderr, "the hostile name is refused with a message: " + r.stderr)
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


def area_interrupt(tmp, prefix, env):
    make_clip(os.path.join(tmp, "a.avi"))
    make_clip(os.path.join(tmp, "long.avi"), seconds=120)
    out = os.path.join(tmp, "out")
    p = subprocess.Popen([os.path.join(prefix, "bin", "quor-zodi-converter"), "--convert", "--format", "dvd",
                          "--output", out, "a.avi", "long.avi", "a.avi"], cwd=tmp, env=env,
                         stderr=subprocess.PIPE, text=True, start_new_session=True)
    deadline = time.time() + 60
    while time.time() < deadline and not (os.path.isdir(out) and any(n.startswith(".long") for n in os.listdir(out))):
        time.sleep(0.05)
    check(os.path.exists(os.path.join(out, "a.vob")), "the first file was converted before the stop")
    os.killpg(p.pid, signal.SIGINT)  # as Ctrl-C does: the whole foreground group
    _, err = p.communicate(timeout=60)
    check(p.returncode == 130, "Ctrl-C gives 130, not %d: %s" % (p.returncode, err))
    check(sorted(os.listdir(out)) == ["a.vob"], "no partial file, earlier output kept: %s" % os.listdir(out))


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
        env.pop("DISPLAY", None)
        env.pop("WAYLAND_DISPLAY", None)
        work = os.path.join(tmp, "work")
        os.makedirs(work)
        {"convert": area_convert, "refuse": area_refuse, "interrupt": area_interrupt,
         "install": area_install}[AREA](work, prefix, env)
    finish()


main()
