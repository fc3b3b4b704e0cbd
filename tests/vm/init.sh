#!/bin/busybox sh
# The emulated machine's init: this machine's own files, read-only over 9p under a tmpfs overlay,
# then the job that run.sh left in the shared folder, then power off.
/bin/busybox mkdir -p /sbin /usr/bin /usr/sbin
/bin/busybox --install -s
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
# Load in passes: the order file need not follow every kernel's dependencies.
for pass in 1 2 3; do
  for m in $(cat /mods/order); do
    [ -f /mods/$m.ko ] && insmod /mods/$m.ko 2>/dev/null && rm /mods/$m.ko
  done
done
opts=trans=virtio,version=9p2000.L,msize=524288
mount -t 9p -o $opts,ro,cache=loose host /host || echo "vm: cannot mount the host's files"
mount -t 9p -o $opts out /out || echo "vm: cannot mount the shared folder"
mount -t tmpfs up /up
mkdir -p /up/upper /up/work
mount -t overlay -o lowerdir=/host,upperdir=/up/upper,workdir=/up/work overlay /new
for d in proc sys dev; do mount --move /$d /new/$d; done
mkdir -p /new/dev/pts /new/dev/shm /new/out
mount -t devpts devpts /new/dev/pts
mount -t tmpfs shm /new/dev/shm
mount -t tmpfs tmp /new/tmp
mount --move /out /new/out
hostname "$(cat /new/out/hostname 2>/dev/null || echo hostvetter-vm)"
echo "--- job begins" >/new/dev/ttyS0
# Through a pipe, so that the job's programs see no terminal (Wine would draw on it).
chroot /new /bin/bash /out/job.sh 2>&1 | cat >/new/dev/ttyS0
echo "--- job ended" >/new/dev/ttyS0
sync
poweroff -f
