"""Quality and speed of splashpack's lighter payloads against the usual tools, in one run: the
picture in 256 colours against ImageMagick's quantiser (PSNR against the source, with and
without dithering, and the time of a 1024 x 768 conversion), and the sound resampled and mixed
down against sox (signal-to-noise ratio against the analytic signal it was made from).

Used by bench/run; its test pictures and sound are made here, so nothing comes from outside.
"""

import math
import os
import re
import struct
import subprocess
import time
import zlib

WIDTH, HEIGHT = 1024, 768
# Tones below the Nyquist frequency of each target rate, so that a perfect converter keeps them
# all and anything else in its output is noise.
TONES = {22050: (440.0, 1000.0, 3000.0, 7000.0), 11025: (440.0, 1000.0, 3000.0, 4500.0)}
SOURCE_RATE = 44100
SECONDS = 3


def png_bytes(width, height, rgb):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    rows = b"".join(b"\0" + bytes(rgb[y * width * 3:(y + 1) * width * 3]) for y in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows, 6)) + chunk(b"IEND", b""))


def clamp(value):
    return 0 if value < 0 else 255 if value > 255 else int(value + 0.5)


def gradient():
    rgb = bytearray(WIDTH * HEIGHT * 3)
    for y in range(HEIGHT):
        for x in range(WIDTH):
            at = (y * WIDTH + x) * 3
            rgb[at] = clamp(255.0 * x / (WIDTH - 1))
            rgb[at + 1] = clamp(255.0 * y / (HEIGHT - 1))
            rgb[at + 2] = clamp(128 + 127 * math.sin(x * 0.004 + y * 0.003))
    return rgb


def photo():
    """Sky, a sun and textured ground with sensor-like noise: many colours, smooth and busy."""
    rgb = bytearray(WIDTH * HEIGHT * 3)
    state = 12345
    for y in range(HEIGHT):
        v = y / HEIGHT
        for x in range(WIDTH):
            u = x / WIDTH
            if v < 0.45:
                r, g, b = 90 + 100 * v, 140 + 120 * v, 230 - 40 * v
            else:
                r = 60 + 80 * math.sin(u * 17 + v * 5) * math.cos(v * 11)
                g = 110 + 60 * math.sin(u * 9 - v * 13)
                b = 40 + 30 * math.cos(u * 23)
            d = math.hypot(u - 0.7, v - 0.3)
            if d < 0.12:
                r, g, b = 250 - 200 * d, 200 - 300 * d, 80
            state = (state * 1664525 + 1013904223) & 0xFFFFFFFF
            n = ((state >> 8) / float(1 << 24) - 0.5) * 18
            at = (y * WIDTH + x) * 3
            rgb[at], rgb[at + 1], rgb[at + 2] = clamp(r + n), clamp(g + n * 0.8), clamp(b + n * 0.6)
    return rgb


