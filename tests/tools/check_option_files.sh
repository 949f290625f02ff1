#!/bin/sh
# The completions and the manual page that the build writes from the table of options load in
# the programs that read them: bash registers its completion, zsh and fish read theirs without a
# syntax error, and man shows the page without a warning.
#   check_option_files.sh BASH ZSH FISH MANUAL
set -eu
registered=$(bash -c '. "$1" && complete -p splashpack' sh "$1")
if [ "$registered" != "complete -o filenames -F _splashpack splashpack" ]; then
    echo "bash registers: $registered"
    exit 1
fi
zsh -n "$2"
fish -n "$3"
warnings=$(MANWIDTH=80 man --warnings -l "$4" 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
    echo "man warns: $warnings"
    exit 1
fi
