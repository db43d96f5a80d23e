#!/usr/bin/env bash
# An installed copy: `cmake --install` puts the programs, desktop entry, icons, help,
# compressed manual pages, copyright and changelog where a desktop and dpkg look for them;
# the desktop entry validates and offers the program for the formats it reads; the manual
# page names every option of --help; the window answers --help and --version without a
# display; the programs work from a read-only prefix; and `cpack -G DEB` makes a package
# that depends on the Qt, libjpeg, zlib and lcms2 packages and that lintian passes.
# Usage: install_layout_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" > /dev/null
for file in bin/pictorand bin/pictorand-cli share/applications/pictorand.desktop \
            share/icons/hicolor/scalable/apps/pictorand.svg share/pictorand/help/index.html \
            share/man/man1/pictorand-cli.1.gz share/man/man1/pictorand.1.gz \
            share/doc/pictorand/copyright share/doc/pictorand/changelog.gz; do
  [ -f "$prefix/$file" ] || fail "$file is not installed"
done
for size in 16 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/pictorand.png
  [ -f "$icon" ] || fail "no ${size}x${size} icon"
  # The PNG's own width and height (bytes 16..23) match its folder.
  [ "$(od -An -tu4 --endian=big -j16 -N8 "$icon" | tr -s ' ' | sed 's/^ //; s/ $//')" = "$size $size" ] || fail "the ${size}x${size} icon has another size"
done

if command -v desktop-file-validate > /dev/null; then
  desktop-file-validate "$prefix/share/applications/pictorand.desktop" || fail "the desktop entry does not validate"
else
  echo "desktop-file-validate is not installed; the desktop entry is not validated"
fi

# Every long option the program lists is in the manual page.
cli=$prefix/bin/pictorand-cli
options=$("$cli" --help | grep -oE -- '--[a-z][a-z-]+' | sort -u)
[ -n "$options" ] || fail "--help lists no options"
for option in $options; do
  zgrep -qF -- "$(printf '%s' "$option" | sed 's/-/\\-/g')" "$prefix/share/man/man1/pictorand-cli.1.gz" || fail "the manual page lacks $option"
done

desktop=$prefix/share/applications/pictorand.desktop
grep -q '^Exec=pictorand %F$' "$desktop" || fail "the desktop entry does not pass files"
for type in image/jpeg image/png image/tiff image/heif image/x-canon-cr2; do
  grep -q "^MimeType=.*$type;" "$desktop" || fail "the desktop entry does not offer the program for $type"
done

# --help and --version need no display.
(unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM; "$prefix/bin/pictorand" --version) | grep -q "Pictorand v" || fail "pictorand --version needs a display"
(unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM; "$prefix/bin/pictorand" --help) | grep -q "Usage: pictorand" || fail "pictorand --help needs a display"

# From a read-only prefix with a fresh home: the command line converts, and the window
# starts, finds its help in the prefix and keeps its settings in the home.
chmod -R a-w "$prefix"
home=$work/home
mkdir -p "$home" "$work/in"
printf 'BM\x3a\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00\x28\x00\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x01\x00\x18\x00\x00\x00\x00\x00\x04\x00\x00\x00\x13\x0b\x00\x00\x13\x0b\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x10\x20\x30\x00' > "$work/in/dot.bmp"
HOME=$home XDG_CONFIG_HOME= "$cli" -o "$work/out" -f png -s none "$work/in/dot.bmp" 2> /dev/null || fail "the installed pictorand-cli did not convert"
[ -f "$work/out/dot_thumb.png" ] || fail "no output from the installed pictorand-cli"
if HOME=$home XDG_CONFIG_HOME= QT_QPA_PLATFORM=offscreen "$prefix/bin/pictorand" --self-test > "$work/self-test" 2>&1; then
  grep -q "help: $prefix/share/pictorand/help/index.html" "$work/self-test" || { cat "$work/self-test"; fail "the installed window did not find its help"; }
  grep -q "settings: $home/.config/pictorand/Setting.dat" "$work/self-test" || { cat "$work/self-test"; fail "the installed window keeps its settings elsewhere"; }
  [ -f "$home/.config/pictorand/Setting.dat" ] || fail "the installed window did not save its settings on closing"
else
  cat "$work/self-test"
  fail "the installed window did not start"
fi

# The Debian package.
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" > /dev/null) || fail "cpack failed"
deb=$(ls "$work"/package/pictorand_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6gui6 libqt6core6 libjpeg62-turbo zlib1g liblcms2-2; do
  grep -q "$package" <<< "$depends" || fail "the package does not depend on $package"
done
contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/pictorand ./usr/bin/pictorand-cli ./usr/share/applications/pictorand.desktop ./usr/share/pictorand/help/index.html; do
  grep -qF " $file" <<< "$contents" || fail "the package lacks $file"
done
if command -v lintian > /dev/null; then
  # Root may run lintian here: the package is only read.
  lintian --fail-on error,warning --allow-root "$deb" || fail "lintian finds errors or warnings in the package"
else
  echo "lintian is not installed; the package is not checked by it"
fi
echo "installed layout, desktop entry, manual pages, read-only prefix and package: all good"
