#!/usr/bin/env python3
"""The real zezozov with the real ffmpeg, on clips generated here: every output format, the probe's reports and the
shapes it reports, a stop on request, and file names that look like options or protocols.

    encoder_test.py ZEZOZOV PARAMETER_TEXT_TOOL {formats|hd|probe|stop|names}

Every parameter text comes from the converter's own builder (the qzc-parameter-text tool), with the settings
given by their option.ini keys.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time
from fractions import Fraction

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from clips import check, ffmpeg, finish, make_clip, probe  # noqa: E402

AVI, MPEG1, MPEG2, ZODI, XVID, VCD, SVCD, DVD, WMV, ASF, MP4, MKV, WEBM = range(13)
NAMES = "AVI MPEG1 MPEG2 ZODI XVID VCD SVCD DVD WMV ASF MP4 MKV WebM".split()
EXTENSION = "avi mpeg mpeg avi avi mpeg mpeg vob wmv asf mp4 mkv webm".split()
CONTAINER = "avi mpeg mpeg avi avi mpeg mpeg mpeg asf asf mov,mp4,m4a,3gp,3g2,mj2 matroska,webm matroska,webm".split()
SECTOR = {VCD: 2324, SVCD: 2324, DVD: 2048}  # the disc muxers write whole sectors
ZEZOZOV, TOOL = (os.path.abspath(p) for p in sys.argv[1:3])


def encoder_args(inp, out, settings, fps=25, size=None, probe=False):
    """The encoder's arguments for one file, as the converter writes them; `settings` maps option.ini keys to
    values, on top of a first run's settings."""
    cmd = [TOOL, "--lines", "--fps", str(fps)] + (["--size", size] if size else []) + (["--probe"] if probe else [])
    cmd += [arg for setting in settings.items() for arg in ("--set", "%s=%s" % setting)]
    return subprocess.run(cmd + ["--", inp, out], capture_output=True, text=True, check=True).stdout.split("\n")[:-1]


def probe_args(path):
    return encoder_args(path, path, {}, fps=0, probe=True)


def run(args, reply="0", cwd=None):
    """Runs zezozov with `reply` as the answer to every report (None: its standard input closed, as when the program
    has gone); gives the exit status, the reports and standard error."""
    p = subprocess.run([ZEZOZOV] + args, cwd=cwd, input=(reply + "\n") * 1000 if reply else None, text=True,
                       stdin=None if reply else subprocess.DEVNULL, capture_output=True, timeout=120)
    return p.returncode, p.stdout.splitlines(), p.stderr


def picture_box(path):
    """cropdetect's box of the picture inside the frame: (width, height, x, y)."""
    log = subprocess.run(["ffmpeg", "-v", "info", "-i", "file:" + path, "-vf", "cropdetect=limit=24:round=2",
                          "-frames:v", "10", "-f", "null", "-"], capture_output=True, text=True).stderr
    crops = [c.split("crop=")[1].split()[0] for c in log.splitlines() if "crop=" in c]
    return tuple(int(x) for x in crops[-1].split(":")) if crops else None


# --- every format ---------------------------------------------------------------------------------------------

# name: (size, rate, audio (channels, rate) or None, sample aspect)
CLIPS = {
    "pal": ("320x240", "25", (2, 44100), None),
    "ntsc": ("640x480", "30000/1001", None, None),
    "film": ("352x288", "24000/1001", (1, 48000), None),
    "wide": ("720x576", "25", (2, 48000), "64/45"),  # anamorphic 16:9
    "odd": ("175x143", "25", (2, 44100), None),  # an odd size kept as it is
    "phone": ("360x640", "25", None, None),  # as shown: see make_phone_clip
    "surround": ("160x96", "24", (6, 48000), None),  # 5.1
}

