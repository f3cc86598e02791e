#!/usr/bin/env bash
# The completion scripts that the build printed load in bash, zsh (autoloaded from the function path)
# and fish, and complete a kind, an option's value and a favorites group: the groups come from the
# --home folder given on the line, through `options`, so "Empty Group" can only come from its file.
#   completion_test.sh PROGRAM SCRIPTS_DIR EXAMPLES_DIR
set -uo pipefail
source "$(dirname "$0")/installed_program.sh"
needs zsh fish
program=${1:?usage: completion_test.sh PROGRAM SCRIPTS_DIR EXAMPLES_DIR} scripts=$2 home=$3/home
# The scripts complete the command `quillbrook-widgets`, found on the PATH.
export PATH=$(dirname "$program"):$PATH

# expect SHELL WHAT OFFERED WORD...: fails unless each WORD is among what SHELL OFFERED.
expect() {
  local shell=$1 what=$2 offered=$3 word
  shift 3
  for word in "$@"; do
    grep -qF -- "$word" <<<"$offered" || fail "$shell does not complete $what with $word: $offered"
  done
}

# bash: the completion function called as bash calls it, with the line split where bash splits it
# ("group=" into "group" and "="); each line is WORDS..., the last being completed.
bash_offers() {
  bash --norc --noprofile -c '
    source "$1" && shift
    complete -p quillbrook-widgets | grep -q "_quillbrook_widgets quillbrook-widgets$" || exit 3
    compopt() { :; }  # only the shell may call it while completing
    COMP_WORDS=("$@") COMP_CWORD=$(($# - 1))
    _quillbrook_widgets
    printf "%s\n" "${COMPREPLY[@]}"' bash "$scripts/bash/quillbrook-widgets" quillbrook-widgets "$@" ||
    fail "the bash completion does not load"
}
expect bash "a kind" "$(bash_offers timeline fav)" favorites
expect bash "--family" "$(bash_offers render --family s)" systemSmall small
expect bash "a group" "$(bash_offers timeline favorites --home "$home" --set group =)" 'Empty\ Group' Work _all
expect bash "a parameter" "$(bash_offers options favorites '')" group

# zsh: an interactive zsh under zpty with the script autoloaded from the function path, given a line
# and a tab; what it lists (or inserts) is on its terminal.
zsh_offers() {
  zsh -f -c '
    zmodload zsh/zpty || exit 3
    zpty z zsh -f -i
    zpty -w z "PS1=; fpath=($1 \$fpath); autoload -U compinit; compinit -u; PATH=$PATH"
    zpty -w -n z "quillbrook-widgets $2"$'\''\t'\''
    sleep 1
    while zpty -r -t z line; do print -rn -- $line; done
    zpty -d z' zsh "$scripts/zsh" "$1" | sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g'
}
zsh -n "$scripts/zsh/_quillbrook-widgets" || fail "the zsh completion is not valid zsh"
expect zsh "a kind" "$(zsh_offers 'timeline fav')" 'timeline favorites'
expect zsh "a group" "$(zsh_offers "timeline favorites --home $home --set group=")" 'Empty\ Group' Work _all

# fish: `complete -C` lists what fish would offer for a line.
fish_offers() {
  fish --no-config -c "source '$scripts/fish/quillbrook-widgets.fish'; complete -C \$argv[1]" "quillbrook-widgets $1"
}
fish -n "$scripts/fish/quillbrook-widgets.fish" || fail "the fish completion is not valid fish"
expect fish "a kind" "$(fish_offers 'timeline fav')" favorites
expect fish "--format" "$(fish_offers 'watch tips --format ')" waybar
expect fish "a group" "$(fish_offers "timeline favorites --home '$home' --set group=")" 'group=Empty Group' group=Work
echo "PASS: bash, zsh and fish complete kinds, values and the groups of the home on the line"
