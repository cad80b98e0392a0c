#!/bin/busybox sh
# SPDX-License-Identifier: GPL-2.0-or-later
# The initramfs's init for scripts/test-kernel.sh: loads the i2c modules, checks what vantrelctl
# says on this machine and runs the node test program, a line per check ("ok   ..." or
# "FAIL ..."), then powers the machine off.
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t securityfs securityfs /sys/kernel/security
mkdir -p /run && mount -t tmpfs tmpfs /run
machine=$(sed -n 's/.*vantrel\.machine=\([a-z0-9]*\).*/\1/p' /proc/cmdline)
export HOME=/root

check() {  # check DESCRIPTION COMMAND...: ok when the command succeeds
    what="$1"
    shift
    if "$@"; then echo "ok   $machine: $what"; else echo "FAIL $machine: $what"; fi
}

# Runs vantrelctl with its arguments; its output (both streams) in /tmp/out, its status in
# /tmp/status, and the output shown indented.
run() {
    vantrelctl "$@" >/tmp/out 2>&1
    echo $? >/tmp/status
    echo "   \$ vantrelctl $*"
    sed 's/^/   | /' /tmp/out
}
failed() { [ "$(cat /tmp/status)" != 0 ]; }
says() { grep -q -- "$1" /tmp/out; }
never_says() { ! grep -q -- "$1" /tmp/out; }
first_line_says() { head -n 1 /tmp/out | grep -q -- "$1"; }

echo "== guest: modules"
for module in $(cat /modules/order); do
    case "$module" in
        i2c-stub) params="chip_addr=0x69 functionality=$(vantrel_kernel_node_check functions)" ;;
        *) params="" ;;
    esac
    [ "$module" = i2c-i801 ] && [ "$machine" != q35 ] && continue
    check "insmod $module $params" insmod "/modules/$module.ko" $params
done
has_function() { [ -e /sys/bus/pci/devices/0000:00:1f.3 ]; }
adapter_named() {  # the number N of the adapter whose name starts with $1
    for d in /sys/class/i2c-dev/i2c-*; do
        if grep -q "^$1" "$d/name" 2>/dev/null; then echo "${d##*/i2c-}"; return 0; fi
    done
    return 1
}

echo "== guest: vantrelctl"
run --version
check "the static vantrelctl runs on the Pentium III model" [ "$(cat /tmp/status)" = 0 ]

# What diagnose says against what the machine is.
run diagnose
line() { grep "^[a-z]* *$1 " /tmp/out; }
function_dir=/sys/bus/pci/devices/0000:00:1f.3
if has_function; then
    ids="$(sed 's/^0x//' $function_dir/vendor):$(sed 's/^0x//' $function_dir/device)"
    check "diagnose names the function at 00:1f.3 by its IDs, $ids" says "0000:00:1f.3 is $ids"
else
    check "diagnose says there is no PCI function at 00:1f.3" says "no PCI function at 0000:00:1f.3"
fi
if [ -e $function_dir/driver ]; then
    driver=$(basename "$(readlink $function_dir/driver)")
    check "diagnose names the bound driver, $driver" says "\"$driver\" is bound"
else
    check "diagnose says no driver is bound" says "no driver is bound"
fi
check "diagnose says i2c-dev is loaded" says "the i2c-dev module is loaded"
state=$(sed -n 's/.*\[\([a-z]*\)\].*/\1/p' /sys/kernel/security/lockdown 2>/dev/null)
if [ -n "$state" ]; then
    check "diagnose shows the lockdown state, $state" eval 'line lockdown | grep -q " $state"'
else
    check "diagnose says lockdown is not shown" eval 'line lockdown | grep -q "not shown"'
fi
check "diagnose says the user is root" eval 'line user | grep -q " root$"'
check "diagnose says ioperm is available" eval 'line ioperm | grep -q available'
ioperm_said="$(line ioperm)"
for bus in kernel ports; do
    run --bus $bus diagnose
    check "diagnose for --bus $bus advises no unbinding" never_says "unbind"
    check "diagnose for --bus $bus sends nobody to another path" never_says "leave out --bus"
done
PKEXEC_UID=1000 run diagnose
check "diagnose finds user 1000 in /etc/passwd without NSS" eval 'line user | grep -q anna'

HOME=/ run diagnose
check "with HOME=/ the settings path is /.config/vantrel/settings.reg" says " /.config/vantrel/settings.reg"
check "with HOME=/ no path begins with //" never_says "//.config"

run -y --bus ports show
check "--bus ports show refuses" failed
check "--bus ports show advises no unbinding" never_says "unbind"
case "$ioperm_said" in
    *available:*) check "--bus ports show gets the ports diagnose said it would" never_says "Cannot access I/O ports" ;;
esac
if ! has_function; then
    check "--bus ports show says first that there is no hub it supports" first_line_says "no hub Vantrel supports"
    check "--bus ports show names no controller at 00:1f.3, where there is none" never_says "1f.3"
else
    check "--bus ports show says first that the hub is not supported" first_line_says "$ids) is not that of a hub Vantrel supports"
fi
run -y --bus kernel show
check "--bus kernel show refuses" failed
check "--bus kernel show says first that the kernel sees no supported controller" first_line_says "The kernel sees no supported SMBus controller"
check "--bus kernel show advises no other path" never_says "--bus ports"
check "--bus kernel show advises no direct port access" never_says "direct port access"
run -y show
check "show refuses" failed
if ! has_function; then
    check "show says first that there is no hub it supports" first_line_says "no hub Vantrel supports"
    check "show names no controller at 00:1f.3, where there is none" never_says "1f.3"
else
    check "show says first that the hub is not supported" first_line_says "$ids) is not that of a hub Vantrel supports"
fi

echo "== guest: the kernel's i2c-dev node against the simulated one"
stub=$(adapter_named "SMBus stub driver")
check "i2c-stub made an adapter" [ -n "$stub" ]
if [ -n "$stub" ]; then
    vantrel_kernel_node_check stub "$stub"
    check "every request on i2c-stub's node answered as recorded and as simulated" [ $? = 0 ]
fi
if [ "$machine" = q35 ]; then
    ich=$(adapter_named "SMBus I801 adapter")
    check "i2c-i801 made an adapter for the ICH9" [ -n "$ich" ]
    if [ -n "$ich" ]; then
        vantrel_kernel_node_check absent "$ich"
        check "every request on the ICH driver's node answered as recorded and as simulated" [ $? = 0 ]
    fi
fi

echo "vantrel-kernel-test: done"
poweroff -f
