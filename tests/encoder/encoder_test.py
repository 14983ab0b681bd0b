#!/usr/bin/env python3
"""The real zezozov with the real ffmpeg, on clips generated here: every output format, the probe reports, a stop
on request and file names that look like options or protocols.

    encoder_test.py ZEZOZOV PARAMETER_TEXT_TOOL {formats|probe|shapes|stop|names}

Every parameter text comes from the converter's own builder (the qzc-parameter-text tool), with the settings
given by their option.ini keys.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
from fractions import Fraction

AVI, MPEG1, MPEG2, ZODI, XVID, VCD, SVCD, DVD, WMV, ASF = range(10)
NAMES = ["AVI", "MPEG1", "MPEG2", "ZODI", "XVID", "VCD", "SVCD", "DVD", "WMV", "ASF"]

ZEZOZOV = None
TOOL = None
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL: " + message, flush=True)


def encoder_args(inp, out, settings, fps=25, size=None, probe=False):
    """The encoder's arguments for one file, as the converter writes them; `settings` maps option.ini keys to
    values, on top of a first run's settings."""
    cmd = [TOOL, "--lines", "--fps", str(fps)]
    for key, value in settings.items():
        cmd += ["--set", "%s=%s" % (key, value)]
    if size:
        cmd += ["--size", size]
    if probe:
        cmd.append("--probe")
    out = subprocess.run(cmd + ["--", inp, out], capture_output=True, text=True, check=True).stdout
    return out.split("\n")[:-1]


def make_clip(path, size, rate, seconds=2, audio=None, sar=None):
    """testsrc video (MPEG-4 in whatever container the name says), with a sine tone of `audio` =
    (channels, sample rate) or none."""
    cmd = ["ffmpeg", "-v", "error", "-y", "-f", "lavfi",
           "-i", "testsrc=size=%s:rate=%s:duration=%s" % (size, rate, seconds)]
    if audio:
        cmd += ["-f", "lavfi", "-i", "sine=frequency=440:sample_rate=%d:duration=%s" % (audio[1], seconds)]
    if sar:
        cmd += ["-vf", "setsar=" + sar]
    cmd += ["-c:v", "mpeg4", "-q:v", "4"]
    if audio:
        cmd += ["-c:a", "pcm_s16le", "-ac", str(audio[0])]
    subprocess.run(cmd + ["file:" + path], check=True)


def probe(path):
    out = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-of", "json", "-show_format", "-show_streams",
                          "file:" + path], capture_output=True, text=True, check=True).stdout
    info = json.loads(out)
    video = [s for s in info["streams"] if s["codec_type"] == "video"]
    audio = [s for s in info["streams"] if s["codec_type"] == "audio"]
    return info["format"], (video[0] if video else None), (audio[0] if audio else None)


def run(args, replies=None, timeout=120):
    """Runs zezozov; `replies` is a function from a report line to the reply text (None: stdin closed)."""
    if replies is None:
        proc = subprocess.run([ZEZOZOV] + args, stdin=subprocess.DEVNULL, capture_output=True, text=True,
                              timeout=timeout)
        return proc.returncode, proc.stdout.splitlines(), proc.stderr
    proc = subprocess.Popen([ZEZOZOV] + args, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, text=True)
    reports = []
    for line in proc.stdout:
        reports.append(line.rstrip("\n"))
        proc.stdin.write(replies(line.rstrip("\n")) + "\n")
        proc.stdin.flush()
    proc.stdin.close()
    err = proc.stderr.read()
    proc.wait(timeout=timeout)
    return proc.returncode, reports, err


# --- every format ---------------------------------------------------------------------------------------------

# name: (size, rate, audio (channels, rate) or None, sample aspect)
CLIPS = {
    "pal": ("320x240", "25", (2, 44100), None),
    "ntsc": ("640x480", "30000/1001", None, None),
    "film": ("352x288", "24000/1001", (1, 48000), None),
    "wide": ("720x576", "25", (2, 48000), "64/45"),  # anamorphic 16:9
    "odd": ("175x143", "25", (2, 44100), None),  # an odd size kept as it is
}

