#!/bin/sh
# What help2man reads for vostrel-cli's manual page: the program's --help
# followed by every subcommand's own --help (and that of each of its own
# subcommands), each under its own heading, so
# that the page is made from the program itself and never goes stale.
# help2man cannot pass the program's path; it comes in $VOSTREL_PROGRAM.
set -eu
program=${VOSTREL_PROGRAM:?}
case "${1:-}" in
--version) exec "$program" --version ;;
--help) ;;
*) exec "$program" "$@" ;;
esac
"$program" --help
for command in $("$program" --help | sed -n '/^Subcommands:/,$p' | sed 1d | awk 'NF { print $1 }'); do
    echo
    echo "Command $command:"
    "$program" "$command" --help | sed '1s/^/  /; /^Options:$/d; /^Positionals:$/d; s/^Usage: /  Usage: /'
    # A command with commands of its own ("ignore add"): each of them too.
    for action in $("$program" "$command" --help | sed -n '/^Subcommands:/,$p' | sed 1d | awk 'NF { print $1 }'); do
        echo
        echo "Command $command $action:"
        "$program" "$command" "$action" --help | sed '1s/^/  /; /^Options:$/d; /^Positionals:$/d; s/^Usage: /  Usage: /'
    done
done
