#!/usr/bin/python3
"""Generates the game's sound effects and its game-over music into data/.

Every sound is synthesised from sines, decaying envelopes and a little noise drawn from a
fixed-seed generator, so the output is the same bytes on every run. All files are mono,
16-bit PCM at 22050 Hz (the mixer's rate). Each sound is scaled to a fixed peak well below
full scale, and starts and ends on a zero sample so that it never clicks.

Usage: /usr/bin/python3 tools/gen_sounds.py [OUTPUT_DIR]   (default: data/ beside tools/)
"""

import math
import os
import random
import struct
import sys
import wave

RATE = 22050
TWO_PI = 2.0 * math.pi


def midi_hz(note):
    """Equal-tempered frequency of a MIDI note number (69 = A4 = 440 Hz)."""
    return 440.0 * 2.0 ** ((note - 69) / 12.0)


def samples(seconds):
    return int(round(seconds * RATE))


def silence(seconds):
    return [0.0] * samples(seconds)


def smooth_step(x):
    """0 at x <= 0, 1 at x >= 1, a raised-cosine ramp in between (no corner at either end)."""
    if x <= 0.0:
        return 0.0
    if x >= 1.0:
        return 1.0
    return 0.5 - 0.5 * math.cos(math.pi * x)


def note_envelope(n, attack, tau, release):
    """Envelope of n samples: raised-cosine attack, exponential decay with time constant tau
    (None: held), raised-cosine release over the last `release` seconds. Exactly 0 at the first
    and at the last sample."""
    a = max(1, samples(attack))
    r = max(1, samples(release))
    env = []
    for i in range(n):
        t = i / RATE
        level = smooth_step(i / a)
        if tau is not None:
            level *= math.exp(-max(0.0, t - attack) / tau)
        remaining = (n - 1 - i) / r  # 0 at the last sample
        level *= smooth_step(remaining)
        env.append(level)
    return env


def additive(freq, n, partials, attack, release, vibrato=None, start_phase=0.0):
    """A tone of n samples made of partials (ratio, amplitude, decay tau or None). Each partial
    has its own decay; attack and release are shared. vibrato = (rate Hz, depth as a ratio,
    delay s) bends the pitch of every partial together."""
    out = [0.0] * n
    for ratio, amp, tau in partials:
        f = freq * ratio
        if f >= RATE / 2 * 0.9:
            continue  # keep well below Nyquist: no aliasing
        env = note_envelope(n, attack, tau, release)
        phase = start_phase
        for i in range(n):
            inst = f
            if vibrato is not None:
                rate, depth, delay = vibrato
                t = i / RATE
                if t > delay:
                    ramp = min(1.0, (t - delay) / 0.2)
                    inst = f * (1.0 + depth * ramp * math.sin(TWO_PI * rate * (t - delay)))
            out[i] += amp * env[i] * math.sin(phase)
            phase += TWO_PI * inst / RATE
    return out


def filtered_noise(n, rng, cutoff_hz, tau, highpass=False):
    """Noise burst of n samples through a one-pole filter, decaying with tau; low-passed (or
    high-passed) at cutoff_hz. Starts and ends on 0."""
    k = 1.0 - math.exp(-TWO_PI * cutoff_hz / RATE)
    env = note_envelope(n, 0.0005, tau, min(0.005, n / RATE / 4))
    low = 0.0
    out = []
    for i in range(n):
        x = rng.uniform(-1.0, 1.0)
        low += k * (x - low)
        y = x - low if highpass else low
        out.append(y * env[i])
    return out


def mix_into(buf, sound, offset_s, gain=1.0):
    start = samples(offset_s)
    if start + len(sound) > len(buf):
        raise ValueError("sound runs past the end of its buffer")
    for i, v in enumerate(sound):
        buf[start + i] += gain * v