# One row per conversion: clip, format and settings (option.ini keys), then what ffprobe must read back from the
# output: video codec, size, frame rate (None: the source's timestamps are kept), audio codec, channels, sample
# rate, tag. "Letterbox" is on in a first run: cases that set a frame size without wanting bars turn it off.
CASES = [
    # AVI family: Zodi (MPEG-4, DX50) or Xvid video, MP3 or AC3 audio.
    ("pal", AVI, {}, "mpeg4", 320, 240, "25/1", "mp3", 2, 44100, "DX50"),
    ("pal", AVI, {"AVI audio codec": 1, "AVI quality": 3}, "mpeg4", 320, 240, "25/1", "ac3", 6, 44100, "DX50"),
    ("ntsc", AVI, {"AVI video codec": 1, "AVI audio codec": 1, "AVI quality": 2, "AVI resolution": 10,
                   "Letterbox": 0}, "mpeg4", 320, 240, "30000/1001", None, 0, 0, None),
    ("film", ZODI, {"AVI quality": 5}, "mpeg4", 352, 288, "24000/1001", "mp3", 2, 48000, "DX50"),
    ("film", ZODI, {"Zodi audio codec": 1, "AVI quality": 0}, "mpeg4", 352, 288, "24000/1001", "ac3", 6, 44100,
     "DX50"),
    ("pal", XVID, {"AVI quality": 6, "AVI resolution": 6, "Letterbox": 0}, "mpeg4", 176, 144, "25/1", "mp3", 2,
     44100, None),
    # Letter box of an anamorphic 16:9 source into 640 x 480: the converter's room says "at the sides", the display
    # aspect says "above and below"; either way the frame is 640 x 480.
    ("wide", XVID, {"Xvid audio codec": 1, "AVI resolution": 17}, "mpeg4", 640, 480, "25/1", "ac3", 6, 44100, None),
    # Plain MPEG.
    ("pal", MPEG1, {"MPEG1 quality": 4, "MPEG aspect ratio": 1, "MPEG resolution": 12, "Letterbox": 0},
     "mpeg1video", 352, 288, "25/1", "mp2", 2, 44100, None),
    ("ntsc", MPEG1, {"MPEG1 quality": 2, "MPEG aspect ratio": 0}, "mpeg1video", 640, 480, "30000/1001", None, 0, 0,
     None),
    ("film", MPEG2, {"MPEG aspect ratio": 2, "MPEG resolution": 16, "Letterbox": 0}, "mpeg2video", 720, 480,
     "24000/1001", "mp2", 2, 44100, None),
    ("wide", MPEG2, {"MPEG2 quality": 1, "MPEG aspect ratio": 3}, "mpeg2video", 720, 576, "25/1", "mp2", 2, 44100,
     None),
    # Disc formats, both TV modes.
    ("pal", VCD, {"TV mode": 0, "MPEG1 quality": 4, "Letterbox": 0}, "mpeg1video", 352, 240, "24000/1001", "mp2", 2,
     44100, None),
    ("ntsc", VCD, {"TV mode": 1, "Letterbox": 0}, "mpeg1video", 352, 288, "25/1", None, 0, 0, None),
    ("film", SVCD, {"TV mode": 0, "SVCD quality": 3, "Letterbox": 0}, "mpeg2video", 480, 480, "30000/1001", "mp2",
     2, 44100, None),
    ("pal", SVCD, {"TV mode": 1, "SVCD quality": 0, "DVD aspect ratio": 1, "Letterbox": 0}, "mpeg2video", 480, 576,
     "25/1", "mp2", 2, 44100, None),
    ("pal", DVD, {"TV mode": 0, "Letterbox": 0}, "mpeg2video", 720, 480, "30000/1001", "ac3", 2, 48000, None),
    # Letter box of a 4:3 source into 720 x 576: 720 x 540 padded.
    ("pal", DVD, {"TV mode": 1, "DVD quality": 4, "DVD audio codec": 1, "DVD aspect ratio": 0}, "mpeg2video", 720,
     576, "25/1", "mp2", 2, 48000, None),
    ("film", DVD, {"TV mode": 1, "DVD quality": 2, "DVD aspect ratio": 1, "Letterbox": 0}, "mpeg2video", 720, 576,
     "25/1", "ac3", 1, 48000, None),
    # Windows Media: the frame rate option says 1000, the source's frames are kept.
    ("pal", WMV, {"WMV audio codec": 0}, "wmv2", 320, 240, None, "wmav1", 2, 44100, None),
    ("film", WMV, {"WMV quality": 0}, "wmv2", 352, 288, None, "wmav2", 2, 44100, None),
    ("ntsc", ASF, {"ASF video codec": 0, "ASF audio codec": 0}, "msmpeg4v3", 640, 480, None, None, 0, 0, None),
    ("pal", ASF, {"ASF video codec": 1, "WMV quality": 8}, "msmpeg4v2", 320, 240, None, "wmav2", 2, 44100, None),
    ("wide", ASF, {"ASF audio codec": 0, "AVI resolution": 10}, "wmv2", 320, 240, None, "wmav1", 2, 44100, None),
    # Sources of odd size lose a column and a row: these encoders take even sizes only.
    ("odd", XVID, {}, "mpeg4", 174, 142, "25/1", "mp3", 2, 44100, None),
    ("odd", WMV, {}, "wmv2", 174, 142, None, "wmav2", 2, 44100, None),
]