# One row per conversion: clip, format, settings (option.ini keys), then what ffprobe must read back: video codec,
# size, frame rate ("-": the source's timestamps kept), audio as codec/channels/rate ("-": none), and where given the
# tag, the display aspect (dar=, within 1%), the rows of the picture inside a letter box (rows=HEIGHT@TOP), its
# whole box (box=W:H:X:Y, within 2) and whether it stands upright (white above grey). shown= is the source's size as
# the program's probe reports it, when that is not its stored size. "Letterbox" is on in a first run: cases that set
# a frame size without wanting bars turn it off.
DVD_PAL_4_3 = {"TV mode": 1, "DVD quality": 4, "DVD audio codec": 1, "DVD aspect ratio": 0}
CASES = [
    # AVI family: Zodi (MPEG-4, DX50) or Xvid video, MP3 or AC3 audio.
    ("pal", AVI, {}, "mpeg4 320x240 25/1 mp3/2/44100 tag=DX50 dar=4:3"),
    ("ntsc", AVI, {"AVI video codec": 1, "AVI audio codec": 1, "AVI quality": 2, "AVI resolution": 10,
                   "Letterbox": 0}, "mpeg4 320x240 30000/1001 -"),
    ("film", ZODI, {"AVI quality": 5}, "mpeg4 352x288 24000/1001 mp3/2/48000 tag=DX50"),
    ("film", ZODI, {"Zodi audio codec": 1, "AVI quality": 0}, "mpeg4 352x288 24000/1001 ac3/6/44100 tag=DX50"),
    ("pal", XVID, {"AVI quality": 6, "AVI resolution": 6, "Letterbox": 0}, "mpeg4 176x144 25/1 mp3/2/44100"),
    # Letter box of an anamorphic 16:9 source into 640 x 480: the converter's room says "at the sides", the display
    # aspect says "above and below"; either way the frame is 640 x 480.
    ("wide", XVID, {"Xvid audio codec": 1, "AVI resolution": 17}, "mpeg4 640x480 25/1 ac3/6/44100 dar=4:3 rows=360@60"),
    # Plain MPEG.
    ("pal", MPEG1, {"MPEG1 quality": 4, "MPEG aspect ratio": 1, "MPEG resolution": 12, "Letterbox": 0},
     "mpeg1video 352x288 25/1 mp2/2/44100 dar=4:3"),
    ("ntsc", MPEG1, {"MPEG1 quality": 2, "MPEG aspect ratio": 0}, "mpeg1video 640x480 30000/1001 -"),
    ("film", MPEG2, {"MPEG aspect ratio": 2, "MPEG resolution": 16, "Letterbox": 0},
     "mpeg2video 720x480 24000/1001 mp2/2/44100 dar=16:9"),
    ("wide", MPEG2, {"MPEG2 quality": 1, "MPEG aspect ratio": 3}, "mpeg2video 720x576 25/1 mp2/2/44100 dar=221:100"),
    # Disc formats, both TV modes.
    ("pal", VCD, {"TV mode": 0, "MPEG1 quality": 4, "Letterbox": 0}, "mpeg1video 352x240 24000/1001 mp2/2/44100"),
    ("ntsc", VCD, {"TV mode": 1, "Letterbox": 0}, "mpeg1video 352x288 25/1 -"),
    ("film", SVCD, {"TV mode": 0, "SVCD quality": 3, "Letterbox": 0}, "mpeg2video 480x480 30000/1001 mp2/2/44100"),
    ("pal", SVCD, {"TV mode": 1, "SVCD quality": 0, "DVD aspect ratio": 1, "Letterbox": 0},
     "mpeg2video 480x576 25/1 mp2/2/44100 dar=16:9"),
    ("pal", DVD, {"TV mode": 0, "Letterbox": 0}, "mpeg2video 720x480 30000/1001 ac3/2/48000"),
    # Letter box of a 4:3 source into 720 x 576: 720 x 540 padded.
    ("pal", DVD, DVD_PAL_4_3, "mpeg2video 720x576 25/1 mp2/2/48000 dar=4:3 rows=540@18"),
    # Sources shown in another shape than stored: 1024 x 576 in DVD PAL's 720 x 576 leaves 171 rows; 360 x 640 leaves
    # 396 columns. The phone clip comes out upright.
    ("wide", DVD, DVD_PAL_4_3, "mpeg2video 720x576 25/1 mp2/2/48000 shown=1024x576 box=720:406:0:84"),
    ("phone", DVD, DVD_PAL_4_3, "mpeg2video 720x576 25/1 - box=324:576:198:0 upright"),
    ("phone", AVI, {}, "mpeg4 360x640 25/1 - upright"),
    ("film", DVD, {"TV mode": 1, "DVD quality": 2, "DVD aspect ratio": 1, "Letterbox": 0},
     "mpeg2video 720x576 25/1 ac3/1/48000 dar=16:9"),
    # Windows Media: the frame rate option says 1000, the source's frames are kept.
    ("pal", WMV, {"WMV audio codec": 0}, "wmv2 320x240 - wmav1/2/44100"),
    ("ntsc", ASF, {"ASF video codec": 0, "ASF audio codec": 0}, "msmpeg4v3 640x480 - -"),
    ("pal", ASF, {"ASF video codec": 1, "WMV quality": 8}, "msmpeg4v2 320x240 - wmav2/2/44100"),
    ("wide", ASF, {"ASF audio codec": 0, "AVI resolution": 10}, "wmv2 320x240 - wmav1/2/44100 rows=180@30"),
    # Sources of odd size lose a column and a row: these encoders take even sizes only.
    ("odd", XVID, {}, "mpeg4 174x142 25/1 mp3/2/44100"),
    ("odd", WMV, {}, "wmv2 174x142 - wmav2/2/44100"),
]


