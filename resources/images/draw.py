#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the SVG sources of VoiceTray's images into this folder.

The toolbar pictures share one glyph per button and differ only by state, so
they are drawn here from one description each; run this script after changing
a glyph and commit the SVG files it writes. The build renders the SVG files.
"""
import math
import os

HERE = os.path.dirname(os.path.abspath(__file__))

INK = "#ececec"          # glyphs on the dark panels
INK_PRESSED = "#ffffff"
RED = "#ff453a"
RED_DARK = "#c8231a"
ACCENT = "#4da3ff"

BTN = 26                  # toolbar button images are 26 x 26 points


def write(name, width, height, body, defs=""):
    svg = (
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
        f'viewBox="0 0 {width} {height}">\n'
        + (f"<defs>\n{defs}</defs>\n" if defs else "")
        + body
        + "</svg>\n"
    )
    with open(os.path.join(HERE, name + ".svg"), "w") as f:
        f.write(svg)


def stroke(color, width=1.7):
    return (f'fill="none" stroke="{color}" stroke-width="{width}" '
            'stroke-linecap="round" stroke-linejoin="round"')


# --- toolbar glyphs: each takes the ink colour and answers SVG elements ---

def g_play(c):
    return (f'<path d="M10 7.5 L18.5 13 L10 18.5 Z" fill="{c}" stroke="{c}" '
            'stroke-width="1.6" stroke-linejoin="round"/>\n')


def g_stop_playing(c):
    return f'<rect x="8.5" y="8.5" width="9" height="9" rx="1.6" fill="{c}"/>\n'


def g_jump(c, forward):
    def tri(x0, x1):
        return (f'<path d="M{x0} 8.5 L{x1} 13 L{x0} 17.5 Z" fill="{c}" stroke="{c}" '
                'stroke-width="1.3" stroke-linejoin="round"/>\n')
    if forward:
        return tri(6.5, 12.8) + tri(13.2, 19.5)
    return tri(19.5, 13.2) + tri(12.8, 6.5)


def g_folder_plus(c):
    return (f'<path d="M4.5 8 a1.5 1.5 0 0 1 1.5 -1.5 h4 l2 2 h8 a1.5 1.5 0 0 1 1.5 1.5 '
            f'v8.5 a1.5 1.5 0 0 1 -1.5 1.5 h-14 a1.5 1.5 0 0 1 -1.5 -1.5 Z" {stroke(c, 1.5)}/>\n'
            f'<path d="M13 11.2 v5.6 M10.2 14 h5.6" {stroke(c, 1.6)}/>\n')


def g_trash(c):
    return (f'<path d="M6.5 8.5 h13 M10.5 8.5 v-1.5 a1 1 0 0 1 1 -1 h3 a1 1 0 0 1 1 1 v1.5" {stroke(c, 1.5)}/>\n'
            f'<path d="M8 8.5 l0.9 10.2 a1.5 1.5 0 0 0 1.5 1.3 h5.2 a1.5 1.5 0 0 0 1.5 -1.3 l0.9 -10.2" {stroke(c, 1.5)}/>\n'
            f'<path d="M11.5 11.5 v5.5 M14.5 11.5 v5.5" {stroke(c, 1.3)}/>\n')


def marker_shape(x, y, w, h, c):
    tip = h * 0.42
    return (f'<path d="M{x} {y} h{w} v{h - tip} l{-w / 2} {tip} l{-w / 2} {-tip} Z" '
            f'fill="{c}" stroke="{c}" stroke-width="1.2" stroke-linejoin="round"/>\n')


def g_marker_plus(c):
    return (marker_shape(5, 7.5, 8, 11, c)
            + f'<path d="M19 10.5 v6 M16 13.5 h6" {stroke(c, 1.6)}/>\n')


def g_marker_minus(c):
    return (marker_shape(5, 7.5, 8, 11, c)
            + f'<path d="M16 13.5 h6" {stroke(c, 1.6)}/>\n')


def g_split(c):
    return (f'<circle cx="9" cy="17.5" r="2.6" {stroke(c, 1.5)}/>\n'
            f'<circle cx="17" cy="17.5" r="2.6" {stroke(c, 1.5)}/>\n'
            f'<path d="M10.6 15.4 L17.5 6 M15.4 15.4 L8.5 6" {stroke(c, 1.5)}/>\n')


def gear_path(cx, cy, r_out, r_in, teeth):
    pts = []
    for i in range(teeth):
        a = 2 * math.pi * i / teeth
        half = math.pi / teeth
        for ang, r in ((a - half * 0.55, r_out), (a + half * 0.55, r_out),
                       (a + half * 0.9, r_in), (a + 2 * half - half * 0.9, r_in)):
            pts.append((cx + r * math.cos(ang), cy + r * math.sin(ang)))
    d = "M" + " L".join(f"{x:.2f} {y:.2f}" for x, y in pts) + " Z"
    return d


def g_gear(c):
    return (f'<path d="{gear_path(13, 13, 7.6, 5.6, 8)}" fill="{c}" stroke="{c}" stroke-width="0.6" '
            'stroke-linejoin="round"/>\n'
            f'<circle cx="13" cy="13" r="2.3" fill="#1c1c1e"/>\n')


def g_record(c):
    grad = "url(#recGrad)" if c != "disabled" else INK
    return f'<circle cx="13" cy="13" r="6.5" fill="{grad}" stroke="{RED_DARK if c != "disabled" else "none"}" stroke-width="0.8"/>\n'


def g_stop_rec(c):
    grad = "url(#recGrad)" if c != "disabled" else INK
    return f'<rect x="7.5" y="7.5" width="11" height="11" rx="2.2" fill="{grad}" stroke="{RED_DARK}" stroke-width="0.8"/>\n'


def g_record_continue(c):
    grad = "url(#recGrad)" if c != "disabled" else INK
    plus = INK if c != "pressed" else INK_PRESSED
    return (f'<circle cx="9.5" cy="13" r="5.5" fill="{grad}" '
            f'stroke="{RED_DARK if c != "disabled" else "none"}" stroke-width="0.8"/>\n'
            f'<path d="M20.5 10 v6 M17.5 13 h6" {stroke(plus, 1.7)}/>\n')


def g_stop_continue(c):
    plus = INK if c != "pressed" else INK_PRESSED
    return (f'<rect x="4.5" y="8.5" width="9.5" height="9.5" rx="2" fill="url(#recGrad)" '
            f'stroke="{RED_DARK}" stroke-width="0.8"/>\n'
            f'<path d="M20.5 10 v6 M17.5 13 h6" {stroke(plus, 1.7)}/>\n')


def g_editor(c):
    return (f'<rect x="5" y="6.5" width="16" height="13" rx="2" {stroke(c, 1.5)}/>\n'
            f'<path d="M8.5 10.5 h9 M8.5 13.3 h9 M8.5 16.1 h5.5" {stroke(c, 1.3)}/>\n')


def g_back(c):
    return f'<path d="M15 7.5 L9.5 13 L15 18.5" {stroke(c, 2)}/>\n'


REC_GRAD = ('<radialGradient id="recGrad" cx="0.4" cy="0.35" r="0.75">'
            '<stop offset="0" stop-color="#ff7a70"/>'
            f'<stop offset="0.55" stop-color="{RED}"/>'
            f'<stop offset="1" stop-color="#d92a20"/></radialGradient>\n')

PRESSED_BG = ('<rect x="1" y="1" width="24" height="24" rx="6" fill="#ffffff" fill-opacity="0.16"/>\n'
              '<rect x="1.5" y="1.5" width="23" height="23" rx="5.5" fill="none" '
              'stroke="#000000" stroke-opacity="0.35" stroke-width="1"/>\n')
ON_BG = ('<rect x="1" y="1" width="24" height="24" rx="6" fill="#ffffff" fill-opacity="0.10"/>\n')


def button(name, glyph, red=False, normal=True, pressed=True, disabled=True):
    defs = REC_GRAD if red else ""
    if normal:
        write(name, BTN, BTN, glyph("normal" if red else INK), defs)
    if pressed:
        write(name + "_pressed", BTN, BTN,
              PRESSED_BG + glyph("pressed" if red else INK_PRESSED), defs)
    if disabled:
        write(name + "_disabled", BTN, BTN,
              '<g opacity="0.28">\n' + glyph("disabled" if red else INK) + "</g>\n")


def toolbar():
    button("play", g_play)
    button("stop_playing", g_stop_playing, disabled=False)
    button("play_left", lambda c: g_jump(c, False))
    button("play_right", lambda c: g_jump(c, True))
    button("add_category", g_folder_plus)
    button("delete", g_trash)
    button("add_marker", g_marker_plus)
    button("delete_marker", g_marker_minus)
    button("split", g_split)
    button("preferences", g_gear)
    button("record", g_record, red=True)
    button("stop", g_stop_rec, red=True, disabled=False)
    button("record_continue", g_record_continue, red=True)
    button("stop_continue", g_stop_continue, red=True, disabled=False)
    button("back", g_back, disabled=False)
    button("editor", g_editor, pressed=False, disabled=False)
    write("editor_on", BTN, BTN, ON_BG + g_editor(ACCENT))


# --- status icon: 30 x 28 points, the glyph centred, with a soft shadow ---

def microphone(name, color, highlight):
    def shapes(c, halo=0.0):
        # With a halo every shape is widened, so that the light icon keeps a
        # dark rim and reads on light panels too.
        capsule_stroke = f' stroke="{c}" stroke-width="{halo}"' if halo else ""
        return (f'<rect x="11.5" y="3" width="7" height="13" rx="3.5" fill="{c}"{capsule_stroke}/>\n'
                f'<path d="M8 12.5 a7 7 0 0 0 14 0" {stroke(c, 1.8 + halo)}/>\n'
                f'<path d="M15 19.8 v3.7 M11 24.2 h8" {stroke(c, 1.8 + halo)}/>\n')
    defs = ('<linearGradient id="capsule" x1="0" y1="0" x2="1" y2="0">'
            f'<stop offset="0" stop-color="{highlight}"/>'
            f'<stop offset="1" stop-color="{color}"/></linearGradient>\n')
    body = ('<g opacity="0.5">\n' + shapes("#000000", 1.6) + "</g>\n"
            + shapes(color)
            + '<rect x="11.5" y="3" width="7" height="13" rx="3.5" fill="url(#capsule)"/>\n')
    write(name, 30, 28, body, defs)


# --- strips: toolbar caps and middle, clock background, markers ---

STRIP_H = 34


def strip(name, width, x, rect_width):
    defs = ('<linearGradient id="strip" x1="0" y1="0" x2="0" y2="1">'
            '<stop offset="0" stop-color="#ffffff" stop-opacity="0.10"/>'
            '<stop offset="1" stop-color="#ffffff" stop-opacity="0.035"/></linearGradient>\n')
    body = (f'<rect x="{x}" y="0.5" width="{rect_width}" height="{STRIP_H - 1}" rx="7" '
            'fill="url(#strip)" stroke="#000000" stroke-opacity="0.45" stroke-width="1"/>\n'
            f'<rect x="{x + 1}" y="1.5" width="{rect_width - 2}" height="{STRIP_H - 3}" rx="6" '
            'fill="none" stroke="#ffffff" stroke-opacity="0.07" stroke-width="1"/>\n')
    write(name, width, STRIP_H, body, defs)


def clock(name, top, bottom, line):
    defs = ('<linearGradient id="clock" x1="0" y1="0" x2="0" y2="1">'
            f'<stop offset="0" stop-color="{top}"/><stop offset="1" stop-color="{bottom}"/>'
            '</linearGradient>\n')
    body = ('<rect x="-1" y="0" width="3" height="32" fill="url(#clock)"/>\n'
            '<rect x="-1" y="0" width="3" height="1" fill="#000000" fill-opacity="0.55"/>\n'
            f'<rect x="-1" y="31" width="3" height="1" fill="{line}"/>\n')
    write(name, 1, 32, body, defs)


def marker(name, color):
    body = ('<path d="M0.5 0.5 H8.5 V3.6 L4.5 6.5 L0.5 3.6 Z" '
            f'fill="{color}" stroke="#000000" stroke-opacity="0.55" stroke-width="1" '
            'stroke-linejoin="round"/>\n')
    write(name, 9, 7, body)


def theme_parts():
    write("check", 12, 12, f'<path d="M2.8 6.4 L5 8.7 L9.3 3.4" {stroke("#ffffff", 1.8)}/>\n')
    write("arrow_down", 10, 6, f'<path d="M1.5 1.2 L5 4.7 L8.5 1.2" {stroke(INK, 1.5)}/>\n')


def app_icon():
    defs = ('<linearGradient id="tile" x1="0" y1="0" x2="0" y2="1">'
            '<stop offset="0" stop-color="#3a3a3e"/><stop offset="1" stop-color="#161618"/>'
            '</linearGradient>\n' + REC_GRAD)
    body = ('<rect x="4" y="4" width="56" height="56" rx="13" fill="url(#tile)"/>\n'
            '<rect x="4.5" y="4.5" width="55" height="55" rx="12.5" fill="none" '
            'stroke="#ffffff" stroke-opacity="0.12"/>\n'
            '<rect x="25" y="12" width="14" height="26" rx="7" fill="#f2f2f2"/>\n'
            f'<path d="M18 30 a14 14 0 0 0 28 0" {stroke("#f2f2f2", 3.4)}/>\n'
            f'<path d="M32 44.5 v6 M24.5 51.5 h15" {stroke("#f2f2f2", 3.4)}/>\n'
            '<circle cx="47" cy="17" r="6.5" fill="url(#recGrad)" stroke="#1c1c1e" stroke-width="1.5"/>\n')
    write("voicetray", 64, 64, body, defs)


if __name__ == "__main__":
    toolbar()
    microphone("microphone", "#ececec", "#ffffff")
    microphone("microphone_red", RED, "#ff7a70")
    strip("corner_left", 8, 0.5, 30)
    strip("corner_right", 8, -22.5, 30)
    strip("panel", 1, -20, 41)
    clock("time", "#0d0d0e", "#1e1e20", "#ffffff14")
    clock("time_red", "#6e0f0c", "#a41c16", "#ff8a8014")
    marker("marker", "#e8e8e8")
    marker("marker_selected", "#ff9f0a")
    theme_parts()
    app_icon()