# case: (picture rows, first picture row). A 4:3 source in 720 x 576: 540 rows; 16:9 anamorphic sources fitted by
# their display aspect into 640 x 480 and 320 x 240.
LETTERBOX = {16: (540, 18), 6: (360, 60), 22: (180, 30)}

EXTENSION = {AVI: "avi", ZODI: "avi", XVID: "avi", MPEG1: "mpeg", MPEG2: "mpeg", VCD: "mpeg", SVCD: "mpeg",
             DVD: "vob", WMV: "wmv", ASF: "asf"}
CONTAINER = {AVI: "avi", ZODI: "avi", XVID: "avi", WMV: "asf", ASF: "asf"}  # the rest: "mpeg"
SECTOR = {VCD: 2324, SVCD: 2324, DVD: 2048}  # the disc muxers write whole sectors


def frames_of(rate, seconds=2):
    return round(Fraction(rate) * seconds)


def test_formats(work):
    for name, (size, rate, audio, sar) in CLIPS.items():
        make_clip(os.path.join(work, name + ".avi"), size, rate, audio=audio, sar=sar)
    for i, (clip, fmt, settings, vcodec, width, height, rate, acodec, channels, srate, tag) in enumerate(CASES):
        label = "case %d (%s from %s)" % (i, NAMES[fmt], clip)
        src = os.path.join(work, clip + ".avi")
        out = os.path.join(work, "out%d.%s" % (i, EXTENSION[fmt]))
        size, clip_rate = CLIPS[clip][0], float(Fraction(CLIPS[clip][1]))
        args = encoder_args(src, out, dict(settings, **{"Output format": fmt}), fps=clip_rate, size=size)
        status, reports, err = run(args)
        check(status == 0, "%s: exit %d: %s" % (label, status, err.strip()))
        if status != 0:
            continue
        check(reports and all(r.startswith("6 ") for r in reports), "%s: reports %r" % (label, reports))
        fmt_info, v, a = probe(out)
        check(fmt_info["format_name"] == CONTAINER.get(fmt, "mpeg"), "%s: container %s" % (label,
                                                                                        fmt_info["format_name"]))
        check(v and v["codec_name"] == vcodec, "%s: video codec %s" % (label, v and v["codec_name"]))
        check((v["width"], v["height"]) == (width, height), "%s: size %dx%d" % (label, v["width"], v["height"]))
        src_rate = CLIPS[clip][1]
        expected_frames = frames_of(rate or src_rate)
        if rate:
            check(v["r_frame_rate"] == rate, "%s: frame rate %s, not %s" % (label, v["r_frame_rate"], rate))
        check(abs(int(v["nb_read_frames"]) - expected_frames) <= 2,
              "%s: %s frames, not about %d" % (label, v["nb_read_frames"], expected_frames))
        duration = float(fmt_info["duration"])
        check(abs(duration - 2.0) <= 2 / float(Fraction(rate or src_rate)) + 0.05,
              "%s: duration %.3f" % (label, duration))
        if tag:
            check(v["codec_tag_string"] == tag, "%s: tag %s" % (label, v["codec_tag_string"]))
        if acodec:
            check(a is not None and a["codec_name"] == acodec, "%s: audio codec %s" % (label, a and a["codec_name"]))
            if a:
                check((a["channels"], int(a["sample_rate"])) == (channels, srate),
                      "%s: audio %d ch %s Hz" % (label, a["channels"], a["sample_rate"]))
        else:
            check(a is None, "%s: unexpected audio" % label)
        if fmt in SECTOR:
            check(os.path.getsize(out) % SECTOR[fmt] == 0, "%s: not whole %d-byte sectors" % (label, SECTOR[fmt]))
        if fmt == VCD:
            # A VCD's first pictures are due 0.44 s in, not the muxer's usual half second.
            start = float(fmt_info["start_time"])
            check(0.44 <= start < 0.5, "%s: starts at %.3f s" % (label, start))
        check(not [f for f in os.listdir(work) if "zezozov-part" in f], "%s: a temporary file was left" % label)
        print("ok: " + label, flush=True)
    # Letter boxes: the picture's height and top line inside the padded frame (the test pattern's own dark edges
    # make the width less certain, so only the rows are checked).
    for case, (height, top) in LETTERBOX.items():
        out = os.path.join(work, "out%d.%s" % (case, EXTENSION[CASES[case][1]]))
        log = subprocess.run(["ffmpeg", "-v", "info", "-i", "file:" + out, "-vf", "cropdetect=limit=24:round=2",
                              "-frames:v", "10", "-f", "null", "-"], capture_output=True, text=True).stderr
        crops = [c.split("crop=")[1].split()[0] for c in log.splitlines() if "crop=" in c]
        rows = crops[-1].split(":") if crops else []
        check(len(rows) == 4 and (int(rows[1]), int(rows[3])) == (height, top),
              "letter box of case %d: %s, not %d rows from line %d" % (case, crops[-1:], height, top))


