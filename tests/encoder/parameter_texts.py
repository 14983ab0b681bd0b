"""Parameter texts exactly as the converter writes them, one builder per output format, for the encoder tests
and the benchmark. Bit rates, codec choices, aspect, volume, frame rate and frame size are the inputs; the option
texts around them are fixed by the converter."""

AVI, MPEG1, MPEG2, ZODI, XVID, VCD, SVCD, DVD, WMV, ASF = range(10)
NAMES = ["AVI", "MPEG1", "MPEG2", "ZODI", "XVID", "VCD", "SVCD", "DVD", "WMV", "ASF"]


def volume_text(volume):
    return "+%ddb:0" % (volume - 20) if volume >= 20 else "-%ddb:0" % (20 - volume)


def ofps_text(rate):
    for value, text in ((14.985, "15000/1001"), (23.976, "24000/1001"), (29.97, "30000/1001")):
        if abs(rate - value) < 0.00001:
            return " -ofps " + text
    return " -ofps %f" % rate


def avi_block(v, a, vb, ab, vol):
    text = {
        (0, 0): " -oac mp3lame -ovc lavc -lameopts vbr=3:br=%d:mode=3"
                " -lavcopts vcodec=mpeg4:vbitrate=%d:vhq:vqmin=1:vqmax=31:autoaspect=1 -ffourcc DX50" % (ab, vb),
        (0, 1): " -oac lavc -ovc lavc -lavcopts acodec=ac3:abitrate=%d:vcodec=mpeg4:vbitrate=%d:vhq:vqmin=1:vqmax=31"
                ":autoaspect=1 -ffourcc DX50" % (ab, vb),
        (1, 0): " -oac mp3lame -ovc xvid -lameopts vbr=3:br=%d:mode=3 -xvidencopts bitrate=%d:autoaspect=1" % (ab, vb),
        (1, 1): " -oac lavc -ovc xvid -lavcopts acodec=ac3:abitrate=%d -xvidencopts bitrate=%d:autoaspect=1" % (ab, vb),
    }[(v, a)]
    text += " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=avi -sws 2"
    if a == 1:
        text += " -af volume=%s:channels=6:lavcresample=44100 -srate 44100" % volume_text(vol)
    else:
        text += " -af volume=%s:channels=2" % volume_text(vol)
    return text


def format_block(fmt, vb, ab, tv=1, vcodec=0, acodec=0, aspect="4/3", vol=20, quality=4):
    """vcodec / acodec: the codec positions of the format (AVI: 0 Zodi, 1 Xvid / 0 MP3, 1 AC3; DVD audio:
    0 AC3, 1 MP2; WMV audio and ASF video/audio as the converter numbers them)."""
    v = volume_text(vol)
    keyint = 18 if tv == 0 else 15
    if fmt in (AVI, ZODI, XVID):
        video = {AVI: vcodec, ZODI: 0, XVID: 1}[fmt]
        return avi_block(video, acodec, vb, ab, vol)
    if fmt == MPEG1:
        return (" -af volume=%s:channels=2:lavcresample=44100 -srate 44100 -oac lavc -ovc lavc"
                " -lavcopts vcodec=mpeg1video:keyint=18:vrc_buf_size=327:vrc_minrate=%d:vbitrate=%d:vrc_maxrate=%d"
                ":acodec=mp2:abitrate=%d:autoaspect=1:aspect=%s"
                " -of lavf -lavfopts format=mpg:i_certify_that_my_video_stream_does_not_use_b_frames"
                % (v, vb, vb, vb, ab, aspect))
    if fmt == MPEG2:
        return (" -oac lavc -ovc lavc -lavcopts vcodec=mpeg2video:keyint=18:vrc_buf_size=1835:vrc_maxrate=9400"
                ":vbitrate=%d:acodec=mp2:abitrate=%d:autoaspect=1:aspect=%s"
                " -of lavf -lavfopts format=mpg:i_certify_that_my_video_stream_does_not_use_b_frames"
                " -af volume=%s:channels=2:lavcresample=44100 -srate 44100" % (vb, ab, aspect, v))
    if fmt == VCD:
        return (" -oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg1video:keyint=%d:vrc_buf_size=327"
                ":vrc_minrate=%d:vbitrate=%d:vrc_maxrate=%d:acodec=mp2:abitrate=%d:autoaspect=1:aspect=%s"
                " -mpegopts format=xvcd -af volume=%s:channels=2:lavcresample=44100 -srate 44100"
                % (keyint, vb, vb, vb, ab, aspect, v))
    if fmt == SVCD:
        peak = vb + int((2500 - vb) / 2)
        return (" -oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg2video:keyint=%d:vrc_buf_size=917"
                ":vrc_minrate=600:vrc_maxrate=%d:vbitrate=%d:acodec=mp2:abitrate=%d:autoaspect=1:aspect=%s"
                " -mpegopts format=xsvcd -af volume=%s:channels=2:lavcresample=44100 -srate 44100"
                % (keyint, peak, vb, ab, aspect, v))
    if fmt == DVD:
        audio = "ac3" if acodec == 0 else "mp2"
        return (" -oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg2video:keyint=%d:vrc_buf_size=1835"
                ":vrc_maxrate=9400:vbitrate=%d:acodec=%s:abitrate=%d:autoaspect=1:aspect=%s"
                " -mpegopts format=dvd -af volume=%s:lavcresample=48000 -srate 48000"
                % (keyint, vb, audio, ab, aspect, v))
    if fmt in (WMV, ASF):
        q = int(29 - 2.5 * quality)
        if fmt == WMV:
            video, audio, container = "wmv2", ("wmav1" if acodec == 0 else "wmav2"), "wmv"
        else:
            video = {0: "msmpeg4", 1: "msmpeg4v2"}.get(vcodec, "wmv2")
            audio, container = ("wmav1" if acodec == 0 else "wmav2"), "asf"
        return (" -oac lavc -ovc lavc -lavcopts vcodec=%s:acodec=%s:vqscale=%d:abitrate=%d:autoaspect=1"
                " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=%s -sws 2"
                " -af volume=%s:channels=2 -srate 44100" % (video, audio, q, ab, container, v))
    raise ValueError(fmt)


def video_filter(width, height, spare_width=0, spare_height=0):
    if spare_width > 0:
        return " -vf scale=-3:%d,harddup,expand=%d:%d" % (height, width, height)
    if spare_height > 0:
        return " -vf scale=%d:-3,harddup,expand=%d:%d" % (width, width, height)
    if width and height:
        return " -vf scale=%d:%d,harddup" % (width, height)
    return ""


def parameter_text(inp, out, fmt, vb, ab, rate, width=0, height=0, spare_width=0, spare_height=0, probe=0,
                   window=3146290, **block):
    return ('"%s" -o "%s"' % (inp, out) + format_block(fmt, vb, ab, **block) + ofps_text(rate)
            + video_filter(width, height, spare_width, spare_height) + " -endpos 9:0:0 %d %d" % (probe, window))


def split(text):
    """Blanks separate, double quotes group and are dropped: the converter's own splitting."""
    args, current, quoted, have = [], "", False, False
    for c in text:
        if c == '"':
            quoted, have = not quoted, True
        elif c == " " and not quoted:
            if have:
                args.append(current)
            current, have = "", False
        else:
            current, have = current + c, True
    if have:
        args.append(current)
    return args
