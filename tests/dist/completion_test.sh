#!/bin/bash
# pellumo-pack's bash completion, in a real bash: the commands and options it offers are those
# the program's help declares, options that take a file complete file names and the others
# nothing, and arguments complete file names.
# Usage: completion_test.sh COMPLETION-FILE PELLUMO-PACK
set -u
completion=$1 pack=$2
status=0
fail() {
    echo "FAIL: $*" >&2
    status=1
}

# shellcheck source=/dev/null
source "$completion"
registered=$(complete -p pellumo-pack 2>/dev/null) || {
    echo "FAIL: the file registers no completion for pellumo-pack" >&2
    exit 1
}
function=$(sed -n 's/.*-F \([^ ]*\).*/\1/p' <<<"$registered")

# What bash offers for the words given, the last one being completed; one a line, sorted.
offered() {
    COMP_WORDS=(pellumo-pack "$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="${COMP_WORDS[*]}"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    "$function" pellumo-pack "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    if ((${#COMPREPLY[@]})); then printf '%s\n' "${COMPREPLY[@]}" | sort; fi
}

expect() {
    local what=$1 expected=$2 actual=$3
    [[ $actual == "$expected" ]] || fail "$what: expected [${expected//$'\n'/ }], offered [${actual//$'\n'/ }]"
}

# The rows of a help section ("Commandes :", "Options :"): the first word of each row, or for
# options every name it gives ("-o, --output FICHIER" gives -o and --output) with its value.
section_rows() {
    sed -n "/^$1 :\$/,/^\$/p" | sed -nE 's/^  (-[a-zA-Z], |    )?((-|[a-z])[^ ,]*(, --[a-z-]+)?( [A-ZÉ]+)?).*/\1\2/p' |
        sed -E 's/^    //; s/, /\n/g'
}

commands=$("$pack" --help | section_rows Commandes | sort)
[[ -n $commands ]] || fail "no command read from pellumo-pack --help"
expect "commands" "$(printf '%s\n' "$commands" --help --version | sort)" "$(offered '')"
expect "commands starting with s" "$(grep '^s' <<<"$commands")" "$(offered s)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir folder
touch show.toml photo.jpg 'two words.png'
all_files=$(printf '%s\n' folder photo.jpg show.toml 'two words.png')

for command in $commands; do
    rows=$("$pack" "$command" --help | section_rows Options)
    declared=$(cut -d' ' -f1 <<<"$rows" | sort)
    expect "$command's options" "$declared" "$(offered "$command" -)"
    # An option's value: a file for FICHIER, a filter's name for --filter, nothing to guess
    # for a number, a colour, a size or a text.
    while read -r option value; do
        [[ -n $value ]] || continue
        if [[ $option == --manifest ]]; then
            expected=$(printf '%s\n' folder show.toml)
        elif [[ $value == FICHIER ]]; then
            expected=$all_files
        elif [[ $option == --filter ]]; then
            expected=$("$pack" "$command" --help | grep -o '[a-z0-9]*\(|[a-z0-9]*\)\{2,\}' | tr '|' '\n' | sort)
        else
            expected=
        fi
        expect "$command $option's value" "$expected" "$(offered "$command" "$option" '')"
    done <<<"$rows"
done

# Arguments are files, after options and their values, and --option=value completes the value.
expect "info's argument" "$all_files" "$(offered info --json '')"
expect "build's pictures after options" "$(printf '%s\n' photo.jpg)" "$(offered build -o out --style 12 ph)"
expect "--output=" "$all_files" "$(offered build --output =)"
expect "--output=p" "$(printf '%s\n' photo.jpg)" "$(offered build --output = p)"
expect "a command without arguments" "" "$(offered styles '')"
exit $status