# --- probe ----------------------------------------------------------------------------------------------------

def probe_args(path):
    return encoder_args(path, path + ".avi", {}, fps=0, probe=True)


def test_probe(work):
    cases = [  # size, rate, seconds, audio, expected reports
        ("320x240", "25", 3, (2, 44100), ["1 3", "2 320", "3 240", "4 250000000"]),
        ("640x480", "30000/1001", 3, None, ["1 3", "2 640", "3 480", "4 299700300"]),
        ("352x288", "24000/1001", 3, (1, 48000), ["1 3", "2 352", "3 288", "4 239760240"]),
        ("160x120", "15", 5, None, ["1 5", "2 160", "3 120", "4 150000000"]),
    ]
    for i, (size, rate, seconds, audio, expected) in enumerate(cases):
        path = os.path.join(work, "probe%d.avi" % i)
        make_clip(path, size, rate, seconds=seconds, audio=audio)
        status, reports, err = run(probe_args(path), replies=lambda line: "0")
        check(status == 0 and reports == expected, "probe %s@%s: exit %d, %r" % (size, rate, status, reports))
    # Replies missing altogether (standard input closed) count as 0.
    status, reports, _ = run(probe_args(os.path.join(work, "probe0.avi")))
    check(status == 0 and reports == cases[0][4], "probe without replies: exit %d, %r" % (status, reports))
    # A reply of 1 stops the probe after that report.
    status, reports, _ = run(probe_args(os.path.join(work, "probe0.avi")), replies=lambda line: "1")
    check(status == 5 and reports == ["1 3"], "probe stopped: exit %d, %r" % (status, reports))

    text = os.path.join(work, "notes.avi")
    with open(text, "w") as f:
        f.write("This is a text file, not a video.\n" * 20)
    empty = os.path.join(work, "empty.avi")
    open(empty, "w").close()
    audio_only = os.path.join(work, "tone.avi")
    subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i", "sine=duration=2", "-c:a", "pcm_s16le",
                    "file:" + audio_only], check=True)
    for path in (text, empty, os.path.join(work, "missing.avi"), audio_only):
        status, reports, err = run(probe_args(path), replies=lambda line: "0")
        check(status == 3 and reports == ["1 0"] and err.strip(),
              "probe of %s: exit %d, %r, %r" % (os.path.basename(path), status, reports, err))
        # Converting it fails the same way, and leaves nothing behind.
        out = path + ".out.avi"
        status, reports, err = run(encoder_args(path, out, {}))
        check(status == 3 and not os.path.exists(out), "convert of %s: exit %d" % (os.path.basename(path), status))
    test_probe_sources(work)
    print("probe: %d failures" % len(failures))