# MP4, MKV and WebM: every new codec at the default step, looking like the source (ssim: SSIM of at least 0.95, and a
# full decode without an error), 5.1 and mono kept; MP4 with its index before the media data (index).
HD_CASES = [
    ("pal", MP4, {}, "h264 320x240 25/1 aac/2/44100 ssim index"),
    ("surround", MP4, {}, "h264 160x96 24/1 aac/6/48000"),
    ("surround", MKV, {"MKV video codec": 1, "MKV audio codec": 1}, "hevc 160x96 24/1 opus/6/48000 ssim"),
    ("pal", MKV, {"MKV video codec": 2}, "av1 320x240 25/1 aac/2/44100 ssim"),
    ("pal", WEBM, {}, "vp9 320x240 25/1 opus/2/48000 ssim"),
    ("pal", WEBM, {"WebM video codec": 1}, "av1 320x240 25/1 opus/2/48000 ssim"),
    ("film", MKV, {"HD resolution": 1, "HD frame rate": 3, "Letterbox": 0}, "h264 640x360 25/1 aac/1/48000"),
]


def test_formats(work, cases=CASES):
    src = {name: os.path.join(work, name + (".mp4" if name == "phone" else ".avi")) for name in CLIPS}
    for name in {case[0] for case in cases}:
        size, rate, audio, sar = CLIPS[name]
        make_phone_clip(src[name]) if name == "phone" else make_clip(src[name], size, rate, audio=audio, sar=sar)
    for i, (clip, fmt, settings, spec) in enumerate(cases):
        label = "case %d (%s from %s)" % (i, NAMES[fmt], clip)
        vcodec, size, rate, audio, *more = spec.split()
        more = dict(m.partition("=")[::2] for m in more)
        out = os.path.join(work, "out%d.%s" % (i, EXTENSION[fmt]))
        clip_size, clip_rate = CLIPS[clip][:2]
        args = encoder_args(src[clip], out, dict(settings, **{"Output format": fmt}),
                            fps=float(Fraction(clip_rate)), size=more.get("shown", clip_size))
        status, reports, err = run(args)
        if not check(status == 0, "%s: exit %d: %s" % (label, status, err.strip())):
            continue
        check(reports and all(r.startswith("6 ") for r in reports), "%s: reports %r" % (label, reports))
        container, v, a = probe(out)
        got = (container["format_name"], v["codec_name"], "%dx%d" % (v["width"], v["height"]),
               v["r_frame_rate"] if rate != "-" else "-",
               "%s/%d/%s" % (a["codec_name"], a["channels"], a["sample_rate"]) if a else "-",
               v["codec_tag_string"] if "tag" in more else None)
        wanted = (CONTAINER[fmt], vcodec, size, rate, audio, more.get("tag"))
        check(got == wanted, "%s: %s, not %s" % (label, got, wanted))
        fps, frames, duration = Fraction(clip_rate if rate == "-" else rate), v["nb_read_frames"], container["duration"]
        check(abs(int(frames) - round(fps * 2)) <= 2 and abs(float(duration) - 2) <= 2 / fps + 0.05,
              "%s: %s frames, %s s" % (label, frames, duration))
        if fmt in SECTOR:
            check(os.path.getsize(out) % SECTOR[fmt] == 0, "%s: not whole %d-byte sectors" % (label, SECTOR[fmt]))
        if fmt == VCD:  # a VCD's first pictures are due 0.44 s in, not the muxer's usual half second
            check(0.44 <= float(container["start_time"]) < 0.5, "%s: starts at %s" % (label, container["start_time"]))
        if "dar" in more:
            shown, dar = (Fraction(r.replace(":", "/")) for r in (v["display_aspect_ratio"], more["dar"]))
            check(abs(shown / dar - 1) < 0.01, "%s: display aspect %s" % (label, v["display_aspect_ratio"]))
        # The test pattern's own dark edges make the width of a letter box less certain.
        box = picture_box(out) if {"rows", "box", "upright"} & more.keys() else None
        if "rows" in more:
            check(box and "%d@%d" % (box[1], box[3]) == more["rows"], "%s: picture %r" % (label, box))
        if "box" in more:
            check(box and all(abs(a - int(b)) <= 2 for a, b in zip(box, more["box"].split(":"))),
                  "%s: picture %r" % (label, box))
        if "upright" in more and box:  # the middle column of the fifth frame, 20 rows into each half
            luma = subprocess.run(["ffmpeg", "-v", "error", "-i", "file:" + out, "-vf", "select=eq(n\\,4),format=gray",
                                   "-frames:v", "1", "-f", "rawvideo", "-"], capture_output=True, check=True).stdout
            column = luma[box[2] + box[0] // 2::v["width"]]
            top, bottom = column[box[3] + 20], column[box[3] + box[1] - 20]
            check(top > 200 and 90 < bottom < 170, "%s: not upright (top %d, bottom %d)" % (label, top, bottom))
        if "ssim" in more:  # frame n against frame n, whatever timestamps each container rounded to
            log = subprocess.run(["ffmpeg", "-i", "file:" + out, "-i", "file:" + src[clip], "-lavfi", "[0:v]settb=1/1000,"
                                  "setpts=N[a];[1:v]settb=1/1000,setpts=N[b];[a][b]ssim", "-f", "null", "-"],
                                 capture_output=True, text=True).stderr
            ssim = float(log.rsplit("All:", 1)[1].split()[0]) if "All:" in log else 0
            errors = [line for line in log.splitlines() if "rror" in line]
            check(ssim >= 0.95 and not errors, "%s: SSIM %.4f, %r" % (label, ssim, errors))
        if "index" in more:
            data = open(out, "rb").read()
            check(0 < data.find(b"moov") < data.find(b"mdat"), label + ": the index is not first")
        check(not [f for f in os.listdir(work) if f.startswith(".")], "%s: a private file was left" % label)
        print("ok: " + label, flush=True)
    return src


def test_hd(work):
    src = test_formats(work, HD_CASES)
    out = lambda case: os.path.join(work, "out%d.%s" % (case, EXTENSION[HD_CASES[case][1]]))
    convert = lambda inp, path, settings: run(encoder_args(inp, path, settings, size="320x240"))
    # Files grow with the step, for H.264 and for VP9 (step 3 is the default, converted above).
    for fmt, key, default_case in ((MP4, "MP4 quality", 0), (WEBM, "WebM quality", 4)):
        sizes = []
        for step in (0, 5):
            path = os.path.join(work, "step%d.%s" % (step, EXTENSION[fmt]))
            status, _, err = convert(src["pal"], path, {"Output format": fmt, key: step})
            sizes.append(os.path.getsize(path) if check(status == 0, "step %d: %s" % (step, err)) else 0)
        sizes.insert(1, os.path.getsize(out(default_case)) if os.path.exists(out(default_case)) else 0)
        check(0 < sizes[0] < sizes[1] < sizes[2], "%s sizes at steps 0, 3, 5: %r" % (NAMES[fmt], sizes))
    # A copy takes the source's packets unchanged: H.264 and AAC from MP4 into MKV.
    status, _, err = convert(out(0), os.path.join(work, "copy.mkv"), {"Output format": MKV, "MKV video codec": 3,
                                                                      "MKV audio codec": 2})
    if check(status == 0, "copy into MKV: exit %d: %s" % (status, err)):
        for stream in "va":
            # framemd5's lines: stream, dts, pts, duration, size, hash; the containers' timing differs, the data not
            source, copy = ([line.split(",")[5] for line in subprocess.run(
                ["ffmpeg", "-v", "error", "-i", "file:" + path, "-map", "0:" + stream, "-c", "copy", "-f", "framemd5",
                 "-"], capture_output=True, text=True, check=True).stdout.splitlines() if line[0] != "#"]
                for path in (out(0), os.path.join(work, "copy.mkv")))
            check(source and source == copy, "copy into MKV: the %s packets differ" % stream)
    # A stream the container can't hold is refused before anything is written.
    ffmpeg("-i", "file:" + src["pal"], "-c:v", "mpeg2video", "-c:a", "mp2", "file:" + os.path.join(work, "old.mpg"))
    before = sorted(os.listdir(work))
    status, _, err = convert(os.path.join(work, "old.mpg"), os.path.join(work, "old.mp4"),
                             {"Output format": MP4, "MP4 video codec": 2})
    check(status == 8 and err.strip().endswith("its video is MPEG-2, which MP4 can't hold; choose H.264") and
          sorted(os.listdir(work)) == before, "MPEG-2 copied into MP4: exit %d: %r" % (status, err))


# --- probe ----------------------------------------------------------------------------------------------------

def make_phone_clip(path):
    """A portrait phone video: 360 x 640 as shown (white top half, grey bottom half), stored as 640 x 360 frames
    with a display rotation of 90 degrees."""
    stored = path + ".stored.mp4"
    ffmpeg("-f", "lavfi", "-i", "color=white:size=360x320:rate=25:duration=2[a];color=gray:size=360x320:rate=25:"
           "duration=2[b];[a][b]vstack,transpose=clock", "-c:v", "mpeg4", "-q:v", "3", "file:" + stored)
    ffmpeg("-i", "file:" + stored, "-c", "copy", "-metadata:s:v:0", "rotate=90", "file:" + path)
    os.remove(stored)


def zero_container_duration(path):
    """Sets an MP4's movie duration (mvhd) to 0, leaving the track's own: a container without a playing time whose
    stream has one."""
    data = bytearray(open(path, "rb").read())
    at = data.find(b"mvhd")
    assert at > 0 and data[at + 4] == 0, "no version-0 mvhd box"
    data[at + 20:at + 24] = bytes(4)
    open(path, "wb").write(data)


def test_probe(work):
    path = lambda name: os.path.join(work, name)
    make_clip(path("pal.avi"), seconds=3)
    make_clip(path("ntsc.avi"), "640x480", "30000/1001", 3, audio=None)
    make_clip(path("2997.avi"), rate="2997/100", seconds=3, audio=None)  # 29.97 exactly, not 30000/1001
    # 2 s at 50 fps, then 2 s at 10 fps: base rate 50, average 1500/49.
    ffmpeg("-f", "lavfi", "-i", "testsrc=size=160x120:rate=50:duration=4", "-vf", "select='lt(t,2)+not(mod(n,5))'",
           "-fps_mode", "vfr", "-c:v", "mpeg4", "file:" + path("vfr.mp4"))
    make_clip(path("notime.mp4"), "176x144", seconds=3, audio=None)
    zero_container_duration(path("notime.mp4"))
    make_clip(path("dvdrip.avi"), "720x576", audio=(2, 48000), sar="64/45")  # 16:9 shown, stated by the video
    make_clip(path("square.avi"), "720x576", audio=None)  # 16:9 shown, stated by the container alone
    ffmpeg("-i", "file:" + path("square.avi"), "-c", "copy", "-aspect", "16:9", "file:" + path("widened.mkv"))
    make_phone_clip(path("phone.mp4"))
    ffmpeg("-f", "lavfi", "-i", "sine=duration=2", "file:" + path("tone.wav"))
    open(path("readme.mpg"), "w").write("Not a video at all.\n" * 50)
    open(path("readme.mp4"), "w").write("Not a video at all.\n" * 50)
    open(path("nothing.mpg"), "w").close()

    table = [
        ("pal.avi", "1 3,2 320,3 240,4 250000000"),
        ("ntsc.avi", "1 3,2 640,3 480,4 299700300"),
        ("2997.avi", "1 3,2 320,3 240,4 299700000"),
        ("vfr.mp4", "1 4,2 160,3 120,4 306122449"),  # the average frame rate, not the base rate
        ("notime.mp4", "1 3,2 176,3 144,4 250000000"),  # the stream's playing time
        ("dvdrip.avi", "1 2,2 1024,3 576,4 250000000"),  # the size as shown
        ("widened.mkv", "1 2,2 1024,3 576,4 250000000"),
        ("phone.mp4", "1 2,2 360,3 640,4 250000000"),
        # Refused with the reason: the probe reports no playing time, and a conversion fails the same way.
        ("tone.wav", "no video stream"),
        ("readme.mpg", "not a media file"),
        ("readme.mp4", "not a media file: moov atom not found"),  # FFmpeg's word, without its internals
        ("nothing.mpg", "empty file"),
        ("gone.mpg", "cannot be read: No such file or directory"),
    ]
    for name, expected in table:
        status, reports, err = run(probe_args(path(name)))
        if "," in expected:
            check((status, reports) == (0, expected.split(",")), "probe of %s: exit %d, %r, not %s: %s" % (
                name, status, reports, expected, err))
            continue
        check((status, reports, err.strip()) == (3, ["1 0"], "zezozov: %s: %s" % (path(name), expected)),
              "refusal of %s: exit %d, %r, %r" % (name, status, reports, err))
        status, _, _ = run(encoder_args(path(name), path(name) + ".avi", {}))
        check(status == 3 and not os.path.exists(path(name) + ".avi"), "convert of %s: exit %d" % (name, status))
    # The same files, twice, in one list probe: each file's reports led by its place, a refused file's by why, and
    # the probing goes on after it.
    names = [path(name) for name, _ in table] * 2
    args = probe_args(names[0])
    listed = names + args[1:-2] + ["2", "0"]
    expected = []
    for place, (_, facts) in enumerate(table * 2):
        expected += ["7 %d" % place] + (facts.split(",") if "," in facts else ["8 %d %s" % (place, facts)])
    status, reports, err = run(listed)
    check((status, reports) == (0, expected), "list probe: exit %d, %r: %s" % (status, reports, err))
    # A reply of 1 stops after that report; so does the end of the replies (the program is gone).
    for reply in ("1", None):
        check(run(probe_args(path("pal.avi")), reply)[:2] == (5, ["1 3"]), "probe stopped by the reply %r" % reply)
        check(run(listed, reply)[:2] == (5, ["7 0"]), "list probe stopped by the reply %r" % reply)


# --- stop -----------------------------------------------------------------------------------------------------

def test_stop(work):
    """Ten hours of source, a frame every ten seconds: a DVD conversion of it that only a stop can end within the
    test's two minutes."""
    src, out = os.path.join(work, "long.avi"), os.path.join(work, "long.vob")
    make_clip(src, "64x48", "1/10", 36000, audio=None)
    status, reports, err = run(encoder_args(src, out, {"Output format": DVD, "TV mode": 1}), reply="1")
    check(status == 5 and len(reports) == 1 and reports[0].startswith("6 "), "stop: exit %d, %r: %s" % (
        status, reports, err))
    check(os.listdir(work) == ["long.avi"], "stop: files left behind: %r" % os.listdir(work))
    ffmpeg_runs = lambda: subprocess.run(["pgrep", "-f", os.path.join(work, ".long.vob.zezozov-")]).returncode == 0
    check(not ffmpeg_runs(), "stop: ffmpeg still runs")

    # The encoder killed outright (its reports unanswered, the reply channel still open): its FFmpeg ends with it.
    encoder = subprocess.Popen([ZEZOZOV] + encoder_args(src, out, {"Output format": DVD}), stdin=subprocess.PIPE,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    started = any(ffmpeg_runs() or time.sleep(0.1) for _ in range(100))
    encoder.kill()
    encoder.wait()
    ended = any(not ffmpeg_runs() or time.sleep(0.1) for _ in range(100))
    check(started and ended, "killed encoder: ffmpeg started %s, ended %s" % (started, ended))


# --- hostile names --------------------------------------------------------------------------------------------

def test_names(work):
    folder = os.path.join(work, "names")
    os.mkdir(folder)
    source = os.path.join(work, "source.avi")
    make_clip(source, "160x120")
    names = ["-o.avi", "concat:a.avi", "a b ü.avi", "http:x.avi", "-i"]
    # A bystander that an option or protocol reading of the names could reach.
    open(os.path.join(folder, "a.avi"), "w").write("bystander")
    for name in names:
        shutil.copy(source, os.path.join(folder, name))
    before = sorted(os.listdir(folder))
    for name in names:
        out_name = os.path.splitext(name)[0] + ".wmv"
        # Relative names, run in the folder itself, as the converter does: the most dangerous shape.
        status, _, err = run(encoder_args(name, out_name, {"Output format": WMV, "WMV audio codec": 0}), cwd=folder)
        if check(status == 0, "name %r: exit %d: %s" % (name, status, err)):
            _, v, a = probe(os.path.join(folder, out_name))
            check((v["codec_name"], a["codec_name"], v["nb_read_frames"]) == ("wmv2", "wmav1", "50"),
                  "name %r: output wrong" % name)
        after = sorted(os.listdir(folder))
        check(after == sorted(before + [out_name]), "name %r: folder became %r" % (name, after))
        before = after
        # Absolute paths as well, probing this time.
        status, reports, _ = run(probe_args(os.path.join(folder, name)))
        check(status == 0 and reports[:3] == ["1 2", "2 160", "3 120"], "probe of %r: %r" % (name, reports))
    check(open(os.path.join(folder, "a.avi")).read() == "bystander", "the bystander file changed")

    # Nothing is written through a link or over a file, at the output's name or at the name the partial file once
    # had; a pipe as the source is refused without waiting for a writer. (case, source, the folder before, exit
    # status, error text)
    taken, victim, fifo = (os.path.join(work, name) for name in ("taken", "victim.txt", "pipe.avi"))
    os.mkfifo(fifo)
    for case, src, before, status, error in [
        ("a link at the old partial name", source, {".out.zezozov-part.avi": ("link", victim)}, 0, ""),
        ("the output is the input", os.path.join(taken, "out.avi"), {"out.avi": "the user's"}, 2, "exists already"),
        ("a FIFO source", fifo, {}, 3, "not a regular file"),
    ]:
        shutil.rmtree(taken, ignore_errors=True)
        os.mkdir(taken)
        open(victim, "w").write("the user's")
        for name, content in before.items():
            if isinstance(content, tuple):
                os.symlink(content[1], os.path.join(taken, name))
            else:
                open(os.path.join(taken, name), "w").write(content)
        out = os.path.join(taken, "out.avi")
        got, _, err = run(encoder_args(src, out, {}))
        check(got == status and error in err, "%s: exit %d, not %d: %s" % (case, got, status, err.strip()))
        after = {n: ("link", os.readlink(os.path.join(taken, n))) if os.path.islink(os.path.join(taken, n))
                 else open(os.path.join(taken, n), "rb").read()[:20].decode(errors="replace") for n in os.listdir(taken)}
        if status == 0 and after.pop("out.avi", None):
            check(probe(out)[1]["codec_name"] == "mpeg4", "%s: the output does not decode" % case)
        check(after == before, "%s: the folder holds %r, not %r" % (case, after, before))
        check(open(victim, "rb").read() == b"the user's", "%s: the file behind the link changed" % case)

if __name__ == "__main__":
    with tempfile.TemporaryDirectory(prefix="zezozov-test-") as work:
        {"formats": test_formats, "hd": test_hd, "probe": test_probe, "stop": test_stop,
         "names": test_names}[sys.argv[3]](work)
    finish()
