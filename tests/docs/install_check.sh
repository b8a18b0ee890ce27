#!/usr/bin/env bash
# Installs the command and the plug-in bundle under a scratch DESTDIR outside
# the build tree with the prefix /opt/pandrel, and checks what a user gets:
# PREFIX/bin/pandrel, the manual in PREFIX/share/doc/pandrel/manual and in
# the bundle's manual/ folder (where the editor's help looks beside the
# library), and an installed command that loads the instrument from the
# installed bundle and draws the page.
#
#   install_check.sh BUILD_DIR PYTHON CHECK_MANUAL
set -euo pipefail
build=$1 python=$2 check=$3
scratch=$(mktemp -d "${TMPDIR:-/tmp}/pandrel-install.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
fail() {
  echo "install_check: $*" >&2
  exit 1
}

prefix=/opt/pandrel
for component in command lv2; do
  DESTDIR=$scratch cmake --install "$build" --prefix "$prefix" --component "$component" >/dev/null ||
    fail "cmake --install --component $component failed"
done
root=$scratch$prefix
[ -x "$root/bin/pandrel" ] || fail "no $prefix/bin/pandrel"
manifest=$(find "$scratch" -path '*/pandrel.lv2/manifest.ttl' -print -quit)
[ -n "$manifest" ] || fail "no pandrel.lv2 bundle installed"
bundle=$(dirname "$manifest")

for manual in "$root/share/doc/pandrel/manual" "$bundle/manual"; do
  for f in index.html manual.css pictures/page.png; do
    [ -f "$manual/$f" ] || fail "no ${manual#"$scratch"}/$f"
  done
  [ ! -e "$manual/make-pictures" ] || fail "${manual#"$scratch"} holds the picture script"
  "$python" "$check" "$manual" >/dev/null || fail "the manual in ${manual#"$scratch"} does not check"
done

# The bundle where a build configured with this prefix puts it (the build
# under test may have chosen LV2_PATH or ~/.lv2): PREFIX/lib/lv2.
if [ "$bundle" != "$root/lib/lv2/pandrel.lv2" ]; then
  mkdir -p "$root/lib/lv2"
  mv "$bundle" "$root/lib/lv2/"
  bundle=$root/lib/lv2/pandrel.lv2
fi

# The installed command, away from the build tree and from the user's own
# bundles: it must take the instrument from the installed bundle, whose
# manual is then the one the page's help finds beside the library.
export HOME=$scratch/home
unset LV2_PATH
mkdir -p "$HOME"
cd "$scratch"
"$root/bin/pandrel" demo -o "$scratch/demo.wav" >/dev/null || fail "the installed pandrel demo failed"
LD_DEBUG=files "$root/bin/pandrel" edit "$scratch/demo.pnd" --snapshot "$scratch/page.png" \
  >/dev/null 2>"$scratch/loader.log" || fail "the installed pandrel edit --snapshot failed"
grep -q "file=$root/bin/../lib/lv2/pandrel.lv2/pandrel.so " "$scratch/loader.log" ||
  fail "the installed command did not load the installed bundle's pandrel.so: $(grep -o 'file=[^ ]*pandrel.so' "$scratch/loader.log" | head -n 1)"
[ -s "$scratch/page.png" ] || fail "no page drawn"
[ -f "$bundle/manual/index.html" ] || fail "no manual beside the loaded library"
echo "install_check: $prefix/bin/pandrel, its manual and the bundle's manual installed; the command loads ${bundle#"$scratch"}/pandrel.so"
