#!/usr/bin/env python3
"""Writes the bundled sample gallery into a folder: gallery.html (UTF-8, in
the markup the harvest reads, with {{BASE}} where the server's address goes)
and one JPEG per picture, made with ImageMagick.

    make_gallery.py OUTDIR
"""
import os
import subprocess
import sys

# (name as the page shows it, file name, width, height, ImageMagick source)
PICTURES = [
    ("秋天的落叶", "p01.jpg", 640, 400, "plasma:orange-brown"),
    ("Mountain Lake", "p02.jpg", 800, 500, "gradient:skyblue-navy"),
    ("海边日落", "p03.jpg", 720, 450, "plasma:gold-purple"),
    ("Northern Lights", "p04.jpg", 960, 600, "plasma:green-black"),
    ("竹林小径", "p05.jpg", 480, 300, "plasma:darkgreen-khaki"),
    ("  Harbour Lights  ", "p06.jpg", 640, 360, "gradient:navy-gold"),
    ("Desert Dunes", "P07.JPG", 800, 450, "plasma:tan-sienna"),
    ("雪山之巅", "p08.jpg", 1024, 640, "gradient:white-steelblue"),
    ("城市夜景", "p09.jpg", 640, 480, "plasma:black-yellow"),
    ("Autumn", "p10.jpg", 320, 200, "plasma:red-orange"),
    ("樱花盛开", "p11.jpg", 600, 400, "plasma:pink-white"),
    ("Coral Reef", "p12.jpg", 700, 440, "plasma:cyan-coral"),
    ("草原日出", "p13.jpg", 560, 350, "gradient:orange-green"),
    ("Misty Forest", "p14.jpg", 880, 550, "plasma:gray-darkgreen"),
    ("古镇水乡", "p15.jpg", 500, 320, "plasma:slategray-wheat"),
    ("Glacier Bay", "p16.jpg", 760, 480, "gradient:lightcyan-teal"),
    ("星空银河", "p17.jpg", 900, 560, "plasma:midnightblue-violet"),
    ("Lavender Fields", "p18.jpg", 620, 390, "plasma:lavender-purple"),
    ("黄山云海", "p19.jpg", 680, 420, "gradient:white-gray"),
    ("Tulip Garden", "p20.jpg", 540, 340, "plasma:red-yellow"),
    ("长城秋色", "p21.jpg", 820, 510, "plasma:firebrick-goldenrod"),
    ("Rain on Glass", "p22.jpg", 460, 290, "plasma:lightsteelblue-slategray"),
    ("西湖春晓", "p23.jpg", 740, 460, "gradient:palegreen-lightblue"),
    ("Canyon Light", "p24.jpg", 1000, 620, "plasma:peru-maroon"),
]


def entry(index, name, file_name):
    if index == 7:  # one entry written in capitals, as some pages do
        return ('<div class="tile"><H3 CLASS="HEADINGBASE HEADINGM">%s</H3>\n'
                '<A CLASS="NAVIGATIONLINK" HREF="{{BASE}}/file/%s">立即获取</A></div>\n' % (name, file_name))
    return ('<div class="tile"><h3 class="headingBase headingM">%s</h3>\n'
            '<p class="caption">精选桌面背景</p>\n'
            '<a class="navigationLink" href="{{BASE}}/file/%s">立即获取</a></div>\n' % (name, file_name))


def page():
    tiles = "".join(entry(i + 1, name, file_name) for i, (name, file_name, _, _, _) in enumerate(PICTURES))
    return ('<!DOCTYPE html>\n<html><head><meta http-equiv="Content-Type" content="text/html; charset=utf-8">\n'
            '<title>桌面壁纸</title></head>\n<body><h1>Windows 桌面壁纸</h1>\n%s</body></html>\n' % tiles)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "gallery.html"), "w", encoding="utf-8") as f:
        f.write(page())
    for index, (_, file_name, width, height, source) in enumerate(PICTURES):
        path = os.path.join(folder, file_name)
        if os.path.exists(path):
            continue
        subprocess.run(["convert", "-seed", str(index + 1), "-size", "%dx%d" % (width, height), source,
                        "-quality", "85", "jpeg:" + path], check=True)


if __name__ == "__main__":
    main()