def logo():
    """A disc and a ring with soft edges on white, and a band of stroke-like 'lettering'."""
    rgb = bytearray(WIDTH * HEIGHT * 3)
    for y in range(HEIGHT):
        for x in range(WIDTH):
            cx, cy = x - 512, y - 384
            d = math.hypot(cx, cy)
            a = min(1.0, max(0.0, 300 - d))
            ring = min(1.0, max(0.0, 20 - abs(d - 250)))
            r, g, b = 255 * (1 - a) + a * 200, 255 * (1 - a) + a * 30, 255 * (1 - a) + a * 40
            r, g, b = r * (1 - ring) + ring * 20, g * (1 - ring) + ring * 20, b * (1 - ring) + ring * 120
            if abs(cy) < 40 and abs(cx) < 350:
                # Letters: vertical and slanted strokes, antialiased along their edges.
                stroke = abs(((x + (y // 3)) % 14) - 7) - 2.5
                ink = min(1.0, max(0.0, 0.5 - stroke))
                r = g = b = 255 - 225 * ink
            at = (y * WIDTH + x) * 3
            rgb[at], rgb[at + 1], rgb[at + 2] = clamp(r), clamp(g), clamp(b)
    return rgb


def screenshot():
    """A desktop window: a title bar gradient, grey chrome, a white page of text-like lines."""
    rgb = bytearray(WIDTH * HEIGHT * 3)
    for y in range(HEIGHT):
        for x in range(WIDTH):
            r, g, b = 212, 208, 200
            if y < 24:
                r, g, b = 10 + 100 * x // WIDTH, 36 + 100 * x // WIDTH, 106 + 120 * x // WIDTH
            elif 200 < x < 900 and 100 < y < 600:
                r = g = b = 255
                if (x // 7) % 2 and (y // 14) % 3 == 0 and x < 700:
                    r = g = b = 0
            if 40 < x < 180 and 60 < y < 700 and (y // 30) % 2:
                r, g, b = 0, 0, 128
            at = (y * WIDTH + x) * 3
            rgb[at], rgb[at + 1], rgb[at + 2] = r, g, b
    return rgb


PICTURES = (("gradient", gradient), ("photo", photo), ("logo", logo), ("screenshot", screenshot))


def psnr(reference, candidate):
    """ImageMagick's compare: PSNR over the three channels, in dB ('inf' when identical)."""
    done = subprocess.run(["compare", "-metric", "PSNR", reference, candidate, "null:"],
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    match = re.match(r"\s*([0-9.]+|inf)", done.stderr)
    if not match:
        raise RuntimeError("compare gave no PSNR: " + done.stderr.strip())
    return float(match.group(1))


def timed(command):
    start = time.perf_counter()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return 1000 * (time.perf_counter() - start)


def wav_bytes(rate, channels, samples):
    data = b"".join(struct.pack("<h", max(-32768, min(32767, int(round(s * 32767)))))
                    for s in samples)
    return (b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVEfmt " +
            struct.pack("<IHHIIHH", 16, 1, channels, rate, rate * channels * 2, channels * 2, 16) +
            b"data" + struct.pack("<I", len(data)) + data)


def signal(tones, t):
    return sum(0.2 * math.sin(2 * math.pi * f * t + i) for i, f in enumerate(tones))


def read_wav(path):
    data = open(path, "rb").read()
    at, fmt, body = 12, None, None
    while at + 8 <= len(data):
        kind, length = data[at:at + 4], struct.unpack("<I", data[at + 4:at + 8])[0]
        if kind == b"fmt ":
            fmt = struct.unpack("<HHIIHH", data[at + 8:at + 24])
        elif kind == b"data":
            body = data[at + 8:at + 8 + length]
        at += 8 + length + (length & 1)
    tag, channels, rate, _, _, bits = fmt
    if bits == 16:
        values = [v / 32768.0 for v in struct.unpack("<%dh" % (len(body) // 2), body)]
    else:
        values = [(v - 128) / 128.0 for v in body]
    return rate, channels, values[::channels]


def snr(path, tones):
    rate, _, samples = read_wav(path)
    margin = rate // 10  # the filters' start and end, where the signal is cut
    noise = power = 0.0
    for n in range(margin, len(samples) - margin):
        expected = signal(tones, n / rate)
        noise += (samples[n] - expected) ** 2
        power += expected ** 2
    return 10 * math.log10(power / noise)


def measure(splashpack, folder, runs, log):
    os.makedirs(folder, exist_ok=True)
    pictures = []
    for name, make in PICTURES:
        source = os.path.join(folder, name + ".png")
        if not os.path.exists(source):
            log("== lighter payloads: making the %s picture" % name)
            with open(source, "wb") as out:
                out.write(png_bytes(WIDTH, HEIGHT, make()))
        row = {"picture": name}
        for dither in (True, False):
            key = "dithered" if dither else "plain"
            ours_bmp = os.path.join(folder, "%s-%s-ours.bmp" % (name, key))
            theirs_bmp = os.path.join(folder, "%s-%s-imagemagick.bmp" % (name, key))
            splash = os.path.join(folder, "splash.exe")
            pack = [splashpack, "build", "--picture", source, "--output", splash, "--force",
                    "--quiet", "--colours", "256"] + ([] if dither else ["--no-dither"])
            convert = ["convert", source] + (["-dither", "FloydSteinberg"] if dither else
                                             ["+dither"]) + ["-colors", "256", theirs_bmp]
            ours_ms, theirs_ms = [], []
            for i in range(runs):
                if i % 2 == 0:
                    ours_ms.append(timed(pack))
                    theirs_ms.append(timed(convert))
                else:
                    theirs_ms.append(timed(convert))
                    ours_ms.append(timed(pack))
            subprocess.run([splashpack, "extract", splash, "--picture", ours_bmp, "--force",
                            "--quiet"], check=True)
            row[key] = {"ours_db": psnr(source, ours_bmp), "imagemagick_db": psnr(source, theirs_bmp),
                        "ours_ms": sorted(ours_ms)[len(ours_ms) // 2],
                        "imagemagick_ms": sorted(theirs_ms)[len(theirs_ms) // 2]}
        pictures.append(row)
        log("== lighter payloads: %s %s" % (name, row))

    sounds = []
    for rate, tones in sorted(TONES.items()):
        source = os.path.join(folder, "tones-%d.wav" % rate)
        frames = SOURCE_RATE * SECONDS
        samples = []
        for n in range(frames):
            value = signal(tones, n / SOURCE_RATE)
            samples += [value, value]
        with open(source, "wb") as out:
            out.write(wav_bytes(SOURCE_RATE, 2, samples))
        splash = os.path.join(folder, "sound.exe")
        ours, theirs = (os.path.join(folder, "tones-%d-%s.wav" % (rate, who))
                        for who in ("ours", "sox"))
        subprocess.run([splashpack, "build", "--picture", os.path.join(folder, "logo.png"),
                        "--sound", source, "--sound-rate", str(rate), "--mono", "--output",
                        splash, "--force", "--quiet", "--colours", "16"], check=True)
        subprocess.run([splashpack, "extract", splash, "--sound", ours, "--picture",
                        os.path.join(folder, "unused.bmp"), "--force", "--quiet"], check=True)
        subprocess.run(["sox", source, "-b", "16", "-c", "1", theirs, "rate", str(rate)],
                       check=True, stderr=subprocess.DEVNULL)
        sounds.append({"rate": rate, "tones_hz": list(tones), "ours_db": snr(ours, tones),
                       "sox_db": snr(theirs, tones)})
        log("== lighter payloads: sound %s" % sounds[-1])
    return {"pictures": pictures, "sounds": sounds}


def difference(ours, theirs):
    """ours - theirs in dB, where a copy without error counts as infinitely good."""
    if math.isinf(ours):
        return "+0.00 dB (both exact)" if math.isinf(theirs) else "exact"
    return "%+.2f dB" % (ours - theirs)


def rows(fig):
    out = []
    for row in fig["pictures"]:
        for key, target_key in (("dithered", "dithered"), ("plain", "not dithered")):
            r = row[key]
            out.append(("256 colours, %s, %s" % (row["picture"], target_key), "native",
                        "PSNR splashpack - ImageMagick", difference(r["ours_db"], r["imagemagick_db"]),
                        "", ">= -0.5 dB", "%.2f / %.2f dB" % (r["ours_db"], r["imagemagick_db"])))
        r = row["dithered"]
        out.append(("256 colours, %s, 1024 x 768, time" % row["picture"], "native",
                    "splashpack / convert", "%.2f" % (r["ours_ms"] / r["imagemagick_ms"]), "",
                    "<= 1.00", "%.0f / %.0f ms" % (r["ours_ms"], r["imagemagick_ms"])))
    for s in fig["sounds"]:
        out.append(("Sound 44100 Hz stereo to %d Hz mono" % s["rate"], "native",
                    "SNR splashpack - sox", "%+.1f dB" % (s["ours_db"] - s["sox_db"]), "", "",
                    "%.1f / %.1f dB" % (s["ours_db"], s["sox_db"])))
    return out
