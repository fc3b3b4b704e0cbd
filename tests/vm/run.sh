#!/usr/bin/env bash
# Runs a command in an emulated x86-64 machine (qemu, no KVM needed) that sees this machine's
# files, read-only under a throwaway overlay, in the same folder and with the same PATH. Its
# output comes through the serial console; its exit code is ours. For what this machine's kernel
# cannot do itself: some refuse 32-bit code, which the 32-bit Windows build needs under Wine.
#   tests/vm/run.sh [--memory MB] COMMAND [ARG...]
set -euo pipefail
memory=6144
if [ "${1:-}" = --memory ]; then
  memory=$2
  shift 2
fi
dir=${HV_VM_DIR:-/var/cache/hostvetter/vm}
"$(dirname "$0")/prepare.sh"

shared=$(mktemp -d)
trap 'rm -rf "$shared"' EXIT
{
  echo "export PATH=$(printf %q "$PATH") HOME=$(printf %q "${HOME:-/root}") LANG=C.UTF-8"
  echo "export HV_TIMEOUT_SCALE=10  # the suites' time limits for Wine's work"
  echo "cd $(printf %q "$PWD")"
  printf '%q ' "$@"
  echo
  echo 'echo $? >/out/rc'
} >"$shared/job.sh"
hostname >"$shared/hostname"
# qemu64: the richer models of this qemu mis-emulate the far return into 32-bit code.
qemu-system-x86_64 -accel tcg,thread=multi -cpu qemu64 -smp "$(nproc)" -m "$memory" \
  -nographic -no-reboot -kernel "$dir/vmlinuz" -initrd "$dir/initrd.gz" \
  -append "console=ttyS0 quiet loglevel=3 panic=-1" \
  -virtfs local,path=/,mount_tag=host,security_model=none,readonly=on,multidevs=remap \
  -virtfs "local,path=$shared,mount_tag=out,security_model=none" </dev/null |
  tr -d "\r" | awk '/^--- job ended$/ {on = 0} on {print; fflush()} /--- job begins$/ {on = 1}'
if [ ! -f "$shared/rc" ]; then
  echo "vm/run: the emulated machine stopped before the command ended" >&2
  exit 1
fi
exit "$(cat "$shared/rc")"
