#!/bin/sh
# Strips an installed program as Debian's dh_strip does: the symbols and the compiler's notes.
exec strip --remove-section=.comment --remove-section=.note --strip-unneeded "$@"
