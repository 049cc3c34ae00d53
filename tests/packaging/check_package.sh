#!/usr/bin/env bash
# Builds the Debian package from a build folder and checks it as a user's
# system would see it: its file list and control data, then its contents
# unpacked into a scratch root, where the programs must run and the
# metainfo, the desktop entry and the completions must be valid.
#   tests/packaging/check_package.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?usage: check_package.sh BUILD_DIR}" && pwd)
source=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/vostrel-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
need() {
    command -v "$1" >/dev/null || { echo "FAIL: $1 is not installed (scripts/bootstrap installs it)" >&2; exit 1; }
}
for tool in cpack dpkg-deb dpkg-shlibdeps appstreamcli desktop-file-validate; do need "$tool"; done

id=io.github.vostrel.Vostrel
(cd "$scratch" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) || {
    cat "$scratch/cpack.log" >&2
    exit 1
}
shopt -s nullglob
debs=("$scratch"/out/*.deb)
[ ${#debs[@]} -eq 1 ] || { echo "FAIL: cpack made ${#debs[@]} packages" >&2; exit 1; }
deb=${debs[0]}

# The files: programs, desktop entry, icon, metainfo, manual pages, completions.
dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|' >"$scratch/files"
has_gui=0
[ -x "$build/vostrel" ] && has_gui=1
expected=(
    /usr/bin/vostrel-cli
    /usr/share/metainfo/$id.metainfo.xml
    /usr/share/man/man1/vostrel-cli.1.gz
    /usr/share/bash-completion/completions/vostrel-cli
    /usr/share/zsh/vendor-completions/_vostrel-cli
    /usr/share/fish/vendor_completions.d/vostrel-cli.fish
)
if [ $has_gui = 1 ]; then
    expected+=(
        /usr/bin/vostrel
        /usr/share/applications/$id.desktop
        /usr/share/icons/hicolor/scalable/apps/$id.svg
        /usr/share/man/man1/vostrel.1.gz
        /usr/share/doc/vostrel/guide/index.html
    )
fi
for file in "${expected[@]}"; do
    grep -qx "$file" "$scratch/files" || fail "the package lacks $file"
done
# Nothing of the build or the tests (a test program, a header, a static library).
if grep -E '/test_|\.h$|\.a$|/include/' "$scratch/files"; then fail "the package holds build files"; fi

# The control data: name, version, architecture, and Depends from dpkg-shlibdeps.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = vostrel ] || fail "Package is '$(field Package)'"
[ -n "$(field Version)" ] || fail "no Version"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is '$(field Architecture)'"
depends=$(field Depends)
for library in libc6 libstdc++6 libyaml-cpp liblnk; do
    [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
if [ $has_gui = 1 ]; then
    [[ $depends == *libqt6widgets6* ]] || fail "Depends lacks Qt's widgets: $depends"
fi
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"
dpkg-deb -I "$deb" >/dev/null || fail "dpkg-deb -I cannot read the package"

# Unpacked into a scratch root: the programs run and answer --version.
root=$scratch/root
dpkg -x "$deb" "$root"
version=$(field Version)
out=$("$root/usr/bin/vostrel-cli" --version) || fail "vostrel-cli --version failed"
[ "$out" = "vostrel-cli $version" ] || fail "vostrel-cli --version says '$out'"
if [ $has_gui = 1 ]; then
    out=$("$root/usr/bin/vostrel" --version) || fail "vostrel --version failed"
    [ "$out" = "vostrel $version" ] || fail "vostrel --version says '$out'"
    desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "the desktop entry does not validate"
    grep -qx "Icon=$id" "$root/usr/share/applications/$id.desktop" || fail "the desktop entry names another icon"
    # Under X11 the window's class is the program's application name: the
    # desktop uses StartupWMClass to tell its windows belong to the entry.
    app_name=$(sed -n 's/.*setApplicationName("\([^"]*\)").*/\1/p' "$source/shell/main.cpp")
    [ -n "$app_name" ] || fail "shell/main.cpp sets no application name"
    grep -qx "StartupWMClass=$app_name" "$root/usr/share/applications/$id.desktop" ||
        fail "the desktop entry's StartupWMClass is not the window class '$app_name'"
fi
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >"$scratch/appstream.log" 2>&1 || {
    cat "$scratch/appstream.log" >&2
    fail "the metainfo does not validate"
}
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$root/usr/share/metainfo/$id.metainfo.xml" ||
    fail "the metainfo launches another desktop id"
# Its homepage, and screenshots that are the files of docs/screenshots under
# the homepage's raw address.
metainfo=$root/usr/share/metainfo/$id.metainfo.xml
homepage=$(sed -n 's|.*<url type="homepage">\(https://github.com/[^<]*\)</url>.*|\1|p' "$metainfo")
[ -n "$homepage" ] || fail "the metainfo names no homepage on github.com"
raw=${homepage/https:\/\/github.com/https://raw.githubusercontent.com}/main/docs/screenshots/
shots=$(sed -n 's|.*<image type="source"[^>]*>\([^<]*\)</image>.*|\1|p' "$metainfo")
[ -n "$shots" ] || fail "the metainfo has no screenshots"
for shot in $shots; do
    [[ $shot == "$raw"* ]] || fail "the screenshot $shot is not under $raw"
    [ -f "$source/docs/screenshots/${shot#"$raw"}" ] || fail "the screenshot $shot is not in docs/screenshots"
done

# The manual page names every subcommand, and every completion knows every
# subcommand and every option the program has.
man_text=$(gzip -dc "$root/usr/share/man/man1/vostrel-cli.1.gz")
[ "$man_text" = "$(cat "$source/resources/man/vostrel-cli.1")" ] || fail "the installed vostrel-cli(1) is not resources/man/vostrel-cli.1"
help=$("$root/usr/bin/vostrel-cli" --help)
commands=$(sed -n '/^Subcommands:/,$p' <<<"$help" | sed 1d | awk 'NF { print $1 }')
[ -n "$commands" ] || fail "vostrel-cli --help lists no subcommands"
completions=(
    "$root/usr/share/bash-completion/completions/vostrel-cli"
    "$root/usr/share/zsh/vendor-completions/_vostrel-cli"
    "$root/usr/share/fish/vendor_completions.d/vostrel-cli.fish"
)
for command in $commands; do
    grep -q "^\.SS \"$command " <<<"$man_text" || fail "the manual page lacks $command"
    for options in $("$root/usr/bin/vostrel-cli" "$command" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
        for file in "${completions[@]}"; do
            option=${options#--}
            grep -qE -- "(--|-l )$option\b" "$file" || fail "$(basename "$file") lacks $command --$option"
        done
    done
    for file in "${completions[@]}"; do
        grep -qw -- "$command" "$file" || fail "$(basename "$file") lacks the command $command"
    done
done
bash -n "${completions[0]}" || fail "the bash completion is no valid bash"
if command -v zsh >/dev/null; then zsh -n "${completions[1]}" || fail "the zsh completion is no valid zsh"; fi
if command -v fish >/dev/null; then fish -n "${completions[2]}" || fail "the fish completion is no valid fish"; fi

if [ $failures -ne 0 ]; then
    echo "$failures problem(s) with $(basename "$deb")" >&2
    exit 1
fi
echo "$(basename "$deb"): $(wc -l <"$scratch/files") entries, Depends: $depends"
