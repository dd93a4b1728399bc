#!/bin/sh
# Checks what the desktop reads and the Debian package that cpack makes from this build:
# the menu entry and the metainfo pass their validators, both programs answer --version
# without a display, the man pages are there, and the .deb holds exactly the files that
# `cmake --install` puts in place, with the Qt libraries among its dependencies.
#   check_package.sh SOURCE_DIR BUILD_DIR VERSION
set -eu
src=$1 build=$2 version=$3
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in desktop-file-validate appstreamcli cpack dpkg-deb dpkg-shlibdeps file; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh installs it)"
done
work=$(mktemp -d "${TMPDIR:-/tmp}/hobwise-package.XXXXXX")
trap 'rm -rf "$work"' EXIT

desktop-file-validate "$src/data/hobwise.desktop" || fail "hobwise.desktop"
appstreamcli validate --no-net "$build/data/io.github.quillmar.Hobwise.metainfo.xml" ||
  fail "the AppStream metainfo"

v=$(env -u DISPLAY -u WAYLAND_DISPLAY "$build/app/hobwise" --version)
[ "$v" = "hobwise $version" ] || fail "hobwise --version printed \"$v\""

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >"$work/install.log" ||
  fail "cmake --install: $(cat "$work/install.log")"
(cd "$work/root" && find . ! -type d | sed 's|^\.||' | sort) >"$work/installed"
for f in /usr/bin/hobwise /usr/bin/hobwise-solve /usr/share/applications/hobwise.desktop \
    /usr/share/icons/hicolor/scalable/apps/hobwise.svg \
    /usr/share/metainfo/io.github.quillmar.Hobwise.metainfo.xml \
    /usr/share/man/man1/hobwise.1.gz /usr/share/man/man1/hobwise-solve.1.gz; do
  grep -qx "$f" "$work/installed" || fail "$f is not installed"
done
for page in hobwise hobwise-solve; do
  gzip -dc "$work/root/usr/share/man/man1/$page.1.gz" | grep -q "^\.SH NAME" ||
    fail "the man page of $page has no NAME section"
done

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/pkg" >"$work/cpack.log" ||
  fail "cpack: $(cat "$work/cpack.log")"
deb="$work/pkg/hobwise_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb"); cpack made: $(ls "$work/pkg")"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print substr($6, 2) }' | sort >"$work/packaged"
diff -u "$work/installed" "$work/packaged" >&2 ||
  fail "the package does not hold exactly the installed files (- installed only, + packaged only)"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libc6; do
  echo "$depends" | grep -q "\<$lib\>" || fail "Depends lacks $lib: $depends"
done
echo "$(basename "$deb"): $(wc -l <"$work/packaged") files, as installed; Depends: $depends"
