# Sourced by the scripts: can this machine run 32-bit x86 programs, and how?
#   mode_32bit    prints native, emulated (qemu-i386 through binfmt_misc) or none
#   setup_emulator  installs qemu-user and registers it for i386 programs (root)
# TESSOID_EMULATE_32BIT=1 makes install-deps.sh set up the emulator even where the kernel
# runs 32-bit programs itself, to try the path of machines that cannot; undo it with
# `echo -1 > /proc/sys/fs/binfmt_misc/qemu-i386`.

BINFMT=/proc/sys/fs/binfmt_misc

emulator_registered() {
    [ -f "$BINFMT/qemu-i386" ] && head -n 1 "$BINFMT/qemu-i386" | grep -qx enabled
}

# A registered handler comes before the kernel's own loader, so it decides.
mode_32bit() {
    if emulator_registered; then
        echo emulated
    elif [ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
        echo native
    else
        echo none
    fi
}

setup_emulator() {
    if ! command -v qemu-i386 >/dev/null; then
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends qemu-user
    fi
    [ -f "$BINFMT/register" ] || mount -t binfmt_misc binfmt_misc "$BINFMT"
    # i386 ELF executables and shared objects (e_type 2 or 3, e_machine 3). Flags: O opens
    # the program for the emulator, F keeps the emulator open across mount namespaces.
    emulator_registered || printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:OF' >"$BINFMT/register"
    emulator_registered
}