def fade_edges(buf, fade_in_s, fade_out_s):
    """Forces a clean start and end whatever was mixed in."""
    n = len(buf)
    a = max(1, samples(fade_in_s))
    r = max(1, samples(fade_out_s))
    for i in range(n):
        buf[i] *= smooth_step(i / a) * smooth_step((n - 1 - i) / r)
    return buf


def normalise(buf, peak):
    top = max(abs(v) for v in buf)
    return [v * peak / top for v in buf]


def write_wav(path, buf):
    pcm = [max(-32767, min(32767, int(round(v * 32767.0)))) for v in buf]
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(struct.pack("<%dh" % len(pcm), *pcm))
    return pcm


# --- The sounds -----------------------------------------------------------------------------


def make_click():
    """Menu highlight tick, 40 ms: a 1.9 kHz ping with a warmer 950 Hz body and a breath of
    low-passed noise for the edge, all gone within a few milliseconds."""
    rng = random.Random(9)
    n = samples(0.040)
    buf = [0.0] * n
    mix_into(buf, additive(1900.0, n, [(1.0, 0.7, 0.005)], 0.0006, 0.004), 0.0)
    mix_into(buf, additive(950.0, n, [(1.0, 0.6, 0.008)], 0.0010, 0.004), 0.0)
    mix_into(buf, filtered_noise(samples(0.012), rng, 3000.0, 0.002), 0.0, 0.25)
    return normalise(fade_edges(buf, 0.0005, 0.004), 0.30)


def make_mouvement():
    """One step of a moving piece, 70 ms: a soft wooden 'tok' whose pitch drops quickly from
    620 to 330 Hz, decaying in about 14 ms, with a faint low noise puff. At ten steps a second
    each one has died away before the next."""
    rng = random.Random(12)
    n = samples(0.070)
    f0, f1, sweep = 620.0, 330.0, 0.012
    env = note_envelope(n, 0.002, 0.014, 0.008)
    buf = []
    for i in range(n):
        t = i / RATE
        # phase of a frequency gliding exponentially from f0 to f1
        phase = TWO_PI * (f1 * t + (f0 - f1) * sweep * (1.0 - math.exp(-t / sweep)))
        buf.append(env[i] * (math.sin(phase) + 0.12 * math.sin(2.0 * phase)))
    mix_into(buf, filtered_noise(samples(0.020), rng, 900.0, 0.004), 0.0, 0.15)
    return normalise(fade_edges(buf, 0.0005, 0.006), 0.28)


def bell(freq, n):
    """A bright chime: a slightly detuned fundamental pair (slow shimmer), octave and twelfth
    overtones and one inharmonic partial that fade faster than the fundamental."""
    return additive(
        freq,
        n,
        [
            (1.0, 1.0, 0.30),
            (1.0035, 0.45, 0.30),
            (2.0, 0.35, 0.15),
            (3.0, 0.12, 0.08),
            (4.16, 0.06, 0.05),
        ],
        0.003,
        0.06,
    )


def make_ligne():
    """A run vanishes, 0.95 s: a quick rising C major arpeggio of chimes (C6 E6 G6 C7) over a
    warm C5, and a scatter of tiny high pentatonic pings as sparkle."""
    rng = random.Random(13)
    total = 0.95
    buf = silence(total)
    for k, note in enumerate([84, 88, 91, 96]):
        start = 0.055 * k
        mix_into(buf, bell(midi_hz(note), samples(total - start - 0.001)), start, 0.8)
    mix_into(buf, additive(midi_hz(72), samples(0.9), [(1.0, 1.0, 0.25), (2.0, 0.2, 0.12)],
                           0.004, 0.08), 0.0, 0.45)
    sparkle_notes = [96, 98, 100, 103, 105, 108]  # C7 D7 E7 G7 A7 C8
    for _ in range(14):
        note = sparkle_notes[int(rng.random() * len(sparkle_notes))]
        start = 0.12 + rng.random() * 0.50
        gain = 0.10 + rng.random() * 0.10
        ping = additive(midi_hz(note), samples(0.12), [(1.0, 1.0, 0.03)], 0.001, 0.02)
        mix_into(buf, ping, start, gain)
    return normalise(fade_edges(buf, 0.001, 0.10), 0.50)