def short_probe_args(path):
    """The shortest argument list that asks for a probe."""
    return [path, "-o", path + ".avi", "-endpos", "9:0:0", "1", "0"]


def zero_container_duration(path):
    """Sets an MP4's movie duration (mvhd) to 0, leaving the track's own duration: a container without a playing
    time whose stream has one."""
    with open(path, "rb") as f:
        data = bytearray(f.read())
    at = data.find(b"mvhd")
    assert at > 0 and data[at + 4] == 0, "no version-0 mvhd box"
    data[at + 20:at + 24] = bytes(4)
    with open(path, "wb") as f:
        f.write(data)


def test_probe_sources(work):
    """Sources whose facts need the probe's rules: the average frame rate over the base rate, the stream's
    playing time where the container has none, and refusals with their reasons."""
    vfr = os.path.join(work, "vfr.mp4")  # 2 s at 50 fps, then 2 s at 10 fps: base rate 50, average 1500/49
    subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i", "testsrc=size=160x120:rate=50:duration=4",
                    "-vf", "select='lt(t,2)+not(mod(n,5))'", "-fps_mode", "vfr", "-c:v", "mpeg4", "file:" + vfr],
                   check=True)
    ntsc_rounded = os.path.join(work, "2997.avi")  # 29.97 exactly, not 30000/1001
    make_clip(ntsc_rounded, "320x240", "2997/100", seconds=3)
    no_container_time = os.path.join(work, "notime.mp4")
    subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i", "testsrc=size=176x144:rate=25:duration=3",
                    "-c:v", "mpeg4", "file:" + no_container_time], check=True)
    zero_container_duration(no_container_time)
    for path, expected in [
        (vfr, ["1 4", "2 160", "3 120", "4 306122449"]),
        (ntsc_rounded, ["1 3", "2 320", "3 240", "4 299700000"]),
        (no_container_time, ["1 3", "2 176", "3 144", "4 250000000"]),
    ]:
        status, reports, err = run(short_probe_args(path), replies=lambda line: "0")
        check(status == 0 and reports == expected,
              "probe of %s: exit %d, %r, not %r: %s" % (os.path.basename(path), status, reports, expected, err))

    tone = os.path.join(work, "tone.wav")
    subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i", "sine=duration=2", "file:" + tone], check=True)
    text = os.path.join(work, "readme.mpg")
    with open(text, "w") as f:
        f.write("Not a video at all.\n" * 50)
    empty = os.path.join(work, "nothing.mpg")
    open(empty, "w").close()
    for path, reason in [(tone, "no video stream"), (text, "not a media file"), (empty, "empty file"),
                         (os.path.join(work, "gone.mpg"), "cannot be read: No such file or directory")]:
        status, reports, err = run(short_probe_args(path))
        check(status == 3 and reports == ["1 0"] and err.strip() == "zezozov: %s: %s" % (path, reason),
              "refusal of %s: exit %d, %r, %r" % (os.path.basename(path), status, reports, err))


# --- sources shown in another shape than stored ------------------------------------------------------------

def make_phone_clip(path):
    """A portrait phone video: 360 x 640 as shown (white top half, grey bottom half), stored as 640 x 360 frames
    with a display rotation of 90 degrees."""
    stored = path + ".stored.mp4"
    subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i",
                    "color=white:size=360x320:rate=25:duration=2[a];color=gray:size=360x320:rate=25:duration=2[b];"
                    "[a][b]vstack,transpose=clock", "-c:v", "mpeg4", "-q:v", "3", "file:" + stored], check=True)
    subprocess.run(["ffmpeg", "-v", "error", "-i", "file:" + stored, "-c", "copy", "-metadata:s:v:0", "rotate=90",
                    "file:" + path], check=True)
    os.remove(stored)


def picture_box(path):
    """cropdetect's box of the picture inside the frame: (width, height, x, y)."""
    log = subprocess.run(["ffmpeg", "-v", "info", "-i", "file:" + path, "-vf", "cropdetect=limit=24:round=2",
                          "-frames:v", "10", "-f", "null", "-"], capture_output=True, text=True).stderr
    crops = [c.split("crop=")[1].split()[0] for c in log.splitlines() if "crop=" in c]
    return tuple(int(x) for x in crops[-1].split(":")) if crops else None


