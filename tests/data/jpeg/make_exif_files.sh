#!/bin/sh
# Makes the camera-style JPEG test files: colour_16x16.jpg with an Exif orientation written by
# exiftool (Debian libimage-exiftool-perl), once in each TIFF byte order, as cameras do.
# Run in this folder: sh make_exif_files.sh
set -e
exiftool -q -n -Orientation=6 -ExifByteOrder=MM -Make=Pellumo -o orientation_6_mm_16x16.jpg colour_16x16.jpg
exiftool -q -n -Orientation=8 -ExifByteOrder=II -Make=Pellumo -o orientation_8_ii_16x16.jpg colour_16x16.jpg
