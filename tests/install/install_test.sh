#!/usr/bin/env bash
# Installs the build into a scratch prefix and uses the installed programs
# from another folder: every program's --version, the kept golden job (its
# records must be the kept ones) and an export of them, the example job from
# the installed examples, the man pages and the completion, and the desktop
# program's help pages found where they were installed (offscreen, no window
# needed).
#   install_test.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
build=$1 source=$2 version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "cmake --install"; }

programs=(vantrel-cli vantrel-crystal vantrel-spline)
[ -x "$prefix/bin/vantrel" ] && programs+=(vantrel)
for p in "${programs[@]}"; do
  got=$(QT_QPA_PLATFORM=offscreen "$prefix/bin/$p" --version)
  [ "$got" = "$p $version" ] || fail "$p --version printed '$got'"
  [ -f "$prefix/share/man/man1/$p.1" ] || fail "no man page for $p"
done
grep -q "^\.TH VANTREL-CLI 1 \"\" \"Vantrel $version\"" "$prefix/share/man/man1/vantrel-cli.1" \
  || fail "man page without its version"
grep -q "$prefix/share/vantrel/examples" "$prefix/share/man/man1/vantrel-cli.1" \
  || fail "man page does not name the installed examples"
[ -f "$prefix/share/bash-completion/completions/vantrel-cli" ] || fail "no bash completion"

# The first run of the kept golden job: the installed program writes the
# kept records.
mkdir "$work/golden"
cd "$work/golden"
"$prefix/bin/vantrel-cli" run --answer yes --quiet --max-runs 1 --set RandomSeed=1 \
  "$source/tests/data/golden/ar_cu100/input/ar_cu100.prj" || fail "the kept golden job"
size=$(stat -c %s dynvars.vsk)
[ "$size" -gt 0 ] || fail "no records written"
cmp -n "$size" dynvars.vsk "$source/tests/data/golden/ar_cu100/dynvars.vsk" \
  || fail "the installed program's records differ from the kept ones"

"$prefix/bin/vantrel-cli" export --format extxyz --target "$source/tests/data/golden/ar_cu100/input/ar_cu100.trg" \
  --projectile "$source/tests/data/golden/ar_cu100/input/ar_cu100.prj" -o run1.xyz dynvars.vsk >/dev/null \
  || fail "export"
grep -q '^Ar ' run1.xyz || fail "the export names no Ar"

# The first run of the installed example job, from a folder of its own.
mkdir "$work/job"
cd "$work/job"
"$prefix/bin/vantrel-cli" run --answer yes --quiet --max-runs 1 --set RandomSeed=1 \
  "$prefix/share/vantrel/examples/ar_cu100.prj" || fail "the installed example job"
[ -s dynvars.vsk ] || fail "the installed example job wrote no records"

if [ -x "$prefix/bin/vantrel" ]; then
  help=$(QT_QPA_PLATFORM=offscreen "$prefix/bin/vantrel" --help)
  grep -qx "Help pages: $prefix/share/vantrel/help" <<<"$help" || fail "help not found: $help"
  grep -qx "Examples:   $prefix/share/vantrel/examples" <<<"$help" || fail "examples not found: $help"
  [ -f "$prefix/share/vantrel/help/1.md" ] || fail "no help contents page"
  [ -f "$prefix/share/applications/vantrel.desktop" ] || fail "no desktop entry"
  [ -f "$prefix/share/icons/hicolor/scalable/apps/vantrel.svg" ] || fail "no icon"
fi
echo "installed into a scratch prefix: ${programs[*]} found their files"