def luma_column(path, width, x):
    """The brightness of one column of the fifth frame, top to bottom."""
    data = subprocess.run(["ffmpeg", "-v", "error", "-i", "file:" + path, "-vf", "select=eq(n\\,4),format=gray",
                           "-frames:v", "1", "-f", "rawvideo", "-"], capture_output=True, check=True).stdout
    return data[x::width]


def test_shapes(work):
    wide = os.path.join(work, "dvdrip.avi")  # 720 x 576 stored, 16:9 shown
    make_clip(wide, "720x576", "25", audio=(2, 48000), sar="64/45")
    phone = os.path.join(work, "phone.mp4")
    make_phone_clip(phone)
    for path, expected in [(wide, ["1 2", "2 1024", "3 576", "4 250000000"]),
                           (phone, ["1 2", "2 360", "3 640", "4 250000000"])]:
        status, reports, err = run(short_probe_args(path), replies=lambda line: "0")
        check(status == 0 and reports == expected,
              "probe of %s: exit %d, %r, not %r: %s" % (os.path.basename(path), status, reports, expected, err))

    # Conversions with the letter-box room the program computes from those sizes: 1024 x 576 in DVD PAL's
    # 720 x 576 leaves 171 rows; 360 x 640 leaves 396 columns.
    # (source, shown size, format, settings, frame size, picture box (width, height, x, y) or None, tolerance)
    dvd_pal_4_3 = {"TV mode": 1, "DVD quality": 4, "DVD audio codec": 1, "DVD aspect ratio": 0}
    cases = [
        (wide, "1024x576", DVD, dvd_pal_4_3, (720, 576), (720, 406, 0, 84), 2),
        (phone, "360x640", DVD, dvd_pal_4_3, (720, 576), (324, 576, 198, 0), 2),
        (phone, "360x640", AVI, {}, (360, 640), None, 0),
    ]
    for i, (src, shown, fmt, settings, size, box, slack) in enumerate(cases):
        label = "shape case %d (%s from %s)" % (i, NAMES[fmt], os.path.basename(src))
        out = os.path.join(work, "shape%d.%s" % (i, EXTENSION[fmt]))
        args = encoder_args(src, out, dict(settings, **{"Output format": fmt}), size=shown)
        status, _, err = run(args)
        check(status == 0, "%s: exit %d: %s" % (label, status, err.strip()))
        if status != 0:
            continue
        _, v, _ = probe(out)
        check((v["width"], v["height"]) == size, "%s: size %dx%d" % (label, v["width"], v["height"]))
        found = picture_box(out)
        if box:
            check(found and all(abs(a - b) <= slack for a, b in zip(found, box)),
                  "%s: picture %r, not about %r" % (label, found, box))
        if src == phone and found:
            # Upright: the white half on top, the grey half below.
            column = luma_column(out, v["width"], found[2] + found[0] // 2)
            top, bottom = column[found[3] + 20], column[found[3] + found[1] - 20]
            check(top > 200 and 90 < bottom < 170, "%s: not upright (top %d, bottom %d)" % (label, top, bottom))
        print("ok: " + label, flush=True)
    print("shapes: %d failures" % len(failures))


# --- stop -----------------------------------------------------------------------------------------------------

def still_running(marker):
    """Whether any process has `marker` in its command line."""
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                if marker.encode() in f.read():
                    return True
        except OSError:
            pass
    return False


def test_stop(work):
    src = os.path.join(work, "long.avi")
    make_clip(src, "720x576", "25", seconds=30, audio=(2, 48000))
    out = os.path.join(work, "long.vob")
    args = encoder_args(src, out, {"Output format": DVD, "TV mode": 1}, size="720x576")
    proc = subprocess.Popen([ZEZOZOV] + args, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, text=True)
    seen = []
    stopped_at = None
    for line in proc.stdout:
        seen.append(line.strip())
        if line.startswith("6 "):
            stopped_at = time.monotonic()
            proc.stdin.write("1\n")
            proc.stdin.flush()
            break
        proc.stdin.write("0\n")
        proc.stdin.flush()
    check(stopped_at is not None, "stop: no position report: %r" % seen)
    try:
        proc.wait(timeout=5)
    except subprocess.TimeoutExpired:
        proc.kill()
    ended = time.monotonic()
    check(proc.returncode == 5, "stop: exit %s" % proc.returncode)
    if stopped_at:
        check(ended - stopped_at < 1.0, "stop: took %.2f s" % (ended - stopped_at))
    left = sorted(f for f in os.listdir(work) if f != "long.avi")
    check(left == [], "stop: files left behind: %r" % left)
    check(not still_running("long.zezozov-part"), "stop: ffmpeg still runs")
    print("stop: reports %r, %d failures" % (seen, len(failures)))


# --- hostile names --------------------------------------------------------------------------------------------

def test_names(work):
    folder = os.path.join(work, "names")
    os.mkdir(folder)
    source = os.path.join(work, "source.avi")
    make_clip(source, "160x120", "25", audio=(2, 44100))
    names = ["-o.avi", "concat:a.avi", "a b ü.avi", "http:x.avi", "-i"]
    # A bystander that an option or protocol reading of the names could reach.
    with open(os.path.join(folder, "a.avi"), "w") as f:
        f.write("bystander")
    for name in names:
        with open(source, "rb") as src, open(os.path.join(folder, name), "wb") as dst:
            dst.write(src.read())
    before = sorted(os.listdir(folder))
    for name in names:
        out_name = os.path.splitext(name)[0] + ".wmv"
        # Relative names, run in the folder itself, as the converter does: the most dangerous shape.
        args = encoder_args(name, out_name, {"Output format": WMV, "WMV audio codec": 0})
        proc = subprocess.run([ZEZOZOV] + args, cwd=folder, stdin=subprocess.DEVNULL, capture_output=True, text=True)
        check(proc.returncode == 0, "name %r: exit %d: %s" % (name, proc.returncode, proc.stderr))
        out = os.path.join(folder, out_name)
        if proc.returncode == 0:
            _, v, a = probe(out)
            check(v["codec_name"] == "wmv2" and a["codec_name"] == "wmav1" and int(v["nb_read_frames"]) == 50,
                  "name %r: output wrong" % name)
        after = sorted(os.listdir(folder))
        check(after == sorted(before + [out_name]), "name %r: folder became %r" % (name, after))
        before = after
        # Absolute paths as well, probing this time.
        status, reports, _ = run(probe_args(os.path.join(folder, name)))
        check(status == 0 and reports[:3] == ["1 2", "2 160", "3 120"], "probe of %r: %r" % (name, reports))
    with open(os.path.join(folder, "a.avi")) as f:
        check(f.read() == "bystander", "the bystander file changed")
    test_output_is_input(work, source)
    print("names: %d failures" % len(failures))


def test_output_is_input(work, source):
    """An output that is the input itself, however spelled, is refused and the source stays as it was."""
    same = os.path.join(work, "same")
    os.mkdir(same)
    inp = os.path.join(same, "in.avi")
    shutil.copy(source, inp)
    os.link(inp, os.path.join(same, "hard.avi"))
    os.symlink("in.avi", os.path.join(same, "link.avi"))
    with open(inp, "rb") as f:
        original = f.read()
    for out in [inp, os.path.join(same, "..", "same", "in.avi"), os.path.join(same, "hard.avi"),
                os.path.join(same, "link.avi")]:
        status, reports, err = run(encoder_args(inp, out, {}))
        check(status == 2 and "is the input file itself" in err, "output %r: exit %d, %r" % (out, status, err))
        with open(inp, "rb") as f:
            check(f.read() == original, "output %r: the source changed" % out)


def main():
    global ZEZOZOV, TOOL
    ZEZOZOV = os.path.abspath(sys.argv[1])
    TOOL = os.path.abspath(sys.argv[2])
    test = {"formats": test_formats, "probe": test_probe, "shapes": test_shapes, "stop": test_stop,
            "names": test_names}[sys.argv[3]]
    with tempfile.TemporaryDirectory(prefix="zezozov-test-") as work:
        test(work)
    if failures:
        print("%d failures" % len(failures))
        sys.exit(1)


if __name__ == "__main__":
    main()
