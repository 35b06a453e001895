#!/usr/bin/env bash
# Installs Tumbleway as a user would, twice: with cmake --install into a staging
# prefix, and as the Debian package unpacked into a fresh root; each time the runner
# starts from there, finds its data and draws the installed sample scene.
#   check_install.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# What a user of the installation reads and what the desktop offers it for.
check_installed_files() { # prefix
  local prefix=$1
  local guide=$prefix/share/doc/tumbleway/user-guide.md
  if grep -n 'build/\|scripts/' "$guide"; then
    echo "the installed guide names the source tree: $guide"; exit 1
  fi
  grep -q "$prefix/share/tumbleway/samples/scenes/demo.xml" "$guide" ||
    grep -q "/usr/share/tumbleway/samples/scenes/demo.xml" "$guide" ||
    { echo "the installed guide does not name the installed samples"; exit 1; }
  # The desktop entry opens the builder's scenes, told by their root element, and no
  # other XML file.
  local entry=$prefix/share/applications/org.tumbleway.TumblewayBuilder.desktop
  grep -q '^MimeType=application/x-tumbleway-scene;$' "$entry" ||
    { echo "the desktop entry claims other types: $(grep MimeType "$entry")"; exit 1; }
  local mime=$scratch/mime-$(basename "$prefix")
  mkdir -p "$mime/packages"
  cp "$prefix/share/mime/packages/org.tumbleway.TumblewayBuilder.xml" "$mime/packages/"
  update-mime-database "$mime"
  grep -q ' Discription application/x-tumbleway-scene' "$mime/XMLnamespaces" ||
    { echo "the scene type is not known by its root element"; exit 1; }
}

run_installed() { # prefix
  local prefix=$1
  local out=$scratch/out-$(basename "$prefix")
  mkdir -p "$out"
  # From a folder that has nothing of ours, as a user's home has.
  (cd "$out" && env -u LD_LIBRARY_PATH "$prefix/bin/tumbleway-run" \
    "$prefix/share/tumbleway/samples/scenes/demo.xml" --frames 3 \
    --screenshot "$out/scene.png" --trace "$out/trace.csv")
  [ -s "$out/scene.png" ] || { echo "no picture drawn from $prefix"; exit 1; }
  [ "$(wc -l <"$out/trace.csv")" -gt 3 ] || { echo "no placed meshes traced from $prefix"; exit 1; }
  # The builder starts as far as its options without a screen.
  local help
  help=$(QT_QPA_PLATFORM=offscreen "$prefix/bin/TumblewayBuilder" --help)
  case "$help" in *--language*) ;; *) echo "the builder from $prefix did not start"; exit 1 ;; esac
}

stage=$scratch/stage
cmake --install "$build" --prefix "$stage" >/dev/null
for file in bin/TumblewayBuilder bin/tumbleway-run lib/libTumbleway096.so \
  share/tumbleway/data/road.bmp share/tumbleway/samples/scenes/demo.xml \
  share/tumbleway/samples/scenes/car.x share/doc/tumbleway/user-guide.md \
  share/applications/org.tumbleway.TumblewayBuilder.desktop \
  share/icons/hicolor/scalable/apps/org.tumbleway.TumblewayBuilder.svg \
  share/metainfo/org.tumbleway.TumblewayBuilder.metainfo.xml \
  share/mime/packages/org.tumbleway.TumblewayBuilder.xml; do
  [ -e "$stage/$file" ] || { echo "not installed: $file"; exit 1; }
done
desktop-file-validate "$stage/share/applications/org.tumbleway.TumblewayBuilder.desktop"
appstreamcli validate --no-net "$stage/share/metainfo/org.tumbleway.TumblewayBuilder.metainfo.xml" \
  >/dev/null
check_installed_files "$stage"
run_installed "$stage"

(cd "$build" && cpack -G DEB -B "$scratch/package" >/dev/null)
package=$(ls "$scratch"/package/tumbleway_*.deb)
depends=$(dpkg-deb --field "$package" Depends)
case "$depends" in
  *libqt6widgets6*) ;;
  *) echo "the package does not depend on Qt: $depends"; exit 1 ;;
esac
root=$scratch/root
dpkg-deb -x "$package" "$root"
# The package carries no debugging sections: they are most of a build's size.
for binary in bin/TumblewayBuilder bin/tumbleway-run lib/libTumbleway096.so; do
  if readelf -S "$root/usr/$binary" | grep -q '\.debug_info'; then
    echo "not stripped in the package: $binary ($(du -h "$package" | cut -f1))"; exit 1
  fi
done
check_installed_files "$root/usr"
run_installed "$root/usr"
echo "installed and ran from $stage and from $(basename "$package")"
