#!/usr/bin/env python3
"""The program from the command line, installed into a temporary prefix and run from another folder, with the
real encoder and ffmpeg on clips generated here.

    command_line_test.py PROGRAM PARAMETER_TEXT_TOOL BUILD_DIR {convert|refuse|interrupt|install}
"""
import json
import os
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import time

PROGRAM, TOOL, BUILD, AREA = sys.argv[1:5]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL: " + message, flush=True)


def make_clip(path, seconds=2, size="320x240", rate=30):
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                    "testsrc=size=%s:rate=%s:duration=%s" % (size, rate, seconds), "-f", "lavfi", "-i",
                    "sine=duration=%s" % seconds, "-shortest", "-c:v", "mpeg4", "-c:a", "mp3", path], check=True)


def video_stream(path):
    out = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "v", "-show_entries",
                          "stream=width,height,r_frame_rate", "-of", "json", path],
                         capture_output=True, text=True, check=True).stdout
    return json.loads(out)["streams"][0]


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
        check(os.path.exists(path), name + " made")
        if os.path.exists(path):
            s = video_stream(path)
            check((s["width"], s["height"], s["r_frame_rate"]) == (720, 576, "25/1"), "%s is PAL DVD: %s" % (name, s))

    # The dry run prints, per file, its output path and the program's own parameter text for it (window handle 0).
    r = run(prefix, ["--convert", "--dry-run", "--format", "svcd", "--set", "Letterbox=1", "--output", "dry",
                     "a.avi"], tmp, env)
    check(r.returncode == 0 and not os.path.exists(os.path.join(tmp, "dry")), "dry run: nothing made")
    lines = r.stdout.split("\n")
    out = os.path.join(tmp, "dry", "a.mpeg")
    expected = subprocess.run([TOOL, "--set", "Output format=6", "--set", "Letterbox=1", "--fps", "30", "--size",
                               "320x240", "--", os.path.join(tmp, "a.avi"), out],
                              capture_output=True, text=True, check=True).stdout
    check(lines[:2] == [out, expected.strip()], "dry-run text:\n%s\nwanted:\n%s" % (r.stdout, expected))


def area_refuse(tmp, prefix, env):
    make_clip(os.path.join(tmp, "a.avi"))
    make_clip(os.path.join(tmp, "c.avi"))
    with open(os.path.join(tmp, "broken.avi"), "w") as f:
        f.write("not a video")
    hostile = os.path.join(tmp, 'say "hi".avi')
    shutil.copy(os.path.join(tmp, "a.avi"), hostile)
    r = run(prefix, ["--convert", "--output", "out", "a.avi", "broken.avi", hostile, "c.avi"], tmp, env)
    check(r.returncode == 1, "a failed file gives 1, not %d" % r.returncode)
    check("broken.avi" in r.stderr and "not a media file" in r.stderr, "the failure is named: " + r.stderr)
    check('say "hi".avi' in r.stderr, "the hostile name is refused with a message: " + r.stderr)
    check(sorted(os.listdir(os.path.join(tmp, "out"))) == ["a.avi", "c.avi"], "the others are converted")

    for args, words in ((["--frobnicate"], "unknown option"),
                        (["--convert", "--set", "Loudness=3", "a.avi"], "unknown setting"),
                        (["--convert", "--set", "Volume=loud", "a.avi"], "whole number"),
                        (["--convert", "--format", "mkv", "a.avi"], "unknown format")):
        r = run(prefix, args + ["--output", "never"], tmp, env)
        check(r.returncode == 2 and words in r.stderr, "%s: %d %s" % (args, r.returncode, r.stderr))
        check(not os.path.exists(os.path.join(tmp, "never")), "%s ran nothing" % args)


def area_interrupt(tmp, prefix, env):
    make_clip(os.path.join(tmp, "a.avi"))
    make_clip(os.path.join(tmp, "long.avi"), seconds=120, rate=25)
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
    for name in ("quor-zodi-converter", "zezozov", "version.ini", "tips.txt", "help/overview/overview.htm"):
        check(os.path.exists(os.path.join(private, name)), name + " installed beside the program")
    desktop = os.path.join(prefix, "share", "applications", "org.quorzodi.Converter.desktop")
    metainfo = os.path.join(prefix, "share", "metainfo", "org.quorzodi.Converter.metainfo.xml")
    for tool, path in ((["desktop-file-validate"], desktop), (["appstreamcli", "validate", "--no-net"], metainfo)):
        if shutil.which(tool[0]):
            r = subprocess.run(tool + [path], capture_output=True, text=True)
            check(r.returncode == 0, "%s: %s%s" % (tool[0], r.stdout, r.stderr))
    check(os.path.exists(os.path.join(prefix, "share", "icons", "hicolor", "128x128", "apps",
                                      "org.quorzodi.Converter.png")), "icon in the hicolor theme")
    check(os.path.exists(os.path.join(prefix, "share", "man", "man1", "quor-zodi-converter.1")), "man page")

    # A program folder the user can't write: the settings come from (and would go to) the XDG folder.
    os.chmod(private, 0o555)
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
    os.chmod(private, 0o755)


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
        os.chmod(os.path.join(prefix, "lib", "quor-zodi-converter"), 0o755)
    print("%d failure(s)" % len(failures))
    sys.exit(1 if failures else 0)


main()
