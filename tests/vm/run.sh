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
# The console's lines between init.sh's markers, as they come (awk may hold them back).
show_job_output() {
  local on=0 line
  while IFS= read -r line; do
    line=${line%$'\r'}
    case $line in
      *'--- job begins') on=1 ;;
      '--- job ended') on=0 ;;
      *) if [ "$on" = 1 ]; then printf '%s\n' "$line"; fi ;;
    esac
  done
}
# qemu64: the richer models of this qemu mis-emulate the far return into 32-bit code.
qemu-system-x86_64 -accel tcg,thread=multi -cpu qemu64 -smp "$(nproc)" -m "$memory" \
  -nographic -no-reboot -kernel "$dir/vmlinuz" -initrd "$dir/initrd.gz" \
  -append "console=ttyS0 quiet loglevel=3 panic=-1" \
  -virtfs local,path=/,mount_tag=host,security_model=none,readonly=on,multidevs=remap \
  -virtfs "local,path=$shared,mount_tag=out,security_model=none" </dev/null |
  show_job_output
if [ ! -f "$shared/rc" ]; then
  echo "vm/run: the emulated machine stopped before the command ended" >&2
  exit 1
fi
exit "$(cat "$shared/rc")"