def make_hi_score():
    """New record, 2.6 s: a brass fanfare in C: three quick repeated C5s, a G5, E5 G5, then a
    long C6 with vibrato over a full C major chord, with timpani strokes on the G5 and on the
    final chord and a soft cymbal wash."""
    rng = random.Random(17)
    total = 2.6
    buf = silence(total)

    def brass(note, dur, gain, vib=True, tilt=1.0, tau=None, release=0.05):
        f = midi_hz(note)
        # saw-like spectrum (harmonic h at 1/h**tilt: the chord's inner voices are darker than
        # the melody); the higher harmonics enter a little later, as in a real horn
        parts = [(float(h), 1.0 / h**tilt, tau) for h in range(1, 9)]
        n = samples(dur)
        vibrato = (5.5, 0.004, 0.25) if vib else None
        body = additive(f, n, parts[:2], 0.020, release, vibrato)
        top = additive(f, n, parts[2:], 0.045, release, vibrato)
        return [gain * (a + b) for a, b in zip(body, top)]

    def timpani(note, start, gain):
        n = samples(0.9)
        f = midi_hz(note)
        env = note_envelope(n, 0.002, 0.28, 0.05)
        hit = []
        phase = 0.0
        for i in range(n):
            t = i / RATE
            hit.append(env[i] * math.sin(phase))
            phase += TWO_PI * f * (1.0 + 0.15 * math.exp(-t / 0.03)) / RATE
        mix_into(buf, hit, start, gain)
        mix_into(buf, filtered_noise(samples(0.05), rng, 400.0, 0.010), start, gain * 0.3)

    melody = [  # (MIDI note, start s, duration s)
        (72, 0.00, 0.12),
        (72, 0.14, 0.12),
        (72, 0.28, 0.12),
        (79, 0.42, 0.40),
        (76, 0.86, 0.16),
        (79, 1.04, 0.16),
        (84, 1.22, 1.25),
    ]
    final = 1.22
    for note, start, dur in melody:
        if start == final:  # the last note swells out over the chord and dies away
            mix_into(buf, brass(note, dur, 0.45, tau=2.0, release=0.15), start)
        else:
            mix_into(buf, brass(note, dur, 0.45, vib=dur > 0.3), start)
    mix_into(buf, brass(76, 0.40, 0.25, tilt=1.5), 0.42)  # E5 under the G5
    for note in (60, 64, 67, 72):  # the final chord under C6
        mix_into(buf, brass(note, 1.25, 0.20, tilt=1.5, tau=2.0, release=0.15), final)
    mix_into(buf, brass(48, 1.25, 0.28, vib=False, tilt=1.5, tau=2.0, release=0.15), final)
    timpani(43, 0.42, 0.45)  # G2
    timpani(36, 1.22, 0.60)  # C2
    mix_into(buf, filtered_noise(samples(1.2), rng, 5000.0, 0.35, highpass=True), 1.22, 0.06)
    return normalise(fade_edges(buf, 0.001, 0.12), 0.55)


