"""Shared by the tests that run the real programs: clips made with FFmpeg's test sources, ffprobe's reading of a
file, and failures collected so that one run reports them all."""
import json
import subprocess
import sys

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL: " + message, flush=True)
    return condition


def finish():
    print("%d failure(s)" % len(failures))
    sys.exit(1 if failures else 0)


def ffmpeg(*args):
    subprocess.run(["ffmpeg", "-v", "error", "-y"] + list(args), check=True)


def make_clip(path, size="320x240", rate=25, seconds=2, audio=(2, 44100), sar=None):
    """testsrc video (MPEG-4) with a 440 Hz tone of `audio` = (channels, sample rate) or none, in whatever container
    the name says; `sar` is a sample aspect stored in the video itself."""
    args = ["-f", "lavfi", "-i", "testsrc=size=%s:rate=%s:duration=%s" % (size, rate, seconds)]
    if audio:
        args += ["-f", "lavfi", "-i", "sine=frequency=440:sample_rate=%d:duration=%s" % (audio[1], seconds),
                 "-c:a", "pcm_s16le", "-ac", str(audio[0])]
    ffmpeg(*args, *(["-vf", "setsar=" + sar] if sar else []), "-c:v", "mpeg4", "-q:v", "4", "file:" + path)


def probe(path, count_frames=True):
    """ffprobe's reading of a file: its format, first video stream and first audio stream (None when missing)."""
    out = subprocess.run(["ffprobe", "-v", "error", "-of", "json", "-show_format", "-show_streams", "file:" + path]
                         + (["-count_frames"] if count_frames else []), capture_output=True, text=True,
                         check=True).stdout
    info = json.loads(out)
    first = lambda kind: next((s for s in info["streams"] if s["codec_type"] == kind), None)
    return info["format"], first("video"), first("audio")
