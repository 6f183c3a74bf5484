# Sourced by the Wine 10 scripts: where the Debian 13 root that holds Wine 10 lives.
# It is kept outside every checkout, so that neither `git clean` nor removing a build tree takes
# it, and one root serves every checkout on the machine. Its folder is named after its recipe: a
# changed package list makes a new root beside the old one instead of changing one in use.
wine10_cache=/var/cache/orvanta-wine10
wine10_suite=trixie
# Wine 10, the CUPS library its printing loads, and what the tests run beside it in the root:
# xrandr and the dummy-driver X server for several monitors.
wine10_packages=(wine wine64 libcups2t64 xauth x11-utils x11-xserver-utils xserver-xorg-core
                 xserver-xorg-video-dummy)
wine10_root=$wine10_cache/root-$(echo "$wine10_suite ${wine10_packages[*]}" | sha1sum | cut -c1-12)