def make_game_over():
    """Game-over music: an eight-bar waltz in A minor at 100 beats a minute, 14.4 s, made to
    loop. Bass on the first beat, a broken chord in eighths, a soft sustained pad and a plain
    melody above. Chords: Am F C G | Am Dm F E; the last bar's E major and the melody's G#
    lead back into the A minor of the first bar.

    Seamless loop: every note is cut (with its release) so that it has ended by the last
    sample, and every note starts from silence, so the first and last samples are exactly 0 and
    the music joins itself without a click, whatever the player's position in the loop."""
    beat = 0.6
    bars = 8
    total_n = samples(beat * 3 * bars)
    buf = [0.0] * total_n

    def place(sound_fn, start_beat, length_s):
        start = samples(start_beat * beat)
        n = min(samples(length_s), total_n - start)  # never past the loop point
        mix_into(buf, sound_fn(n), start_beat * beat)

    # chord: (bass MIDI note, broken-chord voicing, pad voicing)
    chords = [
        (45, [57, 64, 69, 72], [60, 64]),  # Am
        (41, [53, 60, 65, 69], [60, 65]),  # F
        (48, [55, 60, 64, 67], [60, 64]),  # C
        (43, [55, 59, 62, 67], [59, 62]),  # G
        (45, [57, 64, 69, 72], [60, 64]),  # Am
        (50, [57, 62, 65, 69], [62, 65]),  # Dm
        (41, [53, 60, 65, 69], [60, 65]),  # F
        (40, [56, 59, 64, 68], [59, 64]),  # E
    ]
    pattern = [0, 1, 2, 3, 2, 1]  # voicing index of each eighth of a bar
    for bar, (bass, voicing, pad) in enumerate(chords):
        b0 = bar * 3
        f_bass = midi_hz(bass)
        place(lambda n, f=f_bass: additive(f, n, [(1.0, 1.0, 1.6), (2.0, 0.35, 0.8),
                                                  (3.0, 0.10, 0.4)], 0.012, 0.12),
              b0, 3 * beat + 0.2)  # rings into the next bar's stroke
        for k, idx in enumerate(pattern):
            f = midi_hz(voicing[idx])
            place(lambda n, f=f: additive(f, n, [(1.0, 0.22, 0.45), (2.0, 0.04, 0.2)],
                                          0.006, 0.08),
                  b0 + 0.5 * k, 0.9)
        for note in pad:
            f = midi_hz(note)
            place(lambda n, f=f: additive(f, n, [(1.0, 0.09, None), (2.0, 0.02, None)],
                                          0.35, 0.35, (4.5, 0.002, 0.3)),
                  b0, 3 * beat + 0.15)

    melody = [  # (MIDI note, length in beats), two to four notes a bar
        (69, 1), (72, 1), (76, 1),  # Am: A4 C5 E5
        (77, 2), (76, 1),  # F: F5 E5
        (76, 1), (74, 1), (72, 1),  # C: E5 D5 C5
        (74, 2), (71, 1),  # G: D5 B4
        (72, 1), (76, 1), (81, 1),  # Am: C5 E5 A5
        (81, 1.5), (79, 0.5), (77, 1),  # Dm: A5 G5 F5
        (77, 1), (76, 1), (74, 1),  # F: F5 E5 D5
        (76, 2), (68, 1),  # E: E5 G#4, back to A4
    ]
    pos = 0.0
    for note, length in melody:
        f = midi_hz(note)
        place(lambda n, f=f: additive(f, n, [(1.0, 0.55, 1.2), (1.003, 0.2, 1.2),
                                             (2.0, 0.12, 0.5), (3.0, 0.04, 0.3)],
                                      0.010, 0.09, (5.0, 0.003, 0.35)),
              pos, length * beat + 0.06)  # a touch of legato
        pos += length
    if abs(pos - 3 * bars) > 1e-9:
        raise ValueError("the melody does not fill the eight bars")
    return normalise(buf, 0.45)


SOUNDS = [
    ("click.wav", make_click),
    ("mouvement.wav", make_mouvement),
    ("ligne.wav", make_ligne),
    ("game_over.wav", make_game_over),
    ("hi_score.wav", make_hi_score),
]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "data")
    for name, make in SOUNDS:
        pcm = write_wav(os.path.join(out_dir, name), make())
        peak = max(abs(v) for v in pcm)
        if pcm[0] != 0 or pcm[-1] != 0:
            raise SystemExit("%s does not start and end on silence" % name)
        print("%-14s %6.3f s  peak %5d (%.1f dBFS)"
              % (name, len(pcm) / RATE, peak, 20 * math.log10(peak / 32768.0)))


if __name__ == "__main__":
    main()
