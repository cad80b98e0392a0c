#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds the Debian package and checks it as a user's system would have it: lintian, an
# installation through apt, the validators of every installed file, the installed programs on
# the simulated board, and a purge that leaves nothing behind. Run as root (CI) or with sudo.
# Ends with "N passed, N failed" and exits non-zero when anything failed.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi

bash "$root/scripts/setup-deps.sh" check || exit 1

. "$root/scripts/lib.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

summary() {
    check_summary
    exit
}

# A command whose output must be empty as well as its status zero.
quiet() {
    local output
    output="$("$@" 2>&1)" || { printf '%s\n' "$output"; return 1; }
    [ -z "$output" ] || { printf '%s\n' "$output"; return 1; }
}

echo "== Building the package"
check "package builds" bash "$root/scripts/package.sh"
deb="$(ls "$root"/build-deb/vantrel_*.deb 2>/dev/null | head -n 1)"
if [ -z "$deb" ]; then
    summary
fi

echo "== Checking $deb"
check "lintian --fail-on error,warning" lintian --fail-on error,warning "$deb"

check "apt-get install" env DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "$deb"
if ! dpkg-query -W -f='${Status}' vantrel 2>/dev/null | grep -q "install ok installed"; then
    summary
fi
dpkg -L vantrel >"$work/installed"
units=()
for unit in vantrel-load.service vantrel-resume.service; do
    units+=("$(grep "/systemd/system/$unit\$" "$work/installed")")
done
pages=()
while read -r page; do
    [ -L "$page" ] || pages+=("$page")
done < <(grep '/usr/share/man/.*\.gz$' "$work/installed")

check "desktop-file-validate" quiet desktop-file-validate \
    /usr/share/applications/org.vantrel.Vantrel.desktop
check "appstreamcli validate --no-net" appstreamcli validate --no-net \
    /usr/share/metainfo/org.vantrel.Vantrel.metainfo.xml
check "systemd-analyze verify" quiet systemd-analyze verify "${units[@]}"
lint_pages() {
    local page status=0
    for page in "${pages[@]}"; do
        zcat "$page" | mandoc -T lint -W warning || { echo "in $page"; status=1; }
    done
    return $status
}
check "mandoc -T lint (${#pages[@]} pages)" lint_pages
check "xmllint on the polkit policy" xmllint --noout --dtdvalid /usr/share/polkit-1/policyconfig-1.dtd \
    /usr/share/polkit-1/actions/org.vantrel.Vantrel.policy
check "the units are installed disabled" \
    bash -c '! find /etc/systemd/system -name "vantrel-*" | grep .'

check "vantrelctl show on the simulated board" /usr/bin/vantrelctl --simulate=pauses=instant show
check "vantrel --screenshot on the simulated board" env QT_QPA_PLATFORM=offscreen \
    XDG_CONFIG_HOME="$work/config" /usr/bin/vantrel --simulate=pauses=instant \
    --screenshot "$work/vantrel.png"
check "the screenshot is a PNG" bash -c "file '$work/vantrel.png' | grep -q 'PNG image'"
for name in vantrel vantrelctl vantrel-settings vantrel-load.service vantrel-resume.service; do
    check "man -w $name" man -w "$name"
done
check "the bash completion loads and completes" bash -c '
    source /usr/share/bash-completion/bash_completion
    _completion_loader vantrelctl
    COMP_WORDS=(vantrelctl --bu) COMP_CWORD=1 COMP_LINE="vantrelctl --bu" COMP_POINT=15
    "$(complete -p vantrelctl | sed "s/.*-F \([^ ]*\) .*/\1/")" vantrelctl --bu vantrelctl
    [ "${COMPREPLY[*]}" = --bus ]'

# A simulated boot-time load keeps its guard in a state directory of its own: this machine's
# guard in /var/lib/vantrel must neither stop the check nor be left by it.
real_guard_before="$(stat -c %Y /var/lib/vantrel/boot-guard 2>/dev/null || echo none)"
check "vantrelctl save on the simulated board" /usr/bin/vantrelctl --simulate=pauses=instant \
    save --settings "$work/settings.reg"
check "a boot-time load on the simulated board" env XDG_STATE_HOME="$work/state" \
    /usr/bin/vantrelctl --simulate=pauses=instant -y load --at-boot --settings "$work/settings.reg"
check "the simulated load left no guard" test ! -e "$work/state/vantrel/simulated/boot-guard"
check "this machine's boot guard is as it was" \
    test "$(stat -c %Y /var/lib/vantrel/boot-guard 2>/dev/null || echo none)" = "$real_guard_before"
# The state directory the boot-time unit leaves behind, for the purge to remove.
check "the boot guard's directory can be made" $sudo mkdir -p /var/lib/vantrel

echo "== Removing and purging"
check "apt-get remove" env DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y vantrel
check "apt-get purge" env DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y vantrel
left() {
    local path status=0
    while read -r path; do
        if [ -e "$path" ] && [ ! -d "$path" ]; then
            echo "left: $path"
            status=1
        fi
    done <"$work/installed"
    if [ -e /var/lib/vantrel ]; then
        echo "left: /var/lib/vantrel"
        status=1
    fi
    if dpkg-query -W -f='${Status}' vantrel 2>/dev/null | grep -q installed; then
        echo "dpkg still knows vantrel"
        status=1
    fi
    return $status
}
check "nothing the package installed is left" left

summary
