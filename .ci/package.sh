#!/bin/sh
# Builds the Debian package, checks what it declares and holds, installs it on this
# machine and starts the installed program for a smoke check; then removes it again.
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build-pkg -DCMAKE_BUILD_TYPE=Release -DLOOM_BUILD_TESTS=OFF -DLOOM_BUILD_BENCH=OFF
cmake --build build-pkg -j2
rm -f build-pkg/*.deb
(cd build-pkg && cpack)
deb=$(ls build-pkg/*.deb)
[ "$(echo "$deb" | wc -l)" -eq 1 ] || { echo "expected one package, found: $deb" >&2; exit 1; }

dpkg-deb -I "$deb"
# Debian's own package checks: no errors allowed.
lintian --fail-on error --tag-display-limit 0 "$deb"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins libzip4 \
    fonts-liberation2 fonts-crosextra-carlito libc6 libstdc++6; do
    echo "$depends" | tr ',' '\n' | grep -q "^ *$needed\( \|$\)" ||
        { echo "package does not depend on $needed" >&2; exit 1; }
done

dpkg-deb -c "$deb" | tee build-pkg/contents.txt
for path in ./usr/libexec/loomchart/loomchart ./usr/libexec/loomchart/HAND-M.CUR \
    ./usr/share/applications/com.loomchartstudio.PageStudio.desktop \
    ./usr/share/metainfo/com.loomchartstudio.PageStudio.metainfo.xml \
    ./usr/share/icons/hicolor/32x32/apps/com.loomchartstudio.PageStudio.png \
    ./usr/share/icons/hicolor/48x48/apps/com.loomchartstudio.PageStudio.png \
    ./usr/share/icons/hicolor/128x128/apps/com.loomchartstudio.PageStudio.png \
    ./usr/share/icons/hicolor/256x256/apps/com.loomchartstudio.PageStudio.png \
    ./usr/share/doc/loomchart-page-studio/copyright \
    ./usr/share/doc/loomchart-page-studio/changelog.gz ./usr/share/man/man1/loomchart.1.gz; do
    awk '{ print $6 }' build-pkg/contents.txt | grep -qx "$path" ||
        { echo "package does not hold $path" >&2; exit 1; }
done
grep -q ' \./usr/bin/loomchart -> \.\./libexec/loomchart/loomchart$' build-pkg/contents.txt ||
    { echo "package has no usr/bin/loomchart link to the program" >&2; exit 1; }

if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
# --reinstall, so that a package left from an earlier run is replaced by this one.
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --reinstall "./$deb"
status=0
.ci/smoke-installed.sh || status=$?
DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y loomchart-page-studio
exit "$status"
